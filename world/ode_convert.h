#pragma once
#include "core/math.h"

#include <ode/ode.h>

// The game works in floats; ODE here is built in double precision. These
// convert at the boundary.

inline YVec3 toVec3(const dReal* v)
{
    return YVec3(static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]));
}

// A game matrix holds the rotation in its upper 3x3 in row-vector form, so
// ODE's rotation (column vectors) is its transpose: row i of ODE's 3x4
// rotation is elements i, i+4, i+8 of the matrix.
inline void matrixToOdeRotation(const YMatrix& m, dMatrix3 r)
{
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            r[i * 4 + j] = m[j * 4 + i];
        r[i * 4 + 3] = 0;
    }
}

inline YMatrix odeToMatrix(const dReal* rotation, const dReal* position)
{
    YMatrix m;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            m[j * 4 + i] = static_cast<float>(rotation[i * 4 + j]);
        m[i * 4 + 3] = 0.0f;
    }
    m[12] = static_cast<float>(position[0]);
    m[13] = static_cast<float>(position[1]);
    m[14] = static_cast<float>(position[2]);
    m[15] = 1.0f;
    return m;
}
