#pragma once
#include <cstdint>
#include <string>

// The MD5 message digest of RFC 1321. Feed bytes with update() in pieces of
// any size, then final() gives the 16-byte digest and starts the object over
// for a new message.
class CMD5Checksum {
public:
    CMD5Checksum();
    virtual ~CMD5Checksum() = default;

    // Adds bytes; each full 64-byte block is compressed at once.
    void update(const unsigned char* data, unsigned int size);
    // One compression step of a 64-byte block into the state.
    void transform(const unsigned char block[64]);
    // Pads the message, appends its bit length and writes the digest (the
    // four state words little-endian, in order). The object is then reset.
    void final(unsigned char digest[16]);

    // The digest of one buffer.
    static void digest(const unsigned char* data, unsigned int size, unsigned char out[16]);

private:
    void reset();

    uint32_t mState[4];
    uint64_t mBits = 0;         // message length in bits, modulo 2^64
    unsigned char mBuffer[64];  // bytes of the block being filled
};

// The 32-character lower-case hexadecimal text of a digest.
std::string md5ToHex(const unsigned char digest[16]);
