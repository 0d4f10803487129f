#include "platform/sys/instance_lock.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace sys {

namespace {
std::string& overrideDirectory()
{
    static std::string dir;
    return dir;
}
} // namespace

void InstanceLock::setDirectory(const std::string& directory) { overrideDirectory() = directory; }

std::string InstanceLock::directory()
{
    if (!overrideDirectory().empty())
        return overrideDirectory();
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        return runtime;
    return "/tmp";
}

InstanceLock::~InstanceLock() { release(); }

bool InstanceLock::acquire(const std::string& name)
{
    release();
    std::string path = directory() + "/" + name + ".lock";
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true; // no place for a lock file: run rather than refuse
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    mFd = fd;
    return true;
}

void InstanceLock::release()
{
    if (mFd >= 0) {
        ::flock(mFd, LOCK_UN);
        ::close(mFd);
        mFd = -1;
    }
}

} // namespace sys
