// Writes the game's pictures into the game folder: the textures under
// "textures\", the splash pictures under "splash\" and the backdrop
// environments under "env\".
//   gen_textures <game folder>
#include "tools/gen_textures/gen_textures.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_textures <game folder>\n");
        return 2;
    }
    paint::Output out(argv[1]);
    gen::writeSurfaces(out);
    gen::writeIcons(out);
    gen::writeInterface(out);
    gen::writeSplash(out);
    gen::writeEnvironments(out);
    if (!out.ok())
        return 1;
    std::printf("gen_textures: %zu pictures written\n", out.written().size());
    return 0;
}
