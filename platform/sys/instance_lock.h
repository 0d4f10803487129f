#pragma once
#include <string>

namespace sys {

// Keeps a second copy of the game from starting: a non-blocking exclusive
// flock on a lock file in $XDG_RUNTIME_DIR (else /tmp). The lock is released
// when the object is destroyed or the process ends.
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Tries to take the lock called name. True when this process holds it;
    // false when another process does. A lock file that cannot be created at
    // all counts as held (the game must not refuse to start for that).
    bool acquire(const std::string& name);
    void release();
    bool held() const { return mFd >= 0; }

    // Tests point the lock files at a folder of their own.
    static void setDirectory(const std::string& directory);
    static std::string directory();

private:
    int mFd = -1;
};

} // namespace sys
