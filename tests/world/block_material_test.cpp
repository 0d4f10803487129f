// The materials file and the block shapes made from it.
#include "tests/world/block_test_fixture.h"

#include "render/recording_render.h"

#include <algorithm>
#include <cmath>
#include <memory>

using namespace blocktest;

namespace {

class BlockMaterialTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        logStart = testutil::logText().size();
        resources = std::make_unique<NewResources>();
    }
    void TearDown() override
    {
        clearBlockMaterials();
        clearShaders();
        clearNamedSounds();
        resources.reset();
        render.reset();
        gCellSize = YVec3(1, 1, 1);
    }
    void load(const std::string& text)
    {
        testutil::writeText("data/blocks.yml", text);
        loadBlockMaterials("data\\blocks.yml");
    }
    std::string log() const { return testutil::logText().substr(logStart); }
    // This loader's lines of the log, without what else was logged.
    std::string loaderLines() const
    {
        std::string text = log(), lines;
        for (size_t at = 0, end; at < text.size(); at = end + 1) {
            end = std::min(text.find('\n', at), text.size());
            if (text.compare(at, 22, "Block Marterial Loader") == 0)
                lines += text.substr(at, end - at) + "\n";
        }
        return lines;
    }

    size_t logStart = 0;
    std::unique_ptr<NewResources> resources;
    std::unique_ptr<YRecordingRender> render;
};

} // namespace

TEST_F(BlockMaterialTest, MaterialsTakeTheRegisteredDefaults)
{
    load("<material name=\"a\"/>\n<material name=\"b\" mass=\"0.5\"/>\n");
    ASSERT_EQ(2u, gBlockMaterials.size());
    const YBlockMaterial* a = gBlockMaterials[0];
    EXPECT_EQ("a", a->name);
    EXPECT_FLOAT_EQ(1.0f, a->mass);
    EXPECT_FLOAT_EQ(200.0f, a->health);
    EXPECT_EQ(25, a->score);
    EXPECT_EQ("block", a->shader->name);
    EXPECT_EQ("in_block", a->inShader->name);
    EXPECT_EQ(getNamedSound("def_stroke"), a->soundStroke) << "named sounds, made when first named";
    EXPECT_EQ("def_destroy", a->soundDestroy->name());
    EXPECT_FLOAT_EQ(0.5f, gBlockMaterials[1]->mass);
    EXPECT_EQ(a->shader, gBlockMaterials[1]->shader) << "one shader of one name";
    EXPECT_EQ(std::string::npos, log().find("Block Marterial")) << log();
}

TEST_F(BlockMaterialTest, EachDefaultGovernsTheMaterialsAfterIt)
{
    load("<material name=\"before\"/>\n"
         "<default mass=\"3\" scores=\"70\" sound_stroke=\"wood_stroke\"/>\n"
         "<material name=\"first\" health=\"50\"/>\n"
         "<default health=\"10\"/>\n"
         "<material name=\"second\"/>\n");
    auto get = [](const char* n) { return findBlockMaterial(n); };
    EXPECT_FLOAT_EQ(1.0f, get("before")->mass);
    EXPECT_FLOAT_EQ(3.0f, get("first")->mass);
    EXPECT_EQ(70, get("first")->score);
    EXPECT_FLOAT_EQ(50.0f, get("first")->health);
    EXPECT_EQ("wood_stroke", get("first")->soundStroke->name());
    // The second default leaves out mass, score and sound: theirs are the
    // registered ones again.
    EXPECT_FLOAT_EQ(1.0f, get("second")->mass);
    EXPECT_FLOAT_EQ(10.0f, get("second")->health);
    EXPECT_EQ(25, get("second")->score);
    EXPECT_EQ("def_stroke", get("second")->soundStroke->name());
    EXPECT_EQ(nullptr, get("Second")) << "names are compared exactly";
}

