#include "tests/fuzz/fuzz_support.h"

#include "core/log.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/sys/random.h"
#include "render/mesh.h"
#include "render/recording_render.h"
#include "tests/common/test_util.h"
#include "tests/fuzz/fuzz_target.h"

#include <cstdio>
#include <cstdlib>
#include <ftw.h>
#include <set>
#include <stdexcept>
#include <unistd.h>

namespace fuzz {

namespace {

std::string& folder()
{
    static std::string dir;
    return dir;
}

// Where the program started: libFuzzer keeps its corpus folders relative
// to it, so every run goes back there.
std::string& startFolder()
{
    static std::string dir;
    return dir;
}

int removeEntry(const char* path, const struct stat*, int, struct FTW*) { return std::remove(path); }

void removeFolder()
{
    if (!folder().empty())
        ::nftw(folder().c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

[[noreturn]] void throwAtLimit(const char*, int) { throw LimitReached(); }

} // namespace

std::vector<Target>& targets()
{
    static std::vector<Target> list;
    return list;
}

const Target* findTarget(const std::string& name)
{
    for (const Target& t : targets())
        if (name == t.name)
            return &t;
    return nullptr;
}

void setUp(bool quietLog)
{
    if (!folder().empty())
        return;
    const char* tmp = std::getenv("TMPDIR");
    std::string base = sys::pathKind("/dev/shm") == sys::PathKind::Directory && ::access("/dev/shm", W_OK) == 0
                           ? "/dev/shm"
                           : (tmp && *tmp ? tmp : "/tmp");
    std::string templ = base + "/tarvelin-fuzz-XXXXXX";
    startFolder() = sys::currentDirectory();
    if (!::mkdtemp(templ.data())) {
        std::perror("fuzz working folder");
        std::exit(2);
    }
    folder() = templ;
    std::atexit(removeFolder);
    ::setenv("TARVELIN_NO_MESSAGEBOX", "1", 1);
    YLog::setFileName(quietLog ? "/dev/null" : (templ + "/log.txt").c_str());
    YLog::open();
    new YNullRender(); // current for the whole run
    setMeshLimitHandler(throwAtLimit);
}

const std::string& workDir() { return folder(); }

std::string writeInput(const std::string& name, const uint8_t* data, size_t size)
{
    size_t slash = name.find_last_of('/');
    if (slash != std::string::npos)
        sys::makeDirectories(name.substr(0, slash));
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f || (size > 0 && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
        std::perror(name.c_str());
        std::abort(); // the harness, not the game, failed
    }
    return name;
}

void needContent(std::initializer_list<const char*> paths)
{
    static std::set<std::string> copied;
    for (const char* path : paths) {
        if (copied.count(path))
            continue;
        if (!testutil::copyFromGame(path))
            throw std::runtime_error(std::string("build the game content first: no ") + path);
        copied.insert(path);
    }
}

void runTarget(const Target& target, const uint8_t* data, size_t size)
{
    sys::changeDirectory(folder());
    sys::srand(1);
    try {
        target.run(data, size);
    } catch (const LimitReached&) {
        // The game ends here, on purpose; the next input goes on.
    }
    sys::changeDirectory(startFolder());
}

} // namespace fuzz
