#include "platform/img/image.h"

#include "platform/img/codecs.h"
#include "platform/sys/files.h"

#include <cstring>
#include <utility>

namespace img {

namespace {

bool startsWith(const uint8_t* data, size_t size, const char* magic, size_t length)
{
    return size >= length && std::memcmp(data, magic, length) == 0;
}

bool isPnmMagic(const uint8_t* data, size_t size)
{
    if (size < 3 || data[0] != 'P')
        return false;
    if (data[1] != '2' && data[1] != '3' && data[1] != '5' && data[1] != '6')
        return false;
    uint8_t c = data[2];
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == '#';
}

} // namespace

bool decodeImage(const std::string& bytes, Image& out, std::string* error)
{
    const uint8_t* data = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t size = bytes.size();
    Image image;
    std::string reason;
    bool ok;
    // The kind comes from the first bytes. None of the magic numbers below
    // can start a TGA header this reader accepts (its second byte, the
    // colour-map type, must be 0 or 1), so TGA is tried last.
    if (startsWith(data, size, "\x89PNG\r\n\x1a\n", 8))
        ok = detail::decodePng(data, size, image, reason);
    else if (startsWith(data, size, "\xFF\xD8\xFF", 3))
        ok = detail::decodeJpeg(data, size, image, reason);
    else if (startsWith(data, size, "BM", 2))
        ok = detail::decodeBmp(data, size, image, reason);
    else if (isPnmMagic(data, size))
        ok = detail::decodePpm(data, size, image, reason);
    else if (detail::looksLikeTga(data, size))
        ok = detail::decodeTga(data, size, image, reason);
    else {
        ok = false;
        reason = size == 0 ? "empty file" : "unknown image format";
    }

    if (ok && (image.empty() || image.rgba.size() != static_cast<size_t>(image.width) * image.height * 4)) {
        ok = false;
        reason = "decoder produced an inconsistent image";
    }
    if (!ok) {
        if (error)
            *error = reason;
        return false;
    }
    out = std::move(image);
    return true;
}

bool loadImage(const std::string& path, Image& out, std::string* error)
{
    std::string bytes;
    if (!sys::readFile(path, bytes)) {
        if (error)
            *error = "cannot read " + path;
        return false;
    }
    std::string reason;
    if (!decodeImage(bytes, out, &reason)) {
        if (error)
            *error = path + ": " + reason;
        return false;
    }
    return true;
}

} // namespace img
