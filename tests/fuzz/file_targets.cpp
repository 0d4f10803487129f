// Fuzz targets of the game's own files: levels (read, built and played a
// few frames), the progress file, the high scores, the intro's camera path,
// font data and enciphered records.
#include "core/crypt_stream.h"
#include "core/streams.h"
#include "game/camera_path.h"
#include "game/progress.h"
#include "game/score_table.h"
#include "render/environment.h"
#include "render/font.h"
#include "render/render.h"
#include "render/shader.h"
#include "render/skel_mesh.h"
#include "tests/common/world_harness.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/fuzz_target.h"
#include "world/level_file.h"
#include "world/level_start.h"
#include "world/racket.h"
#include "world/world_session.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// The content a level needs that no level changes (shaders, meshes), read
// once; it goes at exit, before the registries holding it. Those are
// statics made on first use, so they are all made (by releasing nothing)
// before the release is registered.
void loadContentOnce()
{
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    fuzz::needContent({"data", "mesh", "textures"});
    releaseRunAssets();
    gSkelMeshes(); // a skinned mesh leaves this list too when it goes
    std::atexit([] { releaseRunAssets(); });
    loadShaders("data\\shaders.yml");
    loadShaders("data\\shaders_env.yml");
    loadShaders("data\\shaders_blocks.yml");
}

// The world as the game sets it up before the first level, and taken down
// as the game takes it down: a new one for every input, so an input does
// the same whatever ran before it.
class World {
public:
    World()
    {
        loadContentOnce();
        mSession = std::make_unique<YWorldSession>(nullptr);
        gEnvironment().load("");
    }

private:
    std::unique_ptr<YWorldSession> mSession;
};

} // namespace

// A level as a player would get it: the game starts it (read, blocks built,
// linked, weighed, split, bonuses dealt) and plays a few frames. The editor
// must be able to save what it read and read back the same.
TARVELIN_FUZZ_TARGET(level)
{
    World world;
    const std::string name = fuzz::writeInput("levels/fuzz", data, size);
    YLevelFile level;
    if (loadLevelFile(name, level)) {
        OutMemStream out;
        YLevelFile again;
        if (!writeLevelFile(out, level))
            fail("a level that was read cannot be written back");
        InMemStream in(out.data());
        if (!readLevelFile(in, again) || again != level)
            fail("a level written back reads differently");
    }
    loadLevelBlocks("levels\\fuzz");
    gRacket->startLevel();
    harness::PlayFrame play;
    for (int i = 0; i < 3; ++i)
        play.run(0.03f);
}

// The progress file: read at start-up, written at each level reached.
TARVELIN_FUZZ_TARGET(progress)
{
    const std::string name = fuzz::writeInput("ol.dat", data, size);
    const int32_t level = readProgress(name);
    if (level < 0)
        fail("progress below the first level");
    const int32_t next = level < INT32_MAX ? level + 1 : 0;
    if (!writeProgress(next, YMatrix(), YMatrix(), name) || readProgress(name) != next)
        fail("progress written is not read back");
}

// The high scores: read at start-up, a score entered and named (which
// saves the table), and the saved table read back the same.
TARVELIN_FUZZ_TARGET(scores)
{
    const std::string name = fuzz::writeInput(YScoreTable::FILE_NAME, data, size);
    YScoreTable table;
    table.load(name);
    if (table.insert(12345))
        table.setPendingName("Fuzz");
    else if (!table.save())
        fail("the high scores cannot be saved");
    YScoreTable again;
    again.load(name);
    bool same = again.count() == table.count();
    for (int32_t row = 0; same && row < table.count(); ++row)
        same = again.entry(row).name == table.entry(row).name && again.entry(row).score == table.entry(row).score;
    if (!same)
        fail("saved high scores read back differently");
}

// The camera path of the intro flight: read at start-up, then flown from
// before its start to past its end; every pose the flight gives is a place
// a camera can be. Written out again, it reads back the same.
TARVELIN_FUZZ_TARGET(camera_path)
{
    std::vector<YCameraPathRecord> path;
    std::string problem;
    parseCameraPath(std::string(reinterpret_cast<const char*>(data), size), path, problem);
    if (path.empty())
        return;
    const float duration = cameraPathDuration(path);
    for (float t = -1.0f; t < duration + 1.0f; t += 0.37f) {
        const YCameraPathRecord pose = cameraPathPose(path, t);
        const float values[] = {pose.eye.x, pose.eye.y, pose.eye.z, pose.target.x, pose.target.y, pose.target.z};
        for (float v : values)
            if (!std::isfinite(v))
                fail("the flight gives a camera pose that is not a place");
        if (!(pose.fov > 0.0f && pose.fov < 180.0f))
            fail("the flight gives a field of view that is not one");
    }
    std::vector<YCameraPathRecord> again;
    if (!parseCameraPath(formatCameraPath(path), again, problem) || again.size() != path.size())
        fail("a camera path written out does not read back");
}

// Font data: every character measured and drawn.
TARVELIN_FUZZ_TARGET(font)
{
    const std::string name = fuzz::writeInput("fuzz.fnt", data, size);
    YFont font("fuzz");
    font.shader = getShader("fuzz");
    font.loadData(name);
    char text[256];
    for (int i = 1; i < 256; ++i)
        text[i - 1] = static_cast<char>(i);
    text[255] = '\0';
    font.textWidth(text);
    font.drawText(10, 20, 16, text);
    font.drawText(0, 0, -1e30f, text);
}

// Records behind an enciphered stream, read as a reader of an enciphered
// file would: a plain header, then counted records of texts and numbers.
TARVELIN_FUZZ_TARGET(cipher)
{
    InMemStream plain(data, size);
    uint32_t header = 0;
    plain.readValue(header);
    InCryptStream in(plain, "Tarvelin");
    int32_t count = 0;
    if (!in.readValue(count) || !in.fits(count, 6))
        return;
    for (int32_t i = 0; i < count && in.good(); ++i) {
        std::string name;
        int32_t value = 0;
        char shortName[16];
        in.readString(name);
        in.readValue(value);
        in.readString(shortName, sizeof(shortName));
        in.skip(value & 7);
    }
}
