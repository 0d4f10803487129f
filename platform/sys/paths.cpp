#include "platform/sys/paths.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sys {

namespace {

std::string slashes(const std::string& path)
{
    std::string out = path;
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

bool exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

bool equalNoCase(const std::string& a, const char* b)
{
    size_t n = a.size();
    for (size_t i = 0; i < n; ++i) {
        if (b[i] == 0)
            return false;
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return b[n] == 0;
}

// The entry of the folder whose name equals the component ignoring case; the
// smallest such name in byte order so the choice never depends on readdir.
bool findNoCase(const std::string& folder, const std::string& component, std::string& found)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return false;
    bool any = false;
    while (dirent* e = ::readdir(dir)) {
        if (equalNoCase(component, e->d_name)) {
            if (!any || found > e->d_name)
                found = e->d_name;
            any = true;
        }
    }
    ::closedir(dir);
    return any;
}

} // namespace

std::string resolvePath(const std::string& path)
{
    std::string p = slashes(path);
    if (p.empty() || exists(p))
        return p;

    // Walk the components, fixing the case of each one that is missing.
    std::string out;
    size_t pos = 0;
    if (p[0] == '/') {
        out = "/";
        pos = 1;
    }
    bool lost = false; // once a component is missing, keep the rest as given
    while (pos <= p.size()) {
        size_t end = p.find('/', pos);
        if (end == std::string::npos)
            end = p.size();
        std::string component = p.substr(pos, end - pos);
        if (!component.empty() && component != "." && component != ".." && !lost) {
            std::string candidate = out + component;
            if (!exists(candidate)) {
                std::string found;
                std::string dir = out.empty() ? std::string(".") : out;
                if (findNoCase(dir, component, found))
                    component = found;
                else
                    lost = true;
            }
        }
        out += component;
        if (end < p.size())
            out += '/';
        pos = end + 1;
    }
    return out;
}

bool wildcardMatch(const char* pattern, const char* name)
{
    // Iterative matcher with one backtrack point for the last '*'.
    const char* star = nullptr;
    const char* retry = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = pattern++;
            retry = name;
        } else if (*pattern == '?' ||
                   (*pattern && std::tolower(static_cast<unsigned char>(*pattern)) ==
                                    std::tolower(static_cast<unsigned char>(*name)))) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++retry;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == 0;
}

void splitPattern(const std::string& pattern, std::string& prefix, std::string& file)
{
    size_t cut = pattern.find_last_of("\\/");
    if (cut == std::string::npos) {
        prefix.clear();
        file = pattern;
    } else {
        prefix = pattern.substr(0, cut + 1);
        file = pattern.substr(cut + 1);
    }
}

std::vector<DirEntry> listDirectory(const std::string& pattern)
{
    std::vector<DirEntry> result;
    std::string prefix, file;
    splitPattern(pattern, prefix, file);
    std::string folder = prefix.empty() ? std::string(".") : resolvePath(prefix);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return result;
    std::string base = folder;
    if (!base.empty() && base.back() != '/')
        base += '/';
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        if (!wildcardMatch(file.c_str(), name.c_str()))
            continue;
        DirEntry entry;
        entry.name = name;
        entry.directory = pathKind(base + name) == PathKind::Directory;
        result.push_back(entry);
    }
    ::closedir(dir);
    std::sort(result.begin(), result.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    return result;
}

PathKind pathKind(const std::string& path)
{
    struct stat st;
    if (::stat(resolvePath(path).c_str(), &st) != 0)
        return PathKind::Missing;
    return S_ISDIR(st.st_mode) ? PathKind::Directory : PathKind::File;
}

bool makeDirectories(const std::string& path)
{
    std::string p = resolvePath(path);
    while (!p.empty() && p.size() > 1 && p.back() == '/')
        p.pop_back();
    if (p.empty())
        return false;
    for (size_t i = 1; i <= p.size(); ++i) {
        if (i == p.size() || p[i] == '/') {
            std::string part = p.substr(0, i);
            if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
                return false;
        }
    }
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string executablePath()
{
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (n <= 0)
        return std::string();
    buffer[n] = 0;
    return buffer;
}

std::string executableDir()
{
    std::string exe = executablePath();
    size_t cut = exe.find_last_of('/');
    return cut == std::string::npos ? std::string(".") : exe.substr(0, cut);
}

bool changeDirectory(const std::string& path)
{
    return ::chdir(path.c_str()) == 0;
}

std::string currentDirectory()
{
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof(buffer)))
        return std::string();
    return buffer;
}

} // namespace sys
