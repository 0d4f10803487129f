#include "platform/gfx/texel_layout.h"

#include <gtest/gtest.h>

#include <vector>

using gfx::TexelLayout;

namespace {

img::Image imageOf(const std::vector<uint8_t>& texels)
{
    img::Image image(static_cast<int>(texels.size() / 4), 1);
    image.rgba = texels;
    return image;
}

} // namespace

TEST(TexelLayout, SmallestLayoutHoldsEveryTexelAndUnpacksToTheSameImage)
{
    struct Case {
        std::vector<uint8_t> texels;
        TexelLayout layout;
    };
    const Case cases[] = {
        {{255, 255, 255, 0, 255, 255, 255, 77}, TexelLayout::WhiteAlpha},
        {{255, 255, 255, 255}, TexelLayout::WhiteAlpha},
        {{0, 0, 0, 255, 128, 128, 128, 255}, TexelLayout::Grey},
        {{0, 0, 0, 254, 128, 128, 128, 255}, TexelLayout::GreyAlpha},
        {{255, 255, 255, 0, 0, 0, 0, 0}, TexelLayout::GreyAlpha},
        {{255, 255, 254, 255}, TexelLayout::Rgba}, // one channel off grey
        {{10, 10, 10, 255, 10, 11, 10, 255}, TexelLayout::Rgba},
        {{}, TexelLayout::Rgba},
    };
    for (const Case& c : cases) {
        const img::Image image = imageOf(c.texels);
        EXPECT_EQ(c.layout, gfx::chooseTexelLayout(image)) << c.texels.size() / 4 << " texels";
        const std::vector<uint8_t> packed = gfx::packTexels(image, c.layout);
        ASSERT_EQ(c.texels.size() / 4 * gfx::bytesPerTexel(c.layout), packed.size());
        img::Image back(image.width, image.height);
        gfx::unpackTexels(c.layout, packed.data(), back);
        EXPECT_EQ(image.rgba, back.rgba);
    }
}

TEST(TexelLayout, MipLevelsKeepTheLayoutOfTheirTopLevel)
{
    img::Image top(8, 4);
    for (int i = 0; i < 32; ++i) {
        uint8_t* t = &top.rgba[static_cast<size_t>(i) * 4];
        t[0] = t[1] = t[2] = 255;
        t[3] = static_cast<uint8_t>(i * 37);
    }
    ASSERT_EQ(TexelLayout::WhiteAlpha, gfx::chooseTexelLayout(top));
    for (const img::Image& level : img::mipChain(top))
        EXPECT_EQ(TexelLayout::WhiteAlpha, gfx::chooseTexelLayout(level)) << level.width << "x" << level.height;
    for (int i = 0; i < 32; ++i)
        top.rgba[static_cast<size_t>(i) * 4] = top.rgba[static_cast<size_t>(i) * 4 + 1] =
            top.rgba[static_cast<size_t>(i) * 4 + 2] = static_cast<uint8_t>(i * 5);
    ASSERT_EQ(TexelLayout::GreyAlpha, gfx::chooseTexelLayout(top));
    for (const img::Image& level : img::mipChain(top))
        EXPECT_EQ(TexelLayout::GreyAlpha, gfx::chooseTexelLayout(level)) << level.width << "x" << level.height;
}
