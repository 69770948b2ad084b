#pragma once
// A file replaced as a whole. The text goes to a temporary file created fresh
// beside the target (exclusive create, never through an existing name) and is
// renamed over the target by commit(); until then, and after any failure, the
// target stays as it was. The target keeps its permissions; a read-only target,
// or one that is not a regular file (folder, FIFO, device), is refused.
#include <cstdio>
#include <string>

namespace host {

class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile(); // an uncommitted temporary file is removed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // A receiver path, resolved inside the box's root; a symbolic link is
    // followed (inside the root), so the link itself survives.
    bool openInRoot(const std::string& receiverPath, std::string* error);
    // A path of the machine running the box; a symbolic link there is refused.
    bool openHostFile(const std::string& hostFile, std::string* error);

    FILE* stream() const { return m_file; }
    // Flushes, syncs and renames into place.
    bool commit(std::string* error);
    void discard();

private:
    bool openIn(int dirFd, const std::string& name, std::string* error);

    int m_dir = -1;
    std::string m_name;  // target, relative to m_dir
    std::string m_temp;  // temporary file, relative to m_dir
    std::string m_shown; // the target as messages name it
    FILE* m_file = nullptr;
};

} // namespace host
