#pragma once
#include <cmath>
#include <string>

// The small value types every part of the game passes around. Plain
// structures of floats: operators return new values and leave operands alone.

struct YVec2 {
    float x = 0, y = 0;
    YVec2() = default;
    YVec2(float x_, float y_) : x(x_), y(y_) {}
    YVec2 operator*(float s) const { return YVec2(x * s, y * s); }
    YVec2 operator+(const YVec2& v) const { return YVec2(x + v.x, y + v.y); }
    YVec2 operator-(const YVec2& v) const { return YVec2(x - v.x, y - v.y); }
};

struct YVec3 {
    float x = 0, y = 0, z = 0;
    YVec3() = default;
    YVec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
    YVec3 operator*(float s) const { return YVec3(x * s, y * s, z * s); }
    YVec3 operator+(const YVec3& v) const { return YVec3(x + v.x, y + v.y, z + v.z); }
    YVec3 operator-(const YVec3& v) const { return YVec3(x - v.x, y - v.y, z - v.z); }
    YVec3 operator-() const { return negated(); }
    YVec3 negated() const { return YVec3(-x, -y, -z); }
    float dot(const YVec3& v) const { return x * v.x + y * v.y + z * v.z; }
    float length() const { return std::sqrt(x * x + y * y + z * z); }
    // Scales the vector to unit length in place and returns the former
    // length. Callers pass non-zero vectors.
    float normalize()
    {
        float len = length();
        float inv = 1.0f / len;
        x *= inv;
        y *= inv;
        z *= inv;
        return len;
    }
    float& operator[](int i) { return (&x)[i]; }
    float operator[](int i) const { return (&x)[i]; }
};

YVec3 cross(const YVec3& a, const YVec3& b);
// a + (b - a) * t
YVec3 lerp(const YVec3& a, const YVec3& b, float t);

struct YVec4 {
    float x = 0, y = 0, z = 0, w = 0;
    YVec4() = default;
    YVec4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    YVec4 operator*(float s) const { return YVec4(x * s, y * s, z * s, w * s); }
    YVec4 operator+(const YVec4& v) const { return YVec4(x + v.x, y + v.y, z + v.z, w + v.w); }
    float dot(const YVec4& v) const { return x * v.x + y * v.y + z * v.z + w * v.w; }

    // Sets the colour from hexadecimal text "RRGGBB" or "RRGGBBAA" (each pair
    // / 255, alpha 1 unless exactly eight digits). Shorter than six digits
    // throws the text "Error color format.".
    void parseColor(const std::string& text);
};

// Quaternion interpolation along the short arc: c = dot(a, b), b negated
// when c < 0, linear when the quaternions are almost equal. The result is
// not renormalised.
YVec4 slerp(const YVec4& a, const YVec4& b, float t);

struct YMatrix3;

// 4x4 matrix, row by row: element (row, col) at index row*4+col; translation
// in elements 12, 13, 14. Points are row vectors on the left (p' = p * M).
// The product a * b applies b first, then a.
struct YMatrix {
    float m[16];

    YMatrix() { makeIdentity(); }
    explicit YMatrix(const float values[16]);

    float& operator()(int row, int col) { return m[row * 4 + col]; }
    float operator()(int row, int col) const { return m[row * 4 + col]; }
    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }

    YMatrix& makeIdentity();
    // One shared identity matrix.
    static const YMatrix& identity();
    YMatrix& makeTranslation(const YVec3& t);
    YMatrix& makeRotationX(float degrees);
    YMatrix& makeRotationY(float degrees);
    YMatrix& makeRotationZ(float degrees);
    // Rotation by the angle about an axis (normalised here), in the
    // row-vector form of the other builders.
    YMatrix& makeRotationAxis(const YVec3& axis, float degrees);
    // Rotation of a unit quaternion (x, y, z, w) with a translation.
    YMatrix& makeRotationQuaternion(const YVec4& q, const YVec3& translation = YVec3());
    YMatrix& makeScale(const YVec3& s);

    // r(i, j) = sum over k of b(i, k) * a(k, j): applies b first, then this.
    YMatrix operator*(const YMatrix& b) const;
    bool operator==(const YMatrix& b) const;

    YVec3 transformPoint(const YVec3& p) const;
    // Direction transform: the upper 3x3 only.
    YVec3 transformVector(const YVec3& v) const;
    YVec3 translation() const { return YVec3(m[12], m[13], m[14]); }
    void setTranslation(const YVec3& t)
    {
        m[12] = t.x;
        m[13] = t.y;
        m[14] = t.z;
    }

    YMatrix rotationPart() const;
    float determinant3() const;
    YMatrix inverseAffine() const;
    YMatrix transposed() const;
};

struct YMatrix3 {
    float m[9];

    YMatrix3() { makeIdentity(); }
    float& operator()(int row, int col) { return m[row * 3 + col]; }
    float operator()(int row, int col) const { return m[row * 3 + col]; }

    YMatrix3& makeIdentity();
    YMatrix3& makeRotationX(float degrees);
    YMatrix3& makeRotationZ(float degrees);
    YVec3 transform(const YVec3& v) const;
};

// The 40-byte render vertex of the mesh formats.
struct YVertex {
    YVec3 pos;
    YVec3 normal;
    YVec2 tex;
    YVec2 tex2;
    YVertex() = default;
    YVertex(const YVec3& p, const YVec3& n, const YVec2& t) : pos(p), normal(n), tex(t), tex2(t) {}
};

static_assert(sizeof(YVec3) == 12, "YVec3 is three floats");
static_assert(sizeof(YVec4) == 16, "YVec4 is four floats");
static_assert(sizeof(YVertex) == 40, "the render vertex is 40 bytes");
static_assert(sizeof(YMatrix) == 64, "YMatrix is sixteen floats");
static_assert(sizeof(YMatrix3) == 36, "YMatrix3 is nine floats");

// Degrees to radians with the game's single-precision constants.
inline float degToRad(float degrees) { return 3.1415927f * degrees * 0.0055555557f; }

// The value held to 0..1; a value that is not a number gives 0.
inline float clampUnit(float v)
{
    if (!(v >= 0.0f))
        return 0.0f;
    return v > 1.0f ? 1.0f : v;
}
