#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Encodes interleaved 16-bit PCM as an Ogg Vorbis file in memory with
// libvorbisenc (quality-based VBR, quality -0.1 .. 1.0). The same input
// gives the same bytes on every run. False when the encoder refuses the
// parameters.
bool encodeOggVorbis(const int16_t* samples, size_t frames, int channels, int sampleRate, float quality,
                     std::string& out);
