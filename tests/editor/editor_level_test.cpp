// A level made with the editor's keys and console, saved, read back, saved
// again under another name, then listed, pictured and played by the game.
#include "tests/editor/editor_fixture.h"

#include "core/file_list.h"
#include "platform/sys/files.h"
#include "tests/game/game_fixture.h"
#include "world/block.h"
#include "world/block_item.h"
#include "world/block_set.h"
#include "world/block_single.h"

#include <algorithm>

using namespace editortest;

namespace {

// Break strength and health of every block: what damage wears down.
float blockSoundness()
{
    float sum = 0.0f;
    for (YBlock* b : gBlocks) {
        if (auto* set = dynamic_cast<YBlockSet*>(b)) {
            for (size_t i = 0; i < set->itemCount(); ++i)
                sum += set->item(i)->breakStrength + set->item(i)->health;
        } else if (auto* single = dynamic_cast<YBlockSingle*>(b)) {
            sum += single->health;
        }
    }
    return sum;
}

} // namespace

TEST_F(EditorTest, ALevelBuiltWithKeysIsSavedReadBackAndPlayedByTheGame)
{
    // Five glass blocks in a row four cells in front of the middle, the
    // last holding a bomb, and one more bomb dealt out at random.
    type("m=glass");
    type("g=5");
    type("tm=marble");
    type("center=1");
    for (int i = 0; i < 4; ++i)
        press(vk::DOWN);
    for (int i = 0; i < 5; ++i) {
        press(vk::SPACE, ' ');
        press(vk::RIGHT);
    }
    type("b=17");
    type("mode=bonus");
    press(vk::LEFT);
    press(vk::SPACE, ' ');
    type("bc=2");
    EXPECT_EQ("bc=2", lastLine());
    type("save=90_edit");
    EXPECT_EQ("save=90_edit ok.", lastLine());

    YLevelFile back;
    ASSERT_TRUE(loadLevelFile("levels/90_edit", back));
    ASSERT_EQ(5u, back.items.size());
    for (int i = 0; i < 5; ++i) {
        const YLevelItem& it = back.items[static_cast<size_t>(i)];
        EXPECT_EQ(i, it.x);
        EXPECT_EQ(-4, it.y);
        EXPECT_EQ(0, it.z);
        EXPECT_EQ("glass", it.material);
        EXPECT_EQ(5.0f, it.glue);
        EXPECT_EQ(i == 4 ? 17 : -1, it.bonus);
    }
    EXPECT_EQ(2, back.bonusCounts[17]);
    EXPECT_TRUE(back.center);
    EXPECT_EQ("marble", back.tableMaterial);

    type("load=90_edit");
    type("save=91_copy");
    EXPECT_EQ("save=91_copy ok.", lastLine());
    EXPECT_EQ(testutil::readText("levels/90_edit"), testutil::readText("levels/91_copy"));

    // The game in the same folder lists both, pictures them and plays the
    // first: the ball wears its blocks down.
    editor.reset();
    sys::removeFile("data/path.cpt"); // no intro flight: on to the menu
    auto game = std::make_unique<GameFramework>("");
    auto at = std::find(gLevelNames.begin(), gLevelNames.end(), "90_edit");
    ASSERT_NE(gLevelNames.end(), at);
    EXPECT_NE(gLevelNames.end(), std::find(gLevelNames.begin(), gLevelNames.end(), "91_copy"));
    EXPECT_TRUE(fileExists("levels/thumb/90_edit.bmp", false));
    testutil::keepShot("levels/thumb/90_edit.bmp");

    auto frame = [&] {
        gametest::bot(true);
        clock->advance(50);
        game->step();
    };
    for (int i = 0; i < 200 && !(game->screen == SCREEN_MAIN_MENU && game->transition == STEADY); ++i)
        frame();
    game->currentLevel = static_cast<int32_t>(at - gLevelNames.begin());
    game->setScreen(SCREEN_NEW_GAME);
    for (int i = 0; i < 200 && game->screen != SCREEN_PLAYING; ++i)
        frame();
    ASSERT_EQ(SCREEN_PLAYING, game->screen);
    const float whole = blockSoundness();
    EXPECT_FLOAT_EQ(5 * (5.0f + 60.0f), whole);
    bool worn = false;
    for (int i = 0; i < 3000 && !worn; ++i) {
        frame();
        worn = blockSoundness() < whole;
    }
    EXPECT_TRUE(worn) << "the blocks took no damage";
    game.reset();
}
