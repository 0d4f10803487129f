#include "core/log.h"

#include "platform/sys/files.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace {

struct LogState {
    std::recursive_mutex lock;
    FILE* file = nullptr;
    bool opened = false;
    std::string fileName = "log.txt";
    YLogSink* sink = nullptr;
};

LogState& state()
{
    static LogState s;
    return s;
}

// Text appended by this thread for the front of its next line. Each thread
// has its own, so a sound thread never picks up the main thread's prefix.
std::string& pending()
{
    thread_local std::string text;
    return text;
}

void openLocked(LogState& s)
{
    if (s.opened)
        return;
    s.opened = true;
    s.file = sys::openFile(s.fileName, "w");
}

void writeLocked(LogState& s, const std::string& line)
{
    if (s.file) {
        std::fputs(line.c_str(), s.file);
        std::fputc('\n', s.file);
        std::fflush(s.file);
    }
    if (s.sink)
        s.sink->print(line.c_str());
}

} // namespace

void YLog::open()
{
    // Other threads wait here until the file is open and the check's lines
    // are written; the check itself logs through write(), which comes back
    // here on the same thread and must go straight through.
    thread_local bool inCheck = false;
    static std::once_flag once;
    if (inCheck)
        return;
    std::call_once(once, [] {
        LogState& s = state();
        {
            std::lock_guard<std::recursive_mutex> guard(s.lock);
            openLocked(s);
        }
        std::string saved;
        saved.swap(pending()); // the caller's prefix belongs to its own line
        inCheck = true;
        checkSystem();
        inCheck = false;
        pending().swap(saved);
    });
}

void YLog::write(const char* text)
{
    open();
    std::string line;
    line.swap(pending());
    line += text ? text : "";
    LogState& s = state();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    writeLocked(s, line);
}

void YLog::writef(const char* format, ...)
{
    char buffer[BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    write(buffer);
}

void YLog::append(const char* text)
{
    pending() += text ? text : "";
}

void YLog::appendf(const char* format, ...)
{
    char buffer[BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    append(buffer);
}

void YLog::setSink(YLogSink* sink)
{
    LogState& s = state();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    s.sink = sink;
}

void YLog::setFileName(const char* fileName)
{
    LogState& s = state();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    if (!s.opened)
        s.fileName = fileName ? fileName : "log.txt";
}
