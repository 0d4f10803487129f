#include "core/display_modes.h"

#include <gtest/gtest.h>

namespace {

using Modes = std::vector<YDisplayMode>;

// A typical adapter: two resolutions, 16 and 32 bits at 60/75/85 Hz, in
// the renderer's order, then the desktop (1024x768:32@75).
YDisplayModeList sampleList()
{
    Modes raw = {{800, 600, 16, 60}, {800, 600, 32, 60},  {1024, 768, 16, 60}, {1024, 768, 32, 60},
                 {1024, 768, 16, 75}, {1024, 768, 32, 75}, {1024, 768, 32, 85}};
    YDisplayModeList list;
    list.assign(buildModeList(raw, YDisplayMode(1024, 768, 32, 75)));
    return list;
}

std::string roundTrip(const std::string& text)
{
    return YDisplayModeList::formatMode(YDisplayModeList::parseMode(text));
}

} // namespace

TEST(DisplayModeText, ParsesAndFormats)
{
    EXPECT_EQ(YDisplayMode(800, 600, 32, 0, -1), YDisplayModeList::parseMode("800x600:32"));
    EXPECT_EQ(YDisplayMode(800, 600, 32, 85, -1), YDisplayModeList::parseMode("800x600:32@85"));
    EXPECT_EQ("800x600:32", roundTrip("800x600:32"));
    EXPECT_EQ("800x600:32@85", roundTrip("800x600:32@85"));
    EXPECT_EQ("1024x768:0", roundTrip("1024x768"));
    EXPECT_EQ("800x600:32", roundTrip(" 800x600:32\r\n"));
    EXPECT_EQ("65535x65535:65535@65535", roundTrip("65535x65535:65535@65535"));
    EXPECT_EQ("0x0:0", YDisplayModeList::formatMode(YDisplayMode()));
}

