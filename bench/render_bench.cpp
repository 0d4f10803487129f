// How many shader changes with a quad each the renderer manages per second,
// through the null renderer (the cost of the state cache alone) and through
// the real device on the machine's GL (software GL on a headless machine).
#include "platform/wnd/window.h"
#include "render/recording_render.h"
#include "render/render_d3d.h"
#include "render/shader.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

const float QUAD[28] = {0, 0, 0, 0, 0, 0, 0, 64, 0, 0, 1, 0, 1, 0, 64, 64, 0, 1, 1, 1, 1, 0, 64, 0, 0, 1, 0, 1};

// Eight shaders that differ in blending, depth and stage states, so every
// change sends a few states.
std::vector<YShader*> makeShaders()
{
    std::vector<YShader*> shaders;
    for (int i = 0; i < 8; ++i) {
        YShader* s = getShader("bench" + std::to_string(i));
        s->reset();
        s->renderStates[YRS_ALPHABLENDENABLE] = i & 1;
        s->renderStates[YRS_SRCBLEND] = (i & 1) ? 5 : 2;
        s->renderStates[YRS_DESTBLEND] = (i & 1) ? 6 : 1;
        s->renderStates[YRS_ZENABLE] = (i >> 1) & 1;
        s->material.emissive = YVec4(i / 8.0f, 0.5f, 1.0f - i / 8.0f, 1.0f);
        for (int k = 0; k <= (i % 3); ++k) {
            YShaderStage* stage = new YShaderStage();
            stage->states[YSS_COLOROP] = k == 0 ? 4 : 7;
            stage->states[YSS_ALPHAOP] = 2;
            s->stages.push_back(stage);
        }
        shaders.push_back(s);
    }
    return shaders;
}

void drawBatch(YRender& render, const std::vector<YShader*>& shaders, int quads)
{
    for (int i = 0; i < quads; ++i) {
        render.setShader(shaders[i % shaders.size()], true);
        render.drawQuadUV2(QUAD);
    }
}

void BM_NullRenderShaderAndQuad(benchmark::State& state)
{
    YNullRender render(4);
    std::vector<YShader*> shaders = makeShaders();
    for (auto _ : state) {
        render.beginFrame(true);
        drawBatch(render, shaders, 1000);
        render.endFrame();
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    clearShaders();
}
BENCHMARK(BM_NullRenderShaderAndQuad);

void BM_DeviceShaderAndQuad(benchmark::State& state)
{
    if (!std::getenv("DISPLAY"))
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
    wnd::WindowDesc desc;
    desc.title = "Tarvelin benchmark";
    desc.width = 256;
    desc.height = 256;
    std::string error;
    std::unique_ptr<wnd::Window> window = wnd::Window::create(desc, &error);
    if (!window) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::unique_ptr<Render_D3D> render(new Render_D3D());
    std::vector<YDisplayMode> modes;
    render->enumerateModes(modes);
    if (!render->createDevice(*window, false, -1)) {
        state.SkipWithError("no graphics device");
        return;
    }
    std::vector<YShader*> shaders = makeShaders();
    for (auto _ : state) {
        render->beginFrame(true);
        render->setOrtho2D(0, 0, 256, 256);
        drawBatch(*render, shaders, 1000);
        render->endFrame();
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    clearShaders();
    render.reset();
}
BENCHMARK(BM_DeviceShaderAndQuad)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
