#pragma once
// Test helpers on the renderer: the real device on an offscreen window,
// pictures captured from it, the render resources a test leaves behind, and
// where a world point lands in a picture.
#include "core/math.h"
#include "platform/img/image.h"
#include "platform/wnd/window.h"
#include "render/render_d3d.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class YRender;
class YRenderResource;

namespace testutil {

// A window of width x height on the offscreen driver and the real renderer
// (software GL) on it. False, with the reason in error, when either cannot
// be made.
bool openOffscreen(int width, int height, std::unique_ptr<wnd::Window>& window, std::unique_ptr<Render_D3D>& render,
                   std::string* error);

// The same, owned together: the renderer goes before its window.
struct OffscreenDevice {
    bool open(int width, int height, std::string* error) { return openOffscreen(width, height, window, render, error); }

    std::unique_ptr<wnd::Window> window;
    std::unique_ptr<Render_D3D> render;
};

// Runs draw (which draws whole frames itself) into an offscreen picture of
// width x height, saves it as a BMP file and keeps a copy (keepShot). False
// when the capture could not begin or the file was not written.
bool captureShot(YRender& render, int width, int height, const std::string& file, const std::function<void()>& draw);

// One frame, cleared, around draw, captured as captureShot does.
bool captureFrame(YRender& render, int width, int height, const std::string& file, const std::function<void()>& draw);

// Deletes every render resource there is (textures, buffers, ...).
void deleteRenderResources();
// Deletes those that are not in before, an earlier copy of
// gRenderResources().
void deleteRenderResourcesSince(const std::vector<YRenderResource*>& before);

// A right-handed view from the eye towards the target, z up.
YMatrix lookAt(const YVec3& eye, const YVec3& target);

// Mean colour (0..255 per channel) of the pixels within r of where a world
// point lands in a square picture seen by gCamera() with a field of view of
// 45 degrees (rows from the top).
YVec3 colourAt(const img::Image& shot, const YVec3& p, int r = 2);
// Mean brightness (0..765) of the same pixels.
float brightnessAt(const img::Image& shot, const YVec3& p, int r = 2);

} // namespace testutil
