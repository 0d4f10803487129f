#pragma once
#include <string>
#include <vector>

namespace sys {

// Data names paths with backslashes and in any case ("mesh\Ball2.mes").
// Turns '\' into '/' and, when the exact path does not exist, resolves each
// component ignoring case. Components that cannot be found are kept as
// given, so the result also names files about to be created.
std::string resolvePath(const std::string& path);

// True when the name matches the wildcard pattern ('*' any run, '?' one
// character), ignoring case.
bool wildcardMatch(const char* pattern, const char* name);

struct DirEntry {
    std::string name;
    bool directory = false;
};

// Lists the entries matching a wildcard pattern such as "levels\*" or
// "music\*.ogg". The folder part is resolved like any path; "." and ".." are
// dropped; the result is sorted by bytes. A missing folder gives nothing.
std::vector<DirEntry> listDirectory(const std::string& pattern);

// Splits a pattern at its last separator ('\' or '/'): the prefix keeps the
// separator, the rest is the file part.
void splitPattern(const std::string& pattern, std::string& prefix, std::string& file);

enum class PathKind { Missing, File, Directory };
PathKind pathKind(const std::string& path);

// Creates a folder and its parents; true when it exists afterwards.
bool makeDirectories(const std::string& path);

// The full path of the running executable and the folder holding it.
std::string executablePath();
std::string executableDir();

// Changes the working folder; false on failure.
bool changeDirectory(const std::string& path);
std::string currentDirectory();

} // namespace sys
