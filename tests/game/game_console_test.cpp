// The game console's commands and variables on the real game.
#include "tests/game/game_fixture.h"

#include "core/init.h"
#include "game/progress.h"
#include "render/console.h"
#include "sound/sound_source.h"

using namespace gametest;

namespace {

class GameConsole : public GameTest {
protected:
    // Runs a line of statements; the output lines it added.
    std::vector<std::string> run(const std::string& line)
    {
        YConsole& console = game->getGameConsole();
        console.update(0.0f);
        const size_t before = console.lines().size();
        console.setInputLine(line);
        console.execute();
        console.update(0.0f);
        return std::vector<std::string>(console.lines().begin() + static_cast<std::ptrdiff_t>(before),
                                        console.lines().end());
    }
    using Lines = std::vector<std::string>;
};

} // namespace

TEST_F(GameConsole, VariablesChangeTheSettingsAndEchoThem)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    Init& s = gInit();
    struct Case {
        const char* line;
        Lines echo;
        std::function<bool()> holds;
    };
    const Case cases[] = {
        {"fps=1", {"fps=true"}, [&] { return s.fps; }},
        {"fps=false shadows=0", {"fps=false", "shadows=false"}, [&] { return !s.fps && !s.shadows; }},
        {"shadows=true", {"shadows=true"}, [&] { return s.shadows; }},
        {"popupscores=0 popuplosses=1", {"popupscores=false", "popuplosses=true"},
         [&] { return !s.popupscores && s.popuplosses; }},
        {"sound_volume=0.5", {"sound_volume=0.5"}, [&] { return s.volume == 0.5f && getSoundVolume() == 0.5f; }},
        // Volumes stay within 0..1, whatever is typed.
        {"sound_volume=7", {"sound_volume=1"}, [&] { return s.volume == 1.0f && getSoundVolume() == 1.0f; }},
        {"music_volume=-2", {"music_volume=0"}, [&] { return s.music == 0.0f && getMusicVolume() == 0.0f; }},
        {"music_volume=nan", {"music_volume=0"}, [&] { return s.music == 0.0f; }},
        {"music_volume=0.25", {"music_volume=0.25"}, [&] { return s.music == 0.25f && getMusicVolume() == 0.25f; }},
        // Already windowed: only the echo.
        {"fullscreen=0", {"fullscreen=false"}, [&] { return !game->isFullscreen() && !s.fullscreen; }},
        {"popupscores=maybe", {"? 'maybe'.", "popupscores=false"}, [&] { return !s.popupscores; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(c.echo, run(c.line));
        EXPECT_TRUE(c.holds());
    }
}

TEST_F(GameConsole, WindowChangesWaitForTheNextFrame)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    // Asked twice in one line, the last word holds.
    EXPECT_EQ((Lines{"fullscreen=true", "fullscreen=false"}), run("fullscreen=1 fullscreen=0"));
    frame();
    EXPECT_FALSE(game->isFullscreen());

    EXPECT_EQ(Lines{"fullscreen=true"}, run("fullscreen=1"));
    EXPECT_FALSE(game->isFullscreen()) << "not inside the typing";
    EXPECT_TRUE(gInit().fullscreen);
    frame();
    EXPECT_TRUE(game->isFullscreen());

    // A new mode makes a new window (its device loads the textures again).
    const size_t mark = testutil::logText().size();
    EXPECT_EQ(Lines{"video_mode=640x480:32"}, run("video_mode=640x480:32"));
    EXPECT_EQ("640x480:32", gInit().mode);
    EXPECT_FALSE(testutil::logHas("Load texture", mark));
    frame();
    EXPECT_TRUE(testutil::logHas("Load texture", mark));
    EXPECT_TRUE(game->isFullscreen());
    EXPECT_NE(nullptr, game->window());

    run("fullscreen=0");
    frame();
    EXPECT_FALSE(game->isFullscreen());
    frame();
}

TEST_F(GameConsole, OpenAllLevelsOutlivesARestartAndExitSavesTheSettings)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    EXPECT_EQ(Lines{"open_all_levels ok."}, run("open_all_levels"));
    EXPECT_EQ(GameFramework::ALL_LEVELS_OPEN, game->highestLevel);
    EXPECT_EQ(10000, readProgress());

    // A second game in the same process has its own console.
    game.reset();
    game = std::make_unique<GameFramework>("");
    EXPECT_EQ(10000, game->highestLevel);
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    game->getGameConsole().setVisible(true);
    for (int i = 0; i < 5; ++i)
        frame();
    EXPECT_EQ((Lines{"fps=true"}), run("fps=1"));
    EXPECT_EQ((Lines{"? 'nonsense'."}), run("nonsense"));

    EXPECT_EQ(Lines{"exit ok."}, run("exit"));
    EXPECT_FALSE(game->isRunning());
    EXPECT_NE(std::string::npos, testutil::readText("config.yml").find("fps=\"1\""));
}
