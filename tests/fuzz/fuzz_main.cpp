// The libFuzzer entry of one fuzz program: TARVELIN_FUZZ_NAME names the
// target it runs (the build makes one program per target).
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/fuzz_target.h"

#include <cstdio>
#include <cstdlib>

namespace {
const fuzz::Target* gTarget = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gTarget = fuzz::findTarget(TARVELIN_FUZZ_NAME);
    if (!gTarget) {
        std::fprintf(stderr, "no fuzz target named %s\n", TARVELIN_FUZZ_NAME);
        std::exit(2);
    }
    fuzz::setUp(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::runTarget(*gTarget, data, size);
    return 0;
}
