#include "core/streams.h"

#include "core/log.h"
#include "platform/sys/files.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <sys/stat.h>

// ---------------------------------------------------------------- InStream

void InStream::skip(int size)
{
    if (size < 0) {
        setFailed();
        return;
    }
    char scratch[4096];
    while (size > 0) {
        int chunk = std::min(size, static_cast<int>(sizeof(scratch)));
        if (read(scratch, chunk) != chunk)
            return; // read has failed the stream
        size -= chunk;
    }
}

InStream& InStream::readString(char* buffer, int capacity)
{
    if (buffer && capacity > 0)
        buffer[0] = 0;
    unsigned char count[2];
    if (read(count, 2) != 2)
        return *this;
    int n = count[0] | (count[1] << 8);
    int keep = std::min(n, capacity - 1);
    if (keep > 0 && buffer) {
        int got = read(buffer, keep);
        buffer[got] = 0;
        if (got != keep)
            return *this;
    } else {
        keep = 0;
    }
    if (n > keep)
        skip(n - keep);
    return *this;
}

InStream& InStream::readString(std::string& text)
{
    text.clear();
    unsigned char count[2];
    if (read(count, 2) != 2)
        return *this;
    int n = count[0] | (count[1] << 8);
    if (n == 0)
        return *this;
    // A short file fills what it can and fails the stream.
    text.resize(static_cast<size_t>(n));
    int got = read(&text[0], n);
    text.resize(static_cast<size_t>(got));
    return *this;
}

bool InStream::fits(int64_t count, int64_t recordSize) const
{
    if (count < 0 || recordSize < 0)
        return false;
    if (recordSize > 0 && count > std::numeric_limits<int64_t>::max() / recordSize)
        return false;
    int64_t left = remaining();
    if (left < 0)
        return true;
    return count * recordSize <= left;
}

// --------------------------------------------------------------- OutStream

OutStream& OutStream::writeString(const char* text)
{
    return writeCounted(text ? text : "", text ? std::strlen(text) : 0);
}

OutStream& OutStream::writeString(const std::string& text)
{
    return writeCounted(text.data(), text.size());
}

OutStream& OutStream::writeCounted(const char* data, size_t size)
{
    if (size > MAX_STRING) {
        YLog::writef("Cannot write a text of %zu bytes: a stored text holds at most %zu bytes",
                     size, MAX_STRING);
        setFailed();
        return *this;
    }
    unsigned char count[2] = {static_cast<unsigned char>(size & 0xFF),
                              static_cast<unsigned char>(size >> 8)};
    write(count, 2);
    if (size > 0)
        write(data, static_cast<int>(size));
    return *this;
}

// --------------------------------------------------------------- InFStream

InFStream::InFStream(const char* fileName)
{
    if (!fileName)
        return;
    FILE* file = sys::openFile(fileName, "rb");
    if (!file)
        return;
    // Only a regular file has a length; a folder opens but cannot be read.
    struct stat st;
    if (::fstat(::fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(file);
        return;
    }
    if (std::fseek(file, 0, SEEK_END) != 0) {
        std::fclose(file);
        return;
    }
    long end = std::ftell(file);
    if (end < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return;
    }
    mFile = file;
    mLength = end;
}

InFStream::~InFStream()
{
    if (mFile)
        std::fclose(mFile);
}

int InFStream::read(void* buffer, int size)
{
    if (!mFile || size < 0 || (size > 0 && !buffer)) {
        setFailed();
        return 0;
    }
    if (size == 0)
        return 0;
    size_t got = std::fread(buffer, 1, static_cast<size_t>(size), mFile);
    mPosition += static_cast<int64_t>(got);
    if (got != static_cast<size_t>(size))
        setFailed();
    return static_cast<int>(got);
}

void InFStream::skip(int size)
{
    if (!mFile || size < 0) {
        setFailed();
        return;
    }
    int64_t step = std::min<int64_t>(size, std::max<int64_t>(remaining(), 0));
    if (step > 0 && std::fseek(mFile, static_cast<long>(step), SEEK_CUR) != 0) {
        setFailed();
        return;
    }
    mPosition += step;
    if (step < size)
        setFailed();
}

int64_t InFStream::remaining() const
{
    return mFile ? mLength - mPosition : -1;
}

// -------------------------------------------------------------- OutFStream

OutFStream::OutFStream(const char* fileName) : mFileName(fileName ? fileName : "")
{
}

OutFStream::~OutFStream()
{
    if (!mClosed)
        close();
}

void OutFStream::write(const void* buffer, int size)
{
    if (mClosed) {
        YLog::writef("Cannot write file %s: written after it was closed", mFileName.c_str());
        setFailed();
        return;
    }
    if (size < 0 || (size > 0 && !buffer)) {
        setFailed();
        return;
    }
    if (!good())
        return; // the file will not be written; keep no more bytes
    mData.append(static_cast<const char*>(buffer), static_cast<size_t>(size));
}

bool OutFStream::close()
{
    if (mClosed)
        return mWritten;
    mClosed = true;
    if (mFileName.empty()) {
        YLog::writef("Cannot write file: no file name");
        setFailed();
    } else if (!good()) {
        YLog::writef("Cannot write file %s: a write failed or was refused", mFileName.c_str());
    } else {
        std::string error;
        if (sys::writeFileAtomic(mFileName, mData, &error)) {
            mWritten = true;
        } else {
            YLog::writef("Cannot write file %s: %s", mFileName.c_str(), error.c_str());
            setFailed();
        }
    }
    mData.clear();
    mData.shrink_to_fit();
    return mWritten;
}

// ------------------------------------------------------------ memory streams

int InMemStream::read(void* buffer, int size)
{
    if (size < 0 || (size > 0 && !buffer)) {
        setFailed();
        return 0;
    }
    size_t n = std::min(static_cast<size_t>(size), mData.size() - mPosition);
    if (n > 0)
        std::memcpy(buffer, mData.data() + mPosition, n);
    mPosition += n;
    if (n != static_cast<size_t>(size))
        setFailed();
    return static_cast<int>(n);
}

void InMemStream::skip(int size)
{
    if (size < 0) {
        setFailed();
        return;
    }
    size_t n = std::min(static_cast<size_t>(size), mData.size() - mPosition);
    mPosition += n;
    if (n != static_cast<size_t>(size))
        setFailed();
}

void OutMemStream::write(const void* buffer, int size)
{
    if (size < 0 || (size > 0 && !buffer)) {
        setFailed();
        return;
    }
    mData.append(static_cast<const char*>(buffer), static_cast<size_t>(size));
}
