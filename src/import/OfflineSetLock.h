#pragma once
// The offline folder's lock: flock on ".gep.lock" in it, which a logging run takes
// too, held for the lifetime of the object. It never waits: a run that is writing
// the folder now is said so, not queued behind.
#include <string>

namespace importer {

class OfflineSetLock {
public:
    explicit OfflineSetLock(const std::string& directory);
    ~OfflineSetLock();
    OfflineSetLock(const OfflineSetLock&) = delete;
    OfflineSetLock& operator=(const OfflineSetLock&) = delete;
    // False with *error when the lock file cannot be made or another run holds it.
    bool held(std::string* error) const;

private:
    int m_fd = -1;
    std::string m_error;
};

} // namespace importer
