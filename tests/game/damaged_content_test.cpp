// The game started headless with one piece of its content missing, then
// cut short: it loads, shows the splash screens, flies the intro and shows
// the menu, starts a new game and plays with a bot at the racket (several
// hundred frames in all), without crashing or hanging, and the log says
// what was wrong with a line naming the file.
#include "core/log.h"
#include "game/score_table.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/sys/thread.h"
#include "tests/common/test_util.h"
#include "tests/game/game_fixture.h"

#include <ostream>
#include <sstream>

namespace {

struct Damage {
    const char* name;   // of the test
    const char* path;   // a file, or a folder (every file in it is damaged)
    bool cut;           // cut to half its length; otherwise removed
    const char* logged; // what a log line must hold
    // Damaged once the game runs, before a new game starts (a level that
    // goes away after the level list was read).
    bool whileRunning = false;
};

std::ostream& operator<<(std::ostream& out, const Damage& d) { return out << d.name; }

const Damage DAMAGES[] = {
    {"ShaderFileMissing", "data/shaders.yml", false, "Shader file data\\shaders.yml cannot be read"},
    {"ShaderFileCut", "data/shaders.yml", true, "it may be cut short, file: data\\shaders.yml"},
    {"MeshMissing", "mesh/ball2.mes", false, "Mesh file mesh\\ball2.mes cannot be read"},
    {"MeshCut", "mesh/ball2.mes", true, "Mesh file mesh\\ball2.mes: no cache written"},
    {"SkeletonMissing", "mesh/hero.ams", false, "Skeleton mesh file mesh\\hero.ams cannot be read"},
    {"SkeletonCut", "mesh/hero.ams", true, "Skeleton mesh file mesh\\hero.ams: no cache written"},
    {"TextureMissing", "textures/ball.png", false, "Load texture textures\\ball.png, failed"},
    {"TextureCut", "textures/ball.png", true, "Load texture textures\\ball.png, failed"},
    {"FontMissing", "fonts/sysfont.fnt", false, "Load font data error, file fonts\\sysfont.fnt"},
    {"FontCut", "fonts/sysfont.fnt", true, "Load font data error, file fonts\\sysfont.fnt"},
    {"SoundMissing", "sound/kick_1.wav", false, "Could not open WAV file sound\\kick_1.wav"},
    {"SoundCut", "sound/kick_1.wav", true, "WAV file sound\\kick_1.wav is cut short"},
    {"MusicFolderMissing", "music", false, "Music folder music holds no tracks"},
    {"MusicFolderCut", "music", true, ".ogg is cut short"},
    {"LevelMissing", "levels/01_first_wall", false, "Cannot open level levels\\01_first_wall", true},
    {"LevelCut", "levels/01_first_wall", true, "Cannot load level levels\\01_first_wall"},
    {"LayoutMissing", "ui/english/mainmenu.yml", false, "Layout ui\\english\\mainmenu.yml cannot be read"},
    {"LayoutCut", "ui/english/mainmenu.yml", true, "ends before </layout>, it may be cut short"},
    {"CameraPathMissing", "data/path.cpt", false, "Camera path data\\path.cpt cannot be read"},
    {"CameraPathCut", "data/path.cpt", true, "Camera path data\\path.cpt: record"},
    {"LevelPicturesMissing", "levels/thumb", false, "Level picture levels\\thumb\\01_first_wall.bmp made"},
    {"LevelPicturesCut", "levels/thumb", true, "Level picture levels\\thumb\\01_first_wall.bmp is damaged"},
};

void damage(const std::string& path, bool cut)
{
    if (sys::pathKind(path) == sys::PathKind::Directory) {
        for (const sys::DirEntry& e : sys::listDirectory(path + "/*"))
            damage(path + "/" + e.name, cut);
        if (!cut)
            ASSERT_EQ(0, std::remove(path.c_str())) << path;
        return;
    }
    if (!cut) {
        ASSERT_TRUE(sys::removeFile(path)) << path;
        return;
    }
    const std::string bytes = testutil::readText(path);
    ASSERT_FALSE(bytes.empty()) << path;
    testutil::writeText(path, bytes.substr(0, bytes.size() / 2));
}

class DamagedContent : public ::testing::TestWithParam<Damage> {
protected:
    void SetUp() override
    {
        for (const char* folder : {"data", "fonts", "textures", "env", "sound", "music", "levels", "ui", "splash"})
            ASSERT_TRUE(testutil::copyFromGame(folder)) << "build the game content first: " << folder;
        // The mesh texts only: the game compiles its caches from them.
        sys::makeDirectories("mesh");
        for (const char* texts : {"/mesh/*.mes", "/mesh/*.ams"})
            for (const sys::DirEntry& e : sys::listDirectory(std::string(TARVELIN_GAME_DIR) + texts))
                ASSERT_TRUE(testutil::copyFromGame("mesh/" + e.name));
        testutil::writeText("config.yml", "<config>\n  <video fullscreen=\"0\">\n"
                                          "  <window width=\"320\" height=\"240\">\n</config>\n");
        YLog::open();
        logStart = testutil::logText().size();
        clock = std::make_unique<sys::ManualClock>(1000);
        wnd::clearInjectedEvents();
        gScoreTable.clear();
    }

