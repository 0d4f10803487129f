// The editor's frame: the camera from the trackball, the table and the
// preview blocks, the cell grid, the cursor, then the console and the
// status lines.
#include "core/init.h"
#include "editor/editor_framework.h"
#include "platform/sys/clock.h"
#include "render/font.h"
#include "render/particles.h"
#include "render/render.h"
#include "render/shader.h"
#include "render/shadow_volume.h"
#include "world/block.h"
#include "world/block_update.h"
#include "world/table.h"
#include "world/world_session.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace {

// Depth range of the table, the blocks and the lines.
constexpr float NEAR_PLANE = 0.1f;
constexpr float FAR_PLANE = 1000.0f;
constexpr float GUIDE_HEIGHT = 100.0f;
// How far the cursor's box stands off its cells, in cells.
constexpr float WIRE_MARGIN = 0.03f;

const float RED[4] = {1.0f, 0.0f, 0.0f, 1.0f};

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* fmt, ...)
{
    char text[256];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof(text), fmt, args);
    va_end(args);
    return text;
}

} // namespace

bool EditorFramework::renderFrame()
{
    if (!gRender || !gRender->restoreDevice()) {
        mLastFrameTime = sys::timeGetTime();
        return false;
    }
    // The camera: back along the view axis by the distance, turned by the
    // trackball.
    float turn[16];
    arcball.getMatrix(turn);
    YMatrix rotation, back;
    std::copy(turn, turn + 16, rotation.m);
    back.makeTranslation(YVec3(0.0f, 0.0f, -cameraDistance));
    gCamera().setTransform(back * rotation);

    const uint32_t now = sys::timeGetTime();
    float dt = mFirstFrame ? 0.01f : static_cast<float>(now - mLastFrameTime) * 0.001f;
    dt = std::min(dt, 0.05f);
    mFirstFrame = false;
    mLastFrameTime = now;

    mConsole->update(dt);
    // Never live, so nothing here breaks, falls or hands out a bonus.
    updateAllBlocks(dt, false);
    gParticles().update(dt);

    drawScene(dt);

    const float pos[2] = {0, 0}, size[2] = {1, 1};
    gRender->setViewport(pos, size);
    gRender->setOrtho2D(0, 0, 800, 600);
    mConsole->draw();
    if (mSystemFont)
        for (const YEditorStatusLine& line : statusLines())
            mSystemFont->drawText(line.x, line.y, line.size, line.text.c_str());
    gRender->setShader(nullptr, false);
    gRender->endFrame();
    return true;
}

void EditorFramework::drawScene(float dt)
{
    const float aspect = getStretch();
    const float pos[2] = {0, 0}, size[2] = {1, 1};
    // The editor shows no shadows (the setting is the game's): what the
    // casters hand in is dropped every frame rather than piling up.
    gShadows().begin(YShadowVolume::PLAY_FLOOR);
    if (!gRender->hasFrameCopy()) {
        gRender->beginFrame(true);
        drawBackdrop(pos, size, aspect, YTable::DRAW_ALL, NEAR_PLANE, FAR_PLANE);
    } else {
        // The backdrop and the table change only when the view or the table
        // does: the copy keeps them in between.
        gRender->beginFrame(true);
        if (!sceneChanged && !gRender->frameCopyNeedsRefresh()) {
            gRender->setViewport(pos, size);
            gRender->drawFrameCopy();
        } else {
            sceneChanged = false;
            gRender->beginFrameCopy(true);
            drawBackdrop(pos, size, aspect, YTable::DRAW_MESH, NEAR_PLANE, FAR_PLANE);
            gRender->endFrameCopy();
            gRender->setViewport(pos, size);
        }
        gRender->setPerspective(gCamera().fov(), aspect, NEAR_PLANE, FAR_PLANE);
        gRender->setWorldMatrix(gCamera().view().m);
        if (gTable)
            gTable->draw(YTable::DRAW_ALL & ~YTable::DRAW_MESH);
    }
    drawGrid();
    drawCursor(dt);
    drawWorldQueues(false);
}

void EditorFramework::drawLine(const YVec3& a, const YVec3& b)
{
    const float points[6] = {a.x, a.y, a.z, b.x, b.y, b.z};
    gRender->drawLineStrip(points, 1);
}

void EditorFramework::drawWireBox(const YVec3& lo, const YVec3& hi)
{
    const float bottom[15] = {lo.x, lo.y, lo.z, hi.x, lo.y, lo.z, hi.x, hi.y, lo.z, lo.x, hi.y, lo.z, lo.x, lo.y, lo.z};
    const float top[15] = {lo.x, lo.y, hi.z, hi.x, lo.y, hi.z, hi.x, hi.y, hi.z, lo.x, hi.y, hi.z, lo.x, lo.y, hi.z};
    gRender->drawLineStrip(bottom, 4);
    gRender->drawLineStrip(top, 4);
    for (int k = 0; k < 4; ++k)
        drawLine(YVec3(bottom[k * 3], bottom[k * 3 + 1], lo.z), YVec3(bottom[k * 3], bottom[k * 3 + 1], hi.z));
}

