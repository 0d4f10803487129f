#include "platform/sys/files.h"

#include "platform/sys/paths.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sys {

namespace {

// Flushes the folder holding path, so that a rename into it survives a power
// cut. The new file is in place already whatever happens here, so a folder
// that cannot be opened or flushed (some file systems refuse) is not an
// error.
void syncFolderOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

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
    int fd = -1;
    auto fail = [&](const char* what) {
        if (error)
            *error = std::string(what) + " " + temp + ": " + std::strerror(errno);
        int saved = errno;
        ::unlink(temp.c_str()); // while still holding the lock: it is our file
        if (fd >= 0)
            ::close(fd);
        errno = saved;
        return false;
    };

    // Writers of one file share its temporary name and take turns through
    // an exclusive lock on the temporary file. A writer that waited may have
    // locked a file the one before it has since renamed over the target or
    // removed, so it only goes on when the name still leads to the file it
    // locked; otherwise it opens the name again. A file left by a writer
    // that died holds no lock and is simply overwritten.
    for (;;) {
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (error)
                *error = std::string("cannot create ") + temp + ": " + std::strerror(errno);
            return false;
        }
        int locked;
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        // File systems without locks leave the writers unserialised, as
        // they were before locking.
        if (locked != 0 && errno != ENOLCK && errno != EOPNOTSUPP) {
            if (error)
                *error = std::string("cannot lock ") + temp + ": " + std::strerror(errno);
            ::close(fd);
            return false;
        }
        struct stat held, named;
        if (::fstat(fd, &held) == 0 && ::stat(temp.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino)
            break;
        ::close(fd);
    }

    if (::ftruncate(fd, 0) != 0)
        return fail("cannot write");
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail("cannot write");
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        return fail("cannot flush");
    // A close can report a failed write, so it comes before the rename; a
    // duplicate keeps the lock until the file has its final name, or the
    // next writer could empty it first.
    int keep = ::dup(fd);
    if (keep < 0)
        return fail("cannot close");
    int closed = ::close(fd);
    fd = keep;
    if (closed != 0)
        return fail("cannot close");
    if (::rename(temp.c_str(), target.c_str()) != 0)
        return fail("cannot rename");
    ::close(fd);
    syncFolderOf(target);
    return true;
}

bool removeFile(const std::string& path)
{
    std::string p = resolvePath(path);
    return ::unlink(p.c_str()) == 0 || errno == ENOENT;
}

} // namespace sys
