// How long a frame of play takes on the heaviest generated level (the one
// with the most items), the bot at the racket, split into the physics step,
// the world's update and the drawing, each frame timed on its own: once
// through the null renderer (the cost of the drawing code alone) and once
// through the real renderer on GL at 800 x 600 (software GL on a headless
// machine), each with stencil shadows off and on. Prints the median and the
// 95th percentile of each part and the CPU milliseconds per frame of the
// whole process (every thread, the software rasteriser's included), which a
// loaded machine disturbs far less than the wall clock. A run through the
// frame census counts what the frames ask of the rasteriser: draws,
// fragment-state changes and covered pixels per shader.
//
//   scene_bench [--frames N] [--dt SECONDS] [--level NAME] [--shadows off|on|both]
//               [--no-gl | --gl-only]
//
// The frame is the game's (the harness of the world tests). Every frame of
// 0.025 s makes one solver step, so the physics column is the step's cost;
// the game at 100 frames a second steps in two frames of five.
#include "bench/frame_census.h"
#include "core/init.h"
#include "core/log.h"
#include "platform/sys/paths.h"
#include "platform/wnd/window.h"
#include "render/recording_render.h"
#include "render/render_d3d.h"
#include "tests/common/test_util.h"
#include "tests/common/world_harness.h"
#include "world/block.h"
#include "world/physics_world.h"
#include "world/racket.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Settings {
    int frames = 1500;
    int warmUp = 50;
    float dt = YPhysicsWorld::STEP_TIME;
    std::string level; // empty: the one with the most items
    std::vector<bool> shadows = {false, true};
    bool gl = true, census = true, null = true;
};

struct Run {
    std::string renderer;
    std::vector<harness::FrameTimes> frames;
    size_t itemsAtStart = 0, itemsLeft = 0;
    double blocks = 0.0; // mean block objects over the timed frames
    int livesLost = 0;
    double cpuMs = 0.0; // process CPU time per timed frame
    std::string nonFinite;
};

// The n-th percentile (nearest rank) in milliseconds.
double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    size_t rank = static_cast<size_t>(p / 100.0 * static_cast<double>(values.size()) + 0.5);
    rank = std::min(std::max<size_t>(rank, 1), values.size());
    return values[rank - 1] * 1000.0;
}

