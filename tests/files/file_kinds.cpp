// The files the game saves today: settings, progress, the high scores, a
// level through the writer the game and the editor share, and a mesh cache.
#include "core/file_list.h"
#include "core/init.h"
#include "core/streams.h"
#include "game/progress.h"
#include "game/score_table.h"
#include "platform/sys/paths.h"
#include "render/mesh.h"
#include "tests/common/test_util.h"
#include "tests/files/file_kind.h"
#include "world/level_file.h"

#include <memory>

namespace {

const FileKindRegistrar settings([] {
    FileKind k;
    k.name = "Settings";
    k.path = "config.yml";
    k.prepare = [] { testutil::writeText("config.yml", "<config>\n  <window width=\"800\">\n</config>\n"); };
    k.save = [](int variant) {
        Init init;
        init.load("config.yml");
        init.width = variant ? 1024 : 640;
        return init.save();
    };
    k.read = [] {
        Init init;
        init.load("config.yml");
        return init.width == 640 ? 0 : init.width == 1024 ? 1 : -1;
    };
    return k;
});

const FileKindRegistrar progress([] {
    FileKind k;
    k.name = "Progress";
    k.path = YProgressFile::NAME;
    k.save = [](int variant) { return writeProgress(3 + variant, YMatrix(), YMatrix()); };
    k.read = [] {
        const int32_t level = readProgress();
        return level == 3 ? 0 : level == 4 ? 1 : -1;
    };
    return k;
});

// The table of one or of two scores, saved as the game saves it: the file
// is read, then the table it ends up holding is written back.
const FileKindRegistrar scores([] {
    FileKind k;
    k.name = "Scores";
    k.path = YScoreTable::FILE_NAME;
    k.prepare = [] {
        YScoreTable table;
        table.load("scores1.src");
        table.insert(700);
        table.setPendingName("Ann");
        table.insert(500);
        table.setPendingName("Bo");
        table.load("scores0.src"); // no such file yet: the two scores stay
        table.insert(900);
        table.setPendingName("Cy");
    };
    k.save = [](int variant) {
        YScoreTable table;
        table.load(YScoreTable::FILE_NAME);
        InFStream in(variant ? "scores1.src" : "scores0.src");
        return table.read(in) && table.save();
    };
    k.read = [] {
        YScoreTable table;
        table.load(YScoreTable::FILE_NAME);
        return table.count() == 3 ? 0 : table.count() == 2 ? 1 : -1;
    };
    return k;
});

YLevelFile levelOf(int blocks)
{
    YLevelFile level;
    level.tableMaterial = "marble";
    for (int i = 0; i < blocks; ++i) {
        YLevelItem item;
        item.x = i;
        item.material = "glass";
        level.items.push_back(item);
    }
    return level;
}

const FileKindRegistrar level([] {
    FileKind k;
    k.name = "Level";
    k.path = "levels/01_trial";
    k.prepare = [] { sys::makeDirectories("levels"); };
    k.save = [](int variant) { return saveLevelFile("levels/01_trial", levelOf(2 + variant)); };
    k.read = [] {
        YLevelFile level;
        if (!loadLevelFile("levels/01_trial", level))
            return -1;
        return level == levelOf(2) ? 0 : level == levelOf(3) ? 1 : -1;
    };
    k.listed = [] { return listLevelNames(); };
    return k;
});

// A tetrahedron, smooth (4 render vertices) or flat (12).
std::shared_ptr<YMesh> tetrahedron(bool flat)
{
    const std::string text = std::string("mesh t\nvertices 4\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n") +
                             "tvertices 1\n0 0\nfaces 4\n" + "0 2 1 0 0 0 0 S\n0 1 3 0 0 0 0 S\n" +
                             "0 3 2 0 0 0 0 S\n1 2 3 0 0 0 0 S\n";
    std::string withMask = text;
    for (char& c : withMask)
        if (c == 'S')
            c = flat ? '0' : '1';
    YMeshSource source;
    parseMeshText(withMask, source, "t.mes");
    auto mesh = std::make_shared<YMesh>();
    mesh->build(source);
    return mesh;
}

// The cache as the mesh loader writes it after a complete parse.
const FileKindRegistrar meshCache([] {
    FileKind k;
    k.name = "MeshCache";
    k.path = "mesh/t.meb";
    k.prepare = [] { sys::makeDirectories("mesh"); };
    k.save = [](int variant) {
        OutFStream out("mesh\\t.meb");
        tetrahedron(variant == 1)->writeMeshCache(out);
        return out.close();
    };
    k.read = [] {
        YMesh mesh;
        InFStream in("mesh\\t.meb");
        if (!mesh.readMeshCache(in))
            return -1;
        return mesh.vertices.size() == 4 ? 0 : mesh.vertices.size() == 12 ? 1 : -1;
    };
    k.listed = [] { return findFiles("mesh\\*.meb", false); };
    return k;
});

} // namespace
