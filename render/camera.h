#pragma once
#include "core/math.h"

// The world-to-camera transform every drawing part puts in front of its
// object's matrix (the device's view transform stays the identity), and
// what drawing code derives from it.
class YCamera {
public:
    YCamera();

    // Stores the view matrix and derives the inverse, the eye and the axes.
    void setTransform(const YMatrix& view);
    // Stores the light direction as given (callers pass a unit vector).
    void setLightDirection(const float direction[3]);

    const YMatrix& view() const { return mView; }
    const YMatrix& inverse() const { return mInverse; }
    // The eye position in world coordinates.
    YVec3 eye() const { return mInverse.translation(); }
    const YVec3& lightDirection() const { return mLight; }
    const YVec3& axisX() const { return mX; }
    const YVec3& axisY() const { return mY; }
    const YVec3& axisZ() const { return mZ; }
    // X + Y and X - Y: billboard corner directions.
    const YVec3& diagonalSum() const { return mXPlusY; }
    const YVec3& diagonalDiff() const { return mXMinusY; }
    float fov() const { return mFov; }
    void setFov(float degrees) { mFov = degrees; }
    // The light direction turned into camera space and normalised.
    YVec3 lightInCameraSpace() const;

private:
    YMatrix mView;
    YMatrix mInverse;
    YVec3 mLight;
    YVec3 mZ, mX, mY;
    YVec3 mXPlusY, mXMinusY;
    float mFov = 45.0f;
};

// The one camera, built on first use.
YCamera& gCamera();

// Mouse-driven yaw and pitch with limits (the game's view).
class YOrbitView {
public:
    YOrbitView(float yawLimit, float startPitch, float pitchMin, float pitchMax);
    void reset();
    void setWindowSize(int width, int height);
    void beginDrag(int x, int y);
    void drag(int x, int y);
    void endDrag(int x, int y);
    void getMatrix(float out[16]) const;
    const YMatrix& matrix() const { return mMatrix; }
    float yaw() const { return mYaw; }
    float pitch() const { return mPitch; }
    bool dragging() const { return mDragging; }

private:
    // The yaw and pitch that ending a drag at (x, y) would give.
    void anglesAt(int x, int y, float& yaw, float& pitch) const;
    void build(float yaw, float pitch);

    float mYaw = 0, mPitch = 0;
    float mYawLimit, mPitchMin, mPitchMax, mStartPitch;
    int mWidth = 0, mHeight = 0;
    int mStartX = 0, mStartY = 0;
    YMatrix mMatrix;
    bool mDragging = false;
};

// A virtual trackball (the editor's view).
class YArcball {
public:
    YArcball() = default;
    void setWindowSize(int width, int height);
    void beginDrag(int x, int y);
    void drag(int x, int y);
    void endDrag(int x, int y);
    // Folds a finished drag into the accumulated rotation (once) and gives it.
    void getMatrix(float out[16]);
    YVec3 mapToSphere(int x, int y) const;

private:
    int mWidth = 0, mHeight = 0;
    float mAngle = 0;
    YVec3 mAxis;
    YMatrix mRotation;
    YVec3 mStart;
    bool mDragging = false;
};
