#pragma once
// Where orvalis-xmltv puts its document, written as the box writes its files: "-"
// is standard output; a regular file (or a new one) gets a temporary file created
// fresh beside it (exclusive create, no link followed, a name that cannot be guessed)
// that takes the old file's permissions and is renamed over it only once the whole
// document is written; a FIFO or character device is written in place; a symbolic
// link is followed, so it stays a link. Anything else (a folder) is refused.
#include <cstdio>
#include <string>

namespace xmltv {

class OutputTarget {
public:
    OutputTarget() = default;
    ~OutputTarget(); // an uncommitted temporary file is removed
    OutputTarget(const OutputTarget&) = delete;
    OutputTarget& operator=(const OutputTarget&) = delete;

    bool open(const std::string& path, std::string* error);
    std::FILE* stream() const { return m_file; }
    // Flushes, syncs and renames into place (files), or flushes (the others).
    bool commit(std::string* error);

private:
    bool fail(std::string* error, const std::string& why);

    std::string m_shown;  // the path as messages name it
    std::string m_target; // the file to replace, links resolved; empty when written in place
    std::string m_temp;
    std::FILE* m_file = nullptr;
    bool m_stdout = false;
};

} // namespace xmltv
