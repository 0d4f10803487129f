#pragma once
#include <string>
#include <vector>

// Names matching a wildcard pattern ("levels\*", "ui\*"), files or folders
// as the flag says, without "." and "..", sorted by bytes. The pattern is
// resolved like every path (backslashes, any case).
std::vector<std::string> findFiles(const std::string& pattern, bool directories);

// True when the path exists and is a folder exactly when the flag says so.
bool fileExists(const char* path, bool directory);

// A sorted listing together with the folder prefix of its pattern.
class YFileList {
public:
    YFileList() = default;
    YFileList(const std::string& pattern, bool directories);

    int size() const { return static_cast<int>(mNames.size()); }
    bool empty() const { return mNames.empty(); }
    const std::string& name(int index) const { return mNames[index]; }
    const std::vector<std::string>& names() const { return mNames; }
    const std::string& prefix() const { return mPrefix; }

    // Prefix + name at the index.
    std::string getPath(int index) const;
    // The name at the index cut at its first '.'.
    std::string baseName(int index) const;
    std::vector<std::string> baseNames() const;
    // Index of the first entry whose base name equals the name, ignoring case.
    int indexOf(const std::string& name, int notFound) const;

private:
    std::string mPrefix;
    std::vector<std::string> mNames;
};
