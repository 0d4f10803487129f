#pragma once
#include <cstdarg>

// Receives a copy of every log line (the console registers one).
class YLogSink {
public:
    virtual ~YLogSink() = default;
    // Called under the log's lock with the whole text of one write.
    virtual void print(const char* text) = 0;
};

// The program's one diagnostic channel: "log.txt" in the working folder,
// emptied at start, one line per message, flushed at once. The file opens on
// first use, and the start-up system check writes the first lines.
class YLog {
public:
    // Writes the pending text of this thread, the text and a line end.
    static void write(const char* text);
    // printf-style write; output is cut at 1023 characters.
    static void writef(const char* format, ...) __attribute__((format(printf, 1, 2)));
    // Keeps text for the front of this thread's next write.
    static void append(const char* text);
    static void appendf(const char* format, ...) __attribute__((format(printf, 1, 2)));

    // The console copy; null detaches it.
    static void setSink(YLogSink* sink);

    // The log file's name; takes effect only before the first write.
    static void setFileName(const char* fileName);
    // Opens the log now (running the system check) if not done yet.
    static void open();

    static constexpr int BUFFER_SIZE = 1024;
};

// The start-up system check: logs what this machine offers. Runs once, when
// the log opens, before any other line.
void checkSystem();
