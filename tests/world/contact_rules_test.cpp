// Who hears which contact: the bump matrix of balls, blocks and the table.
#include "tests/world/world_fixture.h"

#include <algorithm>

using namespace worldtest;

namespace {
class ContactRules : public WorldTest {};
// Spin that makes a ball of radius 0.5 roll along +y at speed v.
YVec3 rolling(float v)
{
    return YVec3(-2.0f * v, 0, 0);
}
} // namespace

TEST_F(ContactRules, BallAgainstBlockIsHeardByBothWithOpposedNormals)
{
    RecordingListener blockHears, ballHears;
    auto b = block(YVec3(0, 0, 0.52f), &blockHears);
    auto k = ball(YVec3(0, -3, 0.52f), YVec3(0, 10, 0), YRigidBall::KIND_NORMAL, nullptr,
                  &ballHears);
    run(20);
    ASSERT_FALSE(blockHears.bumps.empty());
    ASSERT_EQ(blockHears.bumps.size(), ballHears.bumps.size());
    const Bump& onBlock = blockHears.bumps[0];
    const Bump& onBall = ballHears.bumps[0];
    EXPECT_EQ(k.get(), onBlock.other);
    EXPECT_EQ(b.get(), onBall.other);
    EXPECT_GT(onBlock.normal.y, 0.9f) << "from the other geom towards the own one";
    EXPECT_FLOAT_EQ(-onBlock.normal.y, onBall.normal.y);
    EXPECT_GT(onBlock.force.y, 0.0f);
    EXPECT_LT(onBall.force.y, 0.0f);
    EXPECT_LT(k->getLinearVelocity().y, 0.0f) << "bounced back";
}

TEST_F(ContactRules, FloorStrikeIsOnlyTheStrengthCall)
{
    RecordingListener hears;
    RecordingBallMode mode;
    auto k = ball(YVec3(0, 0, 2.0f), YVec3(0, 0, -5), YRigidBall::KIND_NORMAL, &mode, &hears);
    run(20);
    EXPECT_TRUE(hears.bumps.empty()) << "a ball against static geometry records nothing";
    ASSERT_FALSE(mode.strengths.empty());
    EXPECT_FLOAT_EQ(1.0f, mode.strengths[0]) << "straight down is full strength";
    EXPECT_GT(k->getLinearVelocity().z, 0.0f) << "bounced";

    // Grazing (s = -1.5 u.up at most 0.1) is silent; steeper is heard.
    mode.strengths.clear();
    k->setTransform(at(YVec3(0, -6, 0.53f)));
    k->setLinearVelocity(YVec3(0, 20, -0.3f));
    k->setAngularVelocity(rolling(20));
    run(15);
    EXPECT_TRUE(mode.strengths.empty());
    k->setTransform(at(YVec3(0, -6, 0.53f)));
    k->setLinearVelocity(YVec3(0, 20, -3.0f));
    run(3);
    ASSERT_EQ(1u, mode.strengths.size());
    EXPECT_GT(mode.strengths[0], 0.1f);
    EXPECT_LT(mode.strengths[0], 0.5f);

    // Touching the floor without moving has no direction: silence, no NaN.
    mode.strengths.clear();
    k->setTransform(at(YVec3(0, 0, 0.51f)));
    k->setLinearVelocity(YVec3());
    run(1);
    EXPECT_TRUE(mode.strengths.empty());
    EXPECT_TRUE(finite(k->getLinearVelocity()));
}

