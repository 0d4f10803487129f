#include "core/init.h"
#include "core/log.h"
#include "platform/sys/paths.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Each test runs in a fresh sub-folder of the test process's folder, so the
// "ui" folders and "config.yml" of one test never reach another. The log
// stays in the process folder (opened before the change of folder).
class InitTest : public ::testing::Test {
protected:
    std::string logBefore;

    void SetUp() override
    {
        YLog::open();
        logBefore = testutil::logText();
        std::string dir = testutil::workDir() + "/init_" +
                          ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_TRUE(sys::makeDirectories(dir));
        ASSERT_TRUE(sys::changeDirectory(dir));
    }
    void TearDown() override { sys::changeDirectory(testutil::workDir()); }

    // Log text written since the test began.
    std::string newLog() const
    {
        std::string all = testutil::readText(testutil::workDir() + "/log.txt");
        return all.substr(std::min(all.size(), logBefore.size()));
    }
    static void makeFolders(std::initializer_list<const char*> names)
    {
        for (const char* n : names)
            sys::makeDirectories(std::string("ui/") + n);
    }
};

// Every typed setting on one line.
std::string settings(const Init& i)
{
    char text[256];
    std::snprintf(text, sizeof(text), "fullscreen=%d mode=%s %dx%d maximize=%d volume=%g music=%g fps=%d "
                  "shadows=%d scores=%d losses=%d interface=%d",
                  i.fullscreen, i.mode.c_str(), i.width, i.height, i.maximize, i.volume, i.music, i.fps,
                  i.shadows, i.popupscores, i.popuplosses, i.interface);
    return text;
}

const char* const EMPTY_CONFIG = "<config>\n  <video>\n  <window>\n  <sound>\n  <render>\n  <interface>\n</config>\n";

} // namespace

TEST_F(InitTest, DefaultsWithNoFileAndSavingThemWritesBareTags)
{
    makeFolders({"deutsch", "english"});
    testutil::writeText("Splash/Config.yml", "<config><splash shader='s'/></config>");
    Init init;
    init.load("splash\\config.yml");
    init.load("config.yml");
    EXPECT_EQ("fullscreen=1 mode=800x600:32 800x600 maximize=0 volume=1 music=0.8 fps=0 shadows=1 scores=1 "
              "losses=0 interface=1",
              settings(init));
    EXPECT_EQ("ui\\english", init.getInterface());
    EXPECT_EQ("config.yml", init.fileName);

    ASSERT_TRUE(init.save());
    EXPECT_EQ(EMPTY_CONFIG, testutil::readText("config.yml"));
    EXPECT_EQ("", newLog());
}

TEST_F(InitTest, SavedSettingsRoundTrip)
{
    makeFolders({"deutsch", "english"});
    Init init;
    init.load("config.yml");
    init.fullscreen = false;
    init.mode = "1024x768:16";
    init.width = 1000;
    init.height = 700;
    init.maximize = true;
    init.volume = 0.25f;
    init.music = 0.5f;
    init.fps = true;
    init.shadows = false;
    init.popupscores = false;
    init.popuplosses = true;
    init.interface = 0;
    ASSERT_TRUE(init.save());
    EXPECT_EQ("<config>\n"
              "  <video fullscreen=\"0\" mode=\"1024x768:16\">\n"
              "  <window width=\"1000\" height=\"700\" maximize=\"1\">\n"
              "  <sound volume=\"0.25\" music=\"0.5\">\n"
              "  <render fps=\"1\" shadows=\"0\">\n"
              "  <interface language=\"deutsch\" popupscores=\"0\" popuplosses=\"1\">\n"
              "</config>\n",
              testutil::readText("config.yml"));

    Init back;
    back.load("config.yml");
    EXPECT_EQ(settings(init), settings(back));
    EXPECT_EQ("", newLog());

    // Loading a file without some tags gives those tags their defaults again.
    testutil::writeText("other.yml", "<config><render fps='1'/></config>");
    back.load("other.yml");
    EXPECT_EQ("fullscreen=1 mode=800x600:32 800x600 maximize=0 volume=1 music=0.8 fps=1 shadows=1 scores=1 "
              "losses=0 interface=1",
              settings(back));
}

TEST_F(InitTest, LanguageLookupIgnoresCaseAndCutsFolderNamesAtTheDot)
{
    makeFolders({"deutsch", "english", "francais.v2"});
    testutil::writeText("config.yml", "<config><interface language='FRANCAIS'/></config>");
    Init init;
    init.load("config.yml");
    EXPECT_EQ(2, init.interface);
    EXPECT_EQ("ui\\francais.v2", init.getInterface());
    ASSERT_TRUE(init.save());
    EXPECT_NE(std::string::npos, testutil::readText("config.yml").find("<interface language=\"francais\">"));

    // A language with no folder selects the first folder; save writes its name.
    testutil::writeText("config.yml", "<config><interface language='klingon'/></config>");
    init.load("config.yml");
    EXPECT_EQ(0, init.interface);
    EXPECT_EQ("ui\\deutsch", init.getInterface());
    ASSERT_TRUE(init.save());
    EXPECT_NE(std::string::npos, testutil::readText("config.yml").find("<interface language=\"deutsch\">"));
}

