// Table materials: the loader's defaults, order and errors, applying a
// material to the table, and the shipped material and shader files.
#include "tests/world/world_fixture.h"

#include "render/mesh.h"
#include "render/recording_render.h"
#include "render/shader.h"
#include "tests/common/render_util.h"
#include "world/table.h"
#include "world/table_material.h"

#include <set>

using namespace worldtest;

namespace {

class TableMaterial : public WorldTest {
protected:
    void TearDown() override
    {
        table.reset();
        clearTableMaterials();
        clearMeshes();
        clearShaders();
        testutil::deleteRenderResources();
        render.reset();
        WorldTest::TearDown();
    }

    static std::string names(const std::vector<YShader*>& shaders, size_t count = 9)
    {
        std::string out;
        for (size_t i = 0; i < count && i < shaders.size(); ++i)
            out += shaders[i]->name + " ";
        return out;
    }

    std::unique_ptr<YRecordingRender> render;
    std::unique_ptr<YTable> table;
};

} // namespace

TEST_F(TableMaterial, LoaderFillsDefaultsKeepsOrderAppendsAndGoesOnAfterErrors)
{
    testutil::writeText("data\\env.yml", R"(<pyramid name="plain"/>
<environment name="dusk" shader="env_dusk"/>
<unknown a="1"/>
<pyramid name="dark" shader1="d1" shader5="d5" shader8="d8"/>
<pyramid name="plain" shader2="again"/>
<pyramid name="Plain"/>
)");
    loadTableMaterials("DATA\\Env.yml"); // any case, backslashes
    EXPECT_TRUE(logged("Table Marterial Loader error, ")) << testutil::logText().substr(logStart);
    EXPECT_TRUE(logged(", line: 2"));
    ASSERT_EQ(3u, gTableMaterials.size()) << "environment stores nothing; names differ by case";
    EXPECT_EQ("dark", gTableMaterials[1].name);
    EXPECT_EQ("Plain", gTableMaterials[2].name);
    EXPECT_EQ("pyr1 pyr2 pyr2 pyr4 pyr5 pyr6 pyr7 pyr2 pyr9 ", names(gTableMaterials[0].shaders));
    EXPECT_EQ("d1 pyr2 pyr2 pyr4 d5 pyr6 pyr7 d8 pyr9 ", names(gTableMaterials[1].shaders));
    // A second element of a name appends nine more; the first nine stand.
    ASSERT_EQ(18u, gTableMaterials[0].shaders.size());
    EXPECT_EQ("again", gTableMaterials[0].shaders[10]->name);
    // Shaders not yet defined are made empty, and a shader file fills them.
    EXPECT_EQ(findShader("d5"), gTableMaterials[1].shaders[4]);
    EXPECT_EQ(&gTableMaterials[0], findTableMaterial("plain"));
    EXPECT_EQ(nullptr, findTableMaterial("plai"));

    const size_t mark = testutil::logText().size();
    loadTableMaterials("no_such_env.yml");
    loadTableMaterials(nullptr);
    EXPECT_EQ(3u, gTableMaterials.size());
    EXPECT_EQ(mark, testutil::logText().size());
}

TEST_F(TableMaterial, SetSizeAppliesAKnownMaterialAndKeepsTheLookOtherwise)
{
    testutil::writeText("env.yml", R"(<pyramid name="granite" shader1="g1" shader9="g9"/>
<pyramid name="wood" shader1="w1"/>
<pyramid name="granite" shader1="second"/>
)");
    loadTableMaterials("env.yml");
    table = std::make_unique<YTable>();
    ASSERT_TRUE(table->setSize(24.0f, 20.0f, "granite"));
    const std::string granite = "g1 pyr2 pyr2 pyr4 pyr5 pyr6 pyr7 pyr2 g9 ";
    EXPECT_EQ(granite, names(table->pyramid()->shaders)) << "the first nine of the name";

    ASSERT_TRUE(table->setSize(24.0f, 20.0f, "Granite"));
    EXPECT_TRUE(logged("Unknown table material \"Granite\""));
    EXPECT_EQ(granite, names(table->pyramid()->shaders));
    const size_t mark = testutil::logText().size();
    ASSERT_TRUE(table->setSize(24.0f, 20.0f, nullptr));
    ASSERT_TRUE(table->setSize(24.0f, 20.0f, ""));
    EXPECT_EQ(granite, names(table->pyramid()->shaders));
    EXPECT_EQ(mark, testutil::logText().size()) << "no name is no material";
    ASSERT_TRUE(table->setSize(24.0f, 20.0f, "wood"));
    EXPECT_EQ("w1", table->pyramid()->shaders[0]->name);
}

// Every material of "data\env.yml" names nine shaders, and every shader
// the table and its materials ask for is defined by the shader file.
TEST_F(TableMaterial, ShippedMaterialsAndShadersAreComplete)
{
    ASSERT_TRUE(testutil::copyFromGame("data"));
    ASSERT_TRUE(testutil::copyFromGame("mesh"));
    render = std::make_unique<YRecordingRender>();
    loadShaders("data\\shaders_env.yml");
    std::set<std::string> defined;
    for (const YShader* s : gShaders())
        defined.insert(s->name);

    loadTableMaterials("data\\env.yml");
    for (const char* wanted : {"marble", "granite", "wood"})
        EXPECT_NE(nullptr, findTableMaterial(wanted)) << wanted;
    table = std::make_unique<YTable>();
    std::vector<std::string> asked = {"zonly", "lmap", "split", "blast", "blast_wave", "spark"};
    for (const YShader* s : table->pyramid()->shaders)
        asked.push_back(s->name);
    for (const YTableMaterial& m : gTableMaterials) {
        EXPECT_EQ(9u, m.shaders.size()) << m.name;
        for (const YShader* s : m.shaders)
            asked.push_back(s->name);
        EXPECT_TRUE(table->setSize(24.0f, 22.0f, m.name.c_str()));
    }
    for (const std::string& name : asked) {
        EXPECT_TRUE(defined.count(name)) << name << " is not defined";
        EXPECT_TRUE(name == "zonly" || !findShader(name)->stages.empty()) << name << " shows no texture";
    }
    EXPECT_FALSE(logged("error")) << testutil::logText().substr(logStart);
    EXPECT_FALSE(logged("Unknown table material"));
}