TEST_F(ContactRules, BlocksAndBonusesRecordOnlyDeepContacts)
{
    for (float overlap : {0.03f, 0.1f}) {
        SCOPED_TRACE(overlap);
        RecordingListener lowerHears, upperHears;
        int item = 7;
        YRigidBoxSet lower; // a set's box: its item is the bump's own data
        lower.addBox(YVec3(0.5f, 0.5f, 0.5f), &item);
        lower.setTransform(at(YVec3(0, 0, 5.0f)));
        lower.setBumpListener(&lowerHears);
        auto upper = block(YVec3(0, 0, 6.0f - overlap), &upperHears);
        run(1);
        if (overlap < 0.05f) {
            EXPECT_TRUE(lowerHears.bumps.empty());
            EXPECT_TRUE(upperHears.bumps.empty());
            continue;
        }
        ASSERT_EQ(1u, lowerHears.bumps.size());
        ASSERT_EQ(1u, upperHears.bumps.size());
        EXPECT_EQ(&item, lowerHears.bumps[0].ownData);
        EXPECT_EQ(upper.get(), lowerHears.bumps[0].other);
        EXPECT_LT(lowerHears.bumps[0].normal.z, -0.9f);
        EXPECT_NEAR(overlap, lowerHears.bumps[0].depth, 0.01f);
        EXPECT_EQ(&lower, upperHears.bumps[0].other);
        EXPECT_GT(upperHears.bumps[0].force.z, 0.0f);
    }
    // A shallow touch: quiet for a falling bonus, heard for a ball.
    for (int kind : {YRigidBall::KIND_BONUS, YRigidBall::KIND_NORMAL}) {
        RecordingListener hears;
        auto b = block(YVec3(0, 0, 5.0f), &hears);
        auto k = ball(YVec3(0, 0, 5.98f), YVec3(), kind);
        run(1);
        EXPECT_EQ(kind == YRigidBall::KIND_BONUS, hears.bumps.empty()) << kind;
    }
}

TEST_F(ContactRules, PhantomPassesBodiesButNotTheFloor)
{
    {
        // First a step whose record carries a real force, so the record
        // slot holds a stale force when the phantom comes.
        RecordingListener hears;
        auto a = block(YVec3(20, 20, 5.0f), &hears);
        auto b = block(YVec3(20, 20, 5.8f), &hears);
        run(1);
        ASSERT_GT(hears.bumps.at(0).force.length(), 1.0f);
    }
    RecordingListener blockHears;
    auto b = block(YVec3(0, 0, 0.52f), &blockHears);
    auto k = ball(YVec3(0, -3, 0.52f), YVec3(0, 10, 0), YRigidBall::KIND_PHANTOM);
    k->setAngularVelocity(rolling(10));
    float lowest = 10;
    for (int i = 0; i < 24; ++i) {
        run(1);
        lowest = std::min(lowest, k->getPosition().z);
    }
    EXPECT_GT(k->getPosition().y, 1.5f) << "through the block";
    EXPECT_GT(k->getLinearVelocity().y, 9.0f);
    EXPECT_GT(lowest, 0.4f) << "the floor still holds it";
    ASSERT_FALSE(blockHears.bumps.empty()) << "the block hears the phantom";
    EXPECT_EQ(k.get(), blockHears.bumps[0].other);
    for (const Bump& bump : blockHears.bumps)
        EXPECT_FLOAT_EQ(0.0f, bump.force.length()) << "an unattached contact carries no force";
    EXPECT_NEAR(0.0f, b->getPosition().y, 1e-3f);

    // Balls: a phantom passes a normal ball; two phantoms meet.
    auto crossed = [&](int kindA, int kindB) {
        auto a = ball(YVec3(0, -2, 3.0f), YVec3(0, 10, 0), kindA);
        auto c = ball(YVec3(0, 2, 3.0f), YVec3(0, -10, 0), kindB);
        run(12);
        return a->getPosition().y > c->getPosition().y;
    };
    EXPECT_FALSE(crossed(YRigidBall::KIND_NORMAL, YRigidBall::KIND_NORMAL));
    EXPECT_TRUE(crossed(YRigidBall::KIND_PHANTOM, YRigidBall::KIND_NORMAL));
    EXPECT_FALSE(crossed(YRigidBall::KIND_PHANTOM, YRigidBall::KIND_PHANTOM));
}

