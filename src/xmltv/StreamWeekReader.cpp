#include "xmltv/StreamWeekReader.h"
#include "xmltv/TableDecoder.h"

#include "scan/EitGuide.h"
#include "ts/PacketReader.h"
#include "ts/SectionReassembler.h"

#include <sys/stat.h>
#include <algorithm>
#include <cstring>
#include <vector>

namespace xmltv {
namespace {

constexpr uint16_t kTitlePid = 0xD2;
constexpr uint16_t kTablePid = 0xD3;
constexpr uint16_t kTimePid = 0x14;
constexpr uint8_t kCarouselTable = 0x90;
constexpr uint8_t kChannelTable = 0x91;
constexpr uint8_t kThemeTable = 0x92;
constexpr size_t kSummaryMarker = 11;

// One pass of a carousel: from the first sections taken until they come round again.
// The pass ends when the first `length` sections recur in their order, so a section
// the broadcaster repeats within the pass (summaries may be sent twice) cannot end it
// early. Sections seen again while a recurrence is being checked are decoded again;
// the callers keep the first copy.
struct Pass {
    explicit Pass(size_t length) : m_length(length) {}

    bool started() const { return !m_marks.empty(); }
    bool done() const { return m_done; }

    // True when the section is to be used; sets done when it closes the pass.
    bool take(const uint8_t* s, size_t size, size_t markerSize)
    {
        if (m_done)
            return false;
        std::vector<uint8_t> head(s, s + std::min(size, markerSize));
        if (m_marks.size() < m_length) {
            m_marks.push_back(std::move(head));
            return true;
        }
        m_matched = head == m_marks[m_matched] ? m_matched + 1 : head == m_marks[0] ? 1 : 0;
        if (m_matched == m_length)
            m_done = true;
        return !m_done;
    }

private:
    size_t m_length;
    std::vector<std::vector<uint8_t>> m_marks;
    size_t m_matched = 0;
    bool m_done = false;
};

// Title records are never sent twice in a pass; summaries may be.
constexpr size_t kTitleMarks = 1;
constexpr size_t kSummaryMarks = 4;

} // namespace

bool StreamWeekReader::read(const std::string& path, Week& week, std::string* error)
{
    ts::PacketReader reader(path);
    if (!reader.ok()) {
        *error = path + ": cannot open the file";
        return false;
    }
    // Zeros or noise, even endless (a device), are given up on as the box does.
    reader.setSyncSearchLimit(scan::kGuideSyncSearchLimit);
    struct stat st {};
    if (fstat(reader.fd(), &st) == 0 && S_ISDIR(st.st_mode)) {
        *error = path + ": is a directory, not a transport stream";
        return false;
    }
    const double total = S_ISREG(st.st_mode) && st.st_size > 0 ? double(st.st_size) : 0;

    bool haveChannels = false, haveThemes = false;
    Pass titles(kTitleMarks), summaries(kSummaryMarks);
    ts::SectionReassembler demux([&](uint16_t pid, const uint8_t* s, size_t size) {
        if (pid == kTimePid) {
            if (!m_streamTime)
                m_streamTime = decodeStreamTime(s, size);
        } else if (pid == kTitlePid && s[0] == kCarouselTable) {
            // Only title records count towards the pass; other sections are passed over.
            auto t = decodeTitle(s, size);
            if (size == kTitleSectionSize && titles.take(s, size, kTitleSectionSize) && t)
                week.titles.push_back(*t);
        } else if (pid == kTablePid && s[0] == kChannelTable && !haveChannels) {
            week.channels = decodeChannels(s, size);
            haveChannels = true;
        } else if (pid == kTablePid && s[0] == kThemeTable && !haveThemes) {
            week.themes = decodeThemes(s, size);
            haveThemes = true;
        } else if (pid == kTablePid && s[0] == kCarouselTable && isSummary(s, size)) {
            if (summaries.take(s, size, kSummaryMarker)) {
                auto [id, text] = decodeSummary(s, size);
                week.summaries.emplace(id, std::move(text)); // a repeat in the same pass keeps the first
            }
        }
    });
    demux.watch(kTitlePid);
    demux.watch(kTablePid);
    demux.watch(kTimePid);

    uint64_t packets = 0;
    while (const uint8_t* p = reader.next()) {
        demux.put(p);
        // Noise that happened to look like packets for a moment is still noise.
        if (reader.stats().bytesSkipped > scan::kGuideSyncSearchLimit &&
            reader.stats().bytesSkipped > packets * reader.packetSize())
            break;
        if (++packets % 4000 == 0 && m_progress && total > 0)
            m_progress(std::min(1.0, double(packets) * double(reader.packetSize()) / total));
        if (haveChannels && haveThemes && titles.done() && summaries.done() && m_streamTime)
            break;
    }
    if (m_progress)
        m_progress(1.0);
    m_titlesComplete = titles.done();
    m_summariesComplete = summaries.done();

    if (reader.noSync()) {
        *error = path + ": not an MPEG transport stream (no sync byte pattern in its first " +
                 std::to_string(scan::kGuideSyncSearchLimit >> 20) + " MB)";
        return false;
    }
    if (reader.readError()) {
        *error = path + ": cannot read the file (" + std::strerror(reader.readError()) + ")";
        return false;
    }
    // Noise holds a sync byte at a packet's distance now and then; a stream is mostly packets.
    if (packets == 0 || reader.stats().bytesSkipped > packets * reader.packetSize()) {
        *error = path + ": not an MPEG transport stream (no run of 188-byte packets found)";
        return false;
    }
    if (!haveChannels || !haveThemes || !titles.started()) {
        std::string missing;
        auto add = [&](bool have, const char* what) {
            if (!have)
                missing += std::string(missing.empty() ? "" : ", ") + what;
        };
        add(haveChannels, "the channel list (PID 0xD3, table 0x91)");
        add(haveThemes, "the theme list (PID 0xD3, table 0x92)");
        add(titles.started(), "the title carousel (PID 0xD2, table 0x90)");
        *error = path + ": the stream lacks " + missing;
        m_lacksTables = true;
        return false;
    }
    return true;
}

} // namespace xmltv
