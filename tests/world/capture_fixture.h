#pragma once
// The world on the real renderer (offscreen window, software GL) for the
// pictures of the world tests: the game's content and shader files, the
// table, the camera and its light, a captured frame drawn in the game's
// order, and the tear-down of everything the scene made.
#include "tests/world/block_test_fixture.h"

#include "platform/img/image.h"
#include "render/camera.h"
#include "render/mesh.h"
#include "render/mesh_draw.h"
#include "render/render_d3d.h"
#include "tests/common/render_util.h"
#include "world/table.h"
#include "world/table_material.h"
#include "world/weapons.h"

#include <memory>
#include <string>

namespace blocktest {

class WorldCapture : public BlockTest {
protected:
    // The device, the game's shaders and materials, a table of the size
    // with the "marble" look, and the camera at eye looking at target.
    void openScene(int size, float tableWidth, float tableDepth, const YVec3& eye, const YVec3& target)
    {
        for (const char* folder : {"data", "textures", "mesh", "fonts"})
            ASSERT_TRUE(testutil::copyFromGame(folder)) << "build the game content first: " << folder;
        std::string error;
        ASSERT_TRUE(mDevice.open(size, size, &error)) << error;
        mSize = size;
        for (const char* file : {"data\\shaders.yml", "data\\shaders_env.yml", "data\\shaders_blocks.yml"})
            loadShaders(file);
        loadTableMaterials("data\\env.yml");
        clearBlockMaterials();
        loadBlockMaterials("data\\blocks.yml");
        table = std::make_unique<YTable>();
        ASSERT_TRUE(table->setSize(tableWidth, tableDepth, "marble"));
        gCamera().setTransform(testutil::lookAt(eye, target));
        const float light[3] = {0.3f, 0.6f, -0.74f};
        gCamera().setLightDirection(light);
    }

    // One frame of the table, the blocks, the meshes and (withEffects) the
    // see-through items, captured to the file and read back into shot.
    bool capture(const char* file, bool withEffects, img::Image& shot)
    {
        Render_D3D& render = *mDevice.render;
        if (!testutil::captureFrame(render, mSize, mSize, file, [&] {
                render.setPerspective(45.0f, 1.0f, 1.0f, 200.0f);
                render.setWorldMatrix(gCamera().view().m);
                table->draw(YTable::DRAW_ALL);
                drawFrontToBack();
                drawMeshDraws();
                render.setWorldMatrix(gCamera().view().m);
                if (withEffects)
                    drawBackToFront();
            }))
            return false;
        std::string error;
        const bool read = img::loadImage(file, shot, &error);
        EXPECT_TRUE(read) << error;
        return read;
    }

    // Everything the scene made, the device last.
    void closeScene()
    {
        destroyRacketObjectsQuietly();
        clearWorld();
        table.reset();
        drawFrontToBack();
        drawBackToFront();
        gBlockFaces.clear();
        gParticles().clearParticles();
        releaseBallMeshInstances();
        releaseWeaponAssets();
        YPipe::releaseSharedInstance();
        clearMeshes();
        clearTableMaterials();
        clearBlockMaterials();
        clearShaders();
        resources.reset();
        mDevice.render.reset();
        mDevice.window.reset();
    }

    std::unique_ptr<YTable> table;

private:
    testutil::OffscreenDevice mDevice;
    int mSize = 0;
};

} // namespace blocktest
