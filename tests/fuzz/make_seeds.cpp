// Builds the seed corpus of one fuzz target from the game's own content:
//   make_seeds <target> <game folder> <corpus folder> [pattern...]
// Files of the game folder matching the patterns ("levels/*", "data/*.yml")
// are copied as they are. Some targets get seeds made here with the game's
// own code from that content: mesh caches compiled by the mesh loader, a
// progress file, high scores and enciphered records from their writers,
// short sounds cut from the generated effects and music, and small pictures
// of a generated texture in every image format and variant the readers know
// (JPEG written with libjpeg, the others byte by byte).
#include "core/crypt_stream.h"
#include "core/log.h"
#include "core/streams.h"
#include "game/progress.h"
#include "game/score_table.h"
#include "platform/img/image.h"
#include "platform/snd/riff.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "render/mesh.h"
#include "render/skel_mesh.h"
#include "sound/sound_buffer.h"
#include "tests/common/bytes.h"
#include "tests/common/jpeg_file.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string gGame, gOut;

[[noreturn]] void fail(const std::string& why)
{
    std::fprintf(stderr, "make_seeds: %s\n", why.c_str());
    std::exit(1);
}

void put(const std::string& name, const std::string& bytes)
{
    std::string error;
    if (!sys::writeFileAtomic(gOut + "/" + name, bytes, &error))
        fail(error);
}

// A path of the game folder, or a whole path as it is.
std::string where(const std::string& path) { return path[0] == '/' ? path : gGame + "/" + path; }

std::string read(const std::string& path)
{
    std::string bytes;
    if (!sys::readFile(path, bytes))
        fail("cannot read " + path + " (build the game content first)");
    return bytes;
}

// The files of the game folder matching the pattern ('\' or '/' between
// folders), each with its path relative to the game folder; a whole path
// ("/...") names files of its own.
std::vector<std::string> matching(const std::string& pattern)
{
    std::string prefix, file;
    sys::splitPattern(pattern, prefix, file);
    std::vector<std::string> names;
    for (const sys::DirEntry& e : sys::listDirectory(where(pattern)))
        if (!e.directory)
            names.push_back(prefix + e.name);
    return names;
}

std::string flat(std::string path)
{
    for (char& c : path)
        if (c == '/' || c == '\\')
            c = '_';
    return path;
}

using testutil::Bytes;

// ---------------------------------------------------------------- meshes

// A small skinned mesh in the layout the hero generator writes: a
// tetrahedron on two bones, with an attachment and three keys. The hero
// itself is a large seed; this one lets the fuzzer go fast.
const char* const SMALL_SKINNED_MESH =
    "mesh small\n"
    "vertices 4\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n"
    "tvertices 2\n0 0\n1 1\n"
    "faces 4\n0 2 1 0 1 0 0 1\n0 1 3 0 0 1 0 1\n0 3 2 1 0 0 1 0\n1 2 3 0 1 1 1 2\n"
    "sceleton small\n"
    "2\n0 -1 0 0 1 0 0 0 1\n1 0 0 0 0.5 0 0 0.707107 0.707107\n"
    "attachments 1\n0 1 0.5 0 0 0 0 0 1\n"
    "vertex weights\n1 0 1\n2 0 0.5 1 0.5\n1 1 1\n0\n"
    "keys 3\n"
    "key 10 0 0 1 0 0 0 1 0 0 0 1\n"
    "key 20 0 0 1.1 0 0.1 0 0.995 0.2 0 0 0.98\n"
    "key 25 0 0 1 0 0 0 1 0 0 0 1\n";

// Its mesh part alone, as a static mesh.
std::string smallMesh()
{
    const std::string text = SMALL_SKINNED_MESH;
    return text.substr(0, text.find("sceleton"));
}

// The mesh files of the game folder matching the pattern, and the small
// mesh of the same kind ("mes" or "ams").
std::vector<std::pair<std::string, std::string>> meshTexts(const std::string& pattern)
{
    std::vector<std::pair<std::string, std::string>> texts;
    for (const std::string& name : matching(pattern))
        texts.emplace_back(name.substr(name.find_last_of("/\\") + 1), read(gGame + "/" + name));
    const bool skinned = pattern.compare(pattern.size() - 3, 3, "ams") == 0;
    texts.emplace_back(skinned ? "small.ams" : "small.mes", skinned ? SMALL_SKINNED_MESH : smallMesh());
    return texts;
}

