#include "core/crypt_stream.h"

#include "core/error.h"

namespace {

const std::string& checkedKey(const std::string& key)
{
    // The key position is taken modulo the key length.
    if (key.empty())
        throw YError("Cipher stream: the key must not be empty");
    return key;
}

// XORs size bytes from source into target with the key from position on and
// returns the position after them.
size_t applyKey(const unsigned char* source, unsigned char* target, int size,
                const std::string& key, size_t position)
{
    const size_t length = key.size();
    for (int i = 0; i < size; ++i) {
        target[i] = static_cast<unsigned char>(source[i] ^ static_cast<unsigned char>(key[position]));
        if (++position == length)
            position = 0;
    }
    return position;
}

} // namespace

InCryptStream::InCryptStream(InStream& inner, const std::string& key)
    : mInner(inner), mKey(checkedKey(key))
{
}

int InCryptStream::read(void* buffer, int size)
{
    int got = mInner.read(buffer, size);
    if (got > 0) {
        unsigned char* bytes = static_cast<unsigned char*>(buffer);
        mPosition = applyKey(bytes, bytes, got, mKey, mPosition);
    }
    return got;
}

void InCryptStream::skip(int size)
{
    if (size <= 0) {
        mInner.skip(size); // the inner stream decides about a negative size
        return;
    }
    int64_t before = mInner.remaining();
    mInner.skip(size);
    int64_t after = mInner.remaining();
    // Step the key by the bytes actually passed over when the inner stream
    // can tell, else by the count asked for.
    advance(before >= 0 && after >= 0 && after <= before ? before - after : size);
}

void InCryptStream::advance(int64_t count)
{
    const uint64_t length = mKey.size();
    mPosition = static_cast<size_t>((mPosition + static_cast<uint64_t>(count) % length) % length);
}

OutCryptStream::OutCryptStream(OutStream& inner, const std::string& key)
    : mInner(inner), mKey(checkedKey(key))
{
}

void OutCryptStream::write(const void* buffer, int size)
{
    if (size <= 0 || !buffer) {
        mInner.write(buffer, size); // passes a refusal of bad arguments on
        return;
    }
    if (mScratch.size() < static_cast<size_t>(size))
        mScratch.resize(static_cast<size_t>(size));
    mPosition = applyKey(static_cast<const unsigned char*>(buffer), mScratch.data(), size, mKey, mPosition);
    mInner.write(mScratch.data(), size);
}
