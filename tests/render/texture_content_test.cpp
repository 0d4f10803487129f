// The generated pictures in the build's game folder: every texture the
// shader files may name is there and loads through the engine's reader at a
// size the device takes; blended pictures fade out at their borders;
// repeating surfaces tile; the environment faces meet without seams.
#include "render/environment.h"

#include "core/file_list.h"
#include "platform/img/image.h"
#include "platform/sys/files.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <vector>

namespace {

const std::string GAME = TARVELIN_GAME_DIR;

// Pictures drawn blended: they carry alpha.
const std::vector<std::string> BLENDED = {"glow.png",        "spark.png",        "ring.png",  "smoke.png",
                                          "flare.png",       "comet.png",        "blast.png", "lightspot.png",
                                          "block_glass.png", "ball_phantom.png", "bonus.png", "cursor.png",
                                          "heart.png",       "ball_angle.png",   "logo.png"};
// Particles and spots: soft shapes that must vanish before the picture's edge.
const std::vector<std::string> SOFT = {"glow.png",  "spark.png", "ring.png",  "smoke.png",
                                       "flare.png", "comet.png", "blast.png", "lightspot.png"};
// Surfaces repeated over meshes: they tile across both borders, or (walls
// and rims) across the left and right border only.
const std::vector<std::string> TILING = {"split.jpg",     "table_floor.png",  "table_side.png",      "block_in.png",
                                         "ball.png",      "ball_small.png",   "ball_heavy.png",      "ball_phantom.png",
                                         "ball_fire.png", "ball_electro.png", "ball_generative.png", "bonus.png",
                                         "metal.png"};
const std::vector<std::string> TILING_U = {"table_wall.png", "table_rim.png"};
const char* BONUS_KINDS[] = {"ballnormal", "ballheavy", "ballphantom", "ballfire", "ballelectro", "ballgenerative",
                             "hand",       "boomer",    "bomb",        "grenade",  "minspeed",    "maxspeed",
                             "death",      "life",      "frost",       "next"};

std::vector<std::string> allTextures()
{
    std::vector<std::string> names = {"split.jpg",      "block.png",      "block_stone.png",  "block_metal.png",
                                      "block_wood.png", "block_in.png",   "table_floor.png",  "table_wall.png",
                                      "table_rim.png",  "table_side.png", "ball.png",         "ball_small.png",
                                      "ball_heavy.png", "ball_fire.png",  "ball_electro.png", "ball_generative.png",
                                      "metal.png"};
    names.insert(names.end(), BLENDED.begin(), BLENDED.end());
    for (const char* kind : BONUS_KINDS)
        names.push_back(std::string("bonus_") + kind + ".png");
    return names;
}

bool isPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

img::Image load(const std::string& path)
{
    img::Image image;
    std::string error;
    EXPECT_TRUE(img::loadImage(path, image, &error)) << path << ": " << error;
    return image;
}

// Mean colour difference (0..255 per channel) between two columns, or two
// rows when `rows` is set.
float lineDifference(const img::Image& image, int a, int b, bool rows)
{
    int n = rows ? image.width : image.height;
    float sum = 0;
    for (int i = 0; i < n; ++i) {
        const uint8_t* p = rows ? image.texel(i, a) : image.texel(a, i);
        const uint8_t* q = rows ? image.texel(i, b) : image.texel(b, i);
        for (int c = 0; c < 4; ++c)
            sum += std::fabs(float(p[c]) - float(q[c])) / 4.0f;
    }
    return sum / static_cast<float>(n);
}

// The wrap-around step against the steps between neighbours inside (their
// 90th percentile, as crack and cell lines make a few steps large): a
// picture that does not tile jumps there like two unrelated lines.
void expectTiles(const img::Image& image, bool rows, const std::string& name)
{
    int n = rows ? image.height : image.width;
    std::vector<float> steps;
    for (int i = 1; i < n; ++i)
        steps.push_back(lineDifference(image, i - 1, i, rows));
    std::sort(steps.begin(), steps.end());
    float inside = steps[steps.size() * 9 / 10];
    float wrap = lineDifference(image, n - 1, 0, rows);
    EXPECT_LE(wrap, inside * 1.5f + 2.0f) << name << (rows ? " top/bottom" : " left/right");
}

} // namespace

TEST(TextureContent, EveryTextureLoadsAtAPowerOfTwoSize)
{
    for (const std::string& name : allTextures()) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(
            std::none_of(name.begin(), name.end(), [](char c) { return std::isupper(static_cast<unsigned char>(c)); }));
        std::string bytes;
        ASSERT_TRUE(sys::readFile(GAME + "/textures/" + name, bytes)) << "run gen_textures first";
        bool jpeg = name.size() > 4 && name.compare(name.size() - 4, 4, ".jpg") == 0;
        EXPECT_EQ(jpeg ? std::string("\xFF\xD8") : std::string("\x89PNG"), bytes.substr(0, jpeg ? 2 : 4));
        // Through the game's own path form, as the shader files name them.
        img::Image image = load(GAME + "/textures\\" + name);
        EXPECT_TRUE(isPowerOfTwo(image.width) && image.width <= 512) << image.width;
        EXPECT_TRUE(isPowerOfTwo(image.height) && image.height <= 512) << image.height;
    }
    EXPECT_EQ(48u, allTextures().size());
}

