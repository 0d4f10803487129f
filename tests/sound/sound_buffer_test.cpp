// Sound buffers: the WAV reader's checks on what a file claims, the
// whole-file Ogg reader, and the rules of open.
#include "core/error.h"
#include "platform/snd/riff.h"
#include "sound/ogg_decoder.h"
#include "sound/sound_buffer.h"
#include "tests/common/test_util.h"
#include "tests/sound/sound_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace soundtest;

namespace {

std::string errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const YError& e) {
        return e.what();
    }
    return "";
}

std::string readSpec(const WavSpec& spec, snd::Format& format, std::vector<uint8_t>& data)
{
    snd::RiffReader reader;
    reader.openData(makeWav(spec));
    return errorOf([&] { readWav(reader, "t.wav", format, data); });
}

const std::vector<uint8_t> PCM = toBytes(sine(1000, 22050, 440, 0.5f));

} // namespace

TEST(WavReader, ReadsFormatRecordsOf16And18Bytes)
{
    for (uint32_t fmtSize : {16u, 18u, 40u}) {
        WavSpec spec;
        spec.fmtSize = fmtSize;
        spec.data = &PCM;
        snd::Format f;
        std::vector<uint8_t> data;
        EXPECT_EQ("", readSpec(spec, f, data)) << fmtSize;
        EXPECT_EQ(1, f.channels);
        EXPECT_EQ(16, f.bitsPerSample);
        EXPECT_EQ(22050, f.sampleRate);
        EXPECT_EQ(PCM, data);
    }
}

TEST(WavReader, RefusesFormatsItCannotPlay)
{
    struct Case {
        const char* what;
        WavSpec spec;
    };
    std::vector<Case> cases(7);
    cases[0] = {"format tag 3", {}};
    cases[0].spec.tag = 3;
    cases[1] = {"no channels", {}};
    cases[1].spec.channels = 0;
    cases[2] = {"three channels", {}};
    cases[2].spec.channels = 3;
    cases[3] = {"24 bits", {}};
    cases[3].spec.bits = 24;
    cases[4] = {"12 bits", {}};
    cases[4].spec.bits = 12;
    cases[5] = {"format chunk of 14 bytes", {}};
    cases[5].spec.fmtSize = 14;
    cases[6] = {"rate 0", {}};
    cases[6].spec.rate = 0;
    for (Case& c : cases) {
        c.spec.data = &PCM;
        snd::Format f;
        std::vector<uint8_t> data;
        EXPECT_EQ("Invalid WAV format t.wav", readSpec(c.spec, f, data)) << c.what;
    }
}

TEST(WavReader, SizesAreCutToTheBytesPresent)
{
    // The data chunk claims far more than the file holds.
    WavSpec spec;
    spec.data = &PCM;
    spec.declaredDataSize = 0x7FFFFFF0;
    spec.declaredRiffSize = 0xFFFFFFF0;
    snd::Format f;
    std::vector<uint8_t> data;
    EXPECT_EQ("", readSpec(spec, f, data));
    EXPECT_EQ(PCM, data);

    // An odd number of bytes in 16-bit stereo keeps whole frames only.
    std::vector<uint8_t> odd(PCM.begin(), PCM.begin() + 1003);
    spec = WavSpec();
    spec.channels = 2;
    spec.data = &odd;
    EXPECT_EQ("", readSpec(spec, f, data));
    EXPECT_EQ(1000u, data.size());

    // A format chunk claiming more than the file: nothing left for data.
    snd::RiffReader reader;
    std::string image = makeWav(WavSpec());
    image[16] = static_cast<char>(0xFF); // fmt size low byte: 255
    reader.openData(image.substr(0, 44));
    EXPECT_EQ("Invalid WAV format x", errorOf([&] { readWav(reader, "x", f, data); }));
}

