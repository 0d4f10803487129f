// The editor's console commands and variables: what is placed, the table,
// the cell size, the settings, and loading and saving level files.
#include "core/init.h"
#include "editor/editor_framework.h"
#include "render/environment.h"
#include "world/block.h"
#include "world/block_material.h"
#include "world/table.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

enum Command { CMD_EXIT, CMD_CLEAR, CMD_NEW, CMD_DEL, CMD_RELOAD, CMD_SAV };
enum Variable {
    VAR_FPS,
    VAR_FULLSCREEN,
    VAR_VIDEO_MODE,
    VAR_SHADOWS,
    VAR_TABLE,
    VAR_CELL,
    VAR_MODE,
    VAR_MATERIAL,
    VAR_GLUE,
    VAR_BONUS,
    VAR_BONUS_COUNT,
    VAR_CENTER,
    VAR_LOAD,
    VAR_SAVE,
    VAR_TABLE_MAT,
    VAR_ENV,
};

// Splits the text at each letter x into n numbers read like atof (a
// missing or malformed one reads as 0; parts beyond n are ignored). False
// when one is not finite.
bool parseJoined(const std::string& text, int n, float* out)
{
    size_t from = 0;
    for (int i = 0; i < n; ++i) {
        std::string part;
        if (from <= text.size()) {
            size_t at = std::min(text.find('x', from), text.size());
            part = text.substr(from, at - from);
            from = at + 1;
        }
        out[i] = static_cast<float>(std::atof(part.c_str()));
        if (!std::isfinite(out[i]))
            return false;
    }
    return true;
}

std::string joined(const float* values, int n)
{
    std::string text;
    for (int i = 0; i < n; ++i)
        text += (i ? "x" : "") + floatToString(values[i]);
    return text;
}

// The text as a whole number, held within [lo, hi] (atoi's reading, without
// its overflow).
int64_t clampedInt(const std::string& text, int64_t lo, int64_t hi)
{
    long long v = std::strtoll(text.c_str(), nullptr, 10);
    return std::clamp<int64_t>(v, lo, hi);
}

} // namespace

void EditorFramework::registerConsoleNames()
{
    YConsole& c = *mConsole;
    c.addCommand("exit", CMD_EXIT);
    c.addCommand("clear", CMD_CLEAR);
    c.addCommand("new", CMD_NEW);
    c.addCommand("n", CMD_NEW);
    c.addCommand("del", CMD_DEL);
    c.addCommand("d", CMD_DEL);
    c.addCommand("reload", CMD_RELOAD);
    c.addCommand("sav", CMD_SAV);

    c.addVariable("fps", VAR_FPS);
    c.addVariable("fullscreen", VAR_FULLSCREEN);
    c.addVariable("video_mode", VAR_VIDEO_MODE);
    c.addVariable("shadows", VAR_SHADOWS);
    c.addVariable("table", VAR_TABLE);
    c.addVariable("cell", VAR_CELL);
    c.addVariable("mode", VAR_MODE);
    c.addVariable("material", VAR_MATERIAL);
    c.addVariable("mat", VAR_MATERIAL);
    c.addVariable("m", VAR_MATERIAL);
    c.addVariable("glue", VAR_GLUE);
    c.addVariable("g", VAR_GLUE);
    c.addVariable("bonus", VAR_BONUS);
    c.addVariable("b", VAR_BONUS);
    c.addVariable("bonuscount", VAR_BONUS_COUNT);
    c.addVariable("bc", VAR_BONUS_COUNT);
    c.addVariable("center", VAR_CENTER);
    c.addVariable("load", VAR_LOAD);
    c.addVariable("save", VAR_SAVE);
    c.addVariable("table_mat", VAR_TABLE_MAT);
    c.addVariable("tm", VAR_TABLE_MAT);
    c.addVariable("env", VAR_ENV);
}

void EditorFramework::echo(const std::string& value)
{
    mConsole->print(mConsole->nameString() + "=" + value);
}

void EditorFramework::reply(const std::string& prefix, bool ok)
{
    mConsole->print(prefix + (ok ? " ok." : " fail."));
}

void EditorFramework::setTable(float width, float depth, const std::string& materialName)
{
    tableMaterial = materialName;
    if (gTable)
        gTable->setSize(width, depth, tableMaterial.c_str());
    sceneChanged = true;
}

