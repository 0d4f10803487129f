#pragma once
#include <string>

namespace testutil {

// The private folder of the test process; each test runs in a fresh
// subfolder of it.
const std::string& workDir();

// Writes a file (creating its folders); the path may use backslashes.
void writeText(const std::string& path, const std::string& text);
std::string readText(const std::string& path);

// Text of the process's log file.
std::string logText();

} // namespace testutil
