// The device's contract apart from pixels: context checks, resource
// lifetimes, bad input, back-buffer size, simulated loss, log-once.
#include "platform/gfx/device.h"
#include "platform/gfx/gl_caps.h"
#include "platform/wnd/window.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace gfx;

namespace {

TEST(GfxCaps, ParsesTheLeadingVersionNumber)
{
    int major = 0, minor = 0;
    EXPECT_TRUE(parseGlVersion("4.5 (Compatibility Profile) Mesa 22.3.6", major, minor));
    EXPECT_EQ(4, major);
    EXPECT_EQ(5, minor);
    EXPECT_TRUE(parseGlVersion("2.1.2 NVIDIA 340", major, minor));
    EXPECT_EQ(2, major);
    EXPECT_EQ(1, minor);
    EXPECT_TRUE(parseGlVersion("10.12", major, minor));
    EXPECT_EQ(10, major);
    EXPECT_EQ(12, minor);

    major = minor = -1;
    for (const char* bad : {"OpenGL ES 3.2 Mesa", "", "3", "3.", ".5", " 4.5", "x4.5"})
        EXPECT_FALSE(parseGlVersion(bad, major, minor)) << bad;
    EXPECT_FALSE(parseGlVersion(nullptr, major, minor));
    EXPECT_EQ(-1, major); // untouched on failure
}

TEST(GfxCaps, NamesTheFirstMissingFeature)
{
    std::set<std::string> ext;
    auto has = [&ext](const char* name) { return ext.count(name) != 0; };

    EXPECT_NE(std::string::npos, missingGlFeature(2, 0, has).find("2.1"));
    EXPECT_NE(std::string::npos, missingGlFeature(1, 5, has).find("1.5"));
    EXPECT_NE(std::string::npos, missingGlFeature(2, 1, has).find("framebuffer objects"));
    ext.insert("GL_ARB_framebuffer_object");
    EXPECT_NE(std::string::npos, missingGlFeature(2, 1, has).find("sampler objects"));
    EXPECT_NE(std::string::npos, missingGlFeature(3, 2, has).find("sampler objects"));
    ext.insert("GL_ARB_sampler_objects");
    EXPECT_EQ("", missingGlFeature(2, 1, has));

    ext.clear();
    EXPECT_NE(std::string::npos, missingGlFeature(3, 0, has).find("sampler objects"));
    EXPECT_EQ("", missingGlFeature(3, 3, has));
    EXPECT_EQ("", missingGlFeature(4, 0, has));
}

class GfxDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        wnd::WindowDesc desc;
        desc.title = "gfx device";
        desc.width = 128;
        desc.height = 128;
        std::string error;
        window = wnd::Window::create(desc, &error);
        ASSERT_TRUE(window) << error;
        device = Device::create(*window, 128, 96, &error);
        ASSERT_TRUE(device) << error;
        device->setLogHandler([this](const std::string& line) { log.push_back(line); });
    }
    void TearDown() override
    {
        for (const std::string& line : log)
            EXPECT_EQ(std::string::npos, line.find("GL error")) << line;
        device.reset();
        window.reset();
    }
    int count(const std::string& part) const
    {
        int n = 0;
        for (const std::string& line : log)
            n += line.find(part) != std::string::npos;
        return n;
    }

    std::unique_ptr<wnd::Window> window;
    std::unique_ptr<Device> device;
    std::vector<std::string> log;
};

TEST_F(GfxDevice, ReportsTheContextAndItsLimits)
{
    EXPECT_FALSE(device->vendor().empty());
    EXPECT_FALSE(device->rendererName().empty());
    EXPECT_FALSE(device->version().empty());
    EXPECT_GE(device->maxTextureStages(), 2);
    EXPECT_LE(device->maxTextureStages(), MAX_STAGES);
    EXPECT_GE(device->maxTextureSize(), 512);
    EXPECT_EQ(128, device->backWidth());
    EXPECT_EQ(96, device->backHeight());
    EXPECT_EQ(DeviceState::Ok, device->state());
}

TEST_F(GfxDevice, RefusesBackBufferSizesBelowOne)
{
    std::string error;
    EXPECT_FALSE(Device::create(*window, 0, 10, &error));
    EXPECT_NE(std::string::npos, error.find("0x10"));
    EXPECT_FALSE(device->resizeBackBuffer(0, 5));
    EXPECT_FALSE(device->resizeBackBuffer(5, -1));
    EXPECT_EQ(128, device->backWidth());
}

