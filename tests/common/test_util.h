#pragma once
#include <string>

namespace testutil {

// The private folder the test process runs in (its working folder).
const std::string& workDir();

// Writes a file (creating its folders); the path may use backslashes.
void writeText(const std::string& path, const std::string& text);
std::string readText(const std::string& path);

// Text of "log.txt" in the working folder.
std::string logText();

} // namespace testutil