// Compiles mesh texts in a scratch folder with the game's loader and keeps
// the caches it writes.
template <typename Mesh>
void compiledCaches(const std::vector<std::pair<std::string, std::string>>& texts, const std::string& cacheExtension)
{
    const std::string scratch = gOut + ".scratch"; // beside the corpus, never in it
    sys::makeDirectories(scratch);
    const std::string back = sys::currentDirectory();
    sys::changeDirectory(scratch);
    for (const auto& text : texts) {
        const std::string& local = text.first;
        const std::string cache = local.substr(0, local.size() - 3) + cacheExtension;
        sys::writeFileAtomic(local, text.second);
        sys::removeFile(cache);
        {
            Mesh mesh;
            mesh.load(local);
        }
        const std::string bytes = read(cache);
        sys::removeFile(local);
        sys::removeFile(cache);
        put(cache, bytes);
    }
    sys::changeDirectory(back);
    ::rmdir(scratch.c_str());
}

// ---------------------------------------------------------------- sounds

std::string wav(uint16_t channels, uint32_t rate, uint16_t bits, const std::string& pcm, bool longFormat,
                bool listChunk)
{
    Bytes fmt;
    uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    fmt.u16(1).u16(channels).u32(rate).u32(rate * align).u16(align).u16(bits);
    if (longFormat)
        fmt.u16(0);
    Bytes body;
    body.raw("WAVE").raw("fmt ").u32(static_cast<uint32_t>(fmt.s.size())).raw(fmt.s);
    if (listChunk)
        body.raw("LIST").u32(12).raw("INFOISFT").u32(0);
    body.raw("data").u32(static_cast<uint32_t>(pcm.size())).raw(pcm);
    if (pcm.size() % 2)
        body.u8(0);
    return Bytes().raw("RIFF").u32(static_cast<uint32_t>(body.s.size())).raw(body.s).s;
}

// The first moments of two generated effects, as the game's formats allow.
void shortSounds()
{
    std::vector<std::string> names = matching("sound\\*.wav");
    if (names.empty())
        fail("no generated sounds");
    for (size_t i = 0; i < names.size() && i < 2; ++i) {
        snd::RiffReader reader;
        reader.openData(read(gGame + "/" + names[i]));
        snd::Format format;
        std::vector<uint8_t> data;
        readWav(reader, names[i], format, data);
        std::string pcm(reinterpret_cast<const char*>(data.data()), std::min<size_t>(data.size(), 1600));
        put("cut" + std::to_string(i) + ".wav",
            wav(format.channels, static_cast<uint32_t>(format.sampleRate), format.bitsPerSample, pcm, i == 1, i == 1));
        // The same moment as 8-bit stereo.
        std::string eight;
        for (size_t s = 0; s + 1 < pcm.size(); s += 2) {
            char v = static_cast<char>((static_cast<unsigned char>(pcm[s + 1]) + 128) & 0xFF);
            eight += v;
            eight += v;
        }
        put("cut" + std::to_string(i) + "_8bit_stereo.wav", wav(2, 11025, 8, eight, false, false));
    }
}

// The first pages of two generated music tracks: the stream headers and a
// few pages of sound, cut where a page begins.
void shortMusic()
{
    std::vector<std::string> names = matching("music\\*.ogg");
    if (names.empty())
        fail("no generated music");
    for (size_t i = 0; i < names.size() && i < 2; ++i) {
        const std::string bytes = read(gGame + "/" + names[i]);
        size_t cut = bytes.find("OggS", 6000 + 3000 * i);
        put("start" + std::to_string(i) + ".ogg", bytes.substr(0, cut));
    }
}

// ---------------------------------------------------------------- pictures

// A small picture of a generated texture, in every layout the image
// readers know.
img::Image smallPicture()
{
    std::vector<std::string> names = matching("textures\\*.png");
    if (names.empty())
        fail("no generated textures");
    img::Image image;
    std::string error;
    if (!img::loadImage(gGame + "/" + names.front(), image, &error))
        fail(error);
    return img::resizeBox(image, 7, 5);
}

// Palette index of every texel (at most 256 colours in a 7 x 5 picture).
std::vector<uint32_t> palette(const img::Image& image, std::vector<uint8_t>& indices)
{
    std::map<uint32_t, uint8_t> seen;
    std::vector<uint32_t> colours;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* t = image.texel(x, y);
            uint32_t c = (uint32_t(t[0]) << 16) | (t[1] << 8) | t[2];
            auto found = seen.emplace(c, static_cast<uint8_t>(colours.size()));
            if (found.second)
                colours.push_back(c);
            indices.push_back(found.first->second);
        }
    }
    return colours;
}

