#pragma once
// The box's file system: receiver paths such as "/var/tuxbox/plugins/orvalis.cfg"
// resolve inside a root folder of the machine running the box, never outside it.
// Symbolic links inside the root resolve inside it too: a link to "/etc" means
// the root's etc, and ".." never climbs above the root.
//
// To write a file inside the root use AtomicFile (a stream) or writeFileInRoot
// (a whole text): both write a freshly created temporary file beside the target
// and rename it into place, keep the target's permissions, and refuse targets
// that are read-only or not regular files. readRegularFile reads a file whole,
// refusing folders, FIFOs, devices and files beyond a size limit.
#include <cstddef>
#include <string>
#include <sys/types.h>

namespace host {

void setFileSystemRoot(const std::string& dir);
const std::string& fileSystemRoot();

// Maps a receiver path into the root, following the symbolic links that exist
// inside the root (as the root's own). An empty root (the default) maps a path onto itself.
std::string hostPath(const std::string& receiverPath);

// open(2) of a receiver path, every part of it resolved inside the root (Linux
// openat2 with RESOLVE_IN_ROOT, or a walk of the path on older kernels). -1 and errno on failure.
int openInRoot(const std::string& receiverPath, int flags, mode_t mode = 0);

// Creates the receiver folder and its parents inside the root; true when it exists afterwards.
bool makeDirectories(const std::string& receiverPath);

// Reads a whole regular file of at most maxBytes. On failure *error says why
// and errno is ENOENT when the file is simply missing.
bool readRegularFile(const std::string& receiverPath, std::string* data, size_t maxBytes, std::string* error);
// The same for a path of the machine running the box (key scripts, options).
bool readRegularHostFile(const std::string& hostFile, std::string* data, size_t maxBytes, std::string* error);

// Replaces a receiver file atomically with data (see AtomicFile); false with *error when it cannot.
bool writeFileInRoot(const std::string& receiverPath, const std::string& data, std::string* error = nullptr);

// Writes data to a fresh temporary file beside a file of this machine and renames it into place.
bool writeFileAtomically(const std::string& hostFile, const std::string& data);

namespace detail {
// The receiver path with every symbolic link inside the root replaced by its
// target (the last part too when followLast), as "/a/b"; false (errno ELOOP) on a link loop.
bool resolveInRoot(const std::string& receiverPath, bool followLast, std::string* resolved);
// Tests only: resolve without openat2, as on kernels before 5.6.
void setResolveFallbackForced(bool forced);
} // namespace detail

} // namespace host
