#include "tests/common/test_util.h"

#include "platform/sys/files.h"
#include "platform/sys/paths.h"

#include <cstdlib>
#include <filesystem>
#include <locale>
#include <sstream>
#include <stdexcept>

namespace testutil {

std::string& workDirStorage()
{
    static std::string dir;
    return dir;
}

const std::string& workDir() { return workDirStorage(); }

void writeText(const std::string& path, const std::string& text)
{
    std::string p = sys::resolvePath(path);
    size_t cut = p.find_last_of('/');
    if (cut != std::string::npos && cut > 0)
        sys::makeDirectories(p.substr(0, cut));
    std::string error;
    if (!sys::writeFileAtomic(p, text, &error))
        throw std::runtime_error(error);
}

std::string readText(const std::string& path)
{
    std::string data;
    sys::readFile(path, data);
    return data;
}

bool copyFromGame(const std::string& relativePath)
{
    std::string source = std::string(TARVELIN_GAME_DIR) + "/" + relativePath;
    switch (sys::pathKind(source)) {
    case sys::PathKind::Missing:
        return false;
    case sys::PathKind::File: {
        std::string data;
        if (!sys::readFile(source, data))
            return false;
        writeText(relativePath, data);
        return true;
    }
    case sys::PathKind::Directory:
        break;
    }
    sys::makeDirectories(relativePath);
    for (const sys::DirEntry& e : sys::listDirectory(source + "/*")) {
        if (!copyFromGame(relativePath + "/" + e.name))
            return false;
    }
    return true;
}

bool makeGameFolder(int windowWidth, int windowHeight, std::string* missing)
{
    for (const char* folder : {"data", "fonts", "textures", "env", "mesh", "sound", "ui"}) {
        if (!copyFromGame(folder)) {
            if (missing)
                *missing = folder;
            return false;
        }
    }
    writeText("config.yml", "<config>\n  <video fullscreen=\"0\">\n  <window width=\"" + std::to_string(windowWidth) +
                                "\" height=\"" + std::to_string(windowHeight) + "\">\n</config>\n");
    sys::makeDirectories("levels");
    return true;
}

void keepShot(const std::string& path)
{
    const char* dir = std::getenv("TARVELIN_SHOTS_DIR");
    if (!dir || !*dir)
        return;
    std::string data;
    if (!sys::readFile(path, data))
        return;
    std::string name = path.substr(path.find_last_of("/\\") + 1);
    sys::makeDirectories(dir);
    sys::writeFileAtomic(std::string(dir) + "/" + name, data);
}

std::vector<float> numbers(const std::string& line)
{
    std::istringstream in(line);
    in.imbue(std::locale::classic());
    std::string word;
    in >> word;
    std::vector<float> out;
    for (float v; in >> v;)
        out.push_back(v);
    return out;
}

std::string logText() { return readText(workDir() + "/log.txt"); }

bool logHas(const std::string& text, size_t from) { return logText().find(text, from) != std::string::npos; }

size_t logCount(const std::string& text, size_t from)
{
    const std::string log = logText();
    size_t n = 0;
    for (size_t at = log.find(text, from); at != std::string::npos; at = log.find(text, at + 1))
        ++n;
    return n;
}

std::string makeHeadlessRunFolder(const std::string& prefix)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + prefix + "-XXXXXX";
    if (!::mkdtemp(folder.data()))
        return std::string();
    ::setenv("TARVELIN_NO_MESSAGEBOX", "1", 1);
    ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ::setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    ::setenv("ALSOFT_DRIVERS", "null", 0);
    return folder;
}

void removeRunFolder(const std::string& folder)
{
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

} // namespace testutil