TEST_F(ContactRules, FarWallIsABumpAtOnceSideWallOnlyAFlash)
{
    RecordingListener hears;
    auto k = ball(YVec3(0, 8, 1.0f), YVec3(0, 10, 0), YRigidBall::KIND_NORMAL, nullptr, &hears);
    run(12);
    ASSERT_FALSE(effects.walls.empty());
    EXPECT_LT(effects.walls[0].normal.y, -0.99f);
    EXPECT_NEAR(10.0f, effects.walls[0].position.y, 0.05f);
    ASSERT_FALSE(hears.bumps.empty());
    EXPECT_EQ(nullptr, hears.bumps[0].other);
    EXPECT_FLOAT_EQ(0.0f, hears.bumps[0].force.length());
    EXPECT_LT(hears.bumps[0].normal.y, -0.99f);
    EXPECT_LT(k->getLinearVelocity().y, 0.0f) << "it came back";

    effects.walls.clear();
    hears.bumps.clear();
    k->setTransform(at(YVec3(8, 0, 1.0f)));
    k->setLinearVelocity(YVec3(10, 0, 0));
    run(12);
    ASSERT_FALSE(effects.walls.empty());
    EXPECT_LT(effects.walls[0].normal.x, -0.99f);
    EXPECT_LT(effects.walls[0].normal.y, 0.0f) << "the side walls lean towards the racket";
    EXPECT_TRUE(hears.bumps.empty());
    EXPECT_LT(k->getLinearVelocity().x, 0.0f);
}

TEST_F(ContactRules, BlocksPassTheWallsAndStopAtTheNearBarrier)
{
    // In the air, clear of the floor's friction.
    auto far = block(YVec3(0, 9.0f, 3.0f));
    far->setLinearVelocity(YVec3(0, 8, 0));
    auto side = block(YVec3(9.0f, 0, 3.0f));
    side->setLinearVelocity(YVec3(8, 0, 0));
    auto nearBlock = block(YVec3(4, -6.0f, 3.0f));
    nearBlock->setLinearVelocity(YVec3(0, -8, 0));
    auto k = ball(YVec3(-4, -6.0f, 3.0f), YVec3(0, -8, 0));
    run(20);
    EXPECT_GT(far->getPosition().y, 11.0f);
    EXPECT_GT(side->getPosition().x, 11.0f);
    // The barrier stands BACK_OFFSET in from the racket's edge: y = -7.5.
    EXPECT_GT(nearBlock->getPosition().y, -7.05f);
    EXPECT_LT(nearBlock->getPosition().y, -6.0f) << "stopped there";
    EXPECT_LT(k->getPosition().y, -8.5f) << "balls pass the barrier";
}

TEST_F(ContactRules, RecordsStopAt199AStepButContactsGoOn)
{
    RecordingListener hears;
    std::vector<std::unique_ptr<YRigidBox>> boxes;
    for (int i = 0; i < 250; ++i) {
        YVec3 p(-60.0f + 4.0f * static_cast<float>(i % 30), -40.0f + 4.0f * static_cast<float>(i / 30),
                20.0f);
        boxes.push_back(block(p, &hears));
        boxes.push_back(block(p + YVec3(0, 0, 0.9f), &hears));
    }
    run(1);
    EXPECT_EQ(2u * 199u, hears.bumps.size());
    run(5);
    for (size_t i = 0; i < boxes.size(); i += 2)
        EXPECT_GT(boxes[i + 1]->getPosition().z - boxes[i]->getPosition().z, 0.93f) << i;
}

TEST_F(ContactRules, BodyDestroyedByAListenerHearsNothingMore)
{
    // The first listener to hear destroys the other bodies outright; records
    // still to come must not reach them (ASan watches).
    std::vector<std::unique_ptr<YRigidBox>> boxes;
    struct Killer : YRigidBumpEvent {
        std::vector<std::unique_ptr<YRigidBox>>* boxes = nullptr;
        int heard = 0;
        void bump(void*, YRigidBody*, const YVec3&, const YVec3&, const YVec3&, const YVec3&,
                  float) override
        {
            ++heard;
            for (auto& b : *boxes)
                if (b && b->bumpListener() != this)
                    b.reset();
        }
    };
    Killer killers[3];
    for (int i = 0; i < 3; ++i) {
        boxes.push_back(block(YVec3(0, 0, 5.0f + 0.9f * static_cast<float>(i)), &killers[i]));
        killers[i].boxes = &boxes;
    }
    run(1);
    EXPECT_EQ(1, killers[0].heard + killers[1].heard + killers[2].heard);
    run(3);
}
