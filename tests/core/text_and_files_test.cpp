#include "core/file_list.h"
#include "core/text.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

TEST(FileList, ListsFilesOrFoldersSorted)
{
    testutil::writeText("levels/02 Tower", "");
    testutil::writeText("levels/01 Start", "");
    testutil::writeText("levels/thumb/01 Start.bmp", "");
    testutil::writeText("ui/english/locale.yml", "");
    testutil::writeText("ui/Deutsch.v2/locale.yml", "");
    testutil::writeText("ui/readme.txt", "");

    auto levels = findFiles("levels\\*", false);
    ASSERT_EQ(2u, levels.size());
    EXPECT_EQ("01 Start", levels[0]);
    EXPECT_EQ("02 Tower", levels[1]);
    auto folders = findFiles("Levels\\*", true);
    ASSERT_EQ(1u, folders.size());
    EXPECT_EQ("thumb", folders[0]);

    YFileList ui("ui\\*", true);
    ASSERT_EQ(2, ui.size());
    EXPECT_EQ("ui\\", ui.prefix());
    EXPECT_EQ("ui\\Deutsch.v2", ui.getPath(0));
    EXPECT_EQ("Deutsch", ui.baseName(0));
    EXPECT_EQ(0, ui.indexOf("DEUTSCH", -1));
    EXPECT_EQ(1, ui.indexOf("English", -1));
    EXPECT_EQ(-1, ui.indexOf("francais", -1));
    EXPECT_EQ((std::vector<std::string>{"Deutsch", "english"}), ui.baseNames());

    YFileList none("nowhere\\*", false);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(7, none.indexOf("x", 7));
    YFileList here("*", false); // no prefix
    EXPECT_EQ("", here.prefix());
}

TEST(FileList, ExistenceChecksKind)
{
    testutil::writeText("data/blocks.yml", "");
    EXPECT_TRUE(fileExists("data\\blocks.yml", false));
    EXPECT_TRUE(fileExists("DATA\\BLOCKS.YML", false));
    EXPECT_FALSE(fileExists("data\\blocks.yml", true));
    EXPECT_TRUE(fileExists("data", true));
    EXPECT_FALSE(fileExists("data", false));
    EXPECT_FALSE(fileExists("data\\none.yml", false));
    EXPECT_FALSE(fileExists("", false));
    EXPECT_FALSE(fileExists(nullptr, true));
}

TEST(Text, CaseAndNumbers)
{
    EXPECT_EQ("abc xyz 1", toLower("AbC XyZ 1"));
    EXPECT_EQ("ABC XYZ 1", toUpper("AbC xyz 1"));
    // Latin-1 bytes above 127 pass through the "C" locale unchanged.
    EXPECT_EQ("\xC4x", toLower("\xC4X"));
    EXPECT_EQ("-2147483648", intToString(-2147483647 - 1));
    EXPECT_EQ("0", intToString(0));
    EXPECT_EQ("name", cutAtDot("name.tar.gz"));
    EXPECT_EQ("", cutAtDot(".hidden"));
    EXPECT_EQ("plain", cutAtDot("plain"));
}
