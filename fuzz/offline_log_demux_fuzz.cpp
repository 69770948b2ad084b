// The loggers' pass over fuzzed carousels through the virtual demux: whatever the
// repeats, the join point and the sections of other lengths in between, a logging
// pass that reports success has written every distinct record on air exactly once.
//
// Input: 4 bytes of settings (rotation of the summary and title carousels, which
// copies are sent), then sections as [length byte][body]. Each becomes a section of
// table 0x90; the first 46-byte ones are title records on PID 0xD2, all of them
// summary sections on PID 0xD3 (the 0xFF marker set on most). Every section is made
// distinct by its index; then a few are sent again at places the input chooses.
// Fewer copies than half the pass rule's shortest window: no run of copies can pass
// for the carousel coming round (a limit the rule states).
#include "OfflineFuzzRoot.h"
#include "broadcast/CarouselPass.h"
#include "broadcast/SummarySection.h"
#include "broadcast/TitleRecord.h"
#include "demux/Transponders.h"
#include "demux/VirtualDemuxFile.h"
#include "host/platform/DeviceRegistry.h"
#include "offline/GepFile.h"
#include "offline/LogFileSet.h"
#include "offline/SummariesFile.h"
#include "offline/TitlesFile.h"
#include "ts/Packetizer.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using Section = std::vector<uint8_t>;
constexpr size_t kSettings = 4;
constexpr size_t kMaxCopies = CarouselPass::kMinWindow / 2 - 1;

void check(bool ok)
{
    if (!ok)
        std::abort();
}

Section section(size_t total, const uint8_t*& p, const uint8_t* end)
{
    Section s(total, 0);
    s[0] = 0x90;
    s[1] = static_cast<uint8_t>(0x70 | ((total - 3) >> 8));
    s[2] = static_cast<uint8_t>(total - 3);
    for (size_t i = 3; i < total && p < end; ++i)
        s[i] = *p++;
    return s;
}

// Original sections in order, then up to kMaxCopies copies of them inserted, then rotated.
std::vector<Section> withCopies(std::vector<Section> originals, uint8_t choice, uint8_t rotation)
{
    std::vector<Section> out = originals;
    const size_t n = originals.size();
    for (size_t c = 0; c < kMaxCopies && c < n && (choice >> (c % 8)) & 1; ++c) {
        const size_t which = (c * 7 + choice) % n;
        const size_t where = (which + 1 + (c * 13 + choice) % n) % (out.size() + 1);
        out.insert(out.begin() + static_cast<long>(where), originals[which]);
    }
    std::rotate(out.begin(), out.begin() + static_cast<long>(rotation % out.size()), out.end());
    return out;
}

std::vector<std::string> fileLines(const char* name)
{
    offline::GepFile f;
    check(f.open(offlinePath, name));
    std::vector<std::string> lines;
    std::string line;
    while (f.readLine(line))
        lines.push_back(line);
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    offlinefuzz::setUpOnce();
    if (size < kSettings + 2)
        return 0;
    nsp_curr = "c00000"; // no early-morning rule: the days are the sections' own
    std::vector<Section> titles, summaries;
    const uint8_t* p = data + kSettings;
    const uint8_t* end = data + size;
    while (p < end && summaries.size() < 200) {
        const size_t len = *p++;
        const bool title = len % 4 == 0;
        Section s = section(title ? 46 : std::max<size_t>(len, 12), p, end);
        const uint32_t index = static_cast<uint32_t>(summaries.size());
        if (title) {
            s[3] = static_cast<uint8_t>(1 + s[3] % 4); // a channel, never 0xFF
            s[5] = static_cast<uint8_t>((s[5] & 0xE0) | (8 + s[5] % 20)); // hours 06..23
            s[38] = static_cast<uint8_t>(index >> 8); // the summary id makes each record distinct
            s[39] = static_cast<uint8_t>(index);
            titles.push_back(s);
        }
        Section u = s;
        u[3] = static_cast<uint8_t>(index >> 8);
        u[4] = static_cast<uint8_t>(index);
        if (u[2] & 3) {
            u[7] = u[8] = u[9] = 0xFF;
            u[10] %= 10;
        }
        summaries.push_back(u);
    }
    const auto onAirSummaries = withCopies(summaries, data[0], data[1]);
    const auto onAirTitles = titles.empty() ? titles : withCopies(titles, data[2], data[3]);

    std::vector<uint8_t> ts;
    ts::Packetizer summaryPid(0xD3);
    summaryPid.put(onAirSummaries, ts);
    if (!onAirTitles.empty()) {
        ts::Packetizer titlePid(0xD2);
        titlePid.put(onAirTitles, ts);
    }
    ts::appendNullPacket(ts);
    demux::Transponders tp;
    tp.add(ts.data(), ts.size());
    tp.tune(0);
    demux::installVirtualDemux(tp);

    // Summaries: every distinct section that makes a line is in the file once.
    std::set<std::string> expected;
    bool anySummary = false;
    std::string line;
    for (const auto& s : summaries) {
        anySummary = anySummary || isSummarySection(s.data(), static_cast<int>(s.size()));
        if (offline::summaryLine(s.data(), static_cast<int>(s.size()), line))
            expected.insert(line.substr(0, line.size() - 1));
    }
    {
        offline::LogFileSet files(offlinePath);
        const int r = offline::logSummaries(files);
        check(r == 0 || !anySummary);
        if (r == 0) {
            check(files.commit());
            auto lines = fileLines(offline::kSummariesFile);
            check(!lines.empty());
            std::multiset<std::string> got;
            for (size_t i = 1; i < lines.size(); ++i)
                got.insert(lines[i].substr(0, lines[i].size() - 1));
            check(got.size() == expected.size() && std::set<std::string>(got.begin(), got.end()) == expected);
            check(nb_summaries == static_cast<int>(expected.size()));
        }
    }

    // Titles, from the first record on air: every distinct record has its line once.
    if (!titles.empty()) {
        TitleRecord first;
        check(decodeTitleRecord(onAirTitles[0].data(), 46, false, first));
        currDay.tm_wday = first.day;
        currDay.tm_hour = first.hour;
        currDay.tm_min = 63; // every minute of that hour counts as started
        offline::LogFileSet files(offlinePath);
        check(offline::logTitles(files) == 0);
        check(files.commit());
        const auto lines = fileLines(offline::kTitlesFile);
        std::multiset<unsigned long> ids;
        for (size_t i = 1; i < lines.size(); ++i)
            ids.insert(std::strtoul(lines[i].c_str(), nullptr, 16));
        check(ids.size() == titles.size() && nb_titles == static_cast<int>(titles.size()));
        for (const auto& t : titles)
            check(ids.count(static_cast<unsigned long>(t[38]) << 24 | t[39] << 16 | t[40] << 8 | t[41]) == 1);
    }
    host::unregisterDevice("/dev/dvb/card0/demux0");
    return 0;
}
