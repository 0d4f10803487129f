#include "tools/gen_textures/paint.h"

#include "platform/sys/files.h"
#include "platform/sys/paths.h"

#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

namespace paint {

Color mix(const Color& a, const Color& b, float t)
{
    return Color(mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t), mix(a.a, b.a, t));
}

float smoothstep(float e0, float e1, float x)
{
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

namespace {

float fade(float t)
{
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

int wrap(int i, int period)
{
    return ((i % period) + period) % period;
}

// Corner value of the noise lattice.
float lattice(int x, int y, int z, uint32_t seed)
{
    return hashFloat(static_cast<uint32_t>(x), static_cast<uint32_t>(y), static_cast<uint32_t>(z), seed);
}

} // namespace

float noise3(float x, float y, float z, uint32_t seed)
{
    float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy), iz = static_cast<int>(fz);
    float tx = fade(x - fx), ty = fade(y - fy), tz = fade(z - fz);
    float c[2][2];
    for (int dz = 0; dz < 2; ++dz)
        for (int dy = 0; dy < 2; ++dy)
            c[dz][dy] = mix(lattice(ix, iy + dy, iz + dz, seed), lattice(ix + 1, iy + dy, iz + dz, seed), tx);
    return mix(mix(c[0][0], c[0][1], ty), mix(c[1][0], c[1][1], ty), tz);
}

float noiseTile(float x, float y, int periodX, int periodY, uint32_t seed)
{
    float fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    float tx = fade(x - fx), ty = fade(y - fy);
    int x0 = wrap(ix, periodX), x1 = wrap(ix + 1, periodX);
    int y0 = wrap(iy, periodY), y1 = wrap(iy + 1, periodY);
    float a = mix(lattice(x0, y0, 0, seed), lattice(x1, y0, 0, seed), tx);
    float b = mix(lattice(x0, y1, 0, seed), lattice(x1, y1, 0, seed), tx);
    return mix(a, b, ty);
}

float fbm3(float x, float y, float z, int octaves, uint32_t seed)
{
    float sum = 0, weight = 0.5f, total = 0, f = 1;
    for (int o = 0; o < octaves; ++o) {
        sum += weight * noise3(x * f, y * f, z * f, seed + static_cast<uint32_t>(o) * 101U);
        total += weight;
        weight *= 0.5f;
        f *= 2.0f;
    }
    return sum / total;
}

float fbmTile(float u, float v, int period, int octaves, uint32_t seed)
{
    float sum = 0, weight = 0.5f, total = 0;
    int p = period;
    for (int o = 0; o < octaves; ++o) {
        sum += weight *
            noiseTile(u * static_cast<float>(p), v * static_cast<float>(p), p, p,
                      seed + static_cast<uint32_t>(o) * 101U);
        total += weight;
        weight *= 0.5f;
        p *= 2;
    }
    return sum / total;
}

void cellsTile(float u, float v, int period, uint32_t seed, float& f1, float& f2)
{
    float x = u * static_cast<float>(period), y = v * static_cast<float>(period);
    int cx = static_cast<int>(std::floor(x)), cy = static_cast<int>(std::floor(y));
    f1 = f2 = 1e9f;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            int gx = cx + dx, gy = cy + dy;
            uint32_t hx = static_cast<uint32_t>(wrap(gx, period)), hy = static_cast<uint32_t>(wrap(gy, period));
            float px = static_cast<float>(gx) + hashFloat(hx, hy, 1, seed);
            float py = static_cast<float>(gy) + hashFloat(hx, hy, 2, seed);
            float d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
            if (d < f1) {
                f2 = f1;
                f1 = d;
            } else if (d < f2) {
                f2 = d;
            }
        }
    }
}

float sdDisc(P2 p, P2 centre, float radius)
{
    return (p - centre).length() - radius;
}

float sdSegment(P2 p, P2 a, P2 b, float halfWidth)
{
    P2 pa = p - a, ba = b - a;
    float len2 = ba.x * ba.x + ba.y * ba.y;
    float h = len2 > 0 ? clamp01((pa.x * ba.x + pa.y * ba.y) / len2) : 0.0f;
    return (pa - ba * h).length() - halfWidth;
}

float sdBox(P2 p, P2 centre, P2 half, float round)
{
    float qx = std::fabs(p.x - centre.x) - half.x + round;
    float qy = std::fabs(p.y - centre.y) - half.y + round;
    float outside = P2(std::max(qx, 0.0f), std::max(qy, 0.0f)).length();
    return outside + std::min(std::max(qx, qy), 0.0f) - round;
}

float sdPolygon(P2 p, const std::vector<P2>& v)
{
    size_t n = v.size();
    if (n < 3)
        return 1e9f;
    P2 d0 = p - v[0];
    float d = d0.x * d0.x + d0.y * d0.y;
    float sign = 1.0f;
    for (size_t i = 0, j = n - 1; i < n; j = i, ++i) {
        P2 e = v[j] - v[i], w = p - v[i];
        float h = clamp01((w.x * e.x + w.y * e.y) / (e.x * e.x + e.y * e.y));
        P2 b = w - e * h;
        d = std::min(d, b.x * b.x + b.y * b.y);
        bool c1 = p.y >= v[i].y, c2 = p.y<v[j].y, c3 = e.x * w.y> e.y * w.x;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3))
            sign = -sign;
    }
    return sign * std::sqrt(d);
}

float sdPolyline(P2 p, const std::vector<P2>& points, float halfWidth)
{
    float d = 1e9f;
    for (size_t i = 1; i < points.size(); ++i)
        d = std::min(d, sdSegment(p, points[i - 1], points[i], halfWidth));
    return d;
}

