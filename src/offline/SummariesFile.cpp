#include "offline/SummariesFile.h"
#include "broadcast/CarouselPass.h"
#include "broadcast/DemuxAccess.h"
#include "broadcast/SummarySection.h"
#include "broadcast/SummaryFiler.h"
#include "frame/globals.h"
#include "offline/GepFile.h"
#include "offline/LogFileSet.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace offline {
namespace {

constexpr int kEntryBytes = 7;
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
    // Whatever stands before the first '<' is the id as strtoul reads it: blanks
    // before it are skipped, and text that is no number reads as 0.
    size_t sep = line.find("<>");
    if (sep == std::string::npos)
        return false;
    id = static_cast<unsigned int>(std::strtoul(line.substr(0, line.find('<')).c_str(), nullptr, 16));
    text = line.substr(sep + 2);
    std::replace(text.begin(), text.end(), '#', '\n');
    return true;
}

int logSummaries(LogFileSet& files)
{
    int fd = openSectionFilter(kPidChannelsThemesSummaries, kTableTitlesSummaries);
    if (fd < 0)
        return -1;
    // Seek the first summary section; the seek is one pass at most. Sections of
    // other tables or lengths on the way are passed over.
    CarouselPass seek;
    int len = 0;
    for (;;) {
        len = readSection(fd);
        if (len <= 0 || seek.sections() > kMaxSectionsPerPass) {
            closeSectionFilter(fd);
            return -1;
        }
        if (isSummarySection(buffer, len))
            break;
        seek.add(buffer, len);
        if (seek.complete()) {
            closeSectionFilter(fd); // a whole pass without a summary
            return -1;
        }
    }
    const std::vector<unsigned char> start(buffer, buffer + len);

    FILE* out = files.create(kSummariesFile);
    if (!out) {
        closeSectionFilter(fd);
        return -1;
    }
    std::fprintf(out, "LogDate=%d\n", logDate);
    int count = 0;
    std::string line;
    // Every distinct section of the pass is written once, whatever the repeats;
    // the starting one last, once the carousel has come round.
    CarouselPass pass;
    pass.add(start.data(), len);
    while (!pass.complete() && pass.sections() <= kMaxSectionsPerPass) {
        len = readSection(fd);
        if (len <= 0)
            break; // the stream stopped: the pass is not complete
        if (pass.add(buffer, len) && summaryLine(buffer, len, line)) {
            std::fputs(line.c_str(), out);
            ++count;
        }
    }
    closeSectionFilter(fd);
    const bool complete = pass.complete();
    if (complete && summaryLine(start.data(), static_cast<int>(start.size()), line)) {
        std::fputs(line.c_str(), out);
        ++count;
    }
    if (!files.finish(out) || !complete)
        return -1;
    nb_summaries = count;
    return 0;
}

int fileSummaries(const std::string& dir, unsigned int id, std::string& result,
                  const std::function<void(int percent)>& progress)
{
    GepFile file;
    if (!file.open(dir, kSummariesFile))
        return -3;
    // Filed as from the air: every row of an id gets its text, and the reading ends
    // once every id of the list has been met.
    SummaryFiler filer(id);
    long lines = 0;
    std::string line, text;
    unsigned int lineId = 0;
    while (!filer.complete() && file.readLine(line)) {
        if (progress)
            progress(TotSu > 0 ? static_cast<int>(std::min<long>(100, lines * 100 / TotSu)) : 0);
        ++lines;
        if (parseSummaryLine(line, lineId, text))
            filer.file(lineId, eString(text));
    }
    result = filer.result();
    return 0;
}

} // namespace offline