void EditorFramework::drawGrid()
{
    if (!gTable)
        return;
    const float hw = gTable->halfWidth(), hd = gTable->halfDepth();
    gRender->setWorldMatrix(gCamera().view().m);
    gRender->setShader(mLineShader, true);
    for (float x = gCellSize.x; x < hw; x += gCellSize.x) {
        drawLine(YVec3(x, -hd, 0.0f), YVec3(x, hd, 0.0f));
        drawLine(YVec3(-x, -hd, 0.0f), YVec3(-x, hd, 0.0f));
    }
    for (float y = gCellSize.y; y < hd; y += gCellSize.y) {
        drawLine(YVec3(-hw, y, 0.0f), YVec3(hw, y, 0.0f));
        drawLine(YVec3(-hw, -y, 0.0f), YVec3(hw, -y, 0.0f));
    }
    // The middle lines and the line of the racket's reach at the near edge.
    gRender->setShaderColor(mLineShader, RED);
    drawLine(YVec3(-hw, 0.0f, 0.0f), YVec3(hw, 0.0f, 0.0f));
    drawLine(YVec3(-hw, 2.0f - hd, 0.0f), YVec3(hw, 2.0f - hd, 0.0f));
    drawLine(YVec3(0.0f, -hd, 0.0f), YVec3(0.0f, hd, 0.0f));
}

void EditorFramework::drawCursor(float dt)
{
    // The pulse runs from 0 up to 0.5 and back down.
    mPulse = std::fmod(mPulse + std::min(dt, 0.25f), 1.0f);
    const float p = mPulse < 0.5f ? mPulse : 1.0f - mPulse;
    const float scale = (p / 0.5f) * 0.25f + 0.75f;

    const int at = findEditorItem(cursorProbe());
    const bool canAct = mode == EDIT_NEW ? at < 0 : at >= 0;
    const float colour[4] = {canAct ? 0.0f : scale, canAct ? scale : 0.0f, 0.0f, 1.0f};
    gRender->setWorldMatrix(gCamera().view().m);
    gRender->setShaderColor(mLineShader, colour);

    // Mode "new" shows the cursor box, the others the item they act on.
    YCellBox box = cursor;
    if (mode != EDIT_NEW && at >= 0)
        box = cellBoxOf(gEditorItems[static_cast<size_t>(at)]);
    // The box stands a little off the cells it encloses, so the faces of
    // the block there do not hide its edges.
    const YVec3& c = gCellSize;
    const YVec3 off = c * WIRE_MARGIN;
    if (mode == EDIT_NEW || at >= 0)
        drawWireBox(YVec3(box.x * c.x, box.y * c.y, box.z * c.z) - off,
                    YVec3((box.x + box.w) * c.x, (box.y + box.h) * c.y, (box.z + box.d) * c.z) + off);

    const YVec3 mid((cursor.x + 0.5f) * c.x, (cursor.y + 0.5f) * c.y, (cursor.z + 0.5f) * c.z);
    const float hw = gTable ? gTable->halfWidth() : YTable::AUTHORED_SIZE * 0.5f;
    const float hd = gTable ? gTable->halfDepth() : YTable::AUTHORED_SIZE * 0.5f;
    drawLine(YVec3(-hw, mid.y, mid.z), YVec3(hw, mid.y, mid.z));
    drawLine(YVec3(mid.x, -hd, mid.z), YVec3(mid.x, hd, mid.z));
    drawLine(YVec3(mid.x, mid.y, 0.0f), YVec3(mid.x, mid.y, GUIDE_HEIGHT));
}

std::vector<YEditorStatusLine> EditorFramework::statusLines() const
{
    std::vector<YEditorStatusLine> lines;
    auto add = [&](float x, float y, std::string text) { lines.push_back({x, y, 12.0f, std::move(text)}); };
    if (gInit().fps)
        lines.push_back({0.0f, 32.0f, 32.0f, format("FPS=%0.1f", static_cast<double>(getFps()))});
    if (mConsole->isVisible())
        return lines;

    add(680, 70, levelName);
    add(680, 82, format("t=%0.2fx%0.2f", gTable ? gTable->width() : 0.0, gTable ? gTable->depth() : 0.0));
    add(680, 94, "tm=" + tableMaterial);
    add(680, 106, "env=" + environment);
    add(680, 118, format("c=%0.2fx%0.2fx%0.2f", gCellSize.x, gCellSize.y, gCellSize.z));
    add(720, 130, format("blocks=%d", static_cast<int>(gEditorItems.size())));
    add(720, 142, format("center=%d", center ? 1 : 0));
    for (size_t id = 0; id < gEditorBonusCounts.size(); ++id)
        add(720, 158.0f + 12.0f * static_cast<float>(id),
            format("b%d = %d/%d", static_cast<int>(id), gEditorBonusCounts[id].placed, gEditorBonusCounts[id].total));

    add(5, 70, std::string("mode=") + editModeName(mode));
    float y = 86.0f;
    switch (mode) {
    case EDIT_NEW:
        add(5, 86, format("[%dx%dx%d]", cursor.x, cursor.y, cursor.z));
        add(5, 98, format("size=%dx%dx%d", cursor.w, cursor.h, cursor.d));
        add(5, 110, "material=" + material);
        add(5, 122, format("glue=%0.1f", static_cast<double>(glue)));
        return lines;
    case EDIT_BONUS:
        add(5, 86, format("curBonus=%d", bonus));
        y = 102.0f;
        break;
    case EDIT_MAT:
        add(5, 86, "curMaterial=" + material);
        y = 102.0f;
        break;
    case EDIT_GLUE:
        add(5, 86, format("curGlue=%0.1f", static_cast<double>(glue)));
        y = 102.0f;
        break;
    default:
        break;
    }
    const int at = findEditorItem(cursorProbe());
    if (at >= 0) {
        const YLevelItem& item = gEditorItems[static_cast<size_t>(at)];
        add(5, y, format("[%dx%dx%d]", item.x, item.y, item.z));
        add(5, y + 12, format("size=%dx%dx%d", item.w, item.h, item.d));
        add(5, y + 24, "material=" + item.material);
        add(5, y + 36, format("glue=%0.1f", static_cast<double>(item.glue)));
        add(5, y + 48, format("bonus=%d", item.bonus));
    }
    return lines;
}
