#include "core/locale.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

TEST(Locale, TranslateIgnoresCaseAndKeepsUnknownTexts)
{
    testutil::writeText("Loc/First.yml", "<locale>\n"
                                         "  <map incoming='New Game'>Neues Spiel</map>\n"
                                         "  <str name='Bomb'> Die &lt;Bombe&rt;\n</str>\n"
                                         "  <str name='empty'/>\n"
                                         "</locale>\n");
    YLocale locale;
    locale.load("loc\\first.yml");
    EXPECT_EQ("Neues Spiel", locale.translate("NEW GAME"));
    EXPECT_EQ("Neues Spiel", locale.translate("new game"));
    EXPECT_EQ("Neues Spiel", locale.translate("New Game"));
    EXPECT_EQ("Quit Game", locale.translate("Quit Game"));

    // Element text as delivered: white space kept, entities decoded.
    EXPECT_EQ(" Die <Bombe>\n", locale.getString("Bomb"));
    EXPECT_EQ("", locale.getString("bomb")); // names are case-sensitive
    EXPECT_EQ("", locale.getString("empty"));

    // A missing name gets an empty entry, returned by reference.
    std::string& missing = locale.getString("missing");
    EXPECT_EQ("", missing);
    missing = "filled";
    EXPECT_EQ("filled", locale.getString("missing"));
}

TEST(Locale, LoadingAgainDiscardsTheFirstFile)
{
    testutil::writeText("loc/a.yml", "<locale><str name='x'>one</str><map incoming='Yes'>Ja</map></locale>");
    testutil::writeText("loc/b.yml", "<locale><str name='y'>two</str></locale>");
    YLocale locale;
    locale.load("loc\\a.yml");
    ASSERT_EQ("one", locale.getString("x"));
    ASSERT_EQ("Ja", locale.translate("yes"));

    locale.load("loc\\b.yml");
    EXPECT_EQ("two", locale.getString("y"));
    EXPECT_EQ("", locale.getString("x"));
    EXPECT_EQ("yes", locale.translate("yes"));

    locale.load("loc\\missing.yml");
    EXPECT_EQ("", locale.getString("y"));
}

TEST(Locale, ErrorsAreLoggedWithTheFileName)
{
    testutil::writeText("loc/bad.yml", "<locale>\n<str nam='x'>t</str></locale>");
    YLocale locale;
    locale.load("loc\\bad.yml");
    EXPECT_NE(std::string::npos,
              testutil::logText().find("Locale parser error, Unknown attribute: nam of tag: str, file: loc\\bad.yml, line: 1"));
    EXPECT_EQ(&gLocale(), &gLocale());
}