TEST(TextureContent, BlendedPicturesCarryAlphaAndSoftOnesFadeOutAtTheBorder)
{
    for (const std::string& name : BLENDED) {
        img::Image image = load(GAME + "/textures/" + name);
        ASSERT_FALSE(image.empty()) << name;
        int clear = 0, solid = 0;
        for (size_t i = 3; i < image.rgba.size(); i += 4) {
            clear += image.rgba[i] < 128;
            solid += image.rgba[i] >= 128;
        }
        EXPECT_GT(clear, 0) << name;
        EXPECT_GT(solid, 0) << name;
    }
    // A soft picture whose border is not clear shows up as a square.
    for (const std::string& name : SOFT) {
        img::Image image = load(GAME + "/textures/" + name);
        ASSERT_FALSE(image.empty()) << name;
        int worst = 0;
        for (int i = 0; i < image.width; ++i) {
            worst = std::max({worst, int(image.texel(i, 0)[3]), int(image.texel(i, image.height - 1)[3]),
                              int(image.texel(0, i)[3]), int(image.texel(image.width - 1, i)[3])});
        }
        EXPECT_LE(worst, 6) << name;
    }
    // Opaque surfaces are opaque everywhere.
    img::Image floor = load(GAME + "/textures/table_floor.png");
    for (size_t i = 3; i < floor.rgba.size(); i += 4)
        ASSERT_EQ(255, floor.rgba[i]);
}

TEST(TextureContent, NoCrackReachesWhatAWholeBlockTakesOff)
{
    // A whole block's crack texture is this picture lowered by 0.9, which
    // must leave it black: the game draws whole blocks without it.
    img::Image cracks = load(GAME + "/textures/split.jpg");
    ASSERT_FALSE(cracks.empty());
    int brightest = 0;
    for (size_t i = 0; i < cracks.rgba.size(); ++i)
        brightest = i % 4 == 3 ? brightest : std::max(brightest, int(cracks.rgba[i]));
    EXPECT_LT(brightest, 229);
    EXPECT_GT(brightest, 128) << "the main cracks show on a worn block";
}

TEST(TextureContent, RepeatedSurfacesTile)
{
    for (const std::string& name : TILING) {
        img::Image image = load(GAME + "/textures/" + name);
        ASSERT_FALSE(image.empty()) << name;
        expectTiles(image, false, name);
        expectTiles(image, true, name);
    }
    for (const std::string& name : TILING_U) {
        img::Image image = load(GAME + "/textures/" + name);
        ASSERT_FALSE(image.empty()) << name;
        expectTiles(image, false, name);
    }
}

TEST(TextureContent, EnvironmentsHoldSixSquareFacesThatMeetWithoutSeams)
{
    std::vector<std::string> names = findFiles(GAME + "/env/*", true);
    EXPECT_EQ((std::vector<std::string>{"dusk", "nebula"}), names);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(6u, findFiles(GAME + "/env/" + name + "/*", false).size());
        img::Image faces[YEF_COUNT];
        for (int f = 0; f < YEF_COUNT; ++f) {
            faces[f] = load(GAME + "/env\\" + name + "\\" + ENVIRONMENT_FACES[f].name + ".jpg");
            ASSERT_FALSE(faces[f].empty());
            EXPECT_TRUE(faces[f].width == 256 || faces[f].width == 512) << faces[f].width;
            EXPECT_EQ(faces[0].width, faces[f].width);
            EXPECT_EQ(faces[f].width, faces[f].height);
        }
        // Every border texel against the texel of the neighbouring face that
        // shows the nearest direction, found through the face table.
        const int n = faces[0].width;
        const float span = ENVIRONMENT_UV_MAX - ENVIRONMENT_UV_MIN;
        float sum = 0, worst = 0;
        int count = 0;
        for (int a = 0; a < YEF_COUNT; ++a) {
            for (int i = 0; i < n; ++i) {
                const int border[4][2] = {{i, 0}, {i, n - 1}, {0, i}, {n - 1, i}};
                for (const auto& xy : border) {
                    float u = (xy[0] + 0.5f) / n, v = (xy[1] + 0.5f) / n;
                    YVec3 w = environmentFaceDirection(a, u, v);
                    YVec3 cube(w.x, w.z, -w.y); // undo the turn about X
                    for (int b = 0; b < YEF_COUNT; ++b) {
                        const YEnvironmentFaceFrame& fb = ENVIRONMENT_FACES[b];
                        float depth = cube.x * fb.centre[0] + cube.y * fb.centre[1] + cube.z * fb.centre[2];
                        if (b == a || depth <= 0.0f)
                            continue;
                        YVec3 q = cube * (1.0f / depth);
                        float s = q.x * fb.right[0] + q.y * fb.right[1] + q.z * fb.right[2];
                        float t = q.x * fb.down[0] + q.y * fb.down[1] + q.z * fb.down[2];
                        if (std::fabs(s) > 1.0f + 3.0f / n || std::fabs(t) > 1.0f + 3.0f / n)
                            continue;
                        auto texel = [&](float c) {
                            int k = static_cast<int>(((c + 1.0f) * 0.5f * span + ENVIRONMENT_UV_MIN) * n);
                            return std::min(std::max(k, 0), n - 1);
                        };
                        const uint8_t* p = faces[a].texel(xy[0], xy[1]);
                        const uint8_t* o = faces[b].texel(texel(s), texel(t));
                        float d = (std::fabs(float(p[0]) - o[0]) + std::fabs(float(p[1]) - o[1]) +
                                   std::fabs(float(p[2]) - o[2])) /
                            3.0f;
                        sum += d;
                        worst = std::max(worst, d);
                        ++count;
                    }
                }
            }
        }
        ASSERT_GT(count, 6 * 4 * n - 1);
        EXPECT_LT(sum / count, 4.0f) << "worst " << worst;
    }
}
