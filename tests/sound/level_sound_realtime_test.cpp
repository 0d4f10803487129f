// A level played in real time with OpenAL Soft's wave-file writer as the
// sound card: the file holds the kicks and the blocks' sounds where the
// event log puts them, and silence before the first of them.
//
// OpenAL reads its driver and configuration once per process, and the rest
// of the suite runs with the null driver, so the test runs itself again in a
// child process with the wave driver and a configuration naming the file.
// The child plays and writes down when each sound started; this process
// reads the file and compares.
#include "core/error.h"
#include "sound/sound_device.h"
#include "tests/common/test_util.h"
#include "tests/common/world_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

using harness::HarnessEvent;
using harness::WorldHarness;

namespace {

// Set in the child: the folder of the configuration, the file and the log.
const char* const CHILD_DIR = "TARVELIN_LEVEL_SOUND_DIR";
const int RATE = 44100;
const double PLAY_SECONDS = 8.0;
const char* const LEVEL = "01_first_wall";

// ------------------------------------------------------------- the child

// A sound as it went to the device: it started at the updateSound of the
// frame it was played in (played before it, by the bot) or of the next one,
// so between `earliest` and `latest` seconds after the device was open.
struct Heard {
    std::string name;
    float volume = 0;
    double earliest = 0, latest = 0;
};

// Closes the device (and the file) however the child ends.
struct SoundDevice {
    SoundDevice() { initSound(nullptr); }
    ~SoundDevice() { releaseSound(); }
};

void playIntoWaveFile(const std::string& dir)
{
    // The writer starts its file when the device opens: open it first, while
    // no sound is loaded yet, so the file's start is known to within the
    // time the opening took.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point opening = Clock::now();
    std::unique_ptr<SoundDevice> device;
    try {
        device = std::make_unique<SoundDevice>();
    } catch (const YError& e) {
        FAIL() << "no wave device: " << e.what();
    }
    const Clock::time_point opened = Clock::now();
    auto since = [&](Clock::time_point t) { return std::chrono::duration<double>(t - opened).count(); };

    WorldHarness::Options options;
    options.sounds = true;
    options.seed = 3;
    WorldHarness world(options);
    ASSERT_TRUE(world.loadLevel(LEVEL));
    world.bot().aimSpread = 0.5f;
    world.newGame();

    // Frame n starts at frameStart[n]; the game's pace: at most 100 frames a
    // second, steps of at most 0.05 s.
    std::vector<double> frameStart(1, 0.0);
    Clock::time_point last = Clock::now();
    while (since(Clock::now()) < PLAY_SECONDS) {
        std::this_thread::sleep_until(last + std::chrono::milliseconds(10));
        const Clock::time_point now = Clock::now();
        const float dt = std::min(static_cast<float>(std::chrono::duration<double>(now - last).count()), 0.05f);
        last = now;
        frameStart.push_back(since(now));
        world.frame(dt);
    }
    const double end = since(Clock::now());
    device.reset();

    std::ofstream out(dir + "/heard.txt");
    out << "open " << std::chrono::duration<double>(opened - opening).count() << "\nend " << end << "\n";
    const int frames = world.play().count();
    for (const HarnessEvent& e : world.events()) {
        // What the last frame played never started.
        if (e.kind != HarnessEvent::SOUND || e.frame < 1 || e.frame >= frames)
            continue;
        out << e.name << " " << e.value << " " << frameStart[static_cast<size_t>(e.frame)] << " "
            << frameStart[static_cast<size_t>(e.frame) + 1] << "\n";
    }
    ASSERT_TRUE(out.good());
}

// ------------------------------------------------------------ the parent

std::string currentDir()
{
    char buffer[4096];
    return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

// Runs this test again in a child with the wave driver; its exit status, or
// -1 when it did not end in time.
int runChild(const std::string& dir)
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter = std::string("--gtest_filter=") + info->test_suite_name() + "." + info->name();
    const std::string self = "/proc/self/exe";
    std::vector<std::string> vars = {"ALSOFT_DRIVERS=wave", "ALSOFT_CONF=" + dir + "/alsoft.conf",
                                     "XDG_CONFIG_HOME=" + dir, std::string(CHILD_DIR) + "=" + dir};
    std::vector<char*> env;
    for (char** e = environ; *e; ++e) {
        bool replaced = false;
        for (const std::string& v : vars)
            replaced = replaced || std::strncmp(*e, v.c_str(), v.find('=') + 1) == 0;
        if (!replaced)
            env.push_back(*e);
    }
    for (std::string& v : vars)
        env.push_back(v.data());
    env.push_back(nullptr);
    std::string arg0 = self;
    std::string arg1 = filter;
    char* argv[] = {arg0.data(), arg1.data(), nullptr};

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    const std::string log = dir + "/child.log";
    posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self.c_str(), &files, nullptr, argv, env.data());
    posix_spawn_file_actions_destroy(&files);
    if (spawned != 0)
        return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

uint32_t le(const std::string& s, size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(s[at + static_cast<size_t>(i)]);
    return v;
}

// The file's level in 10 ms blocks: the RMS over every channel, 1.0 full
// scale. Reads 16-bit PCM and 32-bit float, plain or extensible.
struct Envelope {
    int rate = 0, channels = 0, bits = 0;
    std::vector<double> blocks;
    static constexpr double BLOCK = 0.01;