TEST_F(BlockMaterialTest, ShapesAreMadeOnceWithTheirMassAreasAndInertia)
{
    load("<material name=\"m\" mass=\"0.5\" health=\"80\"/>\n");
    YBlockShape* s = getBlockShape("m", 2, 1, 3);
    ASSERT_TRUE(s);
    EXPECT_FLOAT_EQ(3.0f, s->mass);
    EXPECT_FLOAT_EQ(80.0f, s->health);
    const int areas[6] = {3, 3, 6, 6, 2, 2};
    for (int f = 0; f < 6; ++f)
        EXPECT_EQ(areas[f], s->faceArea[f]) << f;
    EXPECT_FLOAT_EQ(1.0f, s->halfExtents.x);
    EXPECT_FLOAT_EQ(1.5f, s->halfExtents.z);
    EXPECT_FLOAT_EQ((1 + 9) * 3.0f / 12, s->inertia.x);
    EXPECT_FLOAT_EQ((4 + 9) * 3.0f / 12, s->inertia.y);
    EXPECT_FLOAT_EQ((4 + 1) * 3.0f / 12, s->inertia.z);
    EXPECT_EQ(s, getBlockShape("m", 2, 1, 3));
    EXPECT_NE(s, getBlockShape("m", 3, 1, 2));
    EXPECT_EQ(nullptr, getBlockShape("nothing", 1, 1, 1));
    EXPECT_EQ(nullptr, getBlockShape("m", 0, 1, 1));
    EXPECT_EQ(nullptr, getBlockShape("m", 1, -2, 1));

    // A new cell size takes effect for shapes made after the shapes clear.
    gCellSize = YVec3(2, 2, 2);
    clearBlockShapes();
    YBlockShape* big = getBlockShape("m", 2, 1, 3);
    EXPECT_FLOAT_EQ(2.0f, big->halfExtents.x);
    EXPECT_FLOAT_EQ(3.0f, big->mass) << "mass goes by cells, not by size";
}

TEST_F(BlockMaterialTest, ErrorsAreReportedWithTheirLineAndTheRestIsRead)
{
    load("<material name=\"good\" mass=\"2.5\"/>\n"
         "<material name=\"broken\" colour=\"red\"/>\n"
         "<material name=\"after\" health=\"-1\"/>\n");
    std::string text = log();
    EXPECT_NE(std::string::npos,
              text.find("Block Marterial Loader error, Unknown attribute: colour of tag: material, "
                        "line: 1\n"))
        << text;
    ASSERT_TRUE(findBlockMaterial("good"));
    EXPECT_FLOAT_EQ(2.5f, findBlockMaterial("good")->mass);
    EXPECT_EQ(nullptr, findBlockMaterial("broken"));
    ASSERT_TRUE(findBlockMaterial("after")) << "the file reads on";
    EXPECT_FLOAT_EQ(-1.0f, findBlockMaterial("after")->health);

    // A missing file changes nothing.
    loadBlockMaterials("data\\nothing.yml");
    EXPECT_EQ(2u, gBlockMaterials.size());
}

TEST_F(BlockMaterialTest, NumbersAreReadLikeAllMarkupNumbersAndOddOnesLogged)
{
    const double NaN = std::nan("");
    struct Case {
        const char* attribute;
        const char* text;
        double value;
        const char* logged; // the end of the warning, or none for a plain number
    };
    const Case cases[] = {
        // Plain numbers, in the "C" locale.
        {"mass", "0.5", 0.5, nullptr},
        {"mass", " 2 ", 2, nullptr},
        {"health", "0.5e2", 50, nullptr},
        {"health", "-1", -1, nullptr},
        {"scores", "-10", -10, nullptr},
        // Read up to where the number ends, 0 where none begins.
        {"mass", "150x", 150, "is read as 150"},
        {"mass", "2.5f", 2.5, "is read as 2.5"},
        {"health", "1,5", 1, "is read as 1"},
        {"health", "nan", NaN, "is read as nan"},
        {"health", "1e39", INFINITY, "is read as inf"},
        {"scores", "30pts", 30, "is read as 30"},
        {"scores", "2.5", 2, "is read as 2"},
        {"scores", "", 0, "is read as 0"},
        // A mass the physics cannot take.
        {"mass", "abc", 1, "is no positive mass, taken as 1"},
        {"mass", "0", 1, "is no positive mass, taken as 1"},
        {"mass", "-2", 1, "is no positive mass, taken as 1"},
        {"mass", "inf", 1, "is no positive mass, taken as 1"},
        {"mass", "nan", 1, "is no positive mass, taken as 1"},
        {"mass", "1e39", 1, "is no positive mass, taken as 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.attribute) + "=\"" + c.text + "\"");
        clearBlockMaterials();
        logStart = testutil::logText().size();
        load(std::string("<!-- one line -->\n<material name=\"m\" ") + c.attribute + "=\"" +
             c.text + "\"/>\n");
        const YBlockMaterial* m = findBlockMaterial("m");
        ASSERT_TRUE(m) << "the material and its blocks stay";
        const std::string attribute = c.attribute;
        double value = attribute == "mass" ? m->mass : attribute == "health" ? m->health : m->score;
        if (std::isnan(c.value))
            EXPECT_TRUE(std::isnan(value)) << value;
        else
            EXPECT_FLOAT_EQ(static_cast<float>(c.value), static_cast<float>(value));
        if (c.logged)
            EXPECT_EQ(std::string("Block Marterial Loader warning, material \"m\": ") + c.attribute +
                          " \"" + c.text + "\" " + c.logged + ", line: 1\n",
                      loaderLines());
        else
            EXPECT_EQ("", loaderLines());
    }
}

