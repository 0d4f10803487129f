// Synthesizes the music loops into "music\" of the game folder as Ogg Vorbis
// files: soft pads on a chord progression, a bass line, a bell arpeggio
// with an echo and light drums. Each loop is a whole number of bars and
// every sound that rings past the end wraps round to the start, so the
// loop plays on without a seam. Track 00 is the menu's tune and 01 the
// game-over tune; the others are played during the game.
#include "tools/sound/ogg_writer.h"
#include "tools/sound/synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

using namespace synth;

namespace {

constexpr int RATE = 44100;

struct Chord {
    int root;                 // semitones above the song's key
    std::vector<int> tones;   // semitones above the chord's root
};

struct Song {
    const char* file;
    int bpm;                  // chosen so a beat is a whole number of samples
    int bars;
    int key;                  // MIDI note of the key's root in octave 4
    std::vector<Chord> chords; // one per bar, repeating
    int bassStyle;            // 0 long notes, 1 quarters, 2 eighths with octaves
    int drumStyle;            // 0 none, 1 soft (kick 1+3, rim 2+4), 2 full
    int arpStyle;             // 0 none, 1 eighths up, 2 sixteenths up and down
    uint32_t seed;
};

// Stereo mix with wrap-around: writes past the end land at the start.
struct Mix {
    explicit Mix(size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}
    // frame < 2 * size: nothing rings on for more than a lap.
    void add(size_t frame, float value, float pan)
    {
        size_t i = frame < left.size() ? frame : frame - left.size();
        left[i] += value * (1.0f - pan);
        right[i] += value * (1.0f + pan);
    }
    size_t size() const { return left.size(); }
    std::vector<float> left, right;
};

const WaveTable& padTable()
{
    static const WaveTable t({1.0f, 0.45f, 0.22f, 0.12f, 0.06f, 0.03f});
    return t;
}

const WaveTable& bassTable()
{
    static const WaveTable t({1.0f, 0.35f, 0.12f, 0.04f});
    return t;
}

// A pad note: two slightly detuned voices with a slow swell.
void addPad(Mix& mix, size_t start, size_t length, float note, float amplitude, float pan)
{
    float hz = noteHz(note);
    float attack = 0.35f * RATE, release = 0.6f * RATE;
    size_t total = length + static_cast<size_t>(release);
    float p1 = 0, p2 = 0.37f;
    float d1 = hz * 1.0023f / RATE, d2 = hz * 0.9977f / RATE;
    for (size_t i = 0; i < total; ++i) {
        float x = static_cast<float>(i);
        float env = std::min(1.0f, x / attack);
        if (i >= length)
            env *= 1.0f - (x - static_cast<float>(length)) / release;
        p1 += d1;
        p2 += d2;
        if (p1 >= 1.0f)
            p1 -= 1.0f;
        if (p2 >= 1.0f)
            p2 -= 1.0f;
        const WaveTable& t = padTable();
        mix.add(start + i, amplitude * env * t.at(p1), pan - 0.3f);
        mix.add(start + i, amplitude * env * t.at(p2), pan + 0.3f);
    }
}

void addBass(Mix& mix, size_t start, size_t length, float note, float amplitude)
{
    float hz = noteHz(note);
    float phase = 0, delta = hz / RATE;
    size_t release = static_cast<size_t>(0.04f * RATE);
    float pluck = 0.35f, fall = std::exp(-1.0f / (0.12f * RATE));
    for (size_t i = 0; i < length + release; ++i) {
        float t = static_cast<float>(i) / RATE;
        float env = std::min(1.0f, t / 0.006f) * (0.65f + pluck);
        pluck *= fall;
        if (i >= length)
            env *= 1.0f - static_cast<float>(i - length) / static_cast<float>(release);
        phase += delta;
        if (phase >= 1.0f)
            phase -= 1.0f;
        mix.add(start + i, amplitude * env * bassTable().at(phase), 0.0f);
    }
}

// A soft bell: two partials with quick decays, rendered once per pitch.
void addBell(std::vector<float>& bus, size_t start, float note, float amplitude)
{
    std::vector<float> tone(static_cast<size_t>(1.2f * RATE), 0.0f);
    float hz = noteHz(note);
    addModes(tone, RATE, 0, {{hz, amplitude, 0.35f}, {hz * 2.0f, amplitude * 0.25f, 0.15f}, {hz * 3.0f, amplitude * 0.08f, 0.08f}});
    for (size_t i = 0; i < 80 && i < tone.size(); ++i)
        tone[i] *= static_cast<float>(i) / 80.0f; // no click at the strike
    for (size_t i = 0; i < tone.size(); ++i)
        bus[(start + i) % bus.size()] += tone[i];
}

struct Drums {
    std::vector<float> kick, snare, rim, hat;
    Drums()
    {
        Rng rng(7);
        kick.assign(static_cast<size_t>(0.3f * RATE), 0.0f);
        addSweep(kick, RATE, 0, 0.3f, 110, 48, 0.06f, 0.002f, 0.09f, 1.0f);
        snare.assign(static_cast<size_t>(0.2f * RATE), 0.0f);
        addNoiseBurst(snare, RATE, 0, 0.2f, 0.001f, 0.05f, 2200, 0.8f, 1, 0.7f, rng);
        addSweep(snare, RATE, 0, 0.1f, 210, 180, 0.05f, 0.001f, 0.04f, 0.4f);
        rim.assign(static_cast<size_t>(0.08f * RATE), 0.0f);
        addModes(rim, RATE, 0, {{820, 0.5f, 0.015f}, {1900, 0.2f, 0.01f}});
        hat.assign(static_cast<size_t>(0.06f * RATE), 0.0f);
        addNoiseBurst(hat, RATE, 0, 0.06f, 0.0005f, 0.012f, 9000, 0.7f, 2, 0.6f, rng);
    }
};

void addHit(Mix& mix, const std::vector<float>& hit, size_t start, float amplitude, float pan)
{
    for (size_t i = 0; i < hit.size(); ++i)
        mix.add(start + i, amplitude * hit[i], pan);
}

// The echo of the bell bus, run over two laps so the loop's start already
// carries the echoes of its end.
void addEcho(Mix& mix, const std::vector<float>& bus, size_t delay, float feedback, float level)
{
    size_t n = bus.size();
    std::vector<float> lineL(delay, 0.0f), lineR(delay, 0.0f);
    size_t at = 0;
    for (int lap = 0; lap < 2; ++lap) {
        for (size_t i = 0; i < n; ++i) {
            float dl = lineL[at], dr = lineR[at];
            // Ping-pong: each side feeds the other.
            lineL[at] = bus[i] + dr * feedback;
            lineR[at] = dl * feedback;
            at = (at + 1) % delay;
            if (lap == 1) {
                mix.left[i] += bus[i] * 0.8f + dl * level;
                mix.right[i] += bus[i] * 0.8f + dr * level;
            }
        }
    }
}

std::vector<int16_t> render(const Song& song)
{
    const size_t beat = static_cast<size_t>(RATE * 60 / song.bpm);
    const size_t bar = 4 * beat;
    const size_t frames = bar * static_cast<size_t>(song.bars);
    Mix mix(frames);
    std::vector<float> bells(frames, 0.0f);
    Rng rng(song.seed);
    Drums drums;

    for (int b = 0; b < song.bars; ++b) {
        const Chord& chord = song.chords[static_cast<size_t>(b) % song.chords.size()];
        size_t barStart = bar * static_cast<size_t>(b);
        int root = song.key + chord.root;
        // Sections: an opening of pads, then the groove, a lighter middle
        // and the groove again.
        int section = b < 4 ? 0 : (b >= song.bars / 2 && b < song.bars / 2 + 4 ? 2 : 1);

        for (size_t t = 0; t < chord.tones.size(); ++t)
            addPad(mix, barStart, bar, static_cast<float>(root + chord.tones[t]), 0.045f,
                   (static_cast<float>(t) - 1.0f) * 0.3f);

        if (section != 0 || song.bassStyle == 0) {
            float bassNote = static_cast<float>(root - 24);
            if (song.bassStyle == 0) {
                addBass(mix, barStart, bar - beat / 4, bassNote, 0.22f);
            } else if (song.bassStyle == 1) {
                for (int q = 0; q < 4; ++q)
                    addBass(mix, barStart + beat * static_cast<size_t>(q), beat * 3 / 4,
                            bassNote + (q == 3 ? 7.0f : 0.0f), 0.22f);
            } else {
                for (int e = 0; e < 8; ++e)
                    addBass(mix, barStart + beat / 2 * static_cast<size_t>(e), beat * 3 / 8,
                            bassNote + (e % 4 == 3 ? 12.0f : 0.0f), 0.2f);
            }
        }

        if (song.drumStyle > 0 && section != 0) {
            float level = section == 2 ? 0.6f : 1.0f;
            for (int q = 0; q < 4; ++q) {
                size_t at = barStart + beat * static_cast<size_t>(q);
                if (q == 0 || q == 2 || (song.drumStyle == 2 && section == 1))
                    addHit(mix, drums.kick, at, 0.5f * level, 0.0f);
                if (q == 1 || q == 3)
                    addHit(mix, song.drumStyle == 2 ? drums.snare : drums.rim, at, 0.22f * level, 0.1f);
                for (int h = 0; h < 2; ++h)
                    addHit(mix, drums.hat, at + beat / 2 * static_cast<size_t>(h), (h ? 0.07f : 0.11f) * level, 0.35f);
            }
        }

        if (song.arpStyle > 0 && section != 0) {
            int steps = song.arpStyle == 1 ? 8 : 16;
            size_t step = bar / static_cast<size_t>(steps);
            std::vector<int> up;
            for (int octave = 0; octave < 2; ++octave)
                for (int tone : chord.tones)
                    up.push_back(root + 12 + tone + 12 * octave);
            for (int s = 0; s < steps; ++s) {
                if (rng.unit() < 0.18f)
                    continue; // a rest now and then keeps it loose
                size_t index = static_cast<size_t>(s) % (2 * up.size() - 2);
                if (index >= up.size())
                    index = 2 * up.size() - 2 - index;
                float accent = s % 4 == 0 ? 1.0f : 0.7f;
                addBell(bells, barStart + step * static_cast<size_t>(s), static_cast<float>(up[index]), 0.05f * accent);
            }
        }
    }

    addEcho(mix, bells, beat * 3 / 4, 0.35f, 0.35f);

    // Gentle master: a low-pass over 9 kHz (run over two laps so the filter
    // state wraps too), then the peak at 0.8.
    OnePole lowL, lowR;
    lowL.setLowpass(9000, RATE);
    lowR.setLowpass(9000, RATE);
    for (int lap = 0; lap < 2; ++lap)
        for (size_t i = 0; i < frames; ++i) {
            float l = lowL.lowpass(mix.left[i]), r = lowR.lowpass(mix.right[i]);
            if (lap == 1) {
                mix.left[i] = l;
                mix.right[i] = r;
            }
        }
    float peak = 0;
    for (size_t i = 0; i < frames; ++i)
        peak = std::max(peak, std::max(std::fabs(mix.left[i]), std::fabs(mix.right[i])));
    float gain = peak > 0 ? 0.8f / peak : 1.0f;
    std::vector<float> interleaved(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        interleaved[2 * i] = mix.left[i] * gain;
        interleaved[2 * i + 1] = mix.right[i] * gain;
    }
    return toPcm16(interleaved);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: gen_music <game folder>\n");
        return 2;
    }
    std::string game = argv[1];
    const std::vector<int> maj7 = {0, 4, 7, 11}, min7 = {0, 3, 7, 10}, maj = {0, 4, 7, 12}, min = {0, 3, 7, 12},
                           six = {0, 4, 7, 9}, sus2 = {0, 2, 7, 12}, add9 = {0, 4, 7, 14};
    const std::vector<Song> songs = {
        // The menu: calm, C major seventh chords.
        {"00_harbour", 84, 24, 60, {{0, maj7}, {-3, min7}, {5, maj7}, {7, six}}, 1, 1, 1, 1001},
        // Game over: slow, A minor, no drums.
        {"01_dusk", 72, 20, 57, {{0, min}, {-4, maj}, {-7, min7}, {-5, sus2}}, 0, 0, 1, 1002},
        // Play tracks.
        {"02_bounce", 120, 36, 62, {{0, add9}, {-3, min7}, {-7, maj7}, {-5, six}}, 2, 2, 2, 1003},
        {"03_drift", 100, 32, 64, {{0, min7}, {-4, maj7}, {3, add9}, {-2, six}}, 1, 1, 2, 1004},
        {"04_glow", 105, 32, 65, {{0, maj7}, {2, six}, {-1, min7}, {-5, min7}}, 2, 2, 1, 1005},
    };
    // Each song renders and encodes on a thread of its own; the bytes do
    // not depend on the order they finish in.
    std::vector<std::string> files(songs.size());
    std::vector<char> encoded(songs.size(), 0);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < songs.size(); ++i)
        threads.emplace_back([&, i] {
            std::vector<int16_t> pcm = render(songs[i]);
            encoded[i] = encodeOggVorbis(pcm.data(), pcm.size() / 2, 2, RATE, 0.2f, files[i]);
        });
    for (std::thread& t : threads)
        t.join();
    bool ok = true;
    for (size_t i = 0; i < songs.size(); ++i) {
        if (!encoded[i]) {
            std::fprintf(stderr, "%s: the encoder refused\n", songs[i].file);
            ok = false;
            continue;
        }
        ok = writeGameFile(game, std::string("music/") + songs[i].file + ".ogg", files[i]) && ok;
    }
    return ok ? 0 : 1;
}
