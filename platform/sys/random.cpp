#include "platform/sys/random.h"

namespace sys {

static Random& mainGenerator()
{
    static Random generator(1);
    return generator;
}

int rand() { return mainGenerator().next(); }
void srand(uint32_t seed) { mainGenerator().seed(seed); }
float randUnit() { return mainGenerator().unit(); }

} // namespace sys
