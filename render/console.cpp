#include "render/console.h"

#include "render/font.h"
#include "render/render.h"
#include "render/shader.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <locale>
#include <sstream>

YConsole* gConsole = nullptr;

namespace {

// The frame the console draws in.
constexpr float SCREEN_WIDTH = 800.0f;
constexpr float SCREEN_HEIGHT = 600.0f;

const float INPUT_COLOR[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float OUTPUT_COLOR[4] = {0.85f, 0.9f, 1.0f, 1.0f};

bool isSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

void skipSpace(const std::string& line, size_t& pos)
{
    while (pos < line.size() && isSpace(line[pos]))
        ++pos;
}

// A word runs up to white space or '='.
std::string readWord(const std::string& line, size_t& pos)
{
    size_t start = pos;
    while (pos < line.size() && !isSpace(line[pos]) && line[pos] != '=')
        ++pos;
    return line.substr(start, pos - start);
}

} // namespace

YConsole::YConsole(YConsoleCommand* owner)
    : mOwner(owner), mFont(getFont("sysfont")), mShader(getShader("console")),
      mOwnerThread(std::this_thread::get_id())
{
    gConsole = this;
    YLog::setSink(this);
}

YConsole::~YConsole()
{
    if (gConsole == this) {
        // Taken under the log's lock: once it returns no thread is inside
        // print() any more.
        YLog::setSink(nullptr);
        gConsole = nullptr;
    }
}

// ---------------------------------------------------------------------------
// Output

bool YConsole::onOwnerThread() const { return std::this_thread::get_id() == mOwnerThread; }

void YConsole::pushBounded(std::deque<std::string>& list, std::string line)
{
    list.push_back(std::move(line));
    while (list.size() > MAX_LINES)
        list.pop_front();
}

void YConsole::takePending()
{
    std::deque<std::string> taken;
    {
        std::lock_guard<std::mutex> guard(mPendingLock);
        taken.swap(mPending);
    }
    if (taken.empty())
        return;
    for (std::string& line : taken)
        pushBounded(mLines, std::move(line));
    mScroll = -1;
}

void YConsole::addLines(const char* text, bool direct)
{
    std::deque<std::string> pieces;
    const char* start = text;
    for (const char* p = text;; ++p) {
        if (*p == '\n' || *p == 0) {
            pushBounded(pieces, std::string(start, p));
            if (*p == 0)
                break;
            start = p + 1;
        }
    }
    if (!direct) {
        std::lock_guard<std::mutex> guard(mPendingLock);
        for (std::string& line : pieces)
            pushBounded(mPending, std::move(line));
        return;
    }
    takePending(); // lines of other threads that came first stay first
    for (std::string& line : pieces)
        pushBounded(mLines, std::move(line));
    mScroll = -1;
}

void YConsole::print(const char* text)
{
    if (!text)
        return;
    // Only the owner thread touches the output list, and not while draw()
    // walks it (a device may log in the middle of a draw).
    bool direct = onOwnerThread() && !mDrawing;
    addLines(text, direct);
}

void YConsole::scrollPage(bool up)
{
    int page = static_cast<int>(mHeight / LINE_HEIGHT) - 3;
    if (page < 1)
        return;
    int last = static_cast<int>(mLines.size()) - 1;
    // The newest position (-1) is the last line: starting the step from -1
    // itself would land next to the oldest line.
    int position = mScroll < 0 ? last : std::min(mScroll, last);
    if (up)
        position = std::min(std::max(position - page, page), last);
    else
        position = std::min(position + page, last);
    mScroll = position;
}

// ---------------------------------------------------------------------------
// Frame

void YConsole::update(float dt)
{
    takePending();

    if (mVisible && mHeight < OPEN_HEIGHT) {
        mHeight = std::min(OPEN_HEIGHT, mHeight + dt * SLIDE_SPEED);
    } else if (!mVisible && mHeight > mRestHeight) {
        mHeight = std::max(mRestHeight, mHeight - dt * SLIDE_SPEED);
        if (mHeight <= mRestHeight)
            mScroll = -1;
    }

    if (mHeight > 0.0f) {
        if (mCursorShown) {
            mBlinkTimer += dt;
            if (mBlinkTimer > BLINK_PERIOD)
                mCursorShown = false;
        } else {
            mBlinkTimer -= dt;
            if (mBlinkTimer < 0.0f)
                mCursorShown = true;
        }
    }
}

void YConsole::draw()
{
    if (mHeight <= 0.0f || !gRender)
        return;

    const float top = mHeight - SCREEN_HEIGHT;
    const float quad[12] = {0.0f, top, 0.0f, 0.0f, mHeight, 0.0f, SCREEN_WIDTH, mHeight, 0.0f, SCREEN_WIDTH, top, 0.0f};
    gRender->setShader(mShader, true);
    gRender->drawQuad(quad);

    mDrawing = true;
    const float baseline = mHeight - 4.0f;
    float x = 3.0f;
    x += mFont->drawText(x, baseline, LINE_HEIGHT, "=>", INPUT_COLOR) + 6.0f;
    x += mFont->drawText(x, baseline, LINE_HEIGHT, mInput.c_str(), INPUT_COLOR);
    if (mCursorShown)
        mFont->drawText(x + 4.0f, baseline, LINE_HEIGHT, "_", INPUT_COLOR);

    int last = static_cast<int>(mLines.size()) - 1;
    int index = mScroll < 0 ? last : std::min(mScroll, last);
    for (float y = mHeight - 24.0f; index >= 0 && y > 0.0f; --index, y -= LINE_HEIGHT)
        mFont->drawText(5.0f, y, LINE_HEIGHT, mLines[static_cast<size_t>(index)].c_str(), OUTPUT_COLOR);
    mDrawing = false;
}

// ---------------------------------------------------------------------------
// Input

void YConsole::onChar(int c)
{
    // Characters arrive as Latin-1 codes; a negative one is a signed char.
    if (c < -128 || c > 255)
        return;
    if (c == 8) {
        if (!mInput.empty())
            mInput.pop_back();
        return;
    }
    if (c == 13) {
        execute();
        return;
    }
    unsigned char ch = static_cast<unsigned char>(c);
    if (mFont->charWidth(ch) == 0.0f)
        return;
    mInput.push_back(static_cast<char>(ch));
    if (mFont->textWidth(mInput) * LINE_HEIGHT > LINE_WIDTH)
        mInput.pop_back();
}

void YConsole::execute()
{
    if (mInput.empty())
        return;
    // The owner may print or change the input line while a statement runs.
    const std::string line = mInput;
    size_t pos = 0;
    for (;;) {
        mName.clear();
        mValue.clear();
        skipSpace(line, pos);
        std::string word = readWord(line, pos);
        if (word.empty())
            break;

        auto command = mCommands.find(word);
        if (command != mCommands.end()) {
            mName = word;
            skipSpace(line, pos);
            mValue = readWord(line, pos);
            if (mOwner)
                mOwner->onConsoleCommand(command->second);
            continue;
        }

        auto variable = mVariables.find(word);
        if (variable != mVariables.end()) {
            mName = word;
            skipSpace(line, pos);
            if (pos >= line.size() || line[pos] != '=') {
                if (pos < line.size())
                    ++pos;
                print("Error: missing '='.");
                continue;
            }
            ++pos;
            skipSpace(line, pos);
            std::string value = readWord(line, pos);
            if (value.empty()) {
                print("Error: missing value of variable.");
                continue;
            }
            mValue = value;
            if (mOwner)
                mOwner->onConsoleVariable(variable->second);
            continue;
        }

        print("? '" + word + "'.");
    }
    mInput.clear();
}

// ---------------------------------------------------------------------------
// Values

float YConsole::valueFloat() const { return static_cast<float>(std::atof(mValue.c_str())); }

int YConsole::valueInt() const { return std::atoi(mValue.c_str()); }

bool YConsole::valueBool()
{
    if (mValue == "true" || mValue == "1")
        return true;
    if (mValue != "false" && mValue != "0")
        print("? '" + mValue + "'.");
    return false;
}

std::string boolToString(bool value) { return value ? "true" : "false"; }

std::string floatToString(float value)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << value;
    return out.str();
}
