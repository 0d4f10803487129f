#include "core/math.h"

#include <cstdlib>
#include <cstring>

YVec3 cross(const YVec3& a, const YVec3& b)
{
    return YVec3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

YVec3 lerp(const YVec3& a, const YVec3& b, float t)
{
    return a + (b - a) * t;
}

void YVec4::parseColor(const std::string& text)
{
    if (text.size() < 6)
        throw "Error color format.";
    auto pair = [&](size_t at) {
        char digits[3] = {text[at], text[at + 1], 0};
        return static_cast<float>(std::strtol(digits, nullptr, 16)) * 0.003921569f;
    };
    x = pair(0);
    y = pair(2);
    z = pair(4);
    w = text.size() == 8 ? pair(6) : 1.0f;
}

YVec4 slerp(const YVec4& a, const YVec4& b0, float t)
{
    YVec4 b = b0;
    float c = a.dot(b);
    if (c < 0) {
        c = -c;
        b = b * -1.0f;
    }
    if (1.0f - c <= 1e-6f)
        return a * (1.0f - t) + b * t;
    float angle = std::acos(c);
    float s = std::sin(angle);
    return a * (std::sin((1.0f - t) * angle) / s) + b * (std::sin(t * angle) / s);
}

YMatrix::YMatrix(const float values[16])
{
    std::memcpy(m, values, sizeof(m));
}

const YMatrix& YMatrix::identity()
{
    static const YMatrix matrix;
    return matrix;
}

YMatrix& YMatrix::makeIdentity()
{
    for (int i = 0; i < 16; ++i)
        m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    return *this;
}

YMatrix& YMatrix::makeTranslation(const YVec3& t)
{
    makeIdentity();
    setTranslation(t);
    return *this;
}

YMatrix& YMatrix::makeRotationX(float degrees)
{
    makeIdentity();
    float r = degToRad(degrees);
    float c = std::cos(r), s = std::sin(r);
    m[5] = c;
    m[6] = s;
    m[9] = -s;
    m[10] = c;
    return *this;
}

YMatrix& YMatrix::makeRotationY(float degrees)
{
    makeIdentity();
    float r = degToRad(degrees);
    float c = std::cos(r), s = std::sin(r);
    m[0] = c;
    m[2] = -s;
    m[8] = s;
    m[10] = c;
    return *this;
}

YMatrix& YMatrix::makeRotationZ(float degrees)
{
    makeIdentity();
    float r = degToRad(degrees);
    float c = std::cos(r), s = std::sin(r);
    m[0] = c;
    m[1] = s;
    m[4] = -s;
    m[5] = c;
    return *this;
}

YMatrix& YMatrix::makeRotationAxis(const YVec3& axisIn, float degrees)
{
    makeIdentity();
    YVec3 a = axisIn;
    float len = a.length();
    if (len <= 0.0f)
        return *this; // no axis: no rotation
    a = a * (1.0f / len);
    float r = degToRad(degrees);
    float c = std::cos(r), s = std::sin(r), t = 1.0f - c;
    m[0] = t * a.x * a.x + c;
    m[1] = t * a.x * a.y + s * a.z;
    m[2] = t * a.x * a.z - s * a.y;
    m[4] = t * a.x * a.y - s * a.z;
    m[5] = t * a.y * a.y + c;
    m[6] = t * a.y * a.z + s * a.x;
    m[8] = t * a.x * a.z + s * a.y;
    m[9] = t * a.y * a.z - s * a.x;
    m[10] = t * a.z * a.z + c;
    return *this;
}

YMatrix& YMatrix::makeRotationQuaternion(const YVec4& q, const YVec3& translation)
{
    makeIdentity();
    float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
    float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
    m[0] = 1.0f - 2.0f * (yy + zz);
    m[1] = 2.0f * (xy + wz);
    m[2] = 2.0f * (xz - wy);
    m[4] = 2.0f * (xy - wz);
    m[5] = 1.0f - 2.0f * (xx + zz);
    m[6] = 2.0f * (yz + wx);
    m[8] = 2.0f * (xz + wy);
    m[9] = 2.0f * (yz - wx);
    m[10] = 1.0f - 2.0f * (xx + yy);
    setTranslation(translation);
    return *this;
}

YMatrix& YMatrix::makeScale(const YVec3& s)
{
    makeIdentity();
    m[0] = s.x;
    m[5] = s.y;
    m[10] = s.z;
    return *this;
}

YMatrix YMatrix::operator*(const YMatrix& b) const
{
    YMatrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += b.m[i * 4 + k] * m[k * 4 + j];
            r.m[i * 4 + j] = sum;
        }
    }
    return r;
}

