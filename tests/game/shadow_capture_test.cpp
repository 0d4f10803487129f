// Pictures of the real frame with stencil shadows on and off: the hero
// holding a ball in front of a block structure, a level's picture, and the
// stored backdrop of full screen.
#include "tests/game/game_fixture.h"

#include "core/init.h"
#include "platform/gfx/device.h"
#include "platform/img/image.h"
#include "platform/sys/files.h"
#include "platform/sys/random.h"
#include "render/render.h"
#include "render/render_d3d.h"
#include "render/shadow_volume.h"
#include "render/skel_instance.h"
#include "tests/common/render_util.h"
#include "world/block.h"

#include <cstdio>

using namespace gametest;

namespace {

// A wall and a tower of stone and wood on the table, and a bridge whose
// span throws its shadow onto the wall in front.
class ShadowCapture : public GameTest {
protected:
    void writeLevels() override
    {
        YLevelFile level;
        level.tableMaterial = "marble";
        level.center = true;
        auto add = [&](int x, int y, int z, int w, int h, int d, const char* material) {
            YLevelItem it;
            it.x = x, it.y = y, it.z = z;
            it.w = w, it.h = h, it.d = d;
            it.material = material;
            it.glue = 100.0f;
            level.items.push_back(it);
        };
        add(0, 0, 0, 4, 1, 2, "stone");
        add(0, 1, 0, 1, 1, 3, "wood");
        add(3, 1, 0, 1, 1, 3, "wood");
        add(0, 1, 3, 1, 1, 1, "plain");
        add(3, 1, 3, 1, 1, 1, "plain");
        add(0, 2, 3, 4, 1, 1, "plain");
        add(1, 5, 0, 2, 1, 4, "stone");
        ASSERT_TRUE(saveLevelFile("levels/00_bridge", level));
    }

    void setShadows(bool on)
    {
        gInit().shadows = on;
    }

    void TearDown() override
    {
        gInit().shadows = true;
        GameTest::TearDown();
    }

    // The back buffer after a frame.
    std::vector<uint8_t> picture()
    {
        frame();
        int w = 0, h = 0;
        std::vector<uint8_t> rgba;
        EXPECT_TRUE(static_cast<Render_D3D*>(gRender)->device()->readPixels(nullptr, w, h, rgba));
        return rgba;
    }
};

struct Difference {
    int darker = 0, brighter = 0, changedInTopRows = 0;
};

// Pixel by pixel: how many got darker (by more than 12 of 255 in a
// channel sum of three) or brighter with shadows, and how many changed in
// the top fifth of the picture (the backdrop above the table).
Difference compare(const char* offFile, const char* onFile)
{
    img::Image off, on;
    std::string error;
    EXPECT_TRUE(img::loadImage(offFile, off, &error)) << error;
    EXPECT_TRUE(img::loadImage(onFile, on, &error)) << error;
    Difference d;
    if (off.width != on.width || off.height != on.height)
        return d;
    for (int y = 0; y < off.height; ++y)
        for (int x = 0; x < off.width; ++x) {
            const uint8_t* a = off.texel(x, y);
            const uint8_t* b = on.texel(x, y);
            const int delta = (b[0] + b[1] + b[2]) - (a[0] + a[1] + a[2]);
            d.darker += delta < -36 ? 1 : 0;
            d.brighter += delta > 6 ? 1 : 0;
            if (y < off.height / 5 && delta != 0)
                ++d.changedInTopRows;
        }
    return d;
}

} // namespace

TEST_F(ShadowCapture, TheLevelPictureShowsTheStructuresShadows)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    const char* thumb = "levels/thumb/00_bridge.bmp";
    for (bool on : {false, true}) {
        ASSERT_EQ(0, std::remove(thumb));
        setShadows(on);
        sys::srand(5); // the same turn of the view both times
        game->makeLevelThumbnails();
        const std::string kept = on ? "level_shadows_on.bmp" : "level_shadows_off.bmp";
        std::string data;
        ASSERT_TRUE(sys::readFile(thumb, data));
        ASSERT_TRUE(sys::writeFileAtomic(kept, data));
        testutil::keepShot(kept);
    }
    const Difference d = compare("level_shadows_off.bmp", "level_shadows_on.bmp");
    EXPECT_GT(d.darker, 20) << "the shadows show in the picture";
    EXPECT_EQ(0, d.brighter);
}

TEST_F(ShadowCapture, TheHeroAndTheBlocksCastShadowsOntoTheTable)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    game->setScreen(SCREEN_NEW_GAME);
    ASSERT_TRUE(runUntilSteady(SCREEN_PLAYING));
    for (int i = 0; i < 400 && !(gRacket->state == YRACKET_PLAY && gRacket->held); ++i)
        frame();
    ASSERT_NE(nullptr, gRacket->held) << "the hero holds no ball at the start of play";
    gRacket->moveTo(-0.4f);
    for (int i = 0; i < 20; ++i)
        frame();
    // Paused, nothing moves: both pictures show the same moment. The view
    // turned as far as it goes to the left, where the light comes from
    // behind the player's shoulder and the shadows fall into view.
    game->setScreen(SCREEN_PAUSED);
    ASSERT_TRUE(runUntilSteady(SCREEN_PAUSED));
    game->menuView.beginDrag(160, 120);
    game->menuView.endDrag(320, 120);
    // Every frame starts the shadow lists afresh: a still scene casts the
    // same edges frame after frame.
    frame();
    const size_t cast = gShadows().frontList().size() + gShadows().backList().size();
    EXPECT_GT(cast, 0u);
    frame();
    EXPECT_EQ(cast, gShadows().frontList().size() + gShadows().backList().size());
    for (bool on : {false, true}) {
        setShadows(on);
        ASSERT_TRUE(testutil::captureShot(*gRender, 320, 240, on ? "play_shadows_on.bmp" : "play_shadows_off.bmp",
                                          [&] { frame(); }));
    }
    const Difference d = compare("play_shadows_off.bmp", "play_shadows_on.bmp");
    EXPECT_GT(d.darker, 320 * 240 / 100) << "the shadows show";
    EXPECT_EQ(0, d.brighter) << "shadows only darken";
    EXPECT_EQ(0, d.changedInTopRows) << "the backdrop above the table stays as it was";
}

