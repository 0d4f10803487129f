#include "editor/editor_framework.h"

#include "core/init.h"
#include "core/log.h"
#include "core/program_icon.h"
#include "platform/sys/paths.h"
#include "platform/wnd/keys.h"
#include "render/environment.h"
#include "render/font.h"
#include "render/render.h"
#include "render/render_start.h"
#include "render/shader.h"
#include "world/block.h"
#include "world/block_material.h"
#include "world/table.h"
#include "world/world_session.h"

#include <algorithm>

EditorFramework* gEditor = nullptr;

namespace {
const char* const WINDOW_TITLE = "Level Editor";
} // namespace

EditorFramework::EditorFramework(const std::string&)
{
    gFramework = this;
    gEditor = this;
    // A second editor starts on an empty level, whatever the first left.
    gEditorItems.clear();
    gEditorBonusCounts.clear();

    mConsole = std::make_unique<YConsole>(this);
    mConsole->setHeight(600.0f);
    mConsole->setRestHeight(45.0f);
    registerConsoleNames();

    startRendering();
    mSystemFont = getFont("sysfont");
    mLineShader = getShader("edit_line");
    YLog::writef("Initialization...%s", "");
    gInit().load("config.yml");

    // The table, its materials, the block materials and the bonus registry;
    // no racket and no hero.
    mWorld = std::make_unique<YWorldSession>(nullptr, nullptr, false);
    resetEditorBonusCounts();
    if (!gBlockMaterials.empty())
        material = gBlockMaterials.front()->name;
    gEnvironment().load(environment);

    fullscreen = gInit().fullscreen;
    createWindow();
}

EditorFramework::~EditorFramework()
{
    // The console stops taking the log before the fonts go; the world goes
    // silently, then the assets of the run while the renderer still exists.
    mConsole.reset();
    mWorld.reset();
    gEditorItems.clear();
    gEditorBonusCounts.clear();
    releaseRunAssets();
    delete gRender;
    destroyWindow();
    if (gEditor == this)
        gEditor = nullptr;
}

void EditorFramework::quit()
{
    gInit().save();
    YFramework::quit();
}

void EditorFramework::createWindow()
{
    createConfiguredWindow(WINDOW_TITLE);
    sceneChanged = true;
}

void EditorFramework::toggleFullscreen()
{
    setFullscreen(!fullscreen, WINDOW_TITLE);
    sceneChanged = true;
}

const uint32_t* EditorFramework::getIcon(int& width, int& height)
{
    return programIcon(width, height);
}

void EditorFramework::onSize(int width, int height)
{
    rememberWindowSize(width, height);
    arcball.setWindowSize(width, height);
    sceneChanged = true;
}

void EditorFramework::onMouseMove(int x, int y)
{
    if (!mDragging)
        return;
    arcball.drag(x, y);
    sceneChanged = true;
}

void EditorFramework::onMouseWheel(int delta)
{
    cameraDistance = std::clamp(cameraDistance + static_cast<float>(delta) * 0.01f, MIN_DISTANCE, MAX_DISTANCE);
    sceneChanged = true;
}

void EditorFramework::onMouseDown(int, int x, int y)
{
    arcball.beginDrag(x, y);
    mDragging = true;
}

void EditorFramework::onMouseUp(int, int x, int y)
{
    arcball.endDrag(x, y);
    mDragging = false;
    sceneChanged = true;
}

void EditorFramework::onKeyDown(int key)
{
    // The modifiers as they are now: nothing sticks after a key-up.
    shiftHeld = keys[vk::SHIFT] != 0;
    ctrlHeld = keys[vk::CONTROL] != 0;
    const int modifier = shiftHeld ? 1 : ctrlHeld ? 2 : 0;
    mSkipChar = key == vk::SPACE || key == vk::OEM_3;
    const YCamera& camera = gCamera();
    const bool consoleShown = mConsole->isVisible();

    switch (key) {
    case vk::SPACE:
        applyMode();
        break;
    case vk::PRIOR:
        if (consoleShown)
            mConsole->scrollPage(true);
        else
            moveCursor(camera.axisZ(), modifier);
        break;
    case vk::NEXT:
        if (consoleShown)
            mConsole->scrollPage(false);
        else
            moveCursor(-camera.axisZ(), modifier);
        break;
    case vk::LEFT:
        moveCursor(-camera.axisX(), modifier);
        break;
    case vk::RIGHT:
        moveCursor(camera.axisX(), modifier);
        break;
    case vk::UP:
        moveCursor(camera.axisY(), modifier);
        break;
    case vk::DOWN:
        moveCursor(-camera.axisY(), modifier);
        break;
    case vk::F5:
        loadShaderFiles();
        sceneChanged = true;
        break;
    case vk::F8:
        toggleFullscreen();
        break;
    case vk::F10:
        quit();
        break;
    case vk::OEM_3:
        mConsole->setVisible(!consoleShown);
        break;
    default:
        break;
    }
}