bool YMatrix::operator==(const YMatrix& b) const
{
    return std::memcmp(m, b.m, sizeof(m)) == 0;
}

YVec3 YMatrix::transformPoint(const YVec3& p) const
{
    return YVec3(p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12],
                 p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13],
                 p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14]);
}

YVec3 YMatrix::transformVector(const YVec3& v) const
{
    return YVec3(v.x * m[0] + v.y * m[4] + v.z * m[8],
                 v.x * m[1] + v.y * m[5] + v.z * m[9],
                 v.x * m[2] + v.y * m[6] + v.z * m[10]);
}

YMatrix YMatrix::rotationPart() const
{
    YMatrix r(*this);
    r.m[3] = r.m[7] = r.m[11] = 0;
    r.m[12] = r.m[13] = r.m[14] = 0;
    r.m[15] = 1;
    return r;
}

float YMatrix::determinant3() const
{
    return m[0] * (m[5] * m[10] - m[6] * m[9]) - m[1] * (m[4] * m[10] - m[6] * m[8]) +
           m[2] * (m[4] * m[9] - m[5] * m[8]);
}

YMatrix YMatrix::inverseAffine() const
{
    double inv = 1.0 / static_cast<double>(determinant3());
    YMatrix r;
    // Cofactors of the upper 3x3, transposed (adjugate), times 1/det.
    r.m[0] = static_cast<float>((m[5] * m[10] - m[6] * m[9]) * inv);
    r.m[1] = static_cast<float>((m[2] * m[9] - m[1] * m[10]) * inv);
    r.m[2] = static_cast<float>((m[1] * m[6] - m[2] * m[5]) * inv);
    r.m[4] = static_cast<float>((m[6] * m[8] - m[4] * m[10]) * inv);
    r.m[5] = static_cast<float>((m[0] * m[10] - m[2] * m[8]) * inv);
    r.m[6] = static_cast<float>((m[2] * m[4] - m[0] * m[6]) * inv);
    r.m[8] = static_cast<float>((m[4] * m[9] - m[5] * m[8]) * inv);
    r.m[9] = static_cast<float>((m[1] * m[8] - m[0] * m[9]) * inv);
    r.m[10] = static_cast<float>((m[0] * m[5] - m[1] * m[4]) * inv);
    r.m[3] = r.m[7] = r.m[11] = 0;
    // Translation row = -(t * inverse 3x3).
    YVec3 t = translation();
    r.m[12] = -(t.x * r.m[0] + t.y * r.m[4] + t.z * r.m[8]);
    r.m[13] = -(t.x * r.m[1] + t.y * r.m[5] + t.z * r.m[9]);
    r.m[14] = -(t.x * r.m[2] + t.y * r.m[6] + t.z * r.m[10]);
    r.m[15] = 1;
    return r;
}

YMatrix YMatrix::transposed() const
{
    YMatrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i * 4 + j] = m[j * 4 + i];
    return r;
}

YMatrix3& YMatrix3::makeIdentity()
{
    for (int i = 0; i < 9; ++i)
        m[i] = (i % 4 == 0) ? 1.0f : 0.0f;
    return *this;
}

YMatrix3& YMatrix3::makeRotationX(float degrees)
{
    makeIdentity();
    float r = degToRad(degrees);
    float c = std::cos(r), s = std::sin(r);
    m[4] = c;
    m[5] = s;
    m[7] = -s;
    m[8] = c;
    return *this;
}

YMatrix3& YMatrix3::makeRotationZ(float degrees)
{
    makeIdentity();
    float r = degToRad(degrees);
    float c = std::cos(r), s = std::sin(r);
    m[0] = c;
    m[1] = s;
    m[3] = -s;
    m[4] = c;
    return *this;
}

YVec3 YMatrix3::transform(const YVec3& v) const
{
    return YVec3(v.x * m[0] + v.y * m[3] + v.z * m[6],
                 v.x * m[1] + v.y * m[4] + v.z * m[7],
                 v.x * m[2] + v.y * m[5] + v.z * m[8]);
}
