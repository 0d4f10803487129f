// Vertex formats and draws.
#include "platform/gfx/device_impl.h"

#include <algorithm>
#include <cstdint>

namespace gfx {

namespace {

// The vertex formats, told apart by their stride.
constexpr int kStridePosition = 12;    // x y z
constexpr int kStridePositionUV2 = 28; // x y z, u0 v0, u1 v1
constexpr int kStrideMesh = 40;        // x y z, nx ny nz, u0 v0, u1 v1

// base + offset without arithmetic on a null pointer (buffer offsets).
const void* at(const uint8_t* base, int offset)
{
    return reinterpret_cast<const void*>(reinterpret_cast<uintptr_t>(base) + static_cast<uintptr_t>(offset));
}

} // namespace

// One of the vertex formats; anything else is reported once.
bool Device::Impl::knownStride(int stride)
{
    if (stride == kStridePosition || stride == kStridePositionUV2 || stride == kStrideMesh)
        return true;
    logOnce("vertex stride " + std::to_string(stride) + " is not a known format");
    return false;
}

// Points GL's arrays at vertices of the given stride; base is a client
// pointer, or null for offsets into buffer, which the caller has bound.
// Texture coordinate set 0 feeds unit 0 and set 1 unit 1; other units, and
// every unit of a format without coordinates, read (0, 0). When the arrays
// already point there nothing is sent: draws leave the arrays, the
// disabled arrays' current values and the white colour as they were.
bool Device::Impl::setupVertexFormat(int stride, GLuint buffer, const uint8_t* base)
{
    if (!knownStride(stride))
        return false;
    if (arrays.stride == stride && arrays.buffer == buffer && arrays.base == base)
        return true;
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, base);
    if (stride == kStrideMesh) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, stride, at(base, 12));
    } else {
        // No normal: lighting leaves the emissive and ambient terms only.
        glDisableClientState(GL_NORMAL_ARRAY);
        glNormal3f(0.0f, 0.0f, 0.0f);
    }
    int texOffset = stride == kStrideMesh ? 24 : 12;
    bool hasTex = stride != kStridePosition;
    for (int unit = 0; unit < maxStages; ++unit) {
        gl.ClientActiveTexture(GL_TEXTURE0 + unit);
        if (hasTex && unit < 2) {
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, stride, at(base, texOffset + unit * 8));
        } else {
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
            gl.MultiTexCoord4f(GL_TEXTURE0 + unit, 0.0f, 0.0f, 0.0f, 1.0f);
        }
    }
    gl.ClientActiveTexture(GL_TEXTURE0);
    // Vertices carry no colour: unlit drawing uses opaque white.
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    arrays.stride = stride;
    arrays.buffer = buffer;
    arrays.base = base;
    return true;
}

void Device::Impl::drawPrimitiveUP(Primitive type, int count, const void* vertices, int stride)
{
    if (!ready() || !vertices || count <= 0)
        return;
    GLenum mode;
    int64_t vertexCount;
    switch (type) {
    case PT_TRIANGLELIST:
        mode = GL_TRIANGLES;
        vertexCount = int64_t(count) * 3;
        break;
    case PT_TRIANGLESTRIP:
        mode = GL_TRIANGLE_STRIP;
        vertexCount = int64_t(count) + 2;
        break;
    case PT_TRIANGLEFAN:
        mode = GL_TRIANGLE_FAN;
        vertexCount = int64_t(count) + 2;
        break;
    case PT_LINESTRIP:
        mode = GL_LINE_STRIP;
        vertexCount = int64_t(count) + 1;
        break;
    default: logOnce("primitive type " + std::to_string(static_cast<int>(type)) + " unknown"); return;
    }
    if (vertexCount > INT32_MAX)
        return;
    if (!knownStride(stride))
        return;
    const int64_t bytes = vertexCount * stride;
    GLint first = 0;
    if (bytes <= kStreamLimit) {
        first = streamVertices(vertices, static_cast<int>(bytes), stride);
        setupVertexFormat(stride, vertexStream.id, nullptr);
    } else {
        gl.BindBuffer(GL_ARRAY_BUFFER, 0);
        setupVertexFormat(stride, 0, static_cast<const uint8_t*>(vertices));
    }
    applyTransformsAndLighting();
    applyStages();
    glDrawArrays(mode, first, static_cast<GLsizei>(vertexCount));
}

// Copies the vertices of one draw into the stream buffer, after the last
// draw's, and returns the index of the first one there. Offsets are whole
// vertices of the draw's stride, so consecutive draws of one format leave
// GL's arrays where they are. A full buffer is orphaned: GL gives it new
// storage while earlier draws keep reading the old.
GLint Device::Impl::streamVertices(const void* vertices, int bytes, int stride)
{
    gl.BindBuffer(GL_ARRAY_BUFFER, vertexStream.id);
    int offset = (vertexStream.used + stride - 1) / stride * stride;
    if (offset + bytes > vertexStream.size) {
        if (bytes > vertexStream.size)
            vertexStream.size = std::max(vertexStream.size * 2, bytes);
        gl.BufferData(GL_ARRAY_BUFFER, vertexStream.size, nullptr, GL_STREAM_DRAW);
        offset = 0;
    }
    gl.BufferSubData(GL_ARRAY_BUFFER, offset, bytes, vertices);
    vertexStream.used = offset + bytes;
    return offset / stride;
}

void Device::Impl::drawIndexedTriangles(int minVertex, int vertexCount, int startIndex, int triangleCount)
{
    if (!ready() || triangleCount <= 0)
        return;
    if (!stream || !indices) {
        logOnce("indexed draw without a vertex or index buffer");
        return;
    }
    if (!knownStride(streamStride))
        return;
    int64_t indexCount = int64_t(triangleCount) * 3;
    int64_t available = static_cast<int64_t>(indices->indices.size());
    int vertices = stream->bytes / streamStride;
    if (startIndex < 0 || startIndex + indexCount > available || minVertex < 0 || vertexCount <= 0 ||
        int64_t(minVertex) + vertexCount > vertices) {
        logOnce("indexed draw outside its buffers refused");
        return;
    }
    // Every index must name a vertex of the buffer, or GL would read past
    // its end.
    if (indices->maxIndex >= vertices) {
        for (int64_t i = startIndex; i < startIndex + indexCount; ++i)
            if (indices->indices[static_cast<size_t>(i)] >= vertices) {
                logOnce("indexed draw with an index past the vertex buffer refused");
                return;
            }
    }
    gl.BindBuffer(GL_ARRAY_BUFFER, stream->id);
    gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices->id);
    setupVertexFormat(streamStride, stream->id, nullptr);
    applyTransformsAndLighting();
    applyStages();
    gl.DrawRangeElements(GL_TRIANGLES, static_cast<GLuint>(minVertex), static_cast<GLuint>(minVertex + vertexCount - 1),
                         static_cast<GLsizei>(indexCount), GL_UNSIGNED_SHORT,
                         reinterpret_cast<const void*>(static_cast<uintptr_t>(startIndex) * 2));
    gl.BindBuffer(GL_ARRAY_BUFFER, 0);
    gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

// ---------------------------------------------------------------------------
// Public entry points

void Device::drawIndexedTriangles(int minVertex, int vertexCount, int startIndex, int triangleCount)
{
    mImpl->drawIndexedTriangles(minVertex, vertexCount, startIndex, triangleCount);
}

void Device::drawPrimitiveUP(Primitive type, int count, const void* vertices, int stride)
{
    mImpl->drawPrimitiveUP(type, count, vertices, stride);
}

} // namespace gfx
