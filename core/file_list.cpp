#include "core/file_list.h"

#include "core/text.h"
#include "platform/sys/paths.h"

std::vector<std::string> findFiles(const std::string& pattern, bool directories)
{
    std::vector<std::string> names;
    for (const sys::DirEntry& entry : sys::listDirectory(pattern)) {
        if (entry.directory == directories)
            names.push_back(entry.name);
    }
    return names; // listDirectory returns them sorted by bytes
}

bool fileExists(const char* path, bool directory)
{
    if (!path || !*path)
        return false;
    sys::PathKind kind = sys::pathKind(path);
    if (kind == sys::PathKind::Missing)
        return false;
    return (kind == sys::PathKind::Directory) == directory;
}

YFileList::YFileList(const std::string& pattern, bool directories)
{
    std::string file;
    sys::splitPattern(pattern, mPrefix, file);
    mNames = findFiles(pattern, directories);
}

std::string YFileList::getPath(int index) const
{
    return mPrefix + mNames[index];
}

std::string YFileList::baseName(int index) const
{
    return cutAtDot(mNames[index]);
}

std::vector<std::string> YFileList::baseNames() const
{
    std::vector<std::string> out;
    out.reserve(mNames.size());
    for (const std::string& n : mNames)
        out.push_back(cutAtDot(n));
    return out;
}

int YFileList::indexOf(const std::string& name, int notFound) const
{
    std::string wanted = toLower(name);
    for (size_t i = 0; i < mNames.size(); ++i) {
        if (toLower(cutAtDot(mNames[i])) == wanted)
            return static_cast<int>(i);
    }
    return notFound;
}