    double seconds() const { return static_cast<double>(blocks.size()) * BLOCK; }
    // The loudest block between two times.
    double peak(double from, double to) const
    {
        double p = 0.0;
        const long first = std::max(0L, static_cast<long>(std::floor(from / BLOCK)));
        const long last = std::min(static_cast<long>(blocks.size()), static_cast<long>(std::ceil(to / BLOCK)));
        for (long i = first; i < last; ++i)
            p = std::max(p, blocks[static_cast<size_t>(i)]);
        return p;
    }
};

bool readEnvelope(const std::string& data, Envelope& out, std::string& why)
{
    if (data.size() < 12 || data.compare(0, 4, "RIFF") != 0 || data.compare(8, 4, "WAVE") != 0) {
        why = "not a RIFF/WAVE file";
        return false;
    }
    uint32_t tag = 0;
    size_t at = 12, dataAt = 0, dataSize = 0;
    while (at + 8 <= data.size()) {
        const std::string id = data.substr(at, 4);
        const size_t size = le(data, at + 4, 4);
        if (id == "fmt " && at + 8 + 16 <= data.size()) {
            tag = le(data, at + 8, 2);
            out.channels = static_cast<int>(le(data, at + 10, 2));
            out.rate = static_cast<int>(le(data, at + 12, 4));
            out.bits = static_cast<int>(le(data, at + 22, 2));
            if (tag == 0xFFFE && size >= 40)
                tag = le(data, at + 8 + 24, 2); // the sub-format's first bytes
        } else if (id == "data") {
            dataAt = at + 8;
            // A writer that stopped early leaves the size open.
            dataSize = std::min(size, data.size() - dataAt);
            break;
        }
        at += 8 + size + (size & 1);
    }
    const bool pcm16 = tag == 1 && out.bits == 16, float32 = tag == 3 && out.bits == 32;
    if (!dataAt || out.channels < 1 || out.rate <= 0 || !(pcm16 || float32)) {
        why = "format " + std::to_string(tag) + ", " + std::to_string(out.bits) + " bits, " +
              std::to_string(out.channels) + " channels";
        return false;
    }
    const size_t frameBytes = static_cast<size_t>(out.channels * out.bits / 8);
    const size_t frames = dataSize / frameBytes;
    const size_t perBlock = static_cast<size_t>(out.rate * Envelope::BLOCK);
    double sum = 0.0;
    size_t inBlock = 0;
    for (size_t f = 0; f < frames; ++f) {
        for (int c = 0; c < out.channels; ++c) {
            const size_t p = dataAt + f * frameBytes + static_cast<size_t>(c * out.bits / 8);
            double v = 0.0;
            if (pcm16) {
                v = static_cast<int16_t>(le(data, p, 2)) / 32768.0;
            } else {
                const uint32_t bitsOf = le(data, p, 4);
                float x = 0.0f;
                std::memcpy(&x, &bitsOf, sizeof x);
                v = x;
            }
            sum += v * v;
        }
        if (++inBlock == perBlock) {
            out.blocks.push_back(std::sqrt(sum / static_cast<double>(perBlock * static_cast<size_t>(out.channels))));
            sum = 0.0;
            inBlock = 0;
        }
    }
    return true;
}

bool isKick(const std::string& name) { return name.compare(0, 4, "kick") == 0; }

bool endsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The blocks' own sounds; the wall's and the ball's end are not theirs.
bool isBlockSound(const std::string& name)
{
    return (endsWith(name, "_stroke") || endsWith(name, "_destroy")) && name != "wall_stroke" &&
           name != "destroy_ball";
}

// The level a sound of that volume reaches: the named sounds' law (-50 dB at
// 0, 0 dB at 1) on the effects' level (around -20 dB RMS), halved for the
// pan between two channels and for the margin.
double expectedLevel(float volume)
{
    const double v = volume < 0.0f ? 1.0 : volume;
    return 0.07 * 0.5 * std::pow(10.0, -2.5 * (1.0 - v));
}

} // namespace