void EditorFramework::onChar(int character)
{
    // Space and backquote act as keys and are never typed.
    if (mSkipChar) {
        mSkipChar = false;
        return;
    }
    mConsole->onChar(character);
}

YCellBox EditorFramework::cursorProbe() const
{
    YCellBox probe = cursor;
    if (mode != EDIT_NEW)
        probe.w = probe.h = probe.d = 1;
    return probe;
}

bool EditorFramework::applyMode()
{
    const int at = findEditorItem(cursorProbe());
    if (mode == EDIT_NEW) {
        if (at >= 0)
            return false;
        if (!editorItemFits(cursor)) {
            YLog::writef("No block placed: the level would span more than %lld cells",
                         static_cast<long long>(YLevelFile::MAX_GRID_CELLS));
            return false;
        }
        YLevelItem item;
        item.x = cursor.x, item.y = cursor.y, item.z = cursor.z;
        item.w = cursor.w, item.h = cursor.h, item.d = cursor.d;
        item.bonus = -1;
        item.glue = glue;
        item.material = material;
        gEditorItems.push_back(item);
    } else {
        if (at < 0)
            return false;
        YLevelItem& item = gEditorItems[static_cast<size_t>(at)];
        switch (mode) {
        case EDIT_DEL:
            item = gEditorItems.back();
            gEditorItems.pop_back();
            break;
        case EDIT_BONUS:
            item.bonus = bonus;
            break;
        case EDIT_MAT:
            item.material = material;
            break;
        case EDIT_GLUE:
            item.glue = glue;
            break;
        default:
            return false;
        }
    }
    recountEditorBonuses();
    rebuildEditorPreview();
    return true;
}

void EditorFramework::moveCursor(const YVec3& direction, int modifier)
{
    int32_t step[3];
    snapToAxis(direction, step);
    if (modifier == 1) {
        resizeCursor(cursor, step);
    } else if (modifier == 2) {
        if (moveEditorItems(step))
            rebuildEditorPreview();
    } else {
        cursor.x += step[0];
        cursor.y += step[1];
        cursor.z += step[2];
        keepCursorInBounds(cursor);
    }
}

bool EditorFramework::loadLevel(const std::string& name)
{
    // Every item is kept, whatever its material: an unknown one is not shown
    // but survives a save.
    YLevelFile level;
    if (!isLevelNameSafe(name) || !loadLevelFile(std::string(gLevelDir) + name, level))
        return false;
    clearEditorLevel();
    clearBlockShapes();
    gCellSize = level.cellSize;
    tableMaterial = level.tableMaterial;
    if (gTable)
        gTable->setSize(level.tableWidth, level.tableDepth, tableMaterial.c_str());
    environment = level.environment;
    gEnvironment().load(environment);
    center = level.center;
    for (size_t id = 0; id < gEditorBonusCounts.size() && id < level.bonusCounts.size(); ++id)
        gEditorBonusCounts[id].total = level.bonusCounts[id];
    gEditorItems = std::move(level.items);
    recountEditorBonuses();
    rebuildEditorPreview();
    sceneChanged = true;
    return true;
}

bool EditorFramework::saveLevel(const std::string& name)
{
    if (!isLevelNameSafe(name))
        return false;
    YLevelFile level;
    level.cellSize = gCellSize;
    if (gTable) {
        level.tableWidth = gTable->width();
        level.tableDepth = gTable->depth();
    }
    level.tableMaterial = tableMaterial;
    level.environment = environment;
    level.center = center;
    for (size_t id = 0; id < gEditorBonusCounts.size() && id < level.bonusCounts.size(); ++id)
        level.bonusCounts[id] = gEditorBonusCounts[id].total;
    level.items = gEditorItems;
    sys::makeDirectories("levels");
    return saveLevelFile(std::string(gLevelDir) + name, level);
}
