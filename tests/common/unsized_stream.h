#pragma once
#include "core/streams.h"

#include <string>

namespace testutil {

// A stream that cannot tell what is left, like a pipe; skips by reading.
class UnsizedStream : public InStream {
public:
    explicit UnsizedStream(std::string data) : mInner(std::move(data)) {}
    int read(void* buffer, int size) override
    {
        int got = mInner.read(buffer, size);
        if (!mInner.good())
            setFailed();
        return got;
    }

private:
    InMemStream mInner;
};

} // namespace testutil
