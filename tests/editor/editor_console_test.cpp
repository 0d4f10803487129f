// The editor's console: every command and variable with its reply, the
// limits of the values, and loading and saving level files.
#include "tests/editor/editor_fixture.h"

#include "core/init.h"
#include "render/environment.h"
#include "render/render.h"
#include "world/block.h"
#include "world/block_material.h"
#include "world/block_single.h"
#include "world/table.h"

using namespace editortest;

TEST_F(EditorTest, EveryCommandAndVariableRepliesWithItsValue)
{
    const struct {
        const char* line;
        const char* reply;
    } cases[] = {
        {"fps=1", "fps=true"},
        {"fps=maybe", "fps=false"},
        {"shadows=0", "shadows=false"},
        {"fullscreen=false", "fullscreen=false"},
        {"table=5x500", "table=10x100"},
        {"table=30x25.5", "table=30x25.5"},
        {"table=nanx20", "table=30x25.5"},
        {"cell=0.1x1x20", "cell=0.25x1x10"},
        {"cell=2x1e39x1", "cell=0.25x1x10"},
        {"cell=1x1x1", "cell=1x1x1"},
        {"mode=2", "mode=bonus"},
        {"mode=glue", "mode=glue"},
        {"mode=erase", "mode=glue"},
        {"n", "n mode=new ok."},
        {"d", "d mode=del ok."},
        {"new", "new mode=new ok."},
        {"m=wood", "m=wood"},
        {"material=unobtainium", "material=wood"},
        {"mat=glass", "mat=glass"},
        {"glue=0.5", "glue=1"},
        {"g=nan", "g=1"},
        {"g=inf", "g=1"},
        {"g=12.5", "g=12.5"},
        {"bonus=-7", "bonus=-1"},
        {"b=99", "b=23"},
        {"b=99999999999", "b=23"},
        {"b=17", "b=17"},
        {"bc=3", "bc=3"},
        {"bc=1e9", "bc=1"},
        {"bc=99999999999", "bc=100000"},
        {"center=1", "center=true"},
        {"tm=granite", "tm=granite"},
        {"table_mat=wood", "table_mat=wood"},
        {"env=dusk", "env=dusk"},
        {"video_mode=640x480:32", "video_mode=640x480:32"},
        {"sav", "sav fail."},
        {"reload", "reload fail."},
        {"nothing", "? 'nothing'."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.reply, run(c.line)) << c.line;

    EXPECT_FALSE(gInit().fps);
    EXPECT_FALSE(gInit().shadows);
    EXPECT_EQ(30.0f, gTable->width());
    EXPECT_EQ(25.5f, gTable->depth());
    EXPECT_EQ(EDIT_NEW, editor->mode);
    EXPECT_EQ("glass", editor->material);
    EXPECT_EQ(12.5f, editor->glue);
    EXPECT_EQ(100000, gEditorBonusCounts[17].total);
    EXPECT_TRUE(editor->center);
    EXPECT_EQ("wood", editor->tableMaterial);
    EXPECT_EQ("dusk", editor->environment);
    EXPECT_EQ("640x480:32", gInit().mode);

    // Without a current bonus the count is left alone and nothing is said.
    run("b=-1");
    EXPECT_EQ("b=-1", run("bc=5"));
    EXPECT_EQ(100000, gEditorBonusCounts[17].total);

    // "clear" empties the level and says nothing.
    editor->applyMode();
    ASSERT_EQ(1u, gEditorItems.size());
    EXPECT_EQ("b=-1", run("clear"));
    EXPECT_TRUE(gEditorItems.empty());
    EXPECT_TRUE(gBlocks.empty());
    EXPECT_EQ(0, gEditorBonusCounts[17].total);

    EXPECT_EQ("exit ok.", run("exit"));
    EXPECT_FALSE(editor->isRunning());
}

TEST_F(EditorTest, LevelNamesOutsideTheLevelsFolderAndUnreadableFilesFail)
{
    run("m=glass");
    editor->applyMode();
    EXPECT_EQ("save=first ok.", run("save=first"));
    EXPECT_EQ("first", editor->levelName);

    testutil::writeText("outside", "keep");
    for (const char* name : {"..", ".", "../outside", "a\\b", "a/b", "/tmp/x"}) {
        EXPECT_EQ(std::string("save=") + name + " fail.", run(std::string("save=") + name)) << name;
        EXPECT_EQ(std::string("load=") + name + " fail.", run(std::string("load=") + name)) << name;
    }
    EXPECT_EQ("keep", testutil::readText("outside"));
    EXPECT_EQ("first", editor->levelName);

    // A file that cannot be read changes nothing and keeps the old name, so
    // "sav" writes the level that was loaded, not over the broken file.
    testutil::writeText("levels/broken", "short");
    EXPECT_EQ("load=broken fail.", run("load=broken"));
    EXPECT_EQ("load=missing fail.", run("load=missing"));
    EXPECT_EQ(1u, gEditorItems.size());
    EXPECT_EQ("first", editor->levelName);
    EXPECT_EQ("sav ok.", run("sav"));
    EXPECT_EQ("short", testutil::readText("levels/broken"));

    // A level the writer refuses fails, and the old file stays.
    std::string before = testutil::readText("levels/first");
    gEditorItems[0].glue = std::numeric_limits<float>::infinity();
    EXPECT_EQ("sav fail.", run("sav"));
    EXPECT_EQ(before, testutil::readText("levels/first"));
    EXPECT_EQ("reload ok.", run("reload"));
    EXPECT_EQ(35.0f, gEditorItems[0].glue);
}

// A level with an item of no known material and one with a bonus id the
// game does not have: both items stay, the first is not shown, the second
// holds no bonus, and both are saved again.
TEST_F(EditorTest, ItemsOfUnknownMaterialsSurviveALoadAndASave)
{
    YLevelFile level;
    level.tableMaterial = "nowhere";
    level.environment = "";
    level.bonusCounts[3] = 1; // fewer than placed: raised on load
    YLevelItem odd;
    odd.material = "unobtainium";
    odd.bonus = 3;
    YLevelItem stray;
    stray.x = 2;
    stray.material = "glass";
    stray.bonus = 3;
    YLevelItem far = stray;
    far.x = 4;
    far.bonus = 23;
    level.items = {odd, stray, far};
    ASSERT_TRUE(saveLevelFile("levels/odd", level));
    // The writer refuses bonus id 30: the last item's id, the file's last
    // four bytes, is patched in. It is read as no bonus.
    std::string bytes = testutil::readText("levels/odd");
    bytes[bytes.size() - 4] = 30;
    testutil::writeText("levels/odd", bytes);
    EXPECT_EQ("load=odd ok.", run("load=odd"));
    ASSERT_EQ(3u, gEditorItems.size());
    EXPECT_EQ("unobtainium", gEditorItems[0].material);
    EXPECT_EQ(-1, gEditorItems[2].bonus);
    EXPECT_EQ(2, gEditorBonusCounts[3].placed);
    EXPECT_EQ(2, gEditorBonusCounts[3].total);
    EXPECT_EQ(2u, gBlocks.size()) << "the unknown material has no block";
    EXPECT_TRUE(testutil::logHas("No block material \"unobtainium\""));

    // "new" with a material nobody defined keeps the item too.
    editor->material = "unobtainium";
    editor->cursor.x = 6;
    EXPECT_TRUE(editor->applyMode());
    EXPECT_EQ(4u, gEditorItems.size());

    EXPECT_EQ("save=odd2 ok.", run("save=odd2"));
    YLevelFile back;
    ASSERT_TRUE(loadLevelFile("levels/odd2", back));
    ASSERT_EQ(4u, back.items.size());
    EXPECT_EQ("unobtainium", back.items[0].material);
    EXPECT_EQ("unobtainium", back.items[3].material);
    EXPECT_EQ("nowhere", back.tableMaterial);
    EXPECT_EQ(2, back.bonusCounts[3]);
}

TEST_F(EditorTest, ACellChangeMakesTheBlockShapesAnew)
{
    run("m=glass");
    editor->cursor = {0, 0, 0, 2, 1, 1};
    editor->applyMode();
    run("cell=2x1x0.5");
    ASSERT_EQ(1u, gBlocks.size());
    auto* single = dynamic_cast<YBlockSingle*>(gBlocks[0]);
    ASSERT_NE(nullptr, single);
    EXPECT_FLOAT_EQ(2.0f, single->shape()->halfExtents.x);
    EXPECT_FLOAT_EQ(0.5f, single->shape()->halfExtents.y);
    EXPECT_FLOAT_EQ(0.25f, single->shape()->halfExtents.z);
    EXPECT_FLOAT_EQ(2.0f, single->getTransform().translation().x);
    EXPECT_FLOAT_EQ(0.25f, single->getTransform().translation().z);
}

TEST_F(EditorTest, ASecondEditorStartsOnAnEmptyLevel)
{
    run("m=glass");
    editor->applyMode();
    run("bc=4");
    editor.reset();
    EXPECT_EQ(nullptr, gEditor);
    // The second one full screen: the backdrop and the table come from the
    // frame copy, drawn again after the view moved.
    testutil::writeText("config.yml", "<config>\n  <video fullscreen=\"1\">\n</config>\n");
    editor = std::make_unique<EditorFramework>("");
    step();
    EXPECT_TRUE(editor->isFullscreen());
    EXPECT_TRUE(gRender->hasFrameCopy());
    inject(wnd::EventType::Wheel, 120);
    step();
    EXPECT_FALSE(editor->sceneChanged) << "the copy was not drawn again";
    EXPECT_TRUE(gEditorItems.empty());
    EXPECT_TRUE(gBlocks.empty());
    EXPECT_EQ(0, gEditorBonusCounts[0].total);
    EXPECT_EQ(24u, gEditorBonusCounts.size());
    EXPECT_EQ("mode=new", run("mode=new"));
}