TEST(LevelSound, TheWaveFileHoldsTheKicksAndTheBlocksWhereTheLogPutsThem)
{
    if (const char* dir = std::getenv(CHILD_DIR)) {
        playIntoWaveFile(dir);
        return;
    }

    const std::string dir = currentDir();
    ASSERT_FALSE(dir.empty());
    const std::string wav = dir + "/level.wav";
    testutil::writeText("alsoft.conf", "[general]\n"
                                       "drivers = wave\n"
                                       "channels = stereo\n"
                                       "sample-type = int16\n"
                                       "frequency = " + std::to_string(RATE) + "\n"
                                       "period_size = 256\n"
                                       "hrtf = false\n"
                                       "[wave]\n"
                                       "file = " + wav + "\n");
    // The file starts while the device opens, so the opening must be short
    // to place the sounds in it; a busy machine can stall it now and then,
    // so a slow opening plays the level again, up to three times.
    std::istringstream heardText;
    std::string childLog;
    double opening = 0.0, end = 0.0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int status = runChild(dir);
        childLog = testutil::readText(dir + "/child.log");
        ASSERT_EQ(0, status) << "the playing child failed:\n" << childLog;

        // When each sound started, in the child's clock.
        heardText.clear();
        heardText.str(testutil::readText(dir + "/heard.txt"));
        std::string openWord, endWord;
        ASSERT_TRUE(heardText >> openWord >> opening >> endWord >> end && openWord == "open" && endWord == "end")
            << childLog;
        if (opening < 0.25)
            break;
    }
    // A sound started t seconds after the device was open lies t to
    // t + opening seconds into the file.
    ASSERT_LT(opening, 0.25) << "the device took too long to open to place the sounds in the file";
    std::vector<Heard> heard;
    Heard h;
    while (heardText >> h.name >> h.volume >> h.earliest >> h.latest)
        heard.push_back(h);
    ASSERT_FALSE(heard.empty()) << "the child heard nothing";

    Envelope envelope;
    std::string why;
    ASSERT_TRUE(readEnvelope(testutil::readText(wav), envelope, why)) << why;
    EXPECT_EQ(RATE, envelope.rate);
    EXPECT_EQ(2, envelope.channels);
    // The file runs with the clock: as long as the device was open.
    EXPECT_NEAR(end + opening * 0.5, envelope.seconds(), 0.3) << "the file and the clock disagree";

    // Silence until the first sound.
    const double first = heard.front().earliest;
    EXPECT_GT(first, 0.3) << "the first sound comes with the first throw";
    EXPECT_LT(envelope.peak(0.0, first - 0.03), 0.001) << "noise before the first sound at " << first;

    auto loud = [](const Heard& s) { return s.volume < 0.0f || s.volume >= 0.9f; };
    int kicks = 0, blocks = 0, clearKicks = 0, clearBlocks = 0;
    for (size_t i = 0; i < heard.size(); ++i) {
        const Heard& s = heard[i];
        const bool kick = isKick(s.name), block = isBlockSound(s.name);
        if (!(kick || block) || (s.volume >= 0.0f && s.volume < 0.5f))
            continue;
        // The mixer writes in periods: a sound started in the last tenth of
        // a second may not reach the file before the device closes.
        if (s.latest > end - 0.1)
            continue;
        kicks += kick ? 1 : 0;
        blocks += block ? 1 : 0;
        const double after = envelope.peak(s.earliest - 0.02, s.latest + opening + 0.1);
        EXPECT_GT(after, expectedLevel(s.volume))
            << s.name << " (volume " << s.volume << ") not heard at " << s.earliest << " s";

        // A loud sound with nothing half as loud started in the 0.4 s before
        // it: the file is quiet just before it and loud just after.
        bool clear = loud(s);
        for (size_t k = 0; k < i && clear; ++k)
            clear = !(heard[k].latest > s.earliest - 0.4 && (heard[k].volume < 0.0f || heard[k].volume >= 0.5f));
        if (clear) {
            const double before = envelope.peak(s.earliest - 0.25, s.earliest - 0.03);
            EXPECT_LT(before * 4.0, after) << s.name << " at " << s.earliest << " s did not start there";
            clearKicks += kick ? 1 : 0;
            clearBlocks += block ? 1 : 0;
        }
    }
    EXPECT_GE(kicks, 2) << "the throw and at least one more kick";
    EXPECT_GE(blocks, 1) << "the ball reached the blocks";
    EXPECT_GE(clearKicks, 1);
    EXPECT_GE(clearBlocks, 1);

    // And nothing sounds that the log did not hear: every sharp rise of the
    // file follows a logged sound.
    for (size_t b = 1; b < envelope.blocks.size(); ++b) {
        if (!(envelope.blocks[b] > 0.05 && envelope.blocks[b - 1] < 0.01))
            continue;
        const double t = static_cast<double>(b) * Envelope::BLOCK;
        const bool logged = std::any_of(heard.begin(), heard.end(), [&](const Heard& s) {
            return s.earliest - 0.02 <= t && t <= s.latest + opening + 0.1;
        });
        EXPECT_TRUE(logged) << "a sound at " << t << " s that the log did not hear";
    }
}