TEST_F(GfxDevice, ResizeGivesANewClearedBackBuffer)
{
    device->clear(true, false, false, 0xFFFF0000u, 1.0f, 0);
    ASSERT_TRUE(device->resizeBackBuffer(64, 32));
    EXPECT_EQ(64, device->backWidth());
    EXPECT_EQ(32, device->backHeight());
    int w = 0, h = 0;
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(device->readPixels(nullptr, w, h, rgba));
    ASSERT_EQ(64, w);
    ASSERT_EQ(32, h);
    EXPECT_EQ(0, rgba[0]);
    // The viewport follows: a clear reaches the far corner.
    device->clear(true, false, false, 0xFF00FF00u, 1.0f, 0);
    ASSERT_TRUE(device->readPixels(nullptr, w, h, rgba));
    EXPECT_EQ(255, rgba[rgba.size() - 3]);

    // A target made before the resize, now larger than the back buffer,
    // keeps working.
    RenderTarget* target = device->createRenderTarget(48, 48);
    ASSERT_TRUE(device->resizeBackBuffer(32, 32));
    device->setRenderTarget(target);
    device->clear(true, true, true, 0xFF0000FFu, 1.0f, 0);
    ASSERT_TRUE(device->readPixels(target, w, h, rgba));
    EXPECT_EQ(48, w);
    EXPECT_EQ(255, rgba[rgba.size() - 2]);
}

TEST_F(GfxDevice, TexturesRefuseBadImagesAndReadBackExactly)
{
    EXPECT_EQ(nullptr, device->createTexture(img::Image()));
    img::Image shortImage(4, 4);
    shortImage.rgba.resize(10);
    EXPECT_EQ(nullptr, device->createTexture(shortImage));
    img::Image huge(device->maxTextureSize() + 1, 1);
    EXPECT_EQ(nullptr, device->createTexture(huge));

    img::Image source(3, 2);
    for (size_t i = 0; i < source.rgba.size(); ++i)
        source.rgba[i] = static_cast<uint8_t>(i * 11);
    Texture* tex = device->createTexture(source);
    ASSERT_TRUE(tex);
    img::Image back;
    ASSERT_TRUE(device->readTexture(tex, back));
    EXPECT_EQ(3, back.width);
    EXPECT_EQ(2, back.height);
    EXPECT_EQ(source.rgba, back.rgba);
    EXPECT_FALSE(device->readTexture(nullptr, back));

    // White and grey pictures are kept in fewer channels; they read back
    // as the same RGBA texels, with and without mip levels.
    const std::vector<uint8_t> pictures[] = {
        {255, 255, 255, 0, 255, 255, 255, 128, 255, 255, 255, 255, 255, 255, 255, 3}, // white, alpha varies
        {7, 7, 7, 255, 200, 200, 200, 255, 0, 0, 0, 255, 255, 255, 255, 255},         // grey, opaque
        {9, 9, 9, 1, 90, 90, 90, 33, 255, 255, 255, 0, 0, 0, 0, 255},                 // grey, alpha varies
    };
    for (const std::vector<uint8_t>& texels : pictures)
        for (bool mips : {false, true}) {
            img::Image picture(2, 2);
            picture.rgba = texels;
            Texture* t = device->createTexture(picture, mips);
            ASSERT_TRUE(t);
            ASSERT_TRUE(device->readTexture(t, back));
            EXPECT_EQ(picture.rgba, back.rgba) << "texel 1 alpha " << int(texels[7]) << (mips ? ", mips" : "");
            device->releaseTexture(t);
        }
}

TEST_F(GfxDevice, ReleasedObjectsAreForgottenAndDoubleReleasesRefused)
{
    img::Image one(1, 1);
    Texture* tex = device->createTexture(one);
    device->setTexture(0, tex);
    device->setTexture(1, tex);
    device->releaseTexture(tex);
    device->releaseTexture(tex);
    device->setTexture(0, tex); // stale: refused, not dereferenced
    img::Image out;
    EXPECT_FALSE(device->readTexture(tex, out));

    const float v[3] = {0, 0, 0};
    VertexBuffer* vb = device->createVertexBuffer(v, sizeof v);
    device->setStreamSource(vb, 12);
    device->releaseVertexBuffer(vb);
    device->releaseVertexBuffer(vb);
    device->updateVertexBuffer(vb, v, sizeof v);

    RenderTarget* target = device->createRenderTarget(16, 16);
    device->releaseRenderTarget(target);
    device->releaseRenderTarget(target);
    device->setRenderTarget(target);
    int w = 0, h = 0;
    std::vector<uint8_t> rgba;
    EXPECT_FALSE(device->readPixels(target, w, h, rgba));
    EXPECT_TRUE(device->readPixels(nullptr, w, h, rgba)); // still on the back buffer
    EXPECT_EQ(128, w);

    EXPECT_EQ(1, count("releaseTexture"));
    EXPECT_EQ(1, count("releaseVertexBuffer"));
    EXPECT_EQ(1, count("releaseRenderTarget"));
    // Releasing null is not a mistake.
    device->releaseTexture(nullptr);
    device->releaseVertexBuffer(nullptr);
    device->releaseIndexBuffer(nullptr);
    device->releaseRenderTarget(nullptr);
    EXPECT_EQ(1, count("releaseTexture"));
}

