// Fuzz targets of the media files: sounds (WAV, Ogg Vorbis whole and
// streamed) and images of every format a texture may have.
#include "core/error.h"
#include "platform/img/image.h"
#include "sound/ogg_decoder.h"
#include "sound/sound_buffer.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/fuzz_target.h"

#include <string>
#include <vector>

namespace {

// A sound effect file, loaded whole as the named sounds load it; a file the
// game cannot use is reported through a thrown message.
void loadSound(const std::string& name)
{
    YSoundBuffer buffer;
    try {
        buffer.open(name.c_str());
    } catch (const YError&) {
    }
}

// What a texture does with its file: decoded, clamped to 512, mip chain.
void loadTexture(const uint8_t* data, size_t size)
{
    img::Image image;
    std::string error;
    if (!img::decodeImage(std::string(reinterpret_cast<const char*>(data), size), image, &error))
        return;
    image = img::clampSize(image, 512);
    img::mipChain(image);
}

} // namespace

TARVELIN_FUZZ_TARGET(wav)
{
    loadSound(fuzz::writeInput("fuzz.wav", data, size));
}

// Whole, as a sound effect; then as music streams it: read piece by piece,
// back to the start when it runs dry, as a looping track does.
TARVELIN_FUZZ_TARGET(ogg)
{
    const std::string name = fuzz::writeInput("fuzz.ogg", data, size);
    loadSound(name);
    try {
        YOggDecoder decoder;
        decoder.open(name.c_str());
        std::vector<uint8_t> piece(16384);
        size_t total = 0;
        for (int pass = 0; pass < 2; ++pass) {
            size_t n;
            while (total < (size_t(8) << 20) && (n = decoder.read(piece.data(), piece.size())) > 0)
                total += n;
            decoder.rewind();
        }
        decoder.close();
    } catch (const YError&) {
    }
}

// One target per format, so each has its own seeds and coverage; every one
// goes through the same entry, which tells the format by its first bytes.
TARVELIN_FUZZ_TARGET(png) { loadTexture(data, size); }
TARVELIN_FUZZ_TARGET(jpeg) { loadTexture(data, size); }
TARVELIN_FUZZ_TARGET(bmp) { loadTexture(data, size); }
TARVELIN_FUZZ_TARGET(tga) { loadTexture(data, size); }
TARVELIN_FUZZ_TARGET(ppm) { loadTexture(data, size); }
