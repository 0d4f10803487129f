#pragma once
// Fuzz targets: each feeds outside bytes to one reader of the game through
// the entry point the game itself calls, then uses what was read the way
// the game would. The same targets build into libFuzzer programs (the fuzz
// build) and into the replay program of the normal test suite, which runs
// them over the kept regression inputs.
//
// A new target is one definition in any file of this folder:
//
//   TARVELIN_FUZZ_TARGET(scores)
//   {
//       std::string path = fuzz::writeInput("scores.dat", data, size);
//       ...the game's reader of that file...
//   }
//
// plus one tarvelin_fuzz_target() line in CMakeLists.txt naming its seeds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

using TargetFunction = void (*)(const uint8_t* data, size_t size);

struct Target {
    const char* name;
    TargetFunction run;
};

// Every target linked into the program, in registration order.
std::vector<Target>& targets();
// The target of that name, or null.
const Target* findTarget(const std::string& name);

struct Registrar {
    Registrar(const char* name, TargetFunction run) { targets().push_back(Target{name, run}); }
};

// Runs the target on one input inside the fuzzing folder, with the game's
// random generator seeded alike every time, so an input found once crashes
// again when it is replayed.
void runTarget(const Target& target, const uint8_t* data, size_t size);

} // namespace fuzz

#define TARVELIN_FUZZ_TARGET(name)                                                \
    static void fuzzTarget_##name(const uint8_t* data, size_t size);             \
    static const ::fuzz::Registrar fuzzRegistrar_##name(#name, fuzzTarget_##name); \
    static void fuzzTarget_##name(const uint8_t* data, size_t size)
