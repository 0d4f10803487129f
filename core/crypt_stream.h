#pragma once
#include "core/streams.h"

#include <string>
#include <vector>

// Stream filters that encipher and decipher the bytes passing through them
// with a repeating-key XOR keystream: every byte b becomes b XOR key[p], then
// p = (p + 1) mod key length. The key position carries over from one call to
// the next, so a run of records is enciphered exactly as one long byte string
// would be, and enciphering and deciphering are the same operation. A reader
// must start at the byte at which the writer started. A file can switch to
// enciphered bytes in mid-file by wrapping its stream after a plain header.
//
// The inner stream is not owned: the caller keeps it alive for the filter's
// lifetime. State, lengths and flushing are the inner stream's. An empty key
// throws YError at construction.

class InCryptStream : public InStream {
public:
    InCryptStream(InStream& inner, const std::string& key);

    // Reads and deciphers; only the bytes that arrived are touched.
    int read(void* buffer, int size) override;
    // Passes over bytes and moves the key position by as many, so the
    // fields after a skip still decipher.
    void skip(int size) override;
    int64_t remaining() const override { return mInner.remaining(); }
    bool good() const override { return mInner.good(); }
    void setFailed() override { mInner.setFailed(); }

private:
    void advance(int64_t count);

    InStream& mInner;
    std::string mKey;
    size_t mPosition = 0;
};

class OutCryptStream : public OutStream {
public:
    OutCryptStream(OutStream& inner, const std::string& key);

    // Enciphers into a scratch buffer and writes that; the caller's buffer
    // is left unchanged.
    void write(const void* buffer, int size) override;
    int64_t length() const override { return mInner.length(); }
    void flush() override { mInner.flush(); }
    bool good() const override { return mInner.good(); }
    void setFailed() override { mInner.setFailed(); }

private:
    OutStream& mInner;
    std::vector<unsigned char> mScratch; // grows to the largest write so far
    std::string mKey;
    size_t mPosition = 0;
};
