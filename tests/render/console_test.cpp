#include "render/console.h"

#include "core/log.h"
#include "render/font.h"
#include "render/recording_render.h"
#include "render/shader.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// Writes down what the console asks of it.
class Owner : public YConsoleCommand {
public:
    void onConsoleCommand(int id) override { record("command", id); }
    void onConsoleVariable(int id) override { record("variable", id); }

    YConsole* console = nullptr;
    std::vector<std::string> calls; // "kind id name 'value'"
    std::function<void()> hook;     // runs inside every call

private:
    void record(const char* kind, int id)
    {
        calls.push_back(std::string(kind) + " " + std::to_string(id) + " " + console->nameString() + " '" +
                        console->valueString() + "'");
        if (hook)
            hook();
    }
};

// A renderer whose device logs a line in the middle of every text quad.
class ChattyRender : public YRecordingRender {
public:
    void drawQuadUV2(const float* v) override
    {
        YRecordingRender::drawQuadUV2(v);
        YLog::write("device note");
    }
};

// The first corner (x, y) of each text quad drawn.
std::vector<std::pair<float, float>> quadOrigins(const YRecordingRender& r)
{
    std::vector<std::pair<float, float>> out;
    for (const std::string& call : r.callsStartingWith("quadUV2 ")) {
        float x = 0, y = 0;
        std::sscanf(call.c_str(), "quadUV2 %f %f", &x, &y);
        out.emplace_back(x, y);
    }
    return out;
}

// A console over a stub "sysfont": every printable character is 0.5 wide
// (10 units at the console's size 20), its glyph the box of its advance.
class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        YLog::open(); // the start-up lines come before the console
        render = std::make_unique<YRecordingRender>(4);
        YFont* font = getFont("sysfont");
        font->shader = getShader("sysfont");
        for (int c = 0; c < 256; ++c) {
            if ((c >= 0x20 && c < 0x7F) || c >= 0xA0) {
                font->widths[c] = 0.5f;
                font->glyphs[c].corners[1].x = 0.5f;
                font->glyphs[c].corners[2].x = 0.5f;
                font->glyphs[c].corners[2].y = 1.0f;
                font->glyphs[c].corners[3].y = 1.0f;
            }
        }
        console = std::make_unique<YConsole>(&owner);
        owner.console = console.get();
        console->addCommand("exit", 0);
        console->addCommand("load", 1);
        console->addVariable("fps", 0);
        console->addVariable("volume", 1);
        console->addVariable("v", 1);
    }

    void TearDown() override
    {
        console.reset();
        clearFonts();
        clearShaders();
        render.reset();
    }

    void run(const std::string& line)
    {
        console->setInputLine(line);
        console->execute();
    }

    void printLines(int count)
    {
        for (int i = 0; i < count; ++i)
            console->print(std::to_string(i));
    }

    const std::string& lastLine() const { return console->lines().back(); }

    std::unique_ptr<YRecordingRender> render;
    Owner owner;
    std::unique_ptr<YConsole> console;
};

} // namespace

// ---------------------------------------------------------------------------
// Statements

TEST_F(ConsoleTest, StatementsOfOneLineRunInTurn)
{
    run("fps=1   volume = 0.5");
    EXPECT_EQ((std::vector<std::string>{"variable 0 fps '1'", "variable 1 volume '0.5'"}), owner.calls);
    EXPECT_EQ("", console->inputLine());
    EXPECT_TRUE(console->lines().empty());

    owner.calls.clear();
    run("fps");
    EXPECT_EQ("Error: missing '='.", lastLine());
    run("fps =  ");
    EXPECT_EQ("Error: missing value of variable.", lastLine());
    run("bogus v=2");
    EXPECT_EQ("? 'bogus'.", console->lines()[console->lines().size() - 1]);
    // The character that is not '=' is used up; the next statement runs.
    run("fps 1 v=3");
    EXPECT_EQ("Error: missing '='.", lastLine());
    EXPECT_EQ((std::vector<std::string>{"variable 1 v '2'", "variable 1 v '3'"}), owner.calls);
}

TEST_F(ConsoleTest, CommandTakesTheNextWordEvenFromTheNextStatement)
{
    run("exit fps=1");
    run("load");
    run("  load   level3   v=4");
    EXPECT_EQ((std::vector<std::string>{"command 0 exit 'fps'", "command 1 load ''", "command 1 load 'level3'",
                                        "variable 1 v '4'"}),
              owner.calls);
    owner.calls.clear();
    run("   ");
    run("");
    run("=fps=1"); // an empty first word ends the line
    EXPECT_TRUE(owner.calls.empty());
    EXPECT_TRUE(console->lines().empty());
}

