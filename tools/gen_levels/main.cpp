// Writes the game's levels into "levels\" with the game's own level writer.
// Each level is a small structure of blocks on a 20 x 20 table; the file
// names sort in playing order.
#include "core/log.h"
#include "core/streams.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "world/level_file.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Builder {
    YLevelFile level;

    Builder(const char* table, const char* environment)
    {
        level.tableMaterial = table;
        level.environment = environment;
        level.center = true;
    }
    void block(int x, int y, int z, const char* material, int w = 1, int h = 1, int d = 1, float glue = 35.0f,
               int bonus = -1)
    {
        YLevelItem it;
        it.x = x;
        it.y = y;
        it.z = z;
        it.w = w;
        it.h = h;
        it.d = d;
        it.material = material;
        it.glue = glue;
        it.bonus = bonus;
        level.items.push_back(it);
    }
    // A box of unit blocks, x0..x1 by y0..y1 by z0..z1 (inclusive).
    void fill(int x0, int x1, int y0, int y1, int z0, int z1,
              const std::function<const char*(int, int, int)>& material, float glue = 35.0f)
    {
        for (int z = z0; z <= z1; ++z)
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x)
                    if (const char* m = material(x, y, z))
                        block(x, y, z, m, 1, 1, 1, glue);
    }
    void bonus(int id, int count) { level.bonusCounts[id] += count; }
};

auto only(const char* m)
{
    return [m](int, int, int) { return m; };
}

std::vector<std::pair<std::string, YLevelFile>> makeLevels()
{
    std::vector<std::pair<std::string, YLevelFile>> out;

    { // A low wall to learn the kick.
        Builder b("marble", "dusk");
        b.fill(0, 9, 3, 3, 0, 1, only("plain"));
        b.bonus(9, 1); // an extra ball
        b.bonus(20, 1);
        out.emplace_back("01_first_wall", b.level);
    }
    { // Two walls: wood in front of stone.
        Builder b("marble", "dusk");
        b.fill(0, 9, 1, 1, 0, 1, only("wood"));
        b.fill(1, 8, 5, 5, 0, 2, only("stone"));
        b.bonus(1, 1);
        b.bonus(9, 1);
        b.bonus(15, 1);
        out.emplace_back("02_two_walls", b.level);
    }
    { // A stepped pyramid.
        Builder b("granite", "dusk");
        for (int z = 0; z < 4; ++z)
            b.fill(z, 8 - z, 2 + z / 2, 6 - z / 2, z, z, [z](int, int, int) { return z == 3 ? "metal" : "plain"; });
        b.bonus(2, 1);
        b.bonus(10, 1);
        b.bonus(21, 1);
        b.bonus(19, 1);
        out.emplace_back("03_pyramid", b.level);
    }
    { // Four towers with glass tops.
        Builder b("granite", "nebula");
        for (int t = 0; t < 4; ++t) {
            int x = t * 3;
            b.fill(x, x + 1, 3, 4, 0, 3, only("stone"));
            b.fill(x, x + 1, 3, 4, 4, 4, only("glass"));
        }
        b.bonus(3, 1);
        b.bonus(11, 1);
        b.bonus(17, 1);
        b.bonus(8, 1);
        out.emplace_back("04_towers", b.level);
    }
    { // A bridge: long wooden beams on stone pillars.
        Builder b("wood", "dusk");
        for (int x = 0; x <= 12; x += 4)
            b.fill(x, x, 4, 5, 0, 2, only("stone"));
        for (int x = 0; x < 12; x += 3)
            b.block(x, 4, 3, "wood", 3, 2, 1);
        b.block(12, 4, 3, "wood", 1, 2, 1);
        b.fill(1, 11, 6, 6, 0, 0, only("rubber"));
        b.bonus(4, 1);
        b.bonus(12, 1);
        b.bonus(16, 1);
        b.bonus(22, 1);
        out.emplace_back("05_bridge", b.level);
    }
    { // A checkerboard of ice and glass.
        Builder b("marble", "nebula");
        b.fill(0, 9, 2, 6, 0, 0, [](int x, int y, int) { return (x + y) % 2 ? "ice" : "glass"; });
        b.fill(2, 7, 3, 5, 1, 1, [](int x, int y, int) { return (x + y) % 2 ? "glass" : "ice"; });
        b.bonus(5, 1);
        b.bonus(13, 1);
        b.bonus(23, 1);
        b.bonus(7, 2);
        out.emplace_back("06_ice_and_glass", b.level);
    }
    { // A fortress: stone walls round a metal keep.
        Builder b("granite", "dusk");
        b.fill(0, 10, 1, 8, 0, 1, [](int x, int y, int) {
            bool wall = x == 0 || x == 10 || y == 1 || y == 8;
            return wall ? "stone" : nullptr;
        });
        b.fill(4, 6, 4, 5, 0, 3, only("metal"));
        b.block(5, 4, 4, "glass", 1, 1, 1, 35.0f, 0); // the way to the next level
        b.bonus(6, 1);
        b.bonus(14, 1);
        b.bonus(18, 1);
        b.bonus(21, 1);
        out.emplace_back("07_fortress", b.level);
    }
    { // The finale: layers of every material.
        Builder b("wood", "nebula");
        const char* layers[] = {"plain", "wood", "stone", "ice", "metal", "glass"};
        for (int z = 0; z < 6; ++z)
            b.fill(1 + z / 2, 11 - z / 2, 2, 6 - z / 3, z, z, only(layers[z]));
        for (int id : {2, 3, 4, 5, 6, 9, 15, 16, 17, 21})
            b.bonus(id, 1);
        out.emplace_back("08_finale", b.level);
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: gen_levels <game folder>\n");
        return 2;
    }
    std::string game = argv[1];
    // The writer reports problems on stderr here; the game folder's own log
    // belongs to the game.
    YLog::setFileName("/dev/null");
    sys::makeDirectories(game + "/levels/thumb");
    for (const auto& [name, level] : makeLevels()) {
        std::string path = game + "/levels/" + name;
        // A rewritten level needs a new picture.
        sys::removeFile(game + "/levels/thumb/" + name + ".bmp");
        if (!saveLevelFile(path, level)) {
            std::fprintf(stderr, "gen_levels: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
