#include "render/render_start.h"

#include "core/display_modes.h"
#include "core/log.h"
#include "platform/sys/message_box.h"
#include "platform/wnd/window.h"
#include "render/font.h"
#include "render/render_d3d.h"
#include "render/shader.h"

#include <cstdlib>
#include <string>
#include <vector>

void startRendering()
{
    std::string error;
    if (!wnd::initVideo(&error)) {
        YLog::writef("Video system unavailable: %s", error.c_str());
        sys::messageBox("Window Creation Error.", "ERROR");
        std::exit(1);
    }
    new Render_D3D(); // becomes gRender
    std::vector<YDisplayMode> modes;
    gRender->enumerateModes(modes);
    gDisplayModes().assign(modes);

    loadFonts("data\\fonts.yml");
    loadShaderFiles();
}

void loadShaderFiles()
{
    loadShaders("data\\shaders.yml");
    loadShaders("data\\shaders_env.yml");
    loadShaders("data\\shaders_blocks.yml");
}