TEST_F(GfxDevice, EmptyBuffersAndTargetsAreNull)
{
    const uint16_t indices[3] = {0, 1, 2};
    const float v[9] = {};
    EXPECT_EQ(nullptr, device->createVertexBuffer(nullptr, 36));
    EXPECT_EQ(nullptr, device->createVertexBuffer(v, 0));
    EXPECT_EQ(nullptr, device->createIndexBuffer(nullptr, 3));
    EXPECT_EQ(nullptr, device->createIndexBuffer(indices, 0));
    EXPECT_EQ(nullptr, device->createRenderTarget(0, 16));
    EXPECT_EQ(nullptr, device->createRenderTarget(16, -4));
    // Objects left alive are freed with the device (checked by the leak
    // sanitizer).
    EXPECT_NE(nullptr, device->createVertexBuffer(v, sizeof v));
    EXPECT_NE(nullptr, device->createIndexBuffer(indices, 3));
    EXPECT_NE(nullptr, device->createRenderTarget(8, 8));
    EXPECT_NE(nullptr, device->createTexture(img::Image(2, 2)));
}

TEST_F(GfxDevice, LossGoesThroughNotResetBackToOk)
{
    EXPECT_TRUE(device->reset()); // nothing to do
    device->simulateLoss();
    EXPECT_EQ(DeviceState::Lost, device->state());
    EXPECT_FALSE(device->reset());
    EXPECT_EQ(DeviceState::Lost, device->state());
    device->present(); // ignored while lost
    device->allowReset();
    EXPECT_EQ(DeviceState::NotReset, device->state());
    device->allowReset();
    EXPECT_EQ(DeviceState::NotReset, device->state());
    EXPECT_TRUE(device->reset());
    EXPECT_EQ(DeviceState::Ok, device->state());
    device->allowReset(); // only a lost device becomes resettable
    EXPECT_EQ(DeviceState::Ok, device->state());
}

TEST_F(GfxDevice, ResetReturnsToTheBackBuffer)
{
    RenderTarget* target = device->createRenderTarget(16, 16);
    device->setRenderTarget(target);
    device->simulateLoss();
    device->allowReset();
    ASSERT_TRUE(device->reset());
    device->clear(true, false, false, 0xFFFF0000u, 1.0f, 0);
    int w = 0, h = 0;
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(device->readPixels(nullptr, w, h, rgba));
    EXPECT_EQ(255, rgba[0]);
    EXPECT_EQ(255, rgba[rgba.size() - 4]);
}

TEST_F(GfxDevice, BadStateValuesAreIgnoredAndLoggedOnce)
{
    device->beginScene();
    device->setRenderState(RS_ZFUNC, 0);
    device->setRenderState(RS_ZFUNC, 0);
    device->setRenderState(RS_DESTBLEND, 11); // saturated alpha is a source factor only
    device->setRenderState(RS_CULLMODE, 4);
    device->setStageState(0, SS_COLOROP, 27);
    device->setStageState(0, SS_COLORARG1, 5);
    device->setStageState(0, SS_COLORARG1, 0x42);
    device->setStageState(0, SS_ADDRESSU, 0);
    device->setStageState(0, SS_TEXTURETRANSFORMFLAGS, 3);
    device->setStageState(MAX_STAGES, SS_COLOROP, 2);
    device->setStageState(-1, SS_COLOROP, 2);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    device->setTransform(TS_TEXTURE0 + MAX_STAGES, identity);
    device->setRenderState(static_cast<RenderState>(RS_COUNT), 0);
    device->setViewport(0, 0, -1, 10, 0, 1);
    EXPECT_EQ(13u, log.size());
    EXPECT_EQ(1, count("ZFUNC"));

    // Valid values and an unknown vertex format, then a draw: only the
    // format is reported, once.
    device->setRenderState(RS_ZFUNC, 8);
    device->setStageState(0, SS_COLOROP, 2);
    const float v[12] = {};
    device->drawPrimitiveUP(PT_TRIANGLELIST, 1, v, 16);
    device->drawPrimitiveUP(PT_TRIANGLELIST, 1, v, 16);
    device->drawPrimitiveUP(PT_TRIANGLELIST, 0, v, 12);
    device->drawPrimitiveUP(PT_TRIANGLELIST, 1, nullptr, 12);
    device->endScene();
    EXPECT_EQ(14u, log.size());
    EXPECT_EQ(1, count("stride 16"));
}

} // namespace
