#pragma once

namespace img {

// Projection matrices in the row-vector form of the game's YMatrix, with
// depth mapped to 0..1 as the game's renderer expects. The graphics device
// remaps depth for GL itself. Degenerate requests (zero aspect, an empty
// rectangle or depth range, a field of view outside (0, pi)) give the
// identity rather than a matrix of infinities.

// Right-handed perspective: yScale = cot(fovY / 2), xScale = yScale / aspect;
// rows (xScale,0,0,0), (0,yScale,0,0), (0,0,zf/(zn-zf),-1), (0,0,zn*zf/(zn-zf),0).
void perspectiveFovRH(float fovYRadians, float aspect, float zn, float zf, float out[16]);

// Left-handed orthographic off-centre:
// rows (2/(r-l),0,0,0), (0,2/(t-b),0,0), (0,0,1/(zf-zn),0),
// ((l+r)/(l-r), (t+b)/(b-t), zn/(zn-zf), 1).
void orthoOffCenterLH(float l, float r, float b, float t, float zn, float zf, float out[16]);

} // namespace img