TEST(DisplayModeText, MalformedPartsStayZero)
{
    struct Case {
        const char* text;
        YDisplayMode mode;
    };
    const Case cases[] = {
        {"", {}},
        {"   ", {}},
        {"abc", {}},
        {"x600:32", {}},
        {"-800x600:32", {}},
        {"+800x600", {}},
        {"800", {800, 0, 0, 0}},
        {"800x", {800, 0, 0, 0}},
        {"800X600", {}},             // only a lower-case x separates
        {"800x-600:32", {800, 0, 0, 0}}, // parts after a bad one are not read
        {"800x600@85", {800, 600, 0, 0}},
        {"800x600:", {800, 600, 0, 0}},
        {"800:32", {800, 0, 0, 0}},
        {"800x600:32@", {800, 600, 32, 0}},
        {"800x600:32junk", {800, 600, 0, 0}},
        {"800x600:32@85Hz", {800, 600, 32, 0}},
        {"800 x 600", {}},
        {"65536x600", {}},
        {"800x99999999999999999999:32", {800, 0, 0, 0}},
        {"1e3x600", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.mode, YDisplayModeList::parseMode(c.text)) << '"' << c.text << '"';
    // A NUL byte inside the text is no separator.
    EXPECT_EQ(YDisplayMode(800, 0, 0, 0), YDisplayModeList::parseMode(std::string("800x600\0:32", 11)));
}

TEST(DisplayModeList, AssignSeparatesTheDesktop)
{
    YDisplayModeList list = sampleList();
    ASSERT_EQ(7, list.size());
    EXPECT_EQ(YDisplayMode(1024, 768, 32, 75, -1), list.desktop());
    for (int i = 0; i < list.size(); ++i)
        EXPECT_EQ(i, list.mode(i).index);

    list.assign({});
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(YDisplayMode(), list.desktop());
}

TEST(DisplayModeList, FindModePicksTheBestRecord)
{
    YDisplayModeList list = sampleList();
    auto find = [&](const char* text) { return list.findMode(YDisplayModeList::parseMode(text)); };
    EXPECT_EQ(2, find("1024x768"));       // no bits: first record of the size
    EXPECT_EQ(5, find("1024x768:32@0"));  // desktop rate 75 bounds the rate
    EXPECT_EQ(5, find("1024x768:32"));
    EXPECT_EQ(6, find("1024x768:32@85"));
    EXPECT_EQ(6, find("1024x768:32@200"));
    EXPECT_EQ(3, find("1024x768:32@50")); // none low enough: first of the bits
    EXPECT_EQ(4, find("1024x768:16@0"));
    EXPECT_EQ(2, find("1024x768:24"));    // bits missing: first of the size
    EXPECT_EQ(1, find("800x600:32"));
    EXPECT_EQ(0, find("1280x1024:32"));   // size missing: the first record
    EXPECT_EQ(0, find(""));
}

TEST(DisplayModeList, ResolveFormatsTheFoundRecord)
{
    YDisplayModeList list = sampleList();
    EXPECT_EQ("1024x768:32@75", list.resolve("1024x768:32"));
    EXPECT_EQ("800x600:16@60", list.resolve("1600x1200:32"));
    EXPECT_EQ("800x600:16@60", list.resolve(""));
    EXPECT_EQ("800x600:16@60", list.resolve("garbage"));

    YDisplayModeList none;
    EXPECT_EQ(-1, none.findMode(YDisplayModeList::parseMode("800x600:32")));
    EXPECT_EQ("800x600:32", none.resolve("800x600:32"));
    EXPECT_EQ("", none.resolve(""));
}

TEST(DisplayModeList, SelectModesForTheOptionsPage)
{
    // Out of order and with repeats, as a raw list handed to assign could be.
    YDisplayModeList list;
    list.assign({{1024, 768, 32, 60, 0}, {800, 600, 32, 60, 1}, {1024, 768, 16, 60, 2},
                 {1024, 768, 32, 75, 3}, {1024, 768, 32, 60, 4}, {640, 480, 16, 60, 5},
                 {1024, 768, 32, 75, -1}});

    EXPECT_EQ((Modes{{640, 480, 0, 0}, {800, 600, 0, 0}, {1024, 768, 0, 0}}), list.selectModes(0, 0, 0));
    EXPECT_EQ((Modes{{1024, 768, 16, 0}, {1024, 768, 32, 0}}), list.selectModes(1024, 768, 0));
    EXPECT_EQ((Modes{{1024, 768, 32, 60, 0}, {1024, 768, 32, 75, 3}}), list.selectModes(1024, 768, 32));
    EXPECT_TRUE(list.selectModes(1280, 1024, 0).empty());
    EXPECT_TRUE(list.selectModes(1024, 768, 24).empty());
    EXPECT_TRUE(list.selectModes(1024, 0, 0).empty());
    EXPECT_TRUE(YDisplayModeList().selectModes(0, 0, 0).empty());
}

TEST(DisplayModeBuild, SortsNumbersAndAppendsTheDesktop)
{
    Modes raw = {{1024, 768, 32, 75, 9}, {640, 400, 32, 60}, {800, 600, 16, 60},
                 {1024, 768, 32, 60},    {320, 240, 32, 60}, {1024, 768, 16, 60},
                 {800, 600, 32, 60},     {639, 480, 32, 60}};
    Modes list = buildModeList(raw, YDisplayMode(1920, 1080, 0, 60, 5));
    EXPECT_EQ((Modes{{800, 600, 16, 60, 0},
                     {800, 600, 32, 60, 1},
                     {1024, 768, 32, 60, 2},
                     {1024, 768, 16, 60, 3},
                     {1024, 768, 32, 75, 4},
                     {1920, 1080, 32, 60, -1}}),
              list);
}

TEST(DisplayModeBuild, SmallModesOnlyOfferTheDesktop)
{
    Modes raw = {{320, 240, 32, 60}, {640, 479, 32, 60}};
    Modes expected = {{1280, 720, 24, 0, 0}, {1280, 720, 24, 0, -1}};
    EXPECT_EQ(expected, buildModeList(raw, YDisplayMode(1280, 720, 24, 0)));
    EXPECT_EQ(expected, buildModeList({}, YDisplayMode(1280, 720, 24, 0)));

    // The renderer's list on such a display still resolves the default mode.
    YDisplayModeList list;
    list.assign(buildModeList({}, YDisplayMode(1280, 720, 0, 0)));
    ASSERT_EQ(1, list.size());
    EXPECT_EQ(0, list.findMode(YDisplayModeList::parseMode("800x600:32")));
    EXPECT_EQ("1280x720:32", list.resolve("800x600:32"));
}

TEST(DisplayModeList, GlobalIsOneObject)
{
    EXPECT_EQ(&gDisplayModes(), &gDisplayModes());
}
