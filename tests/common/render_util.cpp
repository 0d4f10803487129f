#include "tests/common/render_util.h"

#include "render/camera.h"
#include "render/render.h"
#include "render/resource.h"
#include "tests/common/test_util.h"

#include <algorithm>
#include <cmath>

namespace testutil {

bool openOffscreen(int width, int height, std::unique_ptr<wnd::Window>& window, std::unique_ptr<Render_D3D>& render,
                   std::string* error)
{
    wnd::WindowDesc desc;
    desc.title = "Tarvelin";
    desc.width = width;
    desc.height = height;
    window = wnd::Window::create(desc, error);
    if (!window)
        return false;
    render = std::make_unique<Render_D3D>();
    std::vector<YDisplayMode> modes;
    render->enumerateModes(modes);
    if (!render->createDevice(*window, false, -1)) {
        if (error)
            *error = "the renderer's device was not created";
        return false;
    }
    return true;
}

bool captureShot(YRender& render, int width, int height, const std::string& file, const std::function<void()>& draw)
{
    if (!render.beginCapture(width, height))
        return false;
    draw();
    const bool saved = render.saveCapture(file.c_str());
    render.endCapture();
    if (saved)
        keepShot(file);
    return saved;
}

bool captureFrame(YRender& render, int width, int height, const std::string& file, const std::function<void()>& draw)
{
    return captureShot(render, width, height, file, [&] {
        render.beginFrame(true);
        draw();
        render.endFrame();
    });
}

void deleteRenderResources()
{
    for (YRenderResource* r : std::vector<YRenderResource*>(gRenderResources()))
        delete r;
}

void deleteRenderResourcesSince(const std::vector<YRenderResource*>& before)
{
    for (YRenderResource* r : std::vector<YRenderResource*>(gRenderResources())) {
        if (std::find(before.begin(), before.end(), r) == before.end())
            delete r;
    }
}

YMatrix lookAt(const YVec3& eye, const YVec3& target)
{
    YVec3 z = eye - target;
    z.normalize();
    YVec3 x = cross(YVec3(0, 0, 1), z);
    x.normalize();
    const YVec3 y = cross(z, x);
    const float m[16] = {x.x, y.x, z.x, 0, x.y,         y.y,         z.y,         0,
                         x.z, y.z, z.z, 0, -x.dot(eye), -y.dot(eye), -z.dot(eye), 1};
    return YMatrix(m);
}

namespace {

// Calls fn with each texel within r of where p lands, clamped to the picture.
template <class Fn>
void eachTexelAround(const img::Image& shot, const YVec3& p, int r, Fn fn)
{
    const YVec3 c = gCamera().view().transformPoint(p);
    const float f = 1.0f / std::tan(22.5f * 3.14159265f / 180.0f);
    const int px = static_cast<int>((c.x * f / -c.z + 1.0f) * 0.5f * shot.width);
    const int py = static_cast<int>((1.0f - c.y * f / -c.z) * 0.5f * shot.height);
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
            fn(shot.texel(std::min(std::max(px + dx, 0), shot.width - 1),
                          std::min(std::max(py + dy, 0), shot.height - 1)));
}

} // namespace

YVec3 colourAt(const img::Image& shot, const YVec3& p, int r)
{
    YVec3 sum;
    eachTexelAround(shot, p, r, [&](const uint8_t* t) { sum = sum + YVec3(t[0], t[1], t[2]); });
    return sum * (1.0f / static_cast<float>((2 * r + 1) * (2 * r + 1)));
}

float brightnessAt(const img::Image& shot, const YVec3& p, int r)
{
    float sum = 0;
    eachTexelAround(shot, p, r, [&](const uint8_t* t) { sum += static_cast<float>(t[0] + t[1] + t[2]); });
    return sum / static_cast<float>((2 * r + 1) * (2 * r + 1));
}

} // namespace testutil
