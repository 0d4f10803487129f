#include "world/bonus_config.h"

#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Values = std::vector<float>;
Values timeouts() { return Values(gBonusTimeouts, gBonusTimeouts + BONUS_TIMEOUT_COUNT); }
const Values FILE_DEFAULTS = {60, 45, 20, 30, 20, 30, 20};

// Loads the text as "data\bonuses.yml" and returns what it logged.
std::string loadText(const std::string& text)
{
    testutil::writeText("data/bonuses.yml", text);
    size_t mark = testutil::logText().size();
    loadBonusConfig("data\\bonuses.yml");
    return testutil::logText().substr(mark);
}

} // namespace

TEST(BonusConfig, DefaultsBeforeLoadingAndWithoutAFile)
{
    EXPECT_EQ((Values{600, 600, 600, 600, 600, 600, 30}), timeouts()); // nothing loaded yet
    size_t mark = testutil::logText().size();
    loadBonusConfig("data\\bonuses.yml"); // missing: silent, the tag's defaults
    EXPECT_EQ(FILE_DEFAULTS, timeouts());
    EXPECT_EQ(mark, testutil::logText().size());
    gBonusTimeouts[0] = 1;
    loadText("<!-- no element -->\n");
    EXPECT_EQ(FILE_DEFAULTS, timeouts());
}

TEST(BonusConfig, TheLastElementDecidesEveryValue)
{
    loadText("<timeout take=\"90\" frost=\"10\"/>");
    EXPECT_EQ((Values{90, 45, 20, 30, 20, 30, 10}), timeouts());
    loadText("<timeout take=\"1\" ballheavy=\"2\" ballphantom=\"3\" ballfire=\"4\"\r\n"
             "  ballelectro=\"5\" ballgenerative=\"6\" frost=\"7\"></timeout>\r\n"
             "<timeout ballfire=\"12.5\" frost=\"word\"/>\r\n");
    EXPECT_EQ((Values{60, 45, 20, 12.5f, 20, 30, 0}), timeouts());
}

TEST(BonusConfig, ErrorsAreLoggedWithTheirLineAndTheRestIsRead)
{
    std::string log = loadText("<!-- timings -->\n\n"
                               "<timeout take=\"70\" ballheavy=\"50\" slow=\"3\" frost=\"9\"/>\n<other/>\n");
    // Values before the bad attribute stay; the rest of that element is passed over.
    EXPECT_EQ((Values{70, 50, 20, 30, 20, 30, 20}), timeouts());
    EXPECT_NE(std::string::npos,
              log.find("Bonus Config Loader error, Unknown attribute: slow of tag: timeout, line: 2")) << log;
    EXPECT_NE(std::string::npos, log.find("Unknown tag: other, line: 3")) << log;

    // A timer that never ends or runs backwards is no duration: the default.
    log = loadText("<timeout take=\"-5\" ballheavy=\"nan\" ballphantom=\"inf\" ballfire=\"1e60\" frost=\"0.5\"/>");
    EXPECT_EQ((Values{60, 45, 20, 30, 20, 30, 0.5f}), timeouts());
    EXPECT_NE(std::string::npos, log.find("timeout take=\"-5\" is not a duration, 60 used")) << log;
    EXPECT_NE(std::string::npos, log.find("timeout ballheavy=\"nan\"")) << log;
}

TEST(BonusConfig, TheShippedFileLoadsWithoutErrors)
{
    ASSERT_TRUE(testutil::copyFromGame("data/bonuses.yml"));
    size_t mark = testutil::logText().size();
    loadBonusConfig("DATA\\Bonuses.yml");
    EXPECT_EQ(FILE_DEFAULTS, timeouts());
    EXPECT_EQ(mark, testutil::logText().size());
}
