#include "offline/SummariesFile.h"
#include "broadcast/DemuxAccess.h"
#include "broadcast/SummarySection.h"
#include "broadcast/SummaryFiler.h"
#include "config/ConfigLine.h"
#include "frame/globals.h"
#include "host/platform/FileSystem.h"
#include "offline/LogFileSet.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace offline {
namespace {

constexpr int kEntryBytes = 7;
constexpr int kMarkerBytes = 11;
// A stream that never brings the starting section round again still ends.
constexpr long kMaxSectionsPerPass = 1000000;

unsigned int be32(const unsigned char* p)
{
    return (static_cast<unsigned>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

} // namespace

bool summaryLine(const unsigned char* section, int length, std::string& line)
{
    if (length <= kSummaryHeader)
        return false;
    int start = kSummaryHeader + kEntryBytes * section[10];
    if (start > length)
        return false;
    char id[16];
    std::snprintf(id, sizeof id, "%X<>", be32(section + 3));
    line = id;
    for (int i = start; i < length && section[i] != 0; ++i) {
        if (section[i] == '\n')
            continue;
        line += section[i] == '\r' ? '#' : static_cast<char>(section[i]);
    }
    line += '\n';
    return true;
}

bool parseSummaryLine(const std::string& line, unsigned int& id, std::string& text)
{
    size_t sep = line.find("<>");
    size_t lt = line.find('<');
    if (sep == std::string::npos || lt == 0 || !std::isxdigit(static_cast<unsigned char>(line[0])))
        return false;
    id = static_cast<unsigned int>(std::strtoul(line.substr(0, lt).c_str(), nullptr, 16));
    text = line.substr(sep + 2);
    std::replace(text.begin(), text.end(), '#', '\n');
    return true;
}

int logSummaries(LogFileSet& files)
{
    int fd = openSectionFilter(kPidChannelsThemesSummaries, kTableTitlesSummaries);
    if (fd < 0)
        return -1;
    // Seek the first summary section; the seek is one pass at most.
    unsigned char first[kMarkerBytes];
    bool haveFirst = false;
    int len = 0;
    for (long n = 0;; ++n) {
        len = readSection(fd);
        if (len <= kMarkerBytes || n > kMaxSectionsPerPass) {
            closeSectionFilter(fd);
            return -1;
        }
        if (isSummarySection(buffer, len))
            break;
        if (!haveFirst) {
            std::memcpy(first, buffer, kMarkerBytes);
            haveFirst = true;
        } else if (std::memcmp(first, buffer, kMarkerBytes) == 0) {
            closeSectionFilter(fd); // a whole pass without a summary
            return -1;
        }
    }
    unsigned char marker[kMarkerBytes];
    std::memcpy(marker, buffer, kMarkerBytes);

    FILE* out = files.create(kSummariesFile);
    if (!out) {
        closeSectionFilter(fd);
        return -1;
    }
    std::fprintf(out, "LogDate=%d\n", logDate);
    nb_summaries = 0;
    std::string line;
    bool complete = false;
    unsigned char firstRead[kMarkerBytes];
    bool haveFirstRead = false;
    for (long n = 0; n <= kMaxSectionsPerPass; ++n) {
        len = readSection(fd);
        if (len <= 0)
            break; // the stream stopped: the pass is not complete
        bool last = len >= kMarkerBytes && std::memcmp(buffer, marker, kMarkerBytes) == 0;
        // The starting section gone from the carousel: the first one read coming
        // round again closes the pass instead.
        if (!haveFirstRead && len >= kMarkerBytes) {
            std::memcpy(firstRead, buffer, kMarkerBytes);
            haveFirstRead = true;
        } else if (haveFirstRead && !last && len >= kMarkerBytes && std::memcmp(buffer, firstRead, kMarkerBytes) == 0) {
            complete = true;
            break;
        }
        buffer[len] = 0;
        if (summaryLine(buffer, len, line)) {
            std::fputs(line.c_str(), out);
            ++nb_summaries;
        }
        if (last) {
            complete = true;
            break;
        }
    }
    closeSectionFilter(fd);
    bool written = files.finish(out);
    return complete && written ? 0 : -1;
}

int fileSummaries(const std::string& dir, unsigned int id, std::string& result,
                  const std::function<void(int percent)>& progress)
{
    if (dir.empty())
        return -3;
    FILE* f = std::fopen(host::hostPath(offlineFile(dir, kSummariesFile)).c_str(), "r");
    if (!f)
        return -3;
    // Filed as from the air: every row of an id gets its text, and the reading ends
    // once every id of the list has been met.
    SummaryFiler filer(id);
    long lines = 0;
    std::string line, text;
    unsigned int lineId = 0;
    while (!filer.complete() && cfgline::readWholeLine(f, line)) {
        if (progress)
            progress(TotSu > 0 ? static_cast<int>(std::min<long>(100, lines * 100 / TotSu)) : 0);
        ++lines;
        if (parseSummaryLine(line, lineId, text))
            filer.file(lineId, eString(text));
    }
    std::fclose(f);
    result = filer.result();
    return 0;
}

} // namespace offline
