#include "sound/ogg_decoder.h"

#include "core/error.h"
#include "core/log.h"
#include "platform/sys/files.h"

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <string>

struct YOggDecoder::Vorbis {
    OggVorbis_File file;
};

namespace {

// True when the file ends with a whole Ogg page that marks the end of its
// stream, as every complete file does; a file cut short ends inside a page,
// or after a page that is not the last. Only the last 65,307 bytes (the
// largest page) are read; the file is left at its start.
bool endsWithLastPage(FILE* f)
{
    constexpr long LARGEST_PAGE = 27 + 255 + 255 * 255;
    if (std::fseek(f, 0, SEEK_END) != 0)
        return true; // cannot tell: nothing to say
    const long size = std::ftell(f);
    const long from = size > LARGEST_PAGE ? size - LARGEST_PAGE : 0;
    std::string tail(static_cast<size_t>(size - from), '\0');
    const bool read = std::fseek(f, from, SEEK_SET) == 0 && std::fread(&tail[0], 1, tail.size(), f) == tail.size();
    std::fseek(f, 0, SEEK_SET);
    if (!read)
        return true;
    for (size_t at = tail.rfind("OggS"); at != std::string::npos; at = at ? tail.rfind("OggS", at - 1) : std::string::npos) {
        if (at + 27 > tail.size())
            continue;
        const size_t segments = static_cast<unsigned char>(tail[at + 26]);
        if (at + 27 + segments > tail.size())
            continue;
        size_t end = at + 27 + segments;
        for (size_t k = 0; k < segments; ++k)
            end += static_cast<unsigned char>(tail[at + 27 + k]);
        if (end == tail.size())
            return (tail[at + 5] & 4) != 0; // the end-of-stream flag
    }
    return false;
}

} // namespace

YOggDecoder::YOggDecoder() = default;

YOggDecoder::~YOggDecoder() { close(); }

const char* YOggDecoder::errorText(int code)
{
    switch (code) {
    case OV_EREAD:
        return "Read from media.";
    case OV_ENOTVORBIS:
        return "Not Vorbis data.";
    case OV_EVERSION:
        return "Vorbis version mismatch.";
    case OV_EBADHEADER:
        return "Invalid Vorbis header.";
    case OV_EFAULT:
        return "Internal logic fault (bug or heap/stack corruption.";
    default:
        return "Unknown Ogg error.";
    }
}

void YOggDecoder::open(const char* path)
{
    close();
    YLog::writef("Open OGG stream %s", path);
    FILE* f = sys::openFile(path, "rb");
    if (!f)
        throw YError("Could not open Ogg file.");
    if (!endsWithLastPage(f))
        YLog::writef("Ogg file %s is cut short: it does not end with its last page", path);
    auto vorbis = std::make_unique<Vorbis>();
    int result = ov_open(f, &vorbis->file, nullptr, 0);
    if (result < 0) {
        std::fclose(f); // not taken over by a failed ov_open
        throw YError(std::string("Could not open Ogg stream. ") + errorText(result));
    }
    // From here on ov_clear closes the file.
    vorbis_info* info = ov_info(&vorbis->file, -1);
    ogg_int64_t samples = ov_pcm_total(&vorbis->file, -1);
    if (!info || samples <= 0) {
        ov_clear(&vorbis->file);
        throw YError(std::string("Could not open Ogg stream. ") + errorText(-1));
    }
    if (info->channels < 1 || info->channels > 2) {
        // OpenAL plays mono and stereo only.
        ov_clear(&vorbis->file);
        throw YError(std::string("Could not open Ogg stream. ") + "Unsupported channel count.");
    }
    mFormat.channels = info->channels;
    mFormat.bitsPerSample = 16;
    mFormat.sampleRate = static_cast<int>(info->rate);
    // Two bytes per sample of every channel.
    mSize = static_cast<uint64_t>(samples) * 2u * static_cast<uint64_t>(info->channels);
    mVorbis = std::move(vorbis);
}

size_t YOggDecoder::read(void* buffer, size_t size)
{
    if (!mVorbis)
        return 0;
    char* out = static_cast<char*>(buffer);
    size_t stored = 0;
    while (stored < size) {
        int section = 0;
        size_t want = size - stored;
        if (want > 0x10000)
            want = 0x10000;
        long n = ov_read(&mVorbis->file, out + stored, static_cast<int>(want), 0, 2, 1, &section);
        if (n == 0)
            break;
        if (n < 0)
            throw YError(errorText(static_cast<int>(n)));
        stored += static_cast<size_t>(n);
    }
    return stored;
}

void YOggDecoder::rewind()
{
    if (mVorbis)
        ov_pcm_seek(&mVorbis->file, 0);
}

void YOggDecoder::close()
{
    if (!mVorbis)
        return;
    YLog::write("Close OGG stream.");
    ov_clear(&mVorbis->file);
    mVorbis.reset();
    mSize = 0;
}

bool YOggDecoder::isOpen() const { return mVorbis != nullptr; }
