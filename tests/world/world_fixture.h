#pragma once
// A headless world per test: the physics world with a 20 x 20 table and
// recording effects, torn down after the test; a body left alive fails it.
#include "render/mesh.h"
#include "render/particles.h"
#include "render/shader.h"
#include "sound/named_sound.h"
#include "world/ball_mode.h"
#include "world/physics_world.h"
#include "world/pipe.h"
#include "world/playfield.h"
#include "world/racket_tacked.h"
#include "world/rigid_ball.h"
#include "world/rigid_box.h"
#include "world/score_popups.h"
#include "world/world_effects.h"
#include "world/zdelete.h"

#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace worldtest {

inline bool finite(const YVec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

inline YMatrix at(const YVec3& p)
{
    YMatrix m;
    return m.makeTranslation(p);
}

// Deletes the racket's objects without their effects (no splinters,
// sounds or scores).
inline void destroyRacketObjectsQuietly()
{
    YWorldTearDown quiet;
    destroyRacketObjects();
}

// What a racket leaves once it is gone: its objects (quietly), the
// scheduled deletions, the pipe and the ball meshes, and the meshes,
// shaders, named sounds, popups and particles loaded or made for it.
inline void releaseRacketLeftovers()
{
    destroyRacketObjectsQuietly();
    YZDelete::deleteAllScheduled();
    YPipe::releaseSharedInstance();
    releaseBallMeshInstances();
    clearMeshes();
    clearShaders();
    clearNamedSounds();
    gPopups.clearPopups();
    gParticles().clearParticles();
}

struct Bump {
    void* ownData;
    YRigidBody* other;
    YVec3 force, torque, position, normal;
    float depth;
};

class RecordingListener : public YRigidBumpEvent {
public:
    void bump(void* ownData, YRigidBody* other, const YVec3& force, const YVec3& torque,
              const YVec3& position, const YVec3& normal, float depth) override
    {
        bumps.push_back(Bump{ownData, other, force, torque, position, normal, depth});
    }
    std::vector<Bump> bumps;
};

// A ball mode that records floor strikes.
class RecordingBallMode : public YBallBumpEvent {
public:
    bool bumpSingle(YBlockSingle*, const YVec3&, const YVec3&, const YVec3&, const YVec3&,
                    float) override
    {
        return false;
    }
    bool bumpSet(YBlockSet*, YBlockItem*, const YVec3&, const YVec3&, const YVec3&, const YVec3&,
                 float) override
    {
        return false;
    }
    void bumpOther(const YVec3&, float strength) override { strengths.push_back(strength); }
    std::vector<float> strengths;
};

class RecordingEffects : public YWorldEffects {
public:
    struct Wall {
        YVec3 position, normal;
    };
    void addWallContact(const YVec3& p, const YVec3& n) override { walls.push_back(Wall{p, n}); }
    void strikeSparks(const YVec3&, int count) override { sparks.push_back(count); }
    void blastEffects(const YVec3&, float radius, int sparkCount) override
    {
        blasts.push_back(radius);
        blastSparks.push_back(sparkCount);
    }
    std::vector<Wall> walls;
    std::vector<int> sparks;
    std::vector<float> blasts;
    std::vector<int> blastSparks;
};

class WorldTest : public ::testing::Test {
protected:
    static constexpr float TABLE = 20.0f;
    static constexpr float BACK_OFFSET = 2.5f; // the racket's width + 0.5

    void SetUp() override
    {
        YPhysicsWorld::init();
        ASSERT_TRUE(setPlayfieldSize(TABLE, TABLE));
        ASSERT_TRUE(gPhysics->buildTable(TABLE, TABLE, BACK_OFFSET));
        setWorldEffects(&effects);
        logStart = testutil::logText().size();
    }

    void TearDown() override
    {
        YZDelete::deleteAllScheduled();
        setWorldEffects(nullptr);
        EXPECT_TRUE(YPhysicsWorld::shutdown()) << "a body outlived its test";
    }

    static void run(int steps, float dt = 0.025f)
    {
        for (int i = 0; i < steps; ++i)
            gPhysics->step(dt);
    }

    bool logged(const char* text) const
    {
        return testutil::logText().find(text, logStart) != std::string::npos;
    }

    // A unit-mass block of half size 0.5.
    static std::unique_ptr<YRigidBox> block(const YVec3& p, YRigidBumpEvent* listener = nullptr)
    {
        auto b = std::make_unique<YRigidBox>(YVec3(0.5f, 0.5f, 0.5f));
        const float inertia[3] = {1.0f / 6, 1.0f / 6, 1.0f / 6};
        b->setMass(1.0f, inertia, false);
        b->setTransform(at(p));
        b->setBumpListener(listener);
        return b;
    }

    // A unit-mass ball of radius 0.5 and base speed 10.
    static std::unique_ptr<YRigidBall> ball(const YVec3& p, const YVec3& v,
                                            int kind = YRigidBall::KIND_NORMAL,
                                            YBallBumpEvent* mode = nullptr,
                                            YRigidBumpEvent* listener = nullptr)
    {
        auto k = std::make_unique<YRigidBall>(YRigidBall::KIND_NORMAL, 10.0f);
        k->setup(0.5f, kind, 10.0f, mode);
        const float inertia[3] = {0.1f, 0.1f, 0.1f};
        k->setMass(1.0f, inertia, false);
        k->setTransform(at(p));
        k->setLinearVelocity(v);
        k->setBumpListener(listener);
        return k;
    }

    RecordingEffects effects;
    size_t logStart = 0;
};

} // namespace worldtest
