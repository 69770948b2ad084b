#pragma once
// An exclusive advisory lock (flock) on a lock file inside the box's root, held
// for the lifetime of the object: two boxes on one root take turns at a
// read-modify-write of a shared file instead of losing each other's changes.
#include <string>

namespace host {

class FileLock {
public:
    // Blocks until the lock is held; without a lock file (read-only folder) nothing is locked.
    explicit FileLock(const std::string& receiverPath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool locked() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace host
