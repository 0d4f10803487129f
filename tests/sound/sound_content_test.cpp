// The game's own sounds and music, as generated into the game folder: the
// sound list loads without an error, every name the game plays is there,
// and every music track decodes and has a loop's length.
#include "core/file_list.h"
#include "platform/sys/paths.h"
#include "sound/named_sound.h"
#include "sound/ogg_decoder.h"
#include "sound/sound_buffer.h"
#include "sound/sound_loader.h"
#include "tests/common/test_util.h"
#include "tests/sound/sound_fixture.h"

#include <gtest/gtest.h>

namespace {

// Runs the body in the game folder and comes back.
class InGameFolder {
public:
    InGameFolder() : mBack(sys::currentDirectory()) { sys::changeDirectory(TARVELIN_GAME_DIR); }
    ~InGameFolder() { sys::changeDirectory(mBack); }

private:
    std::string mBack;
};

} // namespace

TEST(SoundContent, EveryEffectTheGamePlaysLoads)
{
    InGameFolder folder;
    size_t before = testutil::logText().size();
    {
        soundtest::LoopbackSound sound; // buffers reach the device too
        loadSoundList("data\\sound_fx.yml");
        std::string log = testutil::logText().substr(before);
        EXPECT_EQ(std::string::npos, log.find("error")) << log;
        const char* names[] = {"kick", "kick_heavy", "kick_fire", "kick_electro", "kick_small", "mutation",
                               "destroy_ball", "small_ball", "lightning", "hero_step", "bonus", "bonus_minspeed",
                               "bonus_maxspeed", "bonus_life", "bonus_death", "game_over", "bomb", "grenade",
                               "boomer", "wall_stroke", "def_stroke", "def_destroy"};
        for (const char* name : names) {
            YNamedSound* s = findNamedSound(name);
            ASSERT_NE(nullptr, s) << name;
            EXPECT_FALSE(s->buffers().empty()) << name;
        }
        for (const char* material : {"wood", "glass", "stone", "metal", "ice", "rubber"})
            for (const char* kind : {"_stroke", "_destroy"})
                EXPECT_NE(nullptr, findNamedSound(std::string(material) + kind)) << material << kind;
        for (YNamedSound* s : gNamedSounds())
            for (YSoundBuffer* b : s->buffers()) {
                EXPECT_EQ(1, b->format().channels) << b->fileName();
                EXPECT_EQ(16, b->format().bitsPerSample) << b->fileName();
                EXPECT_NE(nullptr, b->deviceBuffer()) << b->fileName();
                double seconds = static_cast<double>(b->bytes()) / (2.0 * b->format().sampleRate);
                EXPECT_GT(seconds, 0.05) << b->fileName();
                EXPECT_LT(seconds, 3.0) << b->fileName();
            }
    }
}

TEST(SoundContent, MusicTracksAreLoopsOfAMinuteOrMore)
{
    InGameFolder folder;
    std::vector<std::string> tracks = findFiles("music\\*.ogg", false);
    ASSERT_GE(tracks.size(), 4u);
    EXPECT_EQ(0u, tracks[0].find("00_"));
    EXPECT_EQ(0u, tracks[1].find("01_"));
    for (const std::string& name : tracks) {
        EXPECT_EQ(name, [&] {
            std::string lower = name;
            for (char& c : lower)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            return lower;
        }());
        YOggDecoder d;
        d.open(("music\\" + name).c_str());
        double seconds = static_cast<double>(d.decodedSize()) / d.format().bytesPerSecond();
        EXPECT_GE(seconds, 60.0) << name;
        EXPECT_LE(seconds, 90.0) << name;
        // The start decodes to sound, neither silence nor full scale.
        std::vector<int16_t> pcm(44100 * 2);
        ASSERT_EQ(pcm.size() * 2, d.read(pcm.data(), pcm.size() * 2)) << name;
        int peak = 0;
        for (int16_t v : pcm)
            peak = std::max(peak, std::abs(static_cast<int>(v)));
        EXPECT_GT(peak, 1000) << name;
        EXPECT_LT(peak, 32000) << name;
    }
}
