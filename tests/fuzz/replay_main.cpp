// Replays kept inputs through a fuzz target, without libFuzzer: the normal
// test suite runs it under AddressSanitizer and UndefinedBehaviorSanitizer
// over every regression input, so a fault found once stays mended.
//   fuzz_replay <target> <file or folder>...   (a missing one is passed over)
// A crash or a sanitizer report ends the program with a failure.
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/fuzz_target.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <target> <file or folder>...\n", argv[0]);
        return 2;
    }
    const fuzz::Target* target = fuzz::findTarget(argv[1]);
    if (!target) {
        std::fprintf(stderr, "no fuzz target named %s; there are:", argv[1]);
        for (const fuzz::Target& t : fuzz::targets())
            std::fprintf(stderr, " %s", t.name);
        std::fprintf(stderr, "\n");
        return 2;
    }
    // Every path is made absolute before the target moves into its folder.
    const std::string here = sys::currentDirectory();
    std::vector<std::string> files;
    for (int i = 2; i < argc; ++i) {
        std::string path = argv[i][0] == '/' ? argv[i] : here + "/" + argv[i];
        const sys::PathKind kind = sys::pathKind(path);
        if (kind == sys::PathKind::Missing)
            continue; // a target without findings has no folder of them
        if (kind == sys::PathKind::File) {
            files.push_back(path);
            continue;
        }
        for (const sys::DirEntry& e : sys::listDirectory(path + "/*"))
            if (!e.directory)
                files.push_back(path + "/" + e.name);
    }
    fuzz::setUp(false);
    // An empty file first: every reader meets one sooner or later.
    static const uint8_t nothing = 0;
    fuzz::runTarget(*target, &nothing, 0);
    for (const std::string& file : files) {
        std::string bytes;
        if (!sys::readFile(file, bytes)) {
            std::fprintf(stderr, "cannot read %s\n", file.c_str());
            return 1;
        }
        std::printf("%s: %s (%zu bytes)\n", target->name, file.c_str(), bytes.size());
        std::fflush(stdout);
        fuzz::runTarget(*target, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("%s: %zu inputs replayed\n", target->name, files.size());
    return 0;
}
