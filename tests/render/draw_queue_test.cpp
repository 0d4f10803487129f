#include "render/draw_queue.h"

#include "platform/sys/random.h"
#include "render/camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Writes down the squared distance of each item it draws (items are floats
// holding their x, with the eye at the origin).
class RecordingDrawer : public YDrawObj {
public:
    void draw(void* item) override
    {
        float x = *static_cast<float*>(item);
        drawn.push_back(x * x);
    }
    std::vector<float> drawn;
};

class DrawQueueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = gCamera().view();
        gCamera().setTransform(YMatrix()); // eye at the origin
    }
    void TearDown() override { gCamera().setTransform(saved); }

    void add(YDrawQueue& queue, float& x)
    {
        const float pos[3] = {x, 0.0f, 0.0f};
        queue.add(&x, pos, &drawer);
    }

    YMatrix saved;
    RecordingDrawer drawer;
};

} // namespace

TEST_F(DrawQueueTest, GlobalQueuesDrawFarFirstAndNearFirst)
{
    float xs[3] = {1.0f, 3.0f, 2.0f}; // squared distances 1, 9, 4
    for (float& x : xs) {
        const float pos[3] = {x, 0.0f, 0.0f};
        queueBackToFront(&x, pos, &drawer);
        queueFrontToBack(&x, pos, &drawer);
    }
    drawBackToFront();
    EXPECT_EQ((std::vector<float>{9, 4, 1}), drawer.drawn);
    drawer.drawn.clear();
    drawFrontToBack();
    EXPECT_EQ((std::vector<float>{1, 4, 9}), drawer.drawn);
    EXPECT_EQ(0u, gDrawQueue().count());
    EXPECT_EQ(0u, gNearDrawQueue().count());

    YMatrix view;
    view.makeTranslation(YVec3(-10.0f, 0.0f, 0.0f)); // eye at x = 10
    gCamera().setTransform(view);
    float nearEye = 9.0f, atOrigin = 0.0f;
    drawer.drawn.clear();
    YDrawQueue queue(true);
    add(queue, nearEye);
    add(queue, atOrigin);
    queue.drawAll();
    EXPECT_EQ((std::vector<float>{0, 81}), drawer.drawn); // the origin is 10 from the eye
}

TEST_F(DrawQueueTest, HundredthRecordGrowsCapacityToOneFifty)
{
    YDrawQueue queue(true);
    std::vector<float> xs(100, 1.0f);
    for (int i = 0; i < 99; ++i)
        add(queue, xs[i]);
    EXPECT_EQ(99u, queue.count());
    EXPECT_EQ(100u, queue.capacity());
    add(queue, xs[99]);
    EXPECT_EQ(100u, queue.count());
    EXPECT_EQ(150u, queue.capacity());
    queue.drawAll();
    EXPECT_EQ(100u, drawer.drawn.size());
    EXPECT_EQ(150u, queue.capacity()); // the grown array is kept
}

TEST_F(DrawQueueTest, EmptyQueueNullDrawerAndShrinkingReserve)
{
    YDrawQueue queue(false);
    queue.drawAll();
    EXPECT_TRUE(drawer.drawn.empty());
    float xs[4] = {1, 4, 2, 3};
    const float pos[3] = {5.0f, 0.0f, 0.0f};
    queue.add(&xs[0], pos, nullptr); // skipped, the rest still drawn
    for (float& x : xs)
        add(queue, x);
    queue.reserve(2); // never below the count
    EXPECT_GT(queue.capacity(), queue.count());
    queue.drawAll();
    EXPECT_EQ((std::vector<float>{1, 4, 9, 16}), drawer.drawn);
}

// A drawer that queues two more records when it draws the first one.
class SpawningDrawer : public RecordingDrawer {
public:
    explicit SpawningDrawer(YDrawQueue& q) : queue(q) {}
    void draw(void* item) override
    {
        RecordingDrawer::draw(item);
        if (spawned)
            return;
        spawned = true;
        for (float& x : extra) {
            const float pos[3] = {x, 0.0f, 0.0f};
            queue.add(&x, pos, this);
        }
    }
    YDrawQueue& queue;
    bool spawned = false;
    float extra[2] = {4.0f, 2.5f}; // 16 and 6.25
};

TEST_F(DrawQueueTest, RecordsQueuedWhileDrainingAreDrawnInOrder)
{
    YDrawQueue queue(true);
    SpawningDrawer spawning(queue);
    float xs[3] = {3.0f, 2.0f, 1.0f};
    for (float& x : xs) {
        const float pos[3] = {x, 0.0f, 0.0f};
        queue.add(&x, pos, &spawning);
    }
    queue.drawAll();
    EXPECT_EQ((std::vector<float>{9, 16, 6.25f, 4, 1}), spawning.drawn);
}

TEST_F(DrawQueueTest, ManyRandomDistancesComeOutSorted)
{
    sys::Random random(7);
    std::vector<float> xs(1000);
    for (float& x : xs)
        x = random.unit() * 100.0f;
    for (bool farFirst : {true, false}) {
        YDrawQueue queue(farFirst);
        drawer.drawn.clear();
        for (float& x : xs)
            add(queue, x);
        queue.drawAll();
        ASSERT_EQ(xs.size(), drawer.drawn.size());
        for (size_t i = 1; i < drawer.drawn.size(); ++i) {
            if (farFirst)
                ASSERT_GE(drawer.drawn[i - 1], drawer.drawn[i]) << i;
            else
                ASSERT_LE(drawer.drawn[i - 1], drawer.drawn[i]) << i;
        }
    }
}

// Takes runs: writes down each run's squared distances as one entry.
class RunDrawer : public RecordingDrawer {
public:
    bool drawsRuns() const override { return true; }
    void drawRun(void* const* items, size_t count) override
    {
        std::vector<float> run;
        for (size_t i = 0; i < count; ++i) {
            float x = *static_cast<float*>(items[i]);
            run.push_back(x * x);
        }
        runs.push_back(run);
    }
    std::vector<std::vector<float>> runs;
};

TEST_F(DrawQueueTest, RecordsInARowGoToARunDrawerTogetherInOrder)
{
    YDrawQueue queue(false);
    RunDrawer runs;
    float xs[6] = {1, 2, 3, 4, 5, 6};
    for (float& x : xs) {
        const float pos[3] = {x, 0.0f, 0.0f};
        // 4 goes to the plain drawer and splits the runs; 6 has none.
        queue.add(&x, pos, x == 4.0f ? &drawer : x == 6.0f ? nullptr : &runs);
    }
    queue.drawAll();
    EXPECT_EQ((std::vector<std::vector<float>>{{1, 4, 9}, {25}}), runs.runs);
    EXPECT_EQ((std::vector<float>{16}), drawer.drawn);
    EXPECT_EQ(0u, queue.count());
}