namespace {

// Full screen: the table is drawn into a stored backdrop.
class ShadowCaptureFullScreen : public ShadowCapture {
protected:
    void SetUp() override
    {
        ShadowCapture::SetUp();
        game.reset();
        testutil::writeText("config.yml", "<config>\n  <video fullscreen=\"1\">\n</config>\n");
        game = std::make_unique<GameFramework>("");
    }
};

} // namespace

TEST_F(ShadowCaptureFullScreen, TheStoredBackdropFollowsTheSetting)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    game->setScreen(SCREEN_NEW_GAME);
    ASSERT_TRUE(runUntilSteady(SCREEN_PLAYING));
    game->setScreen(SCREEN_PAUSED);
    ASSERT_TRUE(runUntilSteady(SCREEN_PAUSED));
    ASSERT_TRUE(gRender->hasFrameCopy());
    const std::vector<uint8_t> shaded = picture();
    setShadows(false);
    const std::vector<uint8_t> plain = picture();
    EXPECT_NE(shaded, plain);
    // Drawn again from scratch (the screen entered anew): the same picture.
    game->setScreen(SCREEN_PAUSED);
    ASSERT_TRUE(runUntilSteady(SCREEN_PAUSED));
    EXPECT_EQ(plain, picture());
}

namespace {

// The same still scene in a window and in full screen at the same size:
// paused play on the bridge, the view turned to where the light comes from
// behind the player's shoulder.
class ShadowWindowAndFullScreen : public ShadowCapture {
protected:
    ShadowWindowAndFullScreen()
    {
        windowWidth = 1024;
        windowHeight = 768;
    }

    void start(bool fullScreen)
    {
        game.reset();
        testutil::writeText("config.yml", std::string("<config>\n  <video fullscreen=\"") + (fullScreen ? "1" : "0") +
                                              "\">\n  <window width=\"1024\" height=\"768\">\n</config>\n");
        game = std::make_unique<GameFramework>("");
        ASSERT_EQ(fullScreen, gRender->hasFrameCopy());
        ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
        sys::srand(3);
        game->setScreen(SCREEN_NEW_GAME);
        ASSERT_TRUE(runUntilSteady(SCREEN_PLAYING));
        game->setScreen(SCREEN_PAUSED);
        game->menuView.beginDrag(160, 120);
        game->menuView.endDrag(320, 120);
        ASSERT_TRUE(runUntilSteady(SCREEN_PAUSED));
    }

    // Which pixels the shadows darken with the table as the only caster:
    // the blocks and the balls gone, the hero hidden.
    std::vector<bool> tableShadows()
    {
        destroyRacketObjects();
        clearWorld();
        gRacket->hero->visible = false;
        std::vector<uint8_t> pictures[2];
        for (bool on : {false, true}) {
            setShadows(on);
            pictures[on] = picture();
            EXPECT_TRUE(gShadows().frontList().empty() && gShadows().backList().empty())
                << "something besides the table casts a shadow";
        }
        std::vector<bool> mask(pictures[0].size() / 4);
        for (size_t i = 0; i < mask.size(); ++i)
            mask[i] = brightness(&pictures[1][i * 4]) - brightness(&pictures[0][i * 4]) < -36;
        return mask;
    }

    static int brightness(const uint8_t* rgba) { return rgba[0] + rgba[1] + rgba[2]; }
};

} // namespace

TEST_F(ShadowWindowAndFullScreen, TheTableShadowsItselfInAWindowAsInFullScreen)
{
    start(false);
    const std::vector<uint8_t> windowScene = picture();
    const std::vector<bool> window = tableShadows();
    start(true);
    const std::vector<uint8_t> fullScreenScene = picture();
    const std::vector<bool> fullScreen = tableShadows();

    ASSERT_EQ(1024u * 768u, window.size());
    ASSERT_EQ(window.size(), fullScreen.size());
    size_t inWindow = 0, inFullScreen = 0, differ = 0;
    for (size_t i = 0; i < window.size(); ++i) {
        inWindow += window[i];
        inFullScreen += fullScreen[i];
        differ += window[i] != fullScreen[i];
    }
    EXPECT_GT(inFullScreen, 1000u) << "the table casts shadows on itself";
    EXPECT_LT(differ, inFullScreen / 50 + 1) << "in a window " << inWindow << ", in full screen " << inFullScreen;

    // With the blocks and the hero casting too: where their shadows and the
    // table's meet, nothing is darkened twice.
    ASSERT_EQ(windowScene.size(), fullScreenScene.size());
    size_t darkerInWindow = 0;
    for (size_t i = 0; i < windowScene.size(); i += 4)
        darkerInWindow += brightness(&windowScene[i]) - brightness(&fullScreenScene[i]) < -36;
    EXPECT_LT(darkerInWindow, 20u);
}