std::string bmpFile(const img::Image& im, unsigned bits, uint32_t compression, bool topDown)
{
    std::vector<uint8_t> indices;
    std::vector<uint32_t> colours = palette(im, indices);
    Bytes pixels;
    for (int r = 0; r < im.height; ++r) {
        const int y = topDown ? r : im.height - 1 - r;
        Bytes row;
        for (int x = 0; x < im.width; ++x) {
            const uint8_t* t = im.texel(x, y);
            uint8_t index = indices[static_cast<size_t>(y * im.width + x)];
            if (bits == 32)
                row.u8(t[2]).u8(t[1]).u8(t[0]).u8(t[3]);
            else if (bits == 16)
                row.u16(((t[0] >> 3) << 10) | ((t[1] >> 3) << 5) | (t[2] >> 3));
            else if (compression == 1)
                row.u8(1).u8(index); // one-texel runs
            else
                row.u8(index);
        }
        if (compression == 1)
            row.u8(0).u8(r + 1 == im.height ? 1 : 0); // end of line, end of picture
        else
            while (row.s.size() % 4)
                row.u8(0);
        pixels.raw(row.s);
    }
    if (bits > 8)
        colours.clear();
    const uint32_t offset = static_cast<uint32_t>(14 + 40 + colours.size() * 4);
    Bytes b;
    b.raw("BM").u32(offset + static_cast<uint32_t>(pixels.s.size())).u32(0).u32(offset);
    b.u32(40).u32(static_cast<uint32_t>(im.width)).u32(static_cast<uint32_t>(topDown ? -im.height : im.height));
    b.u16(1).u16(bits).u32(compression).u32(static_cast<uint32_t>(pixels.s.size())).u32(2835).u32(2835);
    b.u32(static_cast<uint32_t>(colours.size())).u32(0);
    for (uint32_t c : colours)
        b.u8(c).u8(c >> 8).u8(c >> 16).u8(0);
    return b.raw(pixels.s).s;
}

// TGA types: 1 colour-mapped, 2 true colour, 3 grey; +8 run-length.
std::string tgaFile(const img::Image& im, unsigned type, unsigned depth, bool topLeft)
{
    std::vector<uint8_t> indices;
    std::vector<uint32_t> colours = palette(im, indices);
    const bool mapped = (type & 7) == 1;
    Bytes b;
    b.u8(0).u8(mapped ? 1 : 0).u8(type).u16(0).u16(mapped ? static_cast<unsigned>(colours.size()) : 0);
    b.u8(mapped ? 24 : 0).u16(0).u16(0).u16(static_cast<unsigned>(im.width)).u16(static_cast<unsigned>(im.height));
    b.u8(depth).u8((topLeft ? 0x20 : 0) | (depth == 32 ? 8 : 0));
    if (mapped)
        for (uint32_t c : colours)
            b.u8(c).u8(c >> 8).u8(c >> 16);
    for (int r = 0; r < im.height; ++r) {
        const int y = topLeft ? r : im.height - 1 - r;
        for (int x = 0; x < im.width; ++x) {
            if (type & 8)
                b.u8(0); // a raw packet of one texel
            const uint8_t* t = im.texel(x, y);
            if (mapped)
                b.u8(indices[static_cast<size_t>(y * im.width + x)]);
            else if ((type & 7) == 3)
                b.u8((t[0] + t[1] + t[2]) / 3);
            else {
                b.u8(t[2]).u8(t[1]).u8(t[0]);
                if (depth == 32)
                    b.u8(t[3]);
            }
        }
    }
    return b.s;
}

// JPEG through libjpeg: colour or grey, baseline or progressive.
std::string jpegFile(const img::Image& im, bool grey, bool progressive)
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < im.height; ++y) {
        for (int x = 0; x < im.width; ++x) {
            const uint8_t* t = im.texel(x, y);
            if (grey)
                pixels.push_back(static_cast<uint8_t>((t[0] + t[1] + t[2]) / 3));
            else
                pixels.insert(pixels.end(), t, t + 3);
        }
    }
    return testutil::encodeJpeg(im.width, im.height, grey ? JCS_GRAYSCALE : JCS_RGB, grey ? 1 : 3, pixels, 80,
                                progressive);
}

