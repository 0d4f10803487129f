#pragma once
#include <cstdio>
#include <string>

namespace sys {

// Opens a file through path resolution; mode as for fopen.
FILE* openFile(const std::string& path, const char* mode);

// Reads a whole file; false when it cannot be opened or read.
bool readFile(const std::string& path, std::string& data);

// Writes data to a temporary file in the same folder ("<target>.tmp"),
// flushes it to disk, renames it over the target and flushes the folder, so
// a crash or a full disk never leaves a truncated file behind: either the new
// file is complete or the old one survives. Writers of the same file, in
// this process or others, take turns; each one's file is replaced whole. On
// failure the temporary file is removed and, when error is given, it
// receives a one-line reason.
bool writeFileAtomic(const std::string& path, const std::string& data, std::string* error = nullptr);

// Removes a file; true when it is gone afterwards.
bool removeFile(const std::string& path);

} // namespace sys