void EditorFramework::onConsoleCommand(int id)
{
    const std::string& word = mConsole->nameString();
    switch (id) {
    case CMD_EXIT:
        reply(word, true);
        quit();
        break;
    case CMD_CLEAR:
        clearEditorLevel();
        break;
    case CMD_NEW:
    case CMD_DEL:
        mode = id == CMD_NEW ? EDIT_NEW : EDIT_DEL;
        reply(word + " mode=" + editModeName(mode), true);
        break;
    case CMD_RELOAD:
        reply(word, loadLevel(levelName));
        break;
    case CMD_SAV:
        reply(word, saveLevel(levelName));
        break;
    default:
        break;
    }
}

void EditorFramework::onConsoleVariable(int id)
{
    YConsole& c = *mConsole;
    const std::string& value = c.valueString();
    switch (id) {
    case VAR_FPS:
        gInit().fps = c.valueBool();
        echo(boolToString(gInit().fps));
        break;
    case VAR_FULLSCREEN:
        if (c.valueBool() != fullscreen)
            toggleFullscreen();
        echo(boolToString(fullscreen));
        break;
    case VAR_VIDEO_MODE:
        gInit().mode = value;
        destroyWindow();
        createWindow();
        echo(gInit().mode);
        break;
    case VAR_SHADOWS:
        gInit().shadows = c.valueBool();
        echo(boolToString(gInit().shadows));
        break;
    case VAR_TABLE: {
        float size[2];
        if (parseJoined(value, 2, size))
            setTable(std::clamp(size[0], MIN_TABLE, MAX_TABLE), std::clamp(size[1], MIN_TABLE, MAX_TABLE),
                     tableMaterial);
        const float now[2] = {gTable ? gTable->width() : 0.0f, gTable ? gTable->depth() : 0.0f};
        echo(joined(now, 2));
        break;
    }
    case VAR_CELL: {
        float size[3];
        if (parseJoined(value, 3, size)) {
            // Shapes are sized by the cell: they are made anew for the blocks.
            clearWorld();
            clearBlockShapes();
            gCellSize = YVec3(std::clamp(size[0], MIN_CELL, MAX_CELL), std::clamp(size[1], MIN_CELL, MAX_CELL),
                              std::clamp(size[2], MIN_CELL, MAX_CELL));
            rebuildEditorPreview();
        }
        const float now[3] = {gCellSize.x, gCellSize.y, gCellSize.z};
        echo(joined(now, 3));
        break;
    }
    case VAR_MODE: {
        int m = findEditMode(value);
        if (m >= 0)
            mode = m;
        echo(editModeName(mode));
        break;
    }
    case VAR_MATERIAL:
        if (findBlockMaterial(value))
            material = value;
        echo(material);
        break;
    case VAR_GLUE: {
        float g = c.valueFloat();
        if (std::isfinite(g))
            glue = std::max(g, MIN_GLUE);
        echo(floatToString(glue));
        break;
    }
    case VAR_BONUS:
        bonus = static_cast<int>(clampedInt(value, -1, static_cast<int64_t>(gEditorBonusCounts.size()) - 1));
        echo(std::to_string(bonus));
        break;
    case VAR_BONUS_COUNT:
        if (bonus >= 0)
            echo(std::to_string(setEditorBonusTotal(bonus, clampedInt(value, INT32_MIN, INT32_MAX))));
        break;
    case VAR_CENTER:
        center = c.valueBool();
        echo(boolToString(center));
        break;
    case VAR_LOAD: {
        // A failed load keeps the old name, so "sav" cannot overwrite the
        // file that failed to load.
        bool ok = loadLevel(value);
        if (ok)
            levelName = value;
        reply(c.nameString() + "=" + value, ok);
        break;
    }
    case VAR_SAVE: {
        bool ok = saveLevel(value);
        if (isLevelNameSafe(value))
            levelName = value;
        reply(c.nameString() + "=" + value, ok);
        break;
    }
    case VAR_TABLE_MAT:
        setTable(gTable ? gTable->width() : YTable::AUTHORED_SIZE, gTable ? gTable->depth() : YTable::AUTHORED_SIZE,
                 value);
        echo(tableMaterial);
        break;
    case VAR_ENV:
        environment = value;
        gEnvironment().load(environment);
        sceneChanged = true;
        echo(environment);
        break;
    default:
        break;
    }
}
