#pragma once
// OpenGL entry points beyond GL 1.1, loaded through SDL once a context is
// current. Private to platform/gfx: nothing outside the device includes GL.
#include <GL/gl.h>
#include <GL/glext.h>

#include <string>

namespace gfx {

// Not every gl.h/glext.h pair declares pointer types for the 1.3
// fixed-function entry points.
typedef void(APIENTRYP ClientActiveTextureFn)(GLenum texture);
typedef void(APIENTRYP MultiTexCoord4fFn)(GLenum target, GLfloat s, GLfloat t, GLfloat r, GLfloat q);

// name, pointer type, whether the device can run without it.
#define TARVELIN_GL_FUNCTIONS(X)                                                                                       \
    X(ActiveTexture, PFNGLACTIVETEXTUREPROC, false)                                                                    \
    X(ClientActiveTexture, ClientActiveTextureFn, false)                                                               \
    X(MultiTexCoord4f, MultiTexCoord4fFn, false)                                                                       \
    X(DrawRangeElements, PFNGLDRAWRANGEELEMENTSPROC, false)                                                            \
    X(BlendEquation, PFNGLBLENDEQUATIONPROC, false)                                                                    \
    X(GenBuffers, PFNGLGENBUFFERSPROC, false)                                                                          \
    X(DeleteBuffers, PFNGLDELETEBUFFERSPROC, false)                                                                    \
    X(BindBuffer, PFNGLBINDBUFFERPROC, false)                                                                          \
    X(BufferData, PFNGLBUFFERDATAPROC, false)                                                                          \
    X(BufferSubData, PFNGLBUFFERSUBDATAPROC, false)                                                                    \
    X(GenFramebuffers, PFNGLGENFRAMEBUFFERSPROC, false)                                                                \
    X(DeleteFramebuffers, PFNGLDELETEFRAMEBUFFERSPROC, false)                                                          \
    X(BindFramebuffer, PFNGLBINDFRAMEBUFFERPROC, false)                                                                \
    X(FramebufferRenderbuffer, PFNGLFRAMEBUFFERRENDERBUFFERPROC, false)                                                \
    X(CheckFramebufferStatus, PFNGLCHECKFRAMEBUFFERSTATUSPROC, false)                                                  \
    X(GenRenderbuffers, PFNGLGENRENDERBUFFERSPROC, false)                                                              \
    X(DeleteRenderbuffers, PFNGLDELETERENDERBUFFERSPROC, false)                                                        \
    X(BindRenderbuffer, PFNGLBINDRENDERBUFFERPROC, false)                                                              \
    X(RenderbufferStorage, PFNGLRENDERBUFFERSTORAGEPROC, false)                                                        \
    X(BlitFramebuffer, PFNGLBLITFRAMEBUFFERPROC, false)                                                                \
    X(GenSamplers, PFNGLGENSAMPLERSPROC, false)                                                                        \
    X(DeleteSamplers, PFNGLDELETESAMPLERSPROC, false)                                                                  \
    X(BindSampler, PFNGLBINDSAMPLERPROC, false)                                                                        \
    X(SamplerParameteri, PFNGLSAMPLERPARAMETERIPROC, false)                                                            \
    X(TexStorage2D, PFNGLTEXSTORAGE2DPROC, true)                                                                      \
    X(GetStringi, PFNGLGETSTRINGIPROC, true)

struct GlFunctions {
#define TARVELIN_GL_DECLARE(name, type, optional) type name = nullptr;
    TARVELIN_GL_FUNCTIONS(TARVELIN_GL_DECLARE)
#undef TARVELIN_GL_DECLARE
};

// The loaded entry points (one GL implementation per process).
extern GlFunctions gl;

// Loads every entry point from the current context. False with the name of
// the first required function that is missing.
bool loadGlFunctions(std::string* missing);

} // namespace gfx
