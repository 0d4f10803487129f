#pragma once
// Bases of the render tests' fixtures: the log read from where a test
// began, a recording renderer whose shaders and resources go with the test,
// and the end of an environment test.
#include "core/log.h"
#include "render/camera.h"
#include "render/environment.h"
#include "render/recording_render.h"
#include "render/resource.h"
#include "render/shader.h"
#include "tests/common/render_util.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace rendertest {

// The log read from where the test began. openLog() opens it in SetUp: a
// death test's child would otherwise open (and empty) it for itself.
class LoggedTest : public ::testing::Test {
protected:
    void openLog()
    {
        YLog::open();
        markLog();
    }
    void markLog() { logStart = testutil::logText().size(); }

    bool logHas(const std::string& text) const { return testutil::logHas(text, logStart); }
    size_t logCount(const std::string& text) const { return testutil::logCount(text, logStart); }

    size_t logStart = 0;
};

// A recording renderer with 4 stages; every shader and every render
// resource a test makes is deleted after it.
class RecordingRenderTest : public LoggedTest {
protected:
    void SetUp() override
    {
        render = std::make_unique<YRecordingRender>(4);
        resourcesBefore = gRenderResources();
        markLog();
    }

    void TearDown() override
    {
        clearShaders();
        testutil::deleteRenderResourcesSince(resourcesBefore);
        render.reset();
    }

    std::unique_ptr<YRecordingRender> render;
    std::vector<YRenderResource*> resourcesBefore;
};

// The end of an environment test, before its renderer goes: the cube, the
// shaders and every render resource deleted, and the camera's view given
// back.
inline void releaseEnvironment(std::unique_ptr<YEnvironment>& environment, const YMatrix& savedView)
{
    environment.reset();
    clearShaders();
    testutil::deleteRenderResources();
    gCamera().setTransform(savedView);
}

} // namespace rendertest