std::string pnmFile(const img::Image& im, char kind)
{
    const bool grey = kind == '2' || kind == '5';
    const bool text = kind == '2' || kind == '3';
    std::string s = std::string("P") + kind + "\n# a generated texture\n" + std::to_string(im.width) + " " +
                    std::to_string(im.height) + "\n255\n";
    for (int y = 0; y < im.height; ++y) {
        for (int x = 0; x < im.width; ++x) {
            const uint8_t* t = im.texel(x, y);
            for (int c = 0; c < (grey ? 1 : 3); ++c) {
                int v = grey ? (t[0] + t[1] + t[2]) / 3 : t[c];
                s += text ? std::to_string(v) + " " : std::string(1, static_cast<char>(v));
            }
        }
        if (text)
            s += "\n";
    }
    return s;
}

// ---------------------------------------------------------------- made seeds

const std::map<std::string, std::function<void()>>& madeSeeds()
{
    static const std::map<std::string, std::function<void()>> made = {
        {"mesh_cache", [] { compiledCaches<YMesh>(meshTexts("mesh/p*.mes"), "meb"); }},
        {"mesh_text", [] { put("small.mes", smallMesh()); }},
        {"skel_text", [] { put("small.ams", SMALL_SKINNED_MESH); }},
        {"skel_cache", [] { compiledCaches<YSkelMesh>(meshTexts("mesh/*.ams"), "mab"); }},
        {"progress",
         [] {
             YMatrix eye;
             eye.makeTranslation(YVec3(0, -10, 19));
             if (!writeProgress(3, eye, YMatrix(), gOut + "/ol.dat"))
                 fail("cannot write a progress file");
             put("short.dat", read(gOut + "/ol.dat").substr(0, 66));
         }},
        {"scores",
         [] {
             YScoreTable table;
             table.load(gOut + "/scores.dat");
             for (const char* name : {"Ann", "Bo", "a name of twenty-four b"}) {
                 table.insert(static_cast<uint32_t>(1000 * std::strlen(name)));
                 table.setPendingName(name);
             }
             put("cut.dat", read(gOut + "/scores.dat").substr(0, 30));
         }},
        {"cipher",
         [] {
             OutMemStream plain;
             plain.writeValue(uint32_t(0x31524353));
             OutCryptStream out(plain, "Tarvelin");
             out.writeValue(int32_t(3));
             for (int i = 0; i < 3; ++i) {
                 out.writeString("player " + std::to_string(i));
                 out.writeValue(int32_t(1000 * (3 - i)));
                 out.writeString("short");
             }
             put("records.bin", plain.data());
         }},
        {"wav", shortSounds},
        {"ogg", shortMusic},
        {"bmp",
         [] {
             img::Image im = smallPicture();
             if (!img::saveBmp(gOut + "/saved24.bmp", im))
                 fail("cannot write a BMP file");
             put("pal8.bmp", bmpFile(im, 8, 0, false));
             put("rle8.bmp", bmpFile(im, 8, 1, false));
             put("rgb16.bmp", bmpFile(im, 16, 0, false));
             put("rgba32_topdown.bmp", bmpFile(im, 32, 0, true));
         }},
        {"tga",
         [] {
             img::Image im = smallPicture();
             put("rgb24.tga", tgaFile(im, 2, 24, false));
             put("rgba32_topleft.tga", tgaFile(im, 2, 32, true));
             put("rle32.tga", tgaFile(im, 10, 32, false));
             put("grey.tga", tgaFile(im, 3, 8, false));
             put("mapped.tga", tgaFile(im, 1, 8, true));
             put("rle_mapped.tga", tgaFile(im, 9, 8, false));
         }},
        {"jpeg",
         [] {
             img::Image im = smallPicture();
             put("colour.jpg", jpegFile(im, false, false));
             put("progressive.jpg", jpegFile(im, false, true));
             put("grey.jpg", jpegFile(im, true, false));
         }},
        {"ppm",
         [] {
             img::Image im = smallPicture();
             for (char kind : {'2', '3', '5', '6'})
                 put(std::string("p") + kind + ".pnm", pnmFile(im, kind));
         }},
    };
    return made;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <target> <game folder> <corpus folder> [pattern...]\n", argv[0]);
        return 2;
    }
    YLog::setFileName("/dev/null");
    const std::string target = argv[1];
    gGame = argv[2];
    gOut = argv[3];
    if (!sys::makeDirectories(gOut))
        fail("cannot make " + gOut);
    for (int i = 4; i < argc; ++i) {
        std::vector<std::string> names = matching(argv[i]);
        if (names.empty())
            fail(std::string("nothing in the game folder matches ") + argv[i]);
        for (const std::string& name : names)
            put(flat(name[0] == '/' ? name.substr(name.find_last_of('/') + 1) : name), read(where(name)));
    }
    auto made = madeSeeds().find(target);
    if (made != madeSeeds().end())
        made->second();
    return 0;
}