TEST(WavReader, TruncatedOrForeignFilesFail)
{
    std::string full = makeWav(WavSpec());
    for (size_t cut : {0u, 10u, 20u, 30u}) {
        snd::RiffReader reader;
        reader.openData(full.substr(0, cut));
        snd::Format f;
        std::vector<uint8_t> data;
        EXPECT_EQ("Invalid WAV format x", errorOf([&] { readWav(reader, "x", f, data); })) << cut;
    }
    EXPECT_EQ("Could not open WAV file missing.wav", errorOf([] {
                  snd::Format f;
                  std::vector<uint8_t> d;
                  readWavFile("missing.wav", f, d);
              }));
}

TEST(SoundBuffer, OpenByExtensionInAnyCase)
{
    writeWav("Sound\\Loud.WAV", sine(500, 22050, 300, 0.5f));
    YSoundBuffer b;
    b.open("sound\\loud.WAV");
    EXPECT_EQ(1000u, b.bytes());
    EXPECT_EQ("sound\\loud.WAV", b.fileName());
    EXPECT_EQ(nullptr, b.deviceBuffer()); // no device: data only
    EXPECT_EQ("SoundBuffer already opened.", errorOf([&] { b.open("sound\\loud.wav"); }));

    YSoundBuffer c;
    EXPECT_EQ("Invalid filename: noext", errorOf([&] { c.open("noext"); }));
    EXPECT_EQ("Unknown file type: a.mp3", errorOf([&] { c.open("a.mp3"); }));
    EXPECT_EQ("Could not open Ogg file.", errorOf([&] { c.open("none.ogg"); }));
    testutil::writeText("bad.ogg", "not an ogg file at all, just text");
    EXPECT_EQ("Could not open Ogg stream. Not Vorbis data.", errorOf([&] { c.open("bad.ogg"); }));
    EXPECT_EQ(0u, c.bytes());
}

TEST(SoundBuffer, WholeOggIsSizedByItsChannels)
{
    // 4000 stereo frames: 16000 bytes, not the 8000 of a mono guess.
    std::vector<int16_t> stereo(8000);
    for (size_t i = 0; i < stereo.size(); ++i)
        stereo[i] = static_cast<int16_t>(8000 * std::sin(static_cast<double>(i / 2) * (i % 2 ? 0.05 : 0.08)));
    writeOgg("st.ogg", stereo, 2, 22050);
    YSoundBuffer b;
    b.open("st.ogg");
    EXPECT_EQ(2, b.format().channels);
    EXPECT_EQ(22050, b.format().sampleRate);
    EXPECT_EQ(16000u, b.bytes());

    YOggDecoder d;
    d.open("st.ogg");
    EXPECT_EQ(16000u, d.decodedSize());
    std::vector<uint8_t> all(20000);
    EXPECT_EQ(16000u, d.read(all.data(), all.size()));
    EXPECT_EQ(0u, d.read(all.data(), all.size()));
    d.rewind();
    EXPECT_EQ(100u, d.read(all.data(), 100));
}

TEST(OggDecoder, MoreThanTwoChannelsAreRefused)
{
    std::vector<int16_t> three(3 * 2000, 1000);
    writeOgg("three.ogg", three, 3, 22050);
    YOggDecoder d;
    std::string error;
    try {
        d.open("three.ogg");
    } catch (const YError& e) {
        error = e.what();
    }
    EXPECT_EQ("Could not open Ogg stream. Unsupported channel count.", error);
    EXPECT_FALSE(d.isOpen());
}

TEST(OggDecoder, ErrorTexts)
{
    EXPECT_STREQ("Read from media.", YOggDecoder::errorText(-128));
    EXPECT_STREQ("Not Vorbis data.", YOggDecoder::errorText(-132));
    EXPECT_STREQ("Vorbis version mismatch.", YOggDecoder::errorText(-134));
    EXPECT_STREQ("Invalid Vorbis header.", YOggDecoder::errorText(-133));
    EXPECT_STREQ("Internal logic fault (bug or heap/stack corruption.", YOggDecoder::errorText(-129));
    EXPECT_STREQ("Unknown Ogg error.", YOggDecoder::errorText(-1));
}
