#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <type_traits>

// Byte streams through which every binary file of the game is read and
// written: level files, mesh caches, the score table. Multi-byte values are
// stored as they lie in memory, which the file formats define as
// little-endian (32-bit integers, IEEE single-precision floats).
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "the binary file formats store values as they lie in a little-endian memory");

// Callers test success through the stream's state, not through return
// values: read a header or a record, then ask good().
class InStream {
public:
    virtual ~InStream() = default;

    // Reads size bytes into the buffer and returns how many arrived. A short
    // read fills what it can, leaves the rest of the buffer as it was and
    // puts the stream into its failed state, as does a negative size.
    virtual int read(void* buffer, int size) = 0;
    // Passes over size bytes; stopping early at the end fails the stream.
    // The default reads and discards them.
    virtual void skip(int size);
    // Bytes left to read, -1 when the stream cannot tell.
    virtual int64_t remaining() const { return -1; }
    // True while no read or skip has failed.
    virtual bool good() const { return !mFailed; }
    // Puts the stream into its failed state (a reader that finds bad data
    // may call it too, so later checks of good() see the failure).
    virtual void setFailed() { mFailed = true; }

    // Reads a 16-bit little-endian count n, stores min(n, capacity - 1)
    // bytes and a terminating zero, and passes over the rest so the next
    // read starts after the whole text. Stores an empty text when the count
    // cannot be read.
    InStream& readString(char* buffer, int capacity);
    // The same into a string, keeping all n bytes.
    InStream& readString(std::string& text);

    // True when count records of recordSize bytes can be in what is left:
    // false for negative values, for a product that overflows, and when the
    // product exceeds remaining(). When remaining() is unknown any
    // non-negative, non-overflowing product passes. Every reader bounds
    // counts read from a file with it before allocating.
    bool fits(int64_t count, int64_t recordSize) const;

    // Reads one value as it lies in memory; true when all its bytes arrived
    // and the stream is still good. The value is left alone otherwise.
    template <typename T>
    bool readValue(T& value)
    {
        static_assert(std::is_trivially_copyable<T>::value, "readValue needs a plain value type");
        T temp;
        if (read(&temp, static_cast<int>(sizeof(T))) != static_cast<int>(sizeof(T)) || !good())
            return false;
        value = temp;
        return true;
    }

private:
    bool mFailed = false;
};

class OutStream {
public:
    virtual ~OutStream() = default;

    // Writes size bytes; a negative size fails the stream.
    virtual void write(const void* buffer, int size) = 0;
    // Bytes written so far, -1 when the stream cannot tell.
    virtual int64_t length() const { return -1; }
    virtual void flush() {}
    // True while no write has failed or been refused.
    virtual bool good() const { return !mFailed; }
    virtual void setFailed() { mFailed = true; }

    // Writes the text's length as a 16-bit little-endian count, then its
    // bytes without a terminator. A text of more than MAX_STRING bytes would
    // wrap the count and desynchronise the file, so it is refused: nothing is
    // written, the stream fails and the log says why.
    OutStream& writeString(const char* text);
    OutStream& writeString(const std::string& text);

    template <typename T>
    void writeValue(const T& value)
    {
        static_assert(std::is_trivially_copyable<T>::value, "writeValue needs a plain value type");
        write(&value, static_cast<int>(sizeof(T)));
    }

    static constexpr size_t MAX_STRING = 0xFFFF;

private:
    OutStream& writeCounted(const char* data, size_t size);

    bool mFailed = false;
};

// Reads a file. The name goes through path resolution (backslashes, any
// case). A file that does not open has length -1 and every read fails.
class InFStream : public InStream {
public:
    explicit InFStream(const char* fileName);
    explicit InFStream(const std::string& fileName) : InFStream(fileName.c_str()) {}
    ~InFStream() override;
    InFStream(const InFStream&) = delete;
    InFStream& operator=(const InFStream&) = delete;

    int read(void* buffer, int size) override;
    void skip(int size) override;
    int64_t remaining() const override;

    bool isOpen() const { return mFile != nullptr; }
    int64_t length() const { return mLength; }

private:
    FILE* mFile = nullptr;
    int64_t mLength = -1;
    int64_t mPosition = 0;
};

// Writes a file without ever leaving a truncated or half-written one: the
// bytes collect in memory and close() writes them to a temporary file that is
// renamed into place. On any failure the old file survives and the log says
// why. The destructor closes a stream not yet closed.
class OutFStream : public OutStream {
public:
    explicit OutFStream(const char* fileName);
    explicit OutFStream(const std::string& fileName) : OutFStream(fileName.c_str()) {}
    ~OutFStream() override;
    OutFStream(const OutFStream&) = delete;
    OutFStream& operator=(const OutFStream&) = delete;

    void write(const void* buffer, int size) override;
    int64_t length() const override { return static_cast<int64_t>(mData.size()); }

    // Writes the collected bytes into place; true when the file is complete
    // on disk. When a write failed or was refused before, writes nothing and
    // returns false. Later calls return the first call's result.
    bool close();
    bool isClosed() const { return mClosed; }
    const std::string& fileName() const { return mFileName; }

private:
    std::string mFileName;
    std::string mData;
    bool mClosed = false;
    bool mWritten = false;
};

// Reads from bytes held in memory (a copy of what it was given).
class InMemStream : public InStream {
public:
    explicit InMemStream(std::string data) : mData(std::move(data)) {}
    InMemStream(const void* data, size_t size) : mData(static_cast<const char*>(data), size) {}

    int read(void* buffer, int size) override;
    void skip(int size) override;
    int64_t remaining() const override { return static_cast<int64_t>(mData.size() - mPosition); }

private:
    std::string mData;
    size_t mPosition = 0;
};

// Collects written bytes in memory.
class OutMemStream : public OutStream {
public:
    void write(const void* buffer, int size) override;
    int64_t length() const override { return static_cast<int64_t>(mData.size()); }
    const std::string& data() const { return mData; }

private:
    std::string mData;
};
