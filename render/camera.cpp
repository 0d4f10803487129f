#include "render/camera.h"

#include <algorithm>
#include <cmath>

YCamera::YCamera()
{
    YMatrix rot, move;
    rot.makeRotationX(-40.0f);
    move.makeTranslation(YVec3(0, 0, -30));
    setTransform(move * rot); // rotate first, then move away
    YVec3 light(-0.1f, 0.2f, -0.3f);
    light.normalize();
    mLight = light;
}

void YCamera::setTransform(const YMatrix& view)
{
    mView = view;
    mInverse = view.inverseAffine();
    mZ = YVec3(view[2], view[6], view[10]);
    mX = YVec3(view[0], view[4], view[8]);
    mY = YVec3(view[1], view[5], view[9]);
    mXPlusY = mX + mY;
    mXMinusY = mX - mY;
}

void YCamera::setLightDirection(const float direction[3])
{
    mLight = YVec3(direction[0], direction[1], direction[2]);
}

YVec3 YCamera::lightInCameraSpace() const
{
    YVec3 d = mView.transformVector(mLight);
    if (d.length() > 0.0f)
        d.normalize();
    return d;
}

YCamera& gCamera()
{
    static YCamera camera;
    return camera;
}

// ---------------------------------------------------------------------------

YOrbitView::YOrbitView(float yawLimit, float startPitch, float pitchMin, float pitchMax)
    : mYawLimit(yawLimit), mPitchMin(pitchMin), mPitchMax(pitchMax), mStartPitch(startPitch)
{
    reset();
}

void YOrbitView::reset()
{
    mYaw = 0;
    mPitch = mStartPitch;
    mDragging = false;
    build(mYaw, mPitch);
}

void YOrbitView::setWindowSize(int width, int height)
{
    mWidth = width;
    mHeight = height;
}

void YOrbitView::anglesAt(int x, int y, float& yaw, float& pitch) const
{
    // A window of no size (minimized) moves nothing rather than dividing
    // by zero.
    float halfW = mWidth > 0 ? mWidth / 2.0f : 0.0f;
    float halfH = mHeight > 0 ? mHeight / 2.0f : 0.0f;
    yaw = mYaw;
    pitch = mPitch;
    if (halfW > 0)
        yaw += (x - mStartX) / halfW * 2.0f * mYawLimit;
    if (halfH > 0)
        pitch += (y - mStartY) / halfH * (mPitchMax - mPitchMin);
    yaw = std::max(-mYawLimit, std::min(mYawLimit, yaw));
    pitch = std::max(mPitchMin, std::min(mPitchMax, pitch));
}

void YOrbitView::build(float yaw, float pitch)
{
    YMatrix rx, rz;
    rx.makeRotationX(pitch);
    rz.makeRotationZ(yaw);
    mMatrix = rx * rz; // yaw first, then pitch
}

void YOrbitView::beginDrag(int x, int y)
{
    mDragging = true;
    mStartX = x;
    mStartY = y;
}

void YOrbitView::drag(int x, int y)
{
    if (!mDragging)
        return;
    float yaw, pitch;
    anglesAt(x, y, yaw, pitch);
    build(yaw, pitch);
}

void YOrbitView::endDrag(int x, int y)
{
    if (!mDragging)
        return;
    anglesAt(x, y, mYaw, mPitch);
    build(mYaw, mPitch);
    mDragging = false;
}

void YOrbitView::getMatrix(float out[16]) const
{
    std::copy(mMatrix.m, mMatrix.m + 16, out);
}

// ---------------------------------------------------------------------------

void YArcball::setWindowSize(int width, int height)
{
    mWidth = width;
    mHeight = height;
}

YVec3 YArcball::mapToSphere(int x, int y) const
{
    float w = mWidth > 0 ? static_cast<float>(mWidth) : 1.0f;
    float h = mHeight > 0 ? static_cast<float>(mHeight) : 1.0f;
    float nx = (2.0f * x - w) / w;
    float ny = (h - 2.0f * y) / h;
    float r = std::min(std::sqrt(nx * nx + ny * ny), 1.0f);
    YVec3 v(nx, ny, std::cos(r * 3.1415927f / 2.0f));
    if (v.length() > 0.0f)
        v.normalize();
    return v;
}

void YArcball::beginDrag(int x, int y)
{
    mDragging = true;
    mStart = mapToSphere(x, y);
}

void YArcball::drag(int x, int y)
{
    if (!mDragging)
        return;
    YVec3 v = mapToSphere(x, y);
    mAngle = (v - mStart).length() * 180.0f;
    mAxis = cross(mStart, v);
}

void YArcball::endDrag(int, int)
{
    mDragging = false;
}

void YArcball::getMatrix(float out[16])
{
    YMatrix result = mRotation;
    // A drag between opposite points of the rim has no axis: skip it
    // rather than let NaN into the rotation for good.
    bool usable = mAngle != 0.0f && mAxis.length() > 1e-6f;
    if (usable) {
        YMatrix drag;
        drag.makeRotationAxis(mAxis, mAngle);
        result = drag * mRotation; // the accumulated rotation first
    }
    if (!mDragging) {
        mRotation = result;
        mAngle = 0;
        mAxis = YVec3();
    }
    std::copy(result.m, result.m + 16, out);
}