P2 rotate(P2 p, float degrees)
{
    float r = degrees * 3.14159265f / 180.0f;
    float c = std::cos(r), s = std::sin(r);
    return P2(p.x * c - p.y * s, p.x * s + p.y * c);
}

void over(float dst[4], const Color& c, float coverage)
{
    float a = clamp01(c.a * coverage);
    if (a <= 0.0f)
        return;
    float keep = dst[3] * (1.0f - a);
    float outA = a + keep;
    dst[0] = (c.r * a + dst[0] * keep) / outA;
    dst[1] = (c.g * a + dst[1] * keep) / outA;
    dst[2] = (c.b * a + dst[2] * keep) / outA;
    dst[3] = outA;
}

void glow(float dst[4], const Color& c, float amount)
{
    dst[0] += c.r * amount;
    dst[1] += c.g * amount;
    dst[2] += c.b * amount;
    dst[3] = std::max(dst[3], c.a * amount);
}

img::Image render(int width, int height, const Painter& painter)
{
    img::Image image(width, height);
    float aspect = static_cast<float>(height) / static_cast<float>(width);
    float px = 2.0f / static_cast<float>(width);
    img::fillImage(image, [&](float u, float v, float rgba[4]) {
        Texel t{u, v, u * 2.0f - 1.0f, (v * 2.0f - 1.0f) * aspect, px};
        rgba[0] = rgba[1] = rgba[2] = rgba[3] = 0.0f;
        painter(t, rgba);
    });
    return image;
}

// ---------------------------------------------------------------------------
// Encoders. libpng and libjpeg report errors by longjmp; the jump targets
// sit in functions whose locals need no destructor.

namespace {

struct PngSink {
    std::string bytes;
    char message[200] = "";
};

void pngWriteData(png_structp png, png_bytep data, png_size_t length)
{
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    sink->bytes.append(reinterpret_cast<const char*>(data), length);
}

void pngFlush(png_structp)
{
}

void pngError(png_structp png, png_const_charp message)
{
    auto* sink = static_cast<PngSink*>(png_get_error_ptr(png));
    std::snprintf(sink->message, sizeof(sink->message), "%s", message ? message : "error");
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp)
{
}

bool encodePngRows(png_structp png, png_infop info, PngSink& sink, const img::Image& image, bool alpha,
                   std::vector<png_bytep>& rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, &sink, pngWriteData, pngFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    return true;
}

bool encodePng(const img::Image& image, bool alpha, std::string& out, std::string& error)
{
    int channels = alpha ? 4 : 3;
    std::vector<uint8_t> packed(static_cast<size_t>(image.width) * image.height * channels);
    for (size_t i = 0, n = static_cast<size_t>(image.width) * image.height; i < n; ++i)
        for (int c = 0; c < channels; ++c)
            packed[i * channels + c] = image.rgba[i * 4 + c];
    std::vector<png_bytep> rows(image.height);
    for (int y = 0; y < image.height; ++y)
        rows[y] = &packed[static_cast<size_t>(y) * image.width * channels];

    PngSink sink;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = png && info && encodePngRows(png, info, sink, image, alpha, rows);
    png_destroy_write_struct(&png, &info);
    if (!ok) {
        error = sink.message[0] ? sink.message : "cannot create the PNG writer";
        return false;
    }
    out.swap(sink.bytes);
    return true;
}

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr info)
{
    auto* err = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

bool encodeJpegRows(jpeg_compress_struct& cinfo, JpegError& err, const img::Image& image, int quality,
                    unsigned char** buffer, unsigned long* size, std::vector<uint8_t>& row)
{
    if (setjmp(err.jump))
        return false;
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, buffer, size);
    cinfo.image_width = static_cast<JDIMENSION>(image.width);
    cinfo.image_height = static_cast<JDIMENSION>(image.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uint8_t* src = image.texel(0, static_cast<int>(cinfo.next_scanline));
        for (int x = 0; x < image.width; ++x)
            for (int c = 0; c < 3; ++c)
                row[static_cast<size_t>(x) * 3 + c] = src[x * 4 + c];
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    return true;
}

bool encodeJpeg(const img::Image& image, int quality, std::string& out, std::string& error)
{
    jpeg_compress_struct cinfo{};
    JpegError err{};
    cinfo.err = jpeg_std_error(&err.manager);
    err.manager.error_exit = jpegErrorExit;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<uint8_t> row(static_cast<size_t>(image.width) * 3);
    bool ok = encodeJpegRows(cinfo, err, image, quality, &buffer, &size, row);
    jpeg_destroy_compress(&cinfo);
    if (ok)
        out.assign(reinterpret_cast<const char*>(buffer), size);
    else
        error = err.message;
    std::free(buffer);
    return ok;
}

} // namespace

void Output::png(const std::string& name, const img::Image& image, bool alpha)
{
    std::string bytes, error;
    if (!encodePng(image, alpha, bytes, error)) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
        mOk = false;
        return;
    }
    write(name, bytes);
}

void Output::jpeg(const std::string& name, const img::Image& image, int quality)
{
    std::string bytes, error;
    if (!encodeJpeg(image, quality, bytes, error)) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
        mOk = false;
        return;
    }
    write(name, bytes);
}

void Output::write(const std::string& name, const std::string& bytes)
{
    std::string path = mGameDir + "/" + name;
    std::replace(path.begin(), path.end(), '\\', '/');
    std::string dir = path.substr(0, path.find_last_of('/'));
    std::string error;
    if (!sys::makeDirectories(dir) || !sys::writeFileAtomic(path, bytes, &error)) {
        std::fprintf(stderr, "%s: cannot write: %s\n", path.c_str(), error.c_str());
        mOk = false;
        return;
    }
    mWritten.push_back(name);
}

} // namespace paint
