#pragma once
#include "core/log.h"

#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class YFont;
class YShader;

// What a console's owner carries out. The console only parses: a named
// command or an assigned variable arrives here by id, with its argument or
// new value in the console's value string (YConsole::valueString & co.).
class YConsoleCommand {
public:
    virtual ~YConsoleCommand() = default;
    virtual void onConsoleCommand(int id) = 0;
    virtual void onConsoleVariable(int id) = 0;
};

// The drop-down text console drawn over the game and the editor: an output
// list fed by the log and by the owner's echoes, and an input line of
// statements ("name", "name argument", "name=value", several per line).
// It draws in the 800 x 600 frame (y down) with the font "sysfont" over the
// shader "console".
//
// While it exists it is the log's sink and the current console (gConsole).
// The output list belongs to the thread that made the console: text printed
// from other threads (sound streaming, music) waits in a locked list until
// update() moves it in.
class YConsole : public YLogSink {
public:
    explicit YConsole(YConsoleCommand* owner);
    ~YConsole() override;
    YConsole(const YConsole&) = delete;
    YConsole& operator=(const YConsole&) = delete;

    // Moves in text printed by other threads, slides towards the open or
    // rest height and blinks the cursor.
    void update(float dt);
    // Background, input line and output; nothing while the height is 0 or
    // without a renderer.
    void draw();
    // Appends text to the output: each piece before a '\n' is a line and the
    // rest after the last one (possibly empty) one more. Shows the newest
    // line. Safe from any thread.
    void print(const char* text) override;
    void print(const std::string& text) { print(text.c_str()); }
    // Moves the shown part one page towards the oldest (up) or the newest.
    void scrollPage(bool up);
    // Character input: 8 removes the last character, 13 executes the line,
    // others with a width in the console font are typed in while the line
    // stays within LINE_WIDTH.
    void onChar(int c);
    // Runs the statements of the input line, then empties it.
    void execute();

    // Several names may share one id.
    void addCommand(const std::string& name, int id) { mCommands[name] = id; }
    void addVariable(const std::string& name, int id) { mVariables[name] = id; }

    // The value string of the statement being executed.
    float valueFloat() const;
    int valueInt() const;
    // "true"/"1" and "false"/"0"; anything else is reported and is false.
    bool valueBool();
    const std::string& valueString() const { return mValue; }
    // The name of the statement being executed.
    const std::string& nameString() const { return mName; }

    // The owner shows (slides down) and hides (slides up) the console.
    void setVisible(bool visible) { mVisible = visible; }
    bool isVisible() const { return mVisible; }
    float height() const { return mHeight; }
    void setHeight(float height) { mHeight = height; }
    float restHeight() const { return mRestHeight; }
    void setRestHeight(float height) { mRestHeight = height; }
    bool cursorShown() const { return mCursorShown; }

    // Index of the bottom line shown; -1 is the newest line.
    int scrollPosition() const { return mScroll; }
    const std::deque<std::string>& lines() const { return mLines; }
    const std::string& inputLine() const { return mInput; }
    void setInputLine(const std::string& text) { mInput = text; }

    // The output keeps the newest MAX_LINES lines; so does the list of lines
    // waiting for update().
    static constexpr size_t MAX_LINES = 1000;
    static constexpr float OPEN_HEIGHT = 300.0f;
    static constexpr float SLIDE_SPEED = 400.0f;
    static constexpr float BLINK_PERIOD = 0.3f;
    static constexpr float LINE_HEIGHT = 20.0f;
    static constexpr float LINE_WIDTH = 760.0f;

private:
    bool onOwnerThread() const;
    void addLines(const char* text, bool direct);
    static void pushBounded(std::deque<std::string>& list, std::string line);
    void takePending();

    std::deque<std::string> mLines;
    float mHeight = 0.0f;
    float mRestHeight = 0.0f;
    int mScroll = -1;
    std::string mInput;
    float mBlinkTimer = 0.0f;
    bool mCursorShown = true;
    std::map<std::string, int> mCommands;
    std::map<std::string, int> mVariables;
    YConsoleCommand* mOwner;
    bool mVisible = false;
    std::string mName;
    std::string mValue;
    YFont* mFont;
    YShader* mShader;

    std::thread::id mOwnerThread;
    bool mDrawing = false; // lines printed while drawing wait like foreign ones
    std::mutex mPendingLock;
    std::deque<std::string> mPending;
};

// The current console: the one made last, null once it is destroyed.
extern YConsole* gConsole;

// Texts for echoing values: "true"/"false", and a float as a stream writes
// it (six significant digits, "C" locale).
std::string boolToString(bool value);
std::string floatToString(float value);
