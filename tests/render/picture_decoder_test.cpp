// Pictures decoded ahead on other threads: each is taken once with the
// file's contents, and what is not taken is dropped.
#include "render/picture_decoder.h"

#include "platform/sys/thread.h"

#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A picture of the given size whose red channel is `red` everywhere.
void writePicture(const std::string& file, int red, int width = 4, int height = 4)
{
    img::Image image(width, height);
    for (size_t i = 0; i < image.rgba.size(); i += 4) {
        image.rgba[i] = static_cast<uint8_t>(red);
        image.rgba[i + 3] = 255;
    }
    ASSERT_TRUE(img::saveBmp(file, image));
}

} // namespace

TEST(PictureDecoder, EachFileIsTakenOnceWithItsContentsAndTheRestIsDropped)
{
    struct Step {
        const char* action; // "start" (files), "write" (file, red), "take" (file)
        std::vector<std::string> files;
        int red; // written, or expected of the taken picture (-1: it failed)
    };
    std::vector<std::string> many;
    for (int i = 0; i < 12; ++i)
        many.push_back("m" + std::to_string(i) + ".bmp");
    const Step steps[] = {
        {"write", {"a.bmp"}, 10},
        {"write", {"b.bmp"}, 20},
        {"start", {"a.bmp", "b.bmp", "missing.png", "a.bmp"}, 0},
        {"take", {"b.bmp"}, 20}, // in any order
        {"take", {"missing.png"}, -1},
        {"take", {"a.bmp"}, 10},
        {"write", {"a.bmp"}, 11},
        {"take", {"a.bmp"}, 11}, // taken already: read again
        {"take", {"c.bmp"}, -1}, // never started, and no such file
        {"write", {"c.bmp"}, 30},
        {"take", {"c.bmp"}, 30},
        {"start", {"b.bmp", "c.bmp"}, 0},
        {"start", {}, 0}, // drops both
        {"write", {"b.bmp"}, 21},
        {"write", {"c.bmp"}, 31},
        {"take", {"b.bmp"}, 21},
        {"take", {"c.bmp"}, 31},
        {"start", many, 0}, // more files than decoding threads
        {"take", {"m11.bmp"}, 111},
        {"take", {"m0.bmp"}, 100},
        {"take", {"m5.bmp"}, 105},
        {"start", {"a.bmp"}, 0}, // the other nine dropped
        {"write", {"m1.bmp"}, 1},
        {"take", {"m1.bmp"}, 1},
        {"take", {"a.bmp"}, 11},
    };
    for (size_t i = 0; i < many.size(); ++i)
        writePicture(many[i], 100 + static_cast<int>(i));

    YPictureDecoder decoder;
    for (const Step& step : steps) {
        const std::string action = step.action;
        if (action == "write") {
            writePicture(step.files[0], step.red);
        } else if (action == "start") {
            decoder.start(step.files);
        } else {
            const YDecodedPicture picture = decoder.take(step.files[0]);
            EXPECT_EQ(step.red >= 0, picture.ok) << step.files[0];
            if (step.red < 0) {
                EXPECT_FALSE(picture.error.empty()) << step.files[0];
                continue;
            }
            ASSERT_EQ(4, picture.image.width) << step.files[0];
            EXPECT_EQ(step.red, picture.image.rgba[0]) << step.files[0];
            EXPECT_EQ(2u, picture.mips.size()) << step.files[0]; // 2 x 2, 1 x 1
        }
    }
    // Files started and never taken go with the decoder.
    decoder.start(many);
}

// Decoding threads the system refuses: the decoder goes on with those it
// got, or with none decodes each picture when it is taken; every picture
// still comes, and the refusal is said once for the decoder's life, in the
// round where it first happens.
TEST(PictureDecoder, RefusedThreadsLeaveFewerOrNoneAndEveryPictureStillComes)
{
    std::vector<std::string> files;
    for (int i = 0; i < 8; ++i) {
        files.push_back("r" + std::to_string(i) + ".bmp");
        writePicture(files.back(), 40 + i);
    }
    const unsigned wanted = 4; // fewer than the files
    const std::string refused = "Picture decoding thread could not be started: Resource temporarily unavailable; ";
    const std::string none = "pictures are decoded as their textures load";
    const struct {
        int started;       // threads allowed before the refusals
        std::string said;  // the one line's ending
    } cases[] = {
        {0, none},
        {1, "pictures are decoded on 1 of 4 threads"},
        {3, "pictures are decoded on 3 of 4 threads"},
        {4, none}, // every thread in the first round, none in the second
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.started);
        int allowed = c.started;
        sys::setThreadRefusal([&](const char*) { return allowed-- <= 0; });
        const size_t mark = testutil::logText().size();
        YPictureDecoder decoder(wanted);
        for (int round = 0; round < 2; ++round) {
            decoder.start(files);
            for (size_t i = files.size(); i-- > 0;) { // the last, which one worker reaches last, first
                const YDecodedPicture picture = decoder.take(files[i]);
                EXPECT_TRUE(picture.ok) << files[i];
                if (picture.ok) {
                    EXPECT_EQ(40 + static_cast<int>(i), picture.image.rgba[0]) << files[i];
                }
            }
            allowed = 0;
        }
        decoder.start(files); // dropped untaken
        EXPECT_EQ(1u, testutil::logCount("could not be started", mark));
        EXPECT_EQ(1u, testutil::logCount(refused + c.said, mark));
        sys::setThreadRefusal(nullptr);
    }
}

TEST(PictureDecoder, LargePicturesAreClampedTo512WithTheirWholeMipChain)
{
    const struct {
        int width, height;
        int topWidth, topHeight;
        size_t mips;
    } cases[] = {
        {512, 8, 512, 8, 9},
        {1024, 16, 512, 16, 9},
        {600, 700, 512, 512, 9},
        {1, 1, 1, 1, 0},
    };
    for (const auto& c : cases) {
        writePicture("big.bmp", 50, c.width, c.height);
        const YDecodedPicture picture = decodePicture("big.bmp");
        ASSERT_TRUE(picture.ok) << c.width << "x" << c.height;
        EXPECT_EQ(c.topWidth, picture.image.width) << c.width << "x" << c.height;
        EXPECT_EQ(c.topHeight, picture.image.height) << c.width << "x" << c.height;
        ASSERT_EQ(c.mips, picture.mips.size()) << c.width << "x" << c.height;
        if (c.mips) {
            EXPECT_EQ(1, picture.mips.back().width);
            EXPECT_EQ(1, picture.mips.back().height);
        }
    }
}
