#include "core/md5.h"

#include <cstring>

namespace {

inline uint32_t rotl(uint32_t x, int s) { return (x << s) | (x >> (32 - s)); }

inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) { return (x & y) | (~x & z); }
inline uint32_t G(uint32_t x, uint32_t y, uint32_t z) { return (x & z) | (y & ~z); }
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; }
inline uint32_t I(uint32_t x, uint32_t y, uint32_t z) { return y ^ (x | ~z); }

// Per-step additive constants: floor(abs(sin(i + 1)) * 2^32).
const uint32_t T[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

// Shift amounts, four per round.
const int S[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

inline uint32_t load32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline void store32(unsigned char* p, uint32_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

} // namespace

CMD5Checksum::CMD5Checksum()
{
    reset();
}

void CMD5Checksum::reset()
{
    mState[0] = 0x67452301;
    mState[1] = 0xefcdab89;
    mState[2] = 0x98badcfe;
    mState[3] = 0x10325476;
    mBits = 0;
    std::memset(mBuffer, 0, sizeof(mBuffer));
}

void CMD5Checksum::transform(const unsigned char block[64])
{
    uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = load32(block + 4 * i);

    uint32_t a = mState[0], b = mState[1], c = mState[2], d = mState[3];
    for (int i = 0; i < 64; ++i) {
        int round = i / 16;
        uint32_t f;
        int k;
        switch (round) {
        case 0: f = F(b, c, d); k = i; break;
        case 1: f = G(b, c, d); k = (5 * i + 1) % 16; break;
        case 2: f = H(b, c, d); k = (3 * i + 5) % 16; break;
        default: f = I(b, c, d); k = (7 * i) % 16; break;
        }
        uint32_t next = b + rotl(a + f + x[k] + T[i], S[round][i % 4]);
        a = d;
        d = c;
        c = b;
        b = next;
    }
    mState[0] += a;
    mState[1] += b;
    mState[2] += c;
    mState[3] += d;
}

void CMD5Checksum::update(const unsigned char* data, unsigned int size)
{
    if (size == 0)
        return;
    unsigned int used = static_cast<unsigned int>((mBits >> 3) & 63);
    mBits += static_cast<uint64_t>(size) << 3;

    unsigned int pos = 0;
    if (used > 0) {
        unsigned int take = 64 - used;
        if (size < take) {
            std::memcpy(mBuffer + used, data, size);
            return;
        }
        std::memcpy(mBuffer + used, data, take);
        transform(mBuffer);
        pos = take;
    }
    for (; size - pos >= 64; pos += 64)
        transform(data + pos);
    if (pos < size)
        std::memcpy(mBuffer, data + pos, size - pos);
}

void CMD5Checksum::final(unsigned char digest[16])
{
    unsigned char length[8];
    uint64_t bits = mBits;
    for (int i = 0; i < 8; ++i)
        length[i] = static_cast<unsigned char>(bits >> (8 * i));

    // A 0x80 byte, then zeros up to 56 bytes modulo 64, then the length.
    static const unsigned char padding[64] = {0x80};
    unsigned int used = static_cast<unsigned int>((bits >> 3) & 63);
    unsigned int pad = used < 56 ? 56 - used : 120 - used;
    update(padding, pad);
    update(length, 8);

    for (int i = 0; i < 4; ++i)
        store32(digest + 4 * i, mState[i]);
    reset();
}

void CMD5Checksum::digest(const unsigned char* data, unsigned int size, unsigned char out[16])
{
    CMD5Checksum sum;
    sum.update(data, size);
    sum.final(out);
}

std::string md5ToHex(const unsigned char digest[16])
{
    static const char hex[] = "0123456789abcdef";
    std::string text(32, '0');
    for (int i = 0; i < 16; ++i) {
        text[2 * i] = hex[digest[i] >> 4];
        text[2 * i + 1] = hex[digest[i] & 15];
    }
    return text;
}