TEST_F(BlockMaterialTest, AKnownMaterialIsUpdatedInPlace)
{
    load("<material name=\"m\" mass=\"1\" scores=\"10\" shader=\"one\"/>\n");
    YBlockMaterial* m = findBlockMaterial("m");
    YBlockShape* s = getBlockShape("m", 1, 1, 1);
    load("<material name=\"m\" mass=\"4\" health=\"9\" scores=\"99\" shader=\"two\" "
         "sound_destroy=\"x\"/>\n");
    ASSERT_EQ(1u, gBlockMaterials.size());
    EXPECT_EQ(m, findBlockMaterial("m"));
    EXPECT_FLOAT_EQ(4.0f, m->mass);
    EXPECT_FLOAT_EQ(9.0f, m->health);
    EXPECT_EQ("two", m->shader->name);
    EXPECT_EQ("x", m->soundDestroy->name());
    EXPECT_EQ(10, m->score) << "the score stays";
    EXPECT_EQ(s, getBlockShape("m", 1, 1, 1)) << "and so do the shapes";
}

TEST_F(BlockMaterialTest, TheGameMaterialsReadCleanlyWithTheirShaders)
{
    ASSERT_TRUE(testutil::copyFromGame("data/blocks.yml")) << "build the game content first";
    ASSERT_TRUE(testutil::copyFromGame("data/shaders_blocks.yml"));
    render = std::make_unique<YRecordingRender>(4);
    loadShaders("data\\shaders_blocks.yml");
    loadBlockMaterials("data\\blocks.yml");
    std::string text = log();
    EXPECT_EQ(std::string::npos, text.find("error")) << text;
    const char* sounds[] = {"def", "wood", "glass", "stone", "metal", "ice", "rubber"};
    for (const char* kind : sounds) {
        bool used = false;
        for (const YBlockMaterial* m : gBlockMaterials)
            used = used || m->soundStroke->name() == std::string(kind) + "_stroke";
        EXPECT_TRUE(used) << kind;
    }
    for (const YBlockMaterial* m : gBlockMaterials) {
        // Every shader is defined in the file, and the faces have their
        // crack stage.
        ASSERT_FALSE(m->shader->stages.empty()) << m->name << " " << m->shader->name;
        ASSERT_FALSE(m->inShader->stages.empty()) << m->name << " " << m->inShader->name;
        EXPECT_EQ(2u, m->shader->stages.size()) << m->shader->name;
        EXPECT_TRUE(m->shader->stages[0]->texture) << m->shader->name;
        const std::string& stroke = m->soundStroke->name();
        const std::string& destroy = m->soundDestroy->name();
        EXPECT_EQ(destroy.substr(0, destroy.find('_')), stroke.substr(0, stroke.find('_')));
    }
    EXPECT_TRUE(findBlockMaterial("glass")->shader->isAlphaBlended());
    EXPECT_FALSE(findBlockMaterial("stone")->shader->isAlphaBlended());
}

namespace {
class HeldShapeTest : public BlockTest {};
} // namespace

TEST_F(HeldShapeTest, ClearedShapesLiveOnWhileBlocksHoldThem)
{
    YBlockShape* shape = getBlockShape("stone", 2, 1, 1);
    auto* single = new YBlockSingle(shape, nullptr, YMatrix());
    YBlockSet* set = build({{0, 0, 5, 2, 1, 1, "stone"}});
    clearBlockShapes(); // a new level's cell size is coming
    EXPECT_NE(shape, getBlockShape("stone", 2, 1, 1));
    EXPECT_EQ(shape, set->item(0)->shape);
    EXPECT_FLOAT_EQ(4.0f, single->shape()->mass);
    delete single; // its splinters hold the shape now
    EXPECT_EQ(8u, all<YSplinter>().size());
    EXPECT_FLOAT_EQ(4.0f, set->item(0)->shape->mass);
    clearWorld(); // the last holders go, and the shape with them
    EXPECT_TRUE(noBlocksLeft());
}