    void TearDown() override
    {
        game.reset();
        clock.reset();
        wnd::clearInjectedEvents();
    }

    void frame()
    {
        clock->advance(50);
        game->step();
    }

    size_t logStart = 0;
    std::unique_ptr<sys::ManualClock> clock;
    std::unique_ptr<GameFramework> game;
};

TEST_P(DamagedContent, TheGamePlaysOnAndTheLogSaysWhatIsWrong)
{
    const Damage& d = GetParam();
    // The level pictures are made at the first start; the second start
    // finds them damaged.
    if (std::string(d.path) == "levels/thumb" && d.cut) {
        game = std::make_unique<GameFramework>("");
        game.reset();
    }
    if (!d.whileRunning)
        damage(d.path, d.cut);
    if (HasFatalFailure())
        return;

    game = std::make_unique<GameFramework>("");
    // The splash screens and the intro flight, then the menu.
    int frames = 0;
    for (; frames < 700 && !(game->screen == SCREEN_MAIN_MENU && game->transition == STEADY); ++frames)
        frame();
    EXPECT_EQ(SCREEN_MAIN_MENU, game->screen) << "the start did not end in the main menu";
    if (d.whileRunning)
        damage(d.path, d.cut);
    game->setScreen(SCREEN_NEW_GAME);
    for (const int end = frames + 150; frames < end; ++frames) {
        gametest::bot(true);
        frame();
    }
    EXPECT_EQ(SCREEN_PLAYING, game->screen);
    game.reset();

    const std::string log = testutil::logText().substr(logStart);
    EXPECT_NE(std::string::npos, log.find(d.logged)) << "no log line says: " << d.logged << "\n" << log;
    // Only the damaged file is said to be cut short.
    const std::string path = d.path;
    const std::string damaged = path.substr(path.find_last_of('/') + 1);
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);)
        if (line.find("cut short") != std::string::npos)
            EXPECT_NE(std::string::npos, line.find(damaged)) << line;
}

INSTANTIATE_TEST_SUITE_P(Game, DamagedContent, ::testing::ValuesIn(DAMAGES),
                         [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

} // namespace

namespace {

class SecondStart : public gametest::GameTest {};

// A game that ended keeps nothing the next one draws with: the second
// start in the same process makes the picture of a level it cannot load
// before it shows an environment of its own.
TEST_F(SecondStart, AGameStartedAfterAnotherEndedDrawsNothingOfTheFirst)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    game.reset();
    const std::string level = testutil::readText("levels/00_one");
    testutil::writeText("levels/02_cut", level.substr(0, level.size() / 2));
    const size_t mark = testutil::logText().size();

    game = std::make_unique<GameFramework>("");
    EXPECT_TRUE(testutil::logHas("Cannot load level levels\\02_cut", mark));
    EXPECT_TRUE(testutil::logHas("Level picture levels\\thumb\\02_cut.bmp made", mark));
    EXPECT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
}

} // namespace

namespace {

// A starved system that refuses every thread the game would start for its
// music and its picture decoding: none is needed to play. The game starts,
// loads every texture, plays and quits, each refusal said once; the next
// start, with threads, plays as ever.
class RefusedThreads : public gametest::GameTest {
protected:
    void SetUp() override
    {
        sys::setThreadRefusal([](const char*) { return true; });
        mark = testutil::logText().size();
        GameTest::SetUp();
    }
    void TearDown() override
    {
        GameTest::TearDown();
        sys::setThreadRefusal(nullptr);
    }
    size_t mark = 0;
};

TEST_F(RefusedThreads, TheGamePlaysWithoutThemAndSaysSoOnce)
{
    startPlay();
    for (int i = 0; i < 100; ++i) {
        gametest::bot(true);
        frame();
    }
    EXPECT_EQ(SCREEN_PLAYING, game->screen);
    game.reset();
    EXPECT_EQ(1u, testutil::logCount("Music thread could not be started: Resource temporarily unavailable; no music",
                                     mark));
    EXPECT_EQ(1u, testutil::logCount("Picture decoding thread could not be started: Resource temporarily "
                                     "unavailable; pictures are decoded as their textures load",
                                     mark));
    EXPECT_EQ(2u, testutil::logCount("could not be started", mark));
    EXPECT_GT(testutil::logCount("Load texture ", mark), 20u);
    EXPECT_EQ(0u, testutil::logCount(", failed", mark));

    sys::setThreadRefusal(nullptr);
    mark = testutil::logText().size();
    game = std::make_unique<GameFramework>("");
    EXPECT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    EXPECT_EQ(0u, testutil::logCount("could not be started", mark));
}

} // namespace