Run play(const Settings& settings, const std::string& renderer, bool shadows)
{
    Run run;
    run.renderer = renderer + (shadows ? "+sh" : "");
    gInit().shadows = shadows;
    harness::WorldHarness world;
    if (!world.loadLevel(settings.level))
        throw std::runtime_error("level " + settings.level + " does not read");
    world.bot().aimSpread = 0.5f;
    world.play().aspect = 800.0f / 600.0f;
    world.newGame();
    run.itemsAtStart = world.itemsAtStart();
    world.run(settings.warmUp, settings.dt);
    run.frames.reserve(static_cast<size_t>(settings.frames));
    const std::clock_t cpuStart = std::clock();
    for (int i = 0; i < settings.frames; ++i) {
        world.frame(settings.dt);
        run.frames.push_back(world.play().times());
        run.blocks += static_cast<double>(gBlocks.size());
    }
    run.cpuMs = static_cast<double>(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC / std::max(settings.frames, 1);
    run.blocks /= std::max(settings.frames, 1);
    run.itemsLeft = world.itemsLeft();
    run.livesLost = world.count(harness::HarnessEvent::LIVES);
    run.nonFinite = harness::firstNonFinite();
    return run;
}

Run playWithNullRenderer(const Settings& settings, bool shadows)
{
    YNullRender render;
    return play(settings, "null", shadows);
}

// The census draws nothing: its figures are the frames' demands, the same on
// every machine.
void playThroughCensus(const Settings& settings, bool shadows)
{
    YFrameCensus census(800, 600);
    play(settings, "census", shadows);
    const YFrameCensus::Totals& t = census.totals();
    const double frames = std::max(t.frames, 1.0), screen = census.width() * census.height();
    const char* name = shadows ? "census+sh" : "census";
    std::printf("%-9s %.1f draws, %.1f fragment-state changes, %.2f screens of pixels per frame\n", name,
                t.draws / frames, t.stateChanges / frames, t.pixels / frames / screen);
    std::vector<std::pair<std::string, YFrameCensus::ShaderCount>> shaders(t.shaders.begin(), t.shaders.end());
    std::sort(shaders.begin(), shaders.end(),
              [](const auto& a, const auto& b) { return a.second.pixels > b.second.pixels; });
    std::printf("%-9s %-18s %8s %10s %8s %s\n", name, "shader", "draws", "triangles", "screens", "blended");
    for (const auto& [shader, c] : shaders)
        std::printf("%-9s %-18s %8.1f %10.1f %8.3f %s\n", name, shader.c_str(), c.draws / frames, c.triangles / frames,
                    c.pixels / frames / screen, c.blended ? "yes" : "");
}

Run playOnGL(const Settings& settings, bool shadows)
{
    wnd::WindowDesc desc;
    desc.title = "Tarvelin scene benchmark";
    desc.width = 800;
    desc.height = 600;
    std::string error;
    std::unique_ptr<wnd::Window> window = wnd::Window::create(desc, &error);
    if (!window)
        throw std::runtime_error("no window: " + error);
    Run run;
    {
        Render_D3D render;
        std::vector<YDisplayMode> modes;
        render.enumerateModes(modes);
        if (!render.createDevice(*window, false, -1))
            throw std::runtime_error("no graphics device");
        run = play(settings, "GL", shadows);
    }
    window.reset();
    return run;
}

void print(const Run& run)
{
    std::vector<double> physics, world, draw, total;
    for (const harness::FrameTimes& t : run.frames) {
        physics.push_back(t.physics);
        world.push_back(t.world);
        draw.push_back(t.draw);
        total.push_back(t.physics + t.world + t.draw);
    }
    const struct {
        const char* name;
        const std::vector<double>* values;
    } parts[] = {{"physics", &physics}, {"world", &world}, {"draw", &draw}, {"frame", &total}};
    for (const auto& part : parts)
        std::printf("%-8s %-8s %10.3f %10.3f\n", run.renderer.c_str(), part.name, percentile(*part.values, 50.0),
                    percentile(*part.values, 95.0));
    std::printf("%-8s CPU ms per frame %.3f (process, all threads)\n", run.renderer.c_str(), run.cpuMs);
    std::printf("%-8s items %zu -> %zu, %.0f block objects on average, %d lives lost%s%s\n", run.renderer.c_str(),
                run.itemsAtStart, run.itemsLeft, run.blocks, run.livesLost,
                run.nonFinite.empty() ? "" : ", NOT FINITE: ", run.nonFinite.c_str());
}

bool parse(int argc, char** argv, Settings& settings)
{
    for (int i = 1; i < argc; ++i) {
        const bool more = i + 1 < argc;
        if (!std::strcmp(argv[i], "--frames") && more)
            settings.frames = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--dt") && more)
            settings.dt = static_cast<float>(std::atof(argv[++i]));
        else if (!std::strcmp(argv[i], "--level") && more)
            settings.level = argv[++i];
        else if (!std::strcmp(argv[i], "--shadows") && more) {
            const std::string which = argv[++i];
            if (which == "both")
                settings.shadows = {false, true};
            else if (which == "on" || which == "off")
                settings.shadows = {which == "on"};
            else
                return false;
        }
        else if (!std::strcmp(argv[i], "--no-gl"))
            settings.gl = false;
        else if (!std::strcmp(argv[i], "--gl-only"))
            settings.null = settings.census = false;
        else
            return false;
    }
    return settings.dt > 0.0f && settings.dt <= 0.05f;
}

// The runs asked for, in the folder dir (the current one).
int runAll(Settings& settings, const std::string& dir)
{
    YLog::setFileName((dir + "/log.txt").c_str());
    if (!testutil::copyFromGame("levels")) {
        std::fprintf(stderr, "no levels: build the game content first\n");
        return 1;
    }
    if (settings.level.empty()) {
        size_t most = 0;
        for (const std::string& name : harness::WorldHarness::levelNames()) {
            const size_t items = harness::WorldHarness::levelItemCount(name);
            if (items > most) {
                most = items;
                settings.level = name;
            }
        }
    }
    std::printf("scene_bench: level %s (%zu items), %d frames of %.3f s after %d, bot at the racket\n",
                settings.level.c_str(), harness::WorldHarness::levelItemCount(settings.level), settings.frames,
                static_cast<double>(settings.dt), settings.warmUp);
    std::printf("%-8s %-8s %10s %10s\n", "render", "part", "median ms", "p95 ms");
    try {
        for (bool shadows : settings.shadows)
            if (settings.null)
                print(playWithNullRenderer(settings, shadows));
        for (bool shadows : settings.shadows)
            if (settings.census)
                playThroughCensus(settings, shadows);
        for (bool shadows : settings.shadows)
            if (settings.gl)
                print(playOnGL(settings, shadows));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "scene_bench: %s\n", e.what());
        return 1;
    }
    wnd::shutdownVideo();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    Settings settings;
    if (!parse(argc, argv, settings)) {
        std::fprintf(stderr, "usage: %s [--frames N] [--dt SECONDS (0..0.05)] [--level NAME] [--shadows off|on|both] [--no-gl | --gl-only]\n", argv[0]);
        return 2;
    }
    // Headless, silent, and in a folder of its own with a copy of the content.
    // The folder is made for this run and removed after it: a mesh's cache
    // left by an earlier build would be read instead of the mesh, and two
    // runs at once would write each other's caches.
    const std::string dir = testutil::makeHeadlessRunFolder("tarvelin_scene_bench");
    if (dir.empty() || !sys::changeDirectory(dir)) {
        std::fprintf(stderr, "cannot work in a folder of its own under TMPDIR or /tmp\n");
        return 1;
    }
    const int status = runAll(settings, dir);
    sys::changeDirectory("/");
    testutil::removeRunFolder(dir);
    return status;
}
