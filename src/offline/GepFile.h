#pragma once
// An offline file opened for reading. Only a regular file of bounded size is
// read (a FIFO would hang the box, a device would be an endless line), and a
// line is held to kMaxLine bytes: the rest of a longer line is passed over.
#include <cstdio>
#include <string>

namespace offline {

class GepFile {
public:
    static constexpr size_t kMaxLine = 64 * 1024;
    static constexpr long long kMaxBytes = 64LL * 1024 * 1024;

    GepFile() = default;
    ~GepFile();
    GepFile(const GepFile&) = delete;
    GepFile& operator=(const GepFile&) = delete;

    // Opens name in the offline directory dir (a receiver path). False when it
    // cannot be read; *error then says why, and anything but a missing file is logged.
    bool open(const std::string& dir, const char* name, std::string* error = nullptr);
    // The next line: its text up to the first NUL byte, its "\n" kept when it has
    // one, a "\r" before the line end dropped. False at the end of the file.
    bool readLine(std::string& line);

    FILE* stream() const { return m_file; }
    long long size() const { return m_size; }

private:
    FILE* m_file = nullptr;
    long long m_size = 0;
};

} // namespace offline
