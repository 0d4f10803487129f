// The sound list file: what defines a named sound and how mistakes are
// reported.
#include "sound/named_sound.h"
#include "sound/sound_loader.h"
#include "tests/common/test_util.h"
#include "tests/sound/sound_fixture.h"

#include <gtest/gtest.h>

using namespace soundtest;

namespace {

// Log text written after the mark.
struct LogMark {
    size_t at = testutil::logText().size();
    std::string since() const { return testutil::logText().substr(at); }
};

class SoundList : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"a", "b", "c"})
            writeWav(std::string("snd\\") + name + ".wav", sine(200, 22050, 440, 0.3f));
    }
    void TearDown() override { clearNamedSounds(); }
};

} // namespace

TEST_F(SoundList, SoundsFilesAndSoundOnce)
{
    testutil::writeText("data\\fx.yml", "<!-- effects -->\n"
                                         "<sound name=\"hit\">\n"
                                         "  <file path=\"snd\\a.wav\"/>\n"
                                         "  <file path=\"SND\\B.WAV\"/>\n"
                                         "</sound>\n"
                                         "<sound_once name=\"pop\" path=\"snd\\c.wav\"/>\n"
                                         "<sound name=\"hit\"><file path=\"snd\\c.wav\"/></sound>\n");
    LogMark mark;
    loadSoundList("data\\fx.yml");
    ASSERT_NE(nullptr, findNamedSound("hit"));
    EXPECT_EQ(3u, findNamedSound("hit")->buffers().size()); // two tags, one sound
    ASSERT_NE(nullptr, findNamedSound("pop"));
    EXPECT_EQ(1u, findNamedSound("pop")->buffers().size());
    EXPECT_EQ(2u, gNamedSounds().size());
    EXPECT_NE(std::string::npos, mark.since().find("Parse sounds from file, data\\fx.yml"));
    EXPECT_EQ(std::string::npos, mark.since().find("error"));
}

TEST_F(SoundList, MistakesAreLoggedWithFileAndLineAndReadingGoesOn)
{
    testutil::writeText("fx.yml", "<file path=\"snd\\a.wav\"/>\n"                       // line 0
                                   "<sound name=\"one\">\n"                              // 1
                                   "  <sound_once name=\"two\" path=\"snd\\b.wav\"/>\n" // 2
                                   "</sound>\n"                                          // 3
                                   "<sound name=\"three\">\n"                            // 4
                                   "  <file path=\"snd\\missing.wav\"/>\n"               // 5
                                   "  <file path=\"snd\\notes.txt\"/>\n"                 // 6
                                   "  <file path=\"snd\\c.wav\"/>\n"                     // 7
                                   "</sound>\n");
    LogMark mark;
    loadSoundList("fx.yml");
    std::string log = mark.since();
    EXPECT_NE(std::string::npos, log.find("Sound init parser error, Tag <file> outside <sound>., file: fx.yml, line: 0"));
    EXPECT_NE(std::string::npos, log.find("Sound init parser error, Expected </sound>., file: fx.yml, line: 2"));
    // sound_once closed the open sound, so its end tag has no start.
    EXPECT_NE(std::string::npos, log.find("Sound init parser error, Expected <sound>., file: fx.yml, line: 3"));
    EXPECT_NE(std::string::npos,
              log.find("Sound init parser error, Could not open WAV file snd\\missing.wav, file: fx.yml, line: 5"));
    EXPECT_NE(std::string::npos,
              log.find("Sound init parser error, Unknown file type: snd\\notes.txt, file: fx.yml, line: 6"));
    ASSERT_NE(nullptr, findNamedSound("two"));
    EXPECT_EQ(1u, findNamedSound("two")->buffers().size());
    ASSERT_NE(nullptr, findNamedSound("one"));
    EXPECT_TRUE(findNamedSound("one")->buffers().empty());
    ASSERT_NE(nullptr, findNamedSound("three"));
    EXPECT_EQ(1u, findNamedSound("three")->buffers().size()); // the file that loaded stays
}

TEST_F(SoundList, MissingListLoadsNothing)
{
    loadSoundList("data\\none.yml");
    EXPECT_TRUE(gNamedSounds().empty());
}
