#pragma once
// Reads the week from a transport stream file: the channel and theme lists (PID
// 0xD3, tables 0x91 and 0x92, the first of each), one pass of the title carousel
// (PID 0xD2, table 0x90) and of the summary carousel (PID 0xD3, table 0x90), and
// the stream's clock from its first TDT or TOT (PID 0x14).
#include "xmltv/Week.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace xmltv {

class StreamWeekReader {
public:
    // Called now and then with the share of the file read so far (0..1).
    using Progress = std::function<void(double)>;

    explicit StreamWeekReader(Progress progress = {}) : m_progress(std::move(progress)) {}

    // False with *error when the file cannot be read, is no transport stream, or
    // lacks the channel list, the theme list or the titles.
    bool read(const std::string& path, Week& week, std::string* error);

    // UTC seconds of the first TDT/TOT, when the stream has one.
    std::optional<int64_t> streamTime() const { return m_streamTime; }
    // False when the file ended before a carousel came round to its first section.
    bool titlesComplete() const { return m_titlesComplete; }
    bool summariesComplete() const { return m_summariesComplete; }
    // True when read() failed only because the stream carries no private tables (it is
    // a readable transport stream).
    bool lacksTables() const { return m_lacksTables; }

private:
    Progress m_progress;
    std::optional<int64_t> m_streamTime;
    bool m_titlesComplete = false;
    bool m_summariesComplete = false;
    bool m_lacksTables = false;
};

} // namespace xmltv
