#include "world/world_session.h"

#include "render/camera.h"
#include "render/draw_queue.h"
#include "render/environment.h"
#include "render/mesh_draw.h"
#include "render/render.h"
#include "render/font.h"
#include "render/mesh.h"
#include "render/particles.h"
#include "render/resource.h"
#include "render/shader.h"
#include "render/shadow_volume.h"
#include "sound/named_sound.h"
#include "world/ball_mode.h"
#include "world/block.h"
#include "world/block_events.h"
#include "world/block_faces.h"
#include "world/block_material.h"
#include "world/block_update.h"
#include "world/bonus_config.h"
#include "world/bonus_registry.h"
#include "world/level_start.h"
#include "world/physics_world.h"
#include "world/pipe.h"
#include "world/racket.h"
#include "world/racket_tacked.h"
#include "world/score_popups.h"
#include "world/table.h"
#include "world/table_effects.h"
#include "world/table_material.h"
#include "world/weapons.h"
#include "world/world_effects.h"
#include "world/world_events.h"
#include "world/zdelete.h"

#include <algorithm>

YWorldSession::YWorldSession(YGameEvent* listener, YBlockEvents* events, bool withRacket)
{
    YPhysicsWorld::init();
    mTableEffects = std::make_unique<YTableEffects>();
    setWorldEffects(mTableEffects.get());
    mTable = std::make_unique<YTable>();
    if (withRacket)
        mRacket = std::make_unique<YRacket>(listener);
    setBlockEvents(events ? events : &worldEvents());
    registerBonusIds();
    registerWeaponMakers();
    setBonusBuilderMaker(createBonusBuilder);
    loadTableMaterials("data\\env.yml");
    loadBlockMaterials("data\\blocks.yml");
    loadBonusConfig("data\\bonuses.yml");
}

YWorldSession::~YWorldSession()
{
    {
        YWorldTearDown quiet;
        destroyRacketObjects();
    }
    clearWorld();
    // Rising score texts outlive clearParticles and point at their font:
    // let them run out, and empty the queues that point into the store.
    drawFrontToBack();
    drawBackToFront();
    gParticles().update(1e6f);
    drawBackToFront();
    gParticles().clearParticles();
    gParticles().update(0.0f); // frees what the clearing parked
    drawBackToFront();
    gBlockFaces.clear();
    gPopups.clearPopups();

    mRacket.reset();
    YPipe::releaseSharedInstance();
    releaseBallMeshInstances(); // the weapons' shared instances too
    releaseWeaponAssets();
    clearWeaponMakers();
    setBonusBuilderMaker(nullptr);
    setBlockEvents(nullptr);
    mTable.reset();
    setWorldEffects(nullptr);
    mTableEffects.reset();
    YZDelete::deleteAllScheduled();
    YPhysicsWorld::shutdown();
    resetNextBonusTimer();
}

void releaseRunAssets(const std::vector<YRenderResource*>& keep)
{
    clearCrackTextures();
    clearBlockMaterials();
    clearTableMaterials();
    clearNamedSounds();
    clearFonts();
    clearMeshes();
    clearShaders();
    const std::vector<YRenderResource*> now = gRenderResources();
    for (YRenderResource* r : now)
        if (std::find(keep.begin(), keep.end(), r) == keep.end())
            delete r;
}

void drawBackdrop(const float pos[2], const float size[2], float aspect, int tableParts, float zNear, float zFar)
{
    if (gRender) {
        if (pos && size)
            gRender->setViewport(pos, size);
        gRender->setPerspective(gCamera().fov(), aspect, zNear, zFar);
        gRender->setWorldMatrix(gCamera().view().m);
    }
    if (gTable)
        gTable->draw(tableParts);
    if (gRender) {
        // The environment cube after the table, just in front of the far
        // depth (its near plane so close that every face lies at a depth
        // near 1): it fills only what the table left empty, where the depth
        // buffer still holds its clear value, instead of being drawn under
        // the table and covered again. (With a near plane of 0.1 the
        // table stays in front of it up to about 600 units away.)
        gRender->setPerspective(100.0f, aspect, 1e-4f, 2.0f);
        gEnvironment().draw();
        gRender->setPerspective(gCamera().fov(), aspect, zNear, zFar);
        gRender->setWorldMatrix(gCamera().view().m);
    }
}

void drawBackdropWithShadows(const float pos[2], const float size[2], float aspect, int tableParts)
{
    gShadows().begin(YShadowVolume::TABLE_FLOOR);
    drawBackdrop(pos, size, aspect, tableParts);
    drawShadows(false);
}

void drawWorldQueues(bool withRacket)
{
    drawFrontToBack();
    if (withRacket && gRacket)
        gRacket->draw();
    drawMeshDraws();
    if (gRender)
        gRender->setWorldMatrix(gCamera().view().m);
    drawBackToFront();
}