TEST_F(ConsoleTest, ValuesReadAsTheirTypes)
{
    std::vector<std::string> seen;
    owner.hook = [&] {
        seen.push_back(boolToString(console->valueBool()) + ":" + std::to_string(console->valueInt()) + ":" +
                       floatToString(console->valueFloat()));
    };
    run("v=true v=1 v=false v=0 v=2.5x");
    EXPECT_EQ((std::vector<std::string>{"true:0:0", "true:1:1", "false:0:0", "false:0:0", "false:2:2.5"}), seen);
    EXPECT_EQ((std::deque<std::string>{"? '2.5x'."}), console->lines());
}

// ---------------------------------------------------------------------------
// Input line

TEST_F(ConsoleTest, TypingStopsAt760UnitsAndSkipsCharactersWithoutWidth)
{
    for (int i = 0; i < 80; ++i)
        console->onChar('a');
    EXPECT_EQ(std::string(76, 'a'), console->inputLine()); // 76 x 10 units is the limit itself
    console->onChar(8);
    console->onChar(0xE9);
    EXPECT_EQ(std::string(75, 'a') + "\xE9", console->inputLine());
    console->setInputLine("");
    console->onChar(8); // nothing to remove
    console->onChar(1);
    console->onChar(9);
    console->onChar(0x85);
    console->onChar(256 + 'a'); // not a Latin-1 character
    EXPECT_EQ("", console->inputLine());
    console->onChar(static_cast<char>(0xE9)); // a signed char is its byte
    EXPECT_EQ("\xE9", console->inputLine());

    console->setInputLine("fps=");
    console->onChar('1');
    console->onChar(13);
    EXPECT_EQ((std::vector<std::string>{"variable 0 fps '1'"}), owner.calls);
    EXPECT_EQ("", console->inputLine());
}

// ---------------------------------------------------------------------------
// Output

TEST_F(ConsoleTest, PrintMakesOneLinePerPieceAndTheLogFeedsIt)
{
    console->print("a\nb");
    console->print("c\n");
    console->print("");
    YLog::write("log\nlines");
    EXPECT_EQ((std::deque<std::string>{"a", "b", "c", "", "", "log", "lines"}), console->lines());
    EXPECT_EQ(gConsole, console.get());
}

TEST_F(ConsoleTest, LinesFromOtherThreadsWaitForUpdateAndKeepTheirOrder)
{
    std::thread([] { YLog::write("from a sound thread"); }).join();
    EXPECT_TRUE(console->lines().empty());
    console->update(0.0f);
    ASSERT_EQ(1u, console->lines().size());
    EXPECT_EQ("from a sound thread", lastLine());

    std::thread([] { YLog::write("first"); }).join();
    console->print("second");
    EXPECT_EQ((std::deque<std::string>{"from a sound thread", "first", "second"}), console->lines());

    console->update(0.0f);
    EXPECT_EQ(-1, console->scrollPosition());
}

TEST_F(ConsoleTest, OutputKeepsTheNewestThousandLines)
{
    printLines(1005);
    ASSERT_EQ(YConsole::MAX_LINES, console->lines().size());
    EXPECT_EQ("5", console->lines().front());
    EXPECT_EQ("1004", lastLine());

    std::thread([] {
        for (int i = 0; i < 1500; ++i)
            YLog::writef("t%d", i);
    }).join();
    console->update(0.0f);
    ASSERT_EQ(YConsole::MAX_LINES, console->lines().size());
    EXPECT_EQ("t500", console->lines().front());
    EXPECT_EQ("t1499", lastLine());
}

TEST_F(ConsoleTest, PageScrollStartsFromTheNewestLine)
{
    console->scrollPage(true); // no lines: stays at the newest
    EXPECT_EQ(-1, console->scrollPosition());
    printLines(100);
    console->setHeight(300.0f); // 15 lines, a page of 12
    console->scrollPage(false);
    EXPECT_EQ(99, console->scrollPosition());
    console->print("more"); // a new line shows the newest again
    EXPECT_EQ(-1, console->scrollPosition());
    console->scrollPage(true);
    EXPECT_EQ(88, console->scrollPosition()); // index 100 - 12, not next to the oldest
    for (int i = 0; i < 10; ++i)
        console->scrollPage(true);
    EXPECT_EQ(12, console->scrollPosition()); // the oldest page stays full
    console->scrollPage(false);
    EXPECT_EQ(24, console->scrollPosition());
    for (int i = 0; i < 10; ++i)
        console->scrollPage(false);
    EXPECT_EQ(100, console->scrollPosition());

    console->setHeight(79.0f); // a page below one line: nothing moves
    console->scrollPage(true);
    EXPECT_EQ(100, console->scrollPosition());
}

// ---------------------------------------------------------------------------
// Sliding and blinking

