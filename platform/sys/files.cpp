#include "platform/sys/files.h"

#include "platform/sys/paths.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sys {

FILE* openFile(const std::string& path, const char* mode)
{
    return std::fopen(resolvePath(path).c_str(), mode);
}

bool readFile(const std::string& path, std::string& data)
{
    data.clear();
    FILE* f = openFile(path, "rb");
    if (!f)
        return false;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0)
        data.append(buffer, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool writeFileAtomic(const std::string& path, const std::string& data, std::string* error)
{
    std::string target = resolvePath(path);
    std::string temp = target + ".tmp";
    auto fail = [&](const char* what) {
        if (error)
            *error = std::string(what) + " " + temp + ": " + std::strerror(errno);
        ::unlink(temp.c_str());
        return false;
    };

    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (error)
            *error = std::string("cannot create ") + temp + ": " + std::strerror(errno);
        return false;
    }
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return fail("cannot write");
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        ::close(fd);
        return fail("cannot flush");
    }
    if (::close(fd) != 0)
        return fail("cannot close");
    if (::rename(temp.c_str(), target.c_str()) != 0)
        return fail("cannot rename");
    return true;
}

bool removeFile(const std::string& path)
{
    std::string p = resolvePath(path);
    return ::unlink(p.c_str()) == 0 || errno == ENOENT;
}

} // namespace sys
