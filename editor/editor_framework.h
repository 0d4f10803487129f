#pragma once
#include "core/framework.h"
#include "editor/editor_items.h"
#include "render/camera.h"
#include "render/console.h"
#include "world/zdelete.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class YFont;
class YShader;
class YWorldSession;

// A line of text the editor shows over its view, in the 800 x 600 screen:
// x, the baseline y, the glyph height and the text.
struct YEditorStatusLine {
    float x = 0.0f, y = 0.0f, size = 12.0f;
    std::string text;
};

// The level editor: the table and the level's blocks seen from a camera
// turned with the mouse, a cell cursor moved with the keys, status lines,
// and a console that sets what is placed and loads and saves level files.
//
// The editor's world holds the physics world, the table and the bonus
// registry but no racket, and it is never live: its blocks are a still
// preview that is never swept, splintered or emptied of bonuses.
class EditorFramework : public YFramework, public YConsoleCommand {
public:
    explicit EditorFramework(const std::string& modulePath);
    ~EditorFramework() override;

    // Writes "config.yml" back, then ends the loop.
    void quit() override;
    bool renderFrame() override;
    void onSize(int width, int height) override;
    void onMouseMove(int x, int y) override;
    void onMouseWheel(int delta) override;
    void onMouseDown(int button, int x, int y) override;
    void onMouseUp(int button, int x, int y) override;
    void onKeyDown(int virtualKey) override;
    void onChar(int character) override;
    const uint32_t* getIcon(int& width, int& height) override;
    // The system's arrow: the editor draws no pointer of its own.
    bool getCursor() const override { return true; }

    // YConsoleCommand
    void onConsoleCommand(int id) override;
    void onConsoleVariable(int id) override;

    // "Level Editor", windowed at the configured size or full screen in the
    // configured mode.
    void createWindow();
    void toggleFullscreen();

    // Space: what the edit mode does at the cursor. True when the level
    // changed.
    bool applyMode();
    // The box the item under the cursor is looked for in: the cursor box
    // in mode "new", else its first cell.
    YCellBox cursorProbe() const;
    // Moves, resizes (Shift, modifier 1) or moves every item (Ctrl,
    // modifier 2) one cell along the axis nearest the direction.
    void moveCursor(const YVec3& direction, int modifier);

    // Reads "levels\" + name; false (nothing changed) when it cannot be
    // read.
    bool loadLevel(const std::string& name);
    // Writes "levels\" + name; false (the old file kept) when it failed.
    bool saveLevel(const std::string& name);

    // The lines drawn after the console, in drawing order.
    std::vector<YEditorStatusLine> statusLines() const;

    YConsole& console() { return *mConsole; }

    // Limits of the console values.
    static constexpr float MIN_TABLE = 10.0f, MAX_TABLE = 100.0f;
    static constexpr float MIN_CELL = 0.25f, MAX_CELL = 10.0f;
    static constexpr float MIN_GLUE = 1.0f;
    static constexpr float MIN_DISTANCE = 5.0f, MAX_DISTANCE = 90.0f;

    bool shiftHeld = false;
    bool ctrlHeld = false;
    YCellBox cursor;
    float glue = 35.0f;
    float cameraDistance = 30.0f;
    bool center = false;
    int mode = EDIT_NEW;
    std::string material = "default";
    std::string tableMaterial;
    std::string environment;
    std::string levelName;
    int bonus = 0;
    YArcball arcball;
    // Asks for the backdrop and the table to be drawn again into the frame
    // copy.
    bool sceneChanged = true;

private:
    void registerConsoleNames();
    void echo(const std::string& value);
    void reply(const std::string& prefix, bool ok);
    void setTable(float width, float depth, const std::string& materialName);
    // The 3D part of the frame.
    void drawScene(float dt);
    void drawGrid();
    void drawCursor(float dt);
    void drawLine(const YVec3& a, const YVec3& b);
    void drawWireBox(const YVec3& lo, const YVec3& hi);

    // The world is not live while the editor runs: declared before the world
    // so it is live again only once the world is gone.
    YWorldTearDown mStill;
    std::unique_ptr<YConsole> mConsole;
    std::unique_ptr<YWorldSession> mWorld;
    YFont* mSystemFont = nullptr;
    YShader* mLineShader = nullptr;
    bool mSkipChar = false; // the character of the last key is Space's or backquote's
    bool mDragging = false;
    bool mFirstFrame = true;
    uint32_t mLastFrameTime = 0;
    float mPulse = 0.0f; // 0..1, the cursor's colour pulse
};

// The live editor, or null.
extern EditorFramework* gEditor;