TEST_F(ConsoleTest, SlidesAtFourHundredUnitsASecondAndSnapsToTheNewestWhenHidden)
{
    console->update(1.0f);
    EXPECT_EQ(0.0f, console->height());
    EXPECT_TRUE(console->cursorShown()); // no blinking while hidden

    console->setVisible(true);
    console->update(0.5f);
    EXPECT_FLOAT_EQ(200.0f, console->height());
    console->update(0.5f);
    EXPECT_FLOAT_EQ(300.0f, console->height());
    console->update(1.0f);
    EXPECT_FLOAT_EQ(300.0f, console->height());

    printLines(50);
    console->scrollPage(true);
    console->setVisible(false);
    console->update(0.5f);
    EXPECT_FLOAT_EQ(100.0f, console->height());
    EXPECT_EQ(37, console->scrollPosition());
    console->update(0.5f);
    EXPECT_EQ(0.0f, console->height());
    EXPECT_EQ(-1, console->scrollPosition());

    // The editor's console: open at 600, at rest at 45.
    console->setHeight(600.0f);
    console->setRestHeight(45.0f);
    console->setVisible(true);
    console->update(1.0f);
    EXPECT_FLOAT_EQ(600.0f, console->height());
    console->setVisible(false);
    console->update(10.0f);
    EXPECT_FLOAT_EQ(45.0f, console->height());
}

TEST_F(ConsoleTest, CursorBlinksEveryThreeTenthsOfASecond)
{
    console->setVisible(true);
    console->setHeight(300.0f);
    console->update(0.2f);
    EXPECT_TRUE(console->cursorShown());
    console->update(0.2f); // 0.4 > 0.3
    EXPECT_FALSE(console->cursorShown());
    console->update(0.2f); // runs down to 0.2
    EXPECT_FALSE(console->cursorShown());
    console->update(0.25f); // below 0
    EXPECT_TRUE(console->cursorShown());
}

// ---------------------------------------------------------------------------
// Drawing

TEST_F(ConsoleTest, DrawSendsTheBackgroundPromptInputCursorAndNewestLinesUpwards)
{
    render->calls.clear();
    console->draw();
    EXPECT_TRUE(render->calls.empty()); // height 0

    console->setHeight(300.0f);
    console->setInputLine("ab");
    console->print("x");
    console->print("y");
    render->calls.clear();
    console->draw();
    // The background over the "console" shader, then text over the font's.
    std::vector<std::string>& calls = render->calls;
    auto at = [&](const std::string& prefix) {
        for (size_t i = 0; i < calls.size(); ++i)
            if (calls[i].compare(0, prefix.size(), prefix) == 0)
                return static_cast<int>(i);
        return -1;
    };
    EXPECT_EQ(0, at("shader console"));
    EXPECT_LT(0, at("quad 0 -300 0 0 300 0 800 300 0 800 -300 0"));
    EXPECT_LT(at("quad 0 -300"), at("shader sysfont"));
    EXPECT_LT(at("shader sysfont"), at("quadUV2"));
    using P = std::pair<float, float>;
    // "=>" on the bottom line (cell 276..296), the input 6 units after it,
    // the cursor 4 after the input; the newest output line above.
    EXPECT_EQ((std::vector<P>{{3, 276}, {13, 276}, {29, 276}, {39, 276}, {53, 276}, {5, 256}, {5, 236}}),
              quadOrigins(*render));

    // Lines stop at the top edge; the cursor blinks off.
    for (int i = 0; i < 30; ++i)
        console->print("z");
    console->setInputLine("");
    console->setVisible(true); // stays open
    console->update(0.31f);
    ASSERT_FALSE(console->cursorShown());
    render->calls.clear();
    console->draw();
    std::vector<P> origins = quadOrigins(*render);
    ASSERT_EQ(2u + 14u, origins.size());
    EXPECT_EQ(P(5, 256), origins[2]);
    EXPECT_EQ(P(5, -4), origins.back()); // the line whose bottom is at y = 16

    // Scrolled: the bottom line is the scroll position's.
    console->scrollPage(true);
    EXPECT_EQ(19, console->scrollPosition());
    render->calls.clear();
    console->draw();
    EXPECT_EQ(16u, quadOrigins(*render).size());
}

TEST_F(ConsoleTest, TextLoggedWhileDrawingWaitsForTheNextUpdate)
{
    console.reset();
    render.reset();
    render = std::make_unique<ChattyRender>();
    console = std::make_unique<YConsole>(&owner);
    owner.console = console.get();
    console->setHeight(300.0f);
    printLines(30);
    console->draw(); // every glyph logs a line while the lines are walked
    EXPECT_EQ(30u, console->lines().size());
    size_t notes = render->callsStartingWith("quadUV2").size();
    EXPECT_EQ(2u + 1u + 14u * 2u, notes);
    console->update(0.0f);
    EXPECT_EQ(30u + notes, console->lines().size());
    EXPECT_EQ("device note", lastLine());
}

TEST_F(ConsoleTest, TheNewestConsoleIsCurrentUntilItIsDestroyed)
{
    auto second = std::make_unique<YConsole>(&owner);
    EXPECT_EQ(second.get(), gConsole);
    second.reset();
    EXPECT_EQ(nullptr, gConsole);
    YLog::write("to nobody"); // the log no longer reaches a freed console
    EXPECT_TRUE(console->lines().empty());
    console.reset(); // no longer current: leaves the log alone
    EXPECT_EQ(nullptr, gConsole);
}
