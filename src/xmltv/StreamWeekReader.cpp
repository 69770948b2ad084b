#include "xmltv/StreamWeekReader.h"
#include "xmltv/TableDecoder.h"

#include "ts/PacketReader.h"
#include "ts/SectionReassembler.h"

#include <sys/stat.h>
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

// One pass of a carousel: from the first section taken until it comes round again.
struct Pass {
    std::vector<uint8_t> marker;
    bool started = false;
    bool done = false;

    // True when the section is to be used; sets done when it closes the pass.
    bool take(const uint8_t* s, size_t size, size_t markerSize)
    {
        if (done)
            return false;
        if (!started) {
            marker.assign(s, s + markerSize);
            started = true;
            return true;
        }
        if (size >= markerSize && std::equal(marker.begin(), marker.end(), s))
            done = true;
        return !done;
    }
};

} // namespace

bool StreamWeekReader::read(const std::string& path, Week& week, std::string* error)
{
    ts::PacketReader reader(path);
    if (!reader.ok()) {
        *error = path + ": cannot open the file";
        return false;
    }
    struct stat st {};
    const double total = stat(path.c_str(), &st) == 0 && st.st_size > 0 ? double(st.st_size) : 0;

    bool haveChannels = false, haveThemes = false;
    Pass titles, summaries;
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
        if (++packets % 20000 == 0 && m_progress && total > 0)
            m_progress(std::min(1.0, double(packets) * double(reader.packetSize()) / total));
        if (haveChannels && haveThemes && titles.done && summaries.done && m_streamTime)
            break;
    }
    if (m_progress)
        m_progress(1.0);
    m_titlesComplete = titles.done;
    m_summariesComplete = summaries.done;

    if (packets == 0) {
        *error = path + ": not an MPEG transport stream (no 188-byte packets found)";
        return false;
    }
    if (!haveChannels || !haveThemes || !titles.started) {
        std::string missing;
        auto add = [&](bool have, const char* what) {
            if (!have)
                missing += std::string(missing.empty() ? "" : ", ") + what;
        };
        add(haveChannels, "the channel list (PID 0xD3, table 0x91)");
        add(haveThemes, "the theme list (PID 0xD3, table 0x92)");
        add(titles.started, "the title carousel (PID 0xD2, table 0x90)");
        *error = path + ": the stream lacks " + missing;
        return false;
    }
    return true;
}

} // namespace xmltv
