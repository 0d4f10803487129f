#include "platform/gfx/gl_api.h"

#include <SDL.h>

namespace gfx {

GlFunctions gl;

bool loadGlFunctions(std::string* missing)
{
    GlFunctions loaded;
#define TARVELIN_GL_LOAD(name, type, optional)                                                                         \
    loaded.name = reinterpret_cast<type>(SDL_GL_GetProcAddress("gl" #name));                                           \
    if (!loaded.name && !(optional)) {                                                                                 \
        if (missing)                                                                                                   \
            *missing = "gl" #name;                                                                                     \
        return false;                                                                                                  \
    }
    TARVELIN_GL_FUNCTIONS(TARVELIN_GL_LOAD)
#undef TARVELIN_GL_LOAD
    gl = loaded;
    return true;
}

} // namespace gfx