TEST_F(InitTest, WithoutInterfaceFoldersTheLanguageTextIsUsed)
{
    testutil::writeText("config.yml", "<config><interface language='Klingon'/></config>");
    Init init;
    init.load("config.yml");
    EXPECT_TRUE(init.interfaces().empty());
    EXPECT_EQ("ui\\Klingon", init.getInterface());
    ASSERT_TRUE(init.save());
    EXPECT_NE(std::string::npos, testutil::readText("config.yml").find("<interface language=\"Klingon\">"));

    // Folders made later are found after listing again; the language stays
    // selected when a folder of that name appears.
    makeFolders({"aaa", "klingon"});
    init.listInterfaces();
    EXPECT_EQ(1, init.interface);
    EXPECT_EQ("ui\\klingon", init.getInterface());

    // An index out of range (set from outside) never indexes the list.
    init.interface = 5;
    EXPECT_EQ("ui\\Klingon", init.getInterface());
}

TEST_F(InitTest, BadAttributeIsLoggedWithItsLineAndTheRestIsRead)
{
    testutil::writeText("config.yml", "<config>\n"
                                      "  <video colour=\"red\" fullscreen=\"0\">\n"
                                      "  <window width=\"1024\">\n"
                                      "</config>\n");
    Init init;
    init.load("config.yml");
    std::string log = newLog();
    EXPECT_NE(std::string::npos,
              log.find("Init parser error, Unknown attribute: colour of tag: video, file: config.yml, line: 1\n"))
        << log;
    EXPECT_NE(std::string::npos, log.find("Init parser error, Expected '<'., file: config.yml, line: 2\n")) << log;
    EXPECT_TRUE(init.fullscreen); // the broken tag was reset and never finished
    EXPECT_EQ(1024, init.width);
}

TEST_F(InitTest, VolumesAreClampedToTheUnitRange)
{
    Init init;
    testutil::writeText("config.yml", "<config><sound volume='1.5' music='-0.2'/></config>");
    init.load("config.yml");
    EXPECT_FLOAT_EQ(1.0f, init.volume);
    EXPECT_FLOAT_EQ(0.0f, init.music);
    testutil::writeText("config.yml", "<config><sound volume='nan' music='0.3'/></config>");
    init.load("config.yml");
    EXPECT_FLOAT_EQ(0.0f, init.volume);
    EXPECT_FLOAT_EQ(0.3f, init.music);
}

TEST_F(InitTest, SplashValuesGoToTheHandler)
{
    testutil::writeText("splash/config.yml",
                        "<config>\n<splash shader='logo' bgshader='back' bgcolor='FF8000' width='320' "
                        "height='240.5'/>\n<splash bgcolor='12'/>\n</config>");
    Init init;
    init.load("splash\\config.yml"); // no handler: nothing happens
    EXPECT_EQ("", newLog());

    std::vector<InitSplash> got;
    init.setSplashHandler([&](const InitSplash& s) { got.push_back(s); });
    init.load("splash\\config.yml");
    ASSERT_EQ(1u, got.size());
    EXPECT_EQ("logo", got[0].shader);
    EXPECT_EQ("back", got[0].bgShader);
    EXPECT_FLOAT_EQ(1.0f, got[0].bgColor.x);
    EXPECT_NEAR(128 / 255.0f, got[0].bgColor.y, 1e-5f);
    EXPECT_FLOAT_EQ(0.0f, got[0].bgColor.z);
    EXPECT_FLOAT_EQ(1.0f, got[0].bgColor.w);
    EXPECT_FLOAT_EQ(320.0f, got[0].width);
    EXPECT_FLOAT_EQ(240.5f, got[0].height);
    // After the thrown message the line break before "</config>" is reported
    // as well, as every character up to the next '<'.
    EXPECT_EQ("Init parser error, Error color format., file: config.yml, line: 2\n"
              "Init parser error, Expected '<'., file: config.yml, line: 3\n",
              newLog());
}

TEST_F(InitTest, FailedSaveLogsAndKeepsTheOldFile)
{
    testutil::writeText("config.yml", "<config><render fps='1'/></config>");
    Init init;
    init.load("config.yml");
    init.width = 1234;
    // Block the temporary file next to the target with a folder of its name
    // (works as root too, unlike a read-only folder).
    ASSERT_TRUE(sys::makeDirectories("config.yml.tmp"));
    EXPECT_FALSE(init.save());
    EXPECT_EQ("<config><render fps='1'/></config>", testutil::readText("config.yml"));
    EXPECT_NE(std::string::npos, newLog().find("Init: cannot save the settings to config.yml: ")) << newLog();

    // A path whose folder is a plain file.
    testutil::writeText("plain", "x");
    init.load("plain\\config.yml");
    EXPECT_FALSE(init.save());
    EXPECT_NE(std::string::npos, newLog().find("Init: cannot save the settings to plain\\config.yml: "));
}

TEST_F(InitTest, GlobalIsOneObject)
{
    EXPECT_EQ(&gInit(), &gInit());
}
