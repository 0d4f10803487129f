#pragma once
#include <stdexcept>
#include <string>

// The one error type for thrown messages: loaders and device code throw it
// (or a plain string), and the markup parser reports its text through the
// loader's error handler.
class YError : public std::runtime_error {
public:
    explicit YError(const std::string& message) : std::runtime_error(message) {}
};
