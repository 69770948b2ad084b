#include "offline/TitlesFile.h"
#include "broadcast/CarouselPass.h"
#include "broadcast/DemuxAccess.h"
#include "broadcast/TitleRecord.h"
#include "config/ConfigLine.h"
#include "frame/globals.h"
#include "offline/LogFileSet.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace offline {
namespace {

constexpr int kTitleFields = 7;

// Field rule of the file: a field is the text up to the next '<'; the next one
// starts after the following "<>". So a title ends at its first '<'.
int splitFields(const std::string& line, std::string* fields)
{
    size_t pos = 0;
    int n = 0;
    while (n < kTitleFields) {
        size_t lt = line.find('<', pos);
        fields[n++] = line.substr(pos, lt == std::string::npos ? std::string::npos : lt - pos);
        if (lt == std::string::npos)
            break;
        size_t sep = line.find("<>", lt);
        if (sep == std::string::npos)
            break;
        pos = sep + 2;
    }
    return n;
}

unsigned long hexValue(const std::string& s) { return std::strtoul(s.c_str(), nullptr, 16); }

// A figure as atoi reads it, bounded so that nothing computed from it overflows.
int figure(const std::string& s, int low, int high) { return cfgline::parseBoundedNumber(s, low, high); }

} // namespace

void writeTitleLine(FILE* out, const TitleLine& t)
{
    std::fprintf(out, "%X<>%d<>%d<>%02d:%02d<>%s<>%d<>%02X\n", t.id, t.channel, t.day, t.hour, t.minute,
                 t.title.c_str(), t.duration, static_cast<unsigned>(t.theme));
}

bool parseTitleLine(const std::string& raw, TitleLine& out)
{
    std::string line = raw;
    line.erase(std::remove(line.begin(), line.end(), '\n'), line.end());
    std::string f[kTitleFields];
    if (splitFields(line, f) < kTitleFields)
        return false;
    // Every line with its seven fields counts, whatever the fields hold: a field
    // that is no number reads as 0, as atoi and strtoul read it.
    const size_t colon = f[3].find(':');
    out.id = static_cast<unsigned int>(hexValue(f[0]));
    out.channel = figure(f[1], -1, kMaxChannels); // -1 and 300 name no channel
    // A day beyond the week is the overflow day: it ends a day's list all the same.
    const int day = figure(f[2], -1, 8);
    out.day = day >= 0 && day <= 7 ? day : 7;
    out.hour = figure(f[3].substr(0, colon), 0, 99);
    out.minute = colon == std::string::npos ? 0 : figure(f[3].substr(colon + 1), 0, 99);
    out.title = f[4];
    out.duration = figure(f[5], 0, 99999);
    out.theme = static_cast<int>(hexValue(f[6]) & 0xFF);
    return true;
}

bool TitlesFileReader::open(const std::string& dir)
{
    m_lines = 0;
    return m_file.open(dir, kTitlesFile);
}

bool TitlesFileReader::readLine(std::string& line)
{
    if (!m_file.readLine(line))
        return false;
    ++m_lines;
    return true;
}

bool TitlesFileReader::dayStartsAt(long long offset, int day)
{
    FILE* f = m_file.stream();
    // A line of that day must start there...
    if (offset <= 0 || offset >= m_file.size() || fseeko(f, offset - 1, SEEK_SET) != 0 || std::fgetc(f) != '\n')
        return false;
    std::string line;
    TitleLine t;
    if (!m_file.readLine(line) || !parseTitleLine(line, t) || t.day != day)
        return false;
    // ...and the line before it must not be one: an offset into the middle of the
    // day would hide the day's earlier programmes.
    const long long from = std::max(0LL, offset - 1 - static_cast<long long>(GepFile::kMaxLine) - 1);
    std::string before(static_cast<size_t>(offset - 1 - from), '\0');
    if (fseeko(f, from, SEEK_SET) != 0 || std::fread(&before[0], 1, before.size(), f) != before.size())
        return false;
    const size_t nl = before.rfind('\n');
    if (nl == std::string::npos && from > 0)
        return false; // a line longer than any line the file can hold
    const std::string previous = nl == std::string::npos ? before : before.substr(nl + 1);
    return !parseTitleLine(previous, t) || t.day != day;
}

bool TitlesFileReader::seek(int day, int hour)
{
    if (!m_file.stream())
        return false;
    const long long offset = day >= 0 && day < 8 ? sizeposition[day] : 0;
    // The offset must start the day's lines in this file; one saved with another
    // file (or none) would not, and the file is read from its start instead.
    const bool usable = dayStartsAt(offset, day);
    fseeko(m_file.stream(), usable ? offset : 0, SEEK_SET);

    // The first line of the day from the start hour on; an hour without programmes
    // starts the listing at the next one, as on the air. That line is listed too.
    const bool early = earlyMorningRule();
    auto order = [early](int h) { return early && h <= 5 ? h + 24 : h; };
    std::string line;
    while (readLine(line)) {
        if (parseTitleLine(line, m_pending) && m_pending.day == day && order(m_pending.hour) >= order(hour)) {
            m_hasPending = true;
            return true;
        }
    }
    return false;
}

bool TitlesFileReader::next(TitleLine& out)
{
    if (m_hasPending) {
        out = m_pending;
        m_hasPending = false;
        return true;
    }
    std::string line;
    while (readLine(line))
        if (parseTitleLine(line, out))
            return true;
    return false;
}

int TitlesFileReader::percent() const
{
    if (TotTi <= 0)
        return 0;
    long p = (m_lines > 0 ? m_lines - 1 : 0) * 100 / TotTi;
    return p > 100 ? 100 : static_cast<int>(p);
}

} // namespace offline

namespace offline {
namespace {

constexpr int kTitleSection = kTitleSectionLength;
constexpr long kMaxSectionsPerPass = 1000000;

// Minutes into the broadcast day (06:00 to 05:59), so that times order as the carousel sends them.
int broadcastMinute(int hour, int minute) { return (hour < 6 ? hour + 24 : hour) * 60 + minute; }

// Reads until a title section that starts the file. The first choice is the one
// of the current weekday and hour that started no later than now; when a whole
// pass has none, the pass's latest section of the weekday that started no later
// than now (or its earliest), found again in a second pass. False when none.
bool seekStartSection(int fd, int& len)
{
    const int wday = currDay.tm_wday;
    const int now = broadcastMinute(currDay.tm_hour, currDay.tm_min);
    unsigned char fallback[kTitleSection];
    int fallbackKey = -1;
    bool fallbackLate = false; // the fallback started after now
    const bool early = earlyMorningRule();
    CarouselPass seek;
    while (!seek.complete() && seek.sections() < kMaxSectionsPerPass) {
        len = readSection(fd);
        if (len <= 0)
            return false;
        seek.add(buffer, len);
        if (len < 7)
            continue;
        int day, hour, minute = buffer[6] >> 2;
        decodeTitleDayHour(buffer[5], early, day, hour);
        if (day == wday && hour == currDay.tm_hour && minute <= currDay.tm_min)
            return true;
        if (len != kTitleSection || day != wday || buffer[3] == 0xFF)
            continue;
        int key = broadcastMinute(hour, minute);
        bool late = key > now;
        bool better = fallbackKey < 0 || (fallbackLate && !late) || (!late && key > fallbackKey) ||
                      (late && fallbackLate && key < fallbackKey);
        if (better) {
            std::memcpy(fallback, buffer, kTitleSection);
            fallbackKey = key;
            fallbackLate = late;
        }
    }
    // A whole pass without the exact start: the fallback, found again in the next pass.
    if (fallbackKey < 0)
        return false;
    CarouselPass again;
    while (!again.complete() && again.sections() < kMaxSectionsPerPass) {
        len = readSection(fd);
        if (len <= 0)
            return false;
        if (len == kTitleSection && std::memcmp(buffer, fallback, kTitleSection) == 0)
            return true;
        again.add(buffer, len);
    }
    return false;
}

} // namespace

int logTitles(LogFileSet& files)
{
    if (currDay.tm_hour <= 5) {
        currDay.tm_mday -= 1;
        currDay.tm_isdst = -1;
        mktime(&currDay);
    }
    int fd = openSectionFilter(kPidTitles, kTableTitlesSummaries);
    if (fd < 0)
        return -1;
    int len = 0;
    if (!seekStartSection(fd, len)) {
        closeSectionFilter(fd);
        return -1;
    }
    FILE* out = files.create(kTitlesFile);
    if (!out) {
        closeSectionFilter(fd);
        return -1;
    }
    std::fprintf(out, "LogDate=%d\n", logDate);
    // Days the pass does not hold read the file from its start.
    int positions[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    int count = 0;
    DayChangeCounter days;
    const bool early = earlyMorningRule();
    TitleRecord r;
    // Every distinct section of the pass is written once, from the starting one on,
    // until the carousel has come round: a repeated section adds no line and no day change.
    CarouselPass pass;
    while (pass.sections() < kMaxSectionsPerPass) {
        if (pass.add(buffer, len) && decodeTitleRecord(buffer, len, early, r) && buffer[3] != 0xFF) {
            const int changes = days.changes();
            TitleLine t;
            t.day = days.file(r.day);
            if (days.changes() != changes)
                positions[t.day] = static_cast<int>(std::ftell(out));
            t.id = r.summaryId;
            t.channel = r.channelIndex();
            t.hour = r.hour;
            t.minute = r.minute;
            t.title = r.title;
            // A line break sent in a title would split its line in two.
            std::replace(t.title.begin(), t.title.end(), '\n', ' ');
            t.duration = r.duration;
            t.theme = r.themeSlot;
            writeTitleLine(out, t);
            ++count;
        }
        if (pass.complete())
            break;
        len = readSection(fd);
        if (len <= 0)
            break; // the stream stopped: the pass is not complete
    }
    const bool complete = pass.complete();
    closeSectionFilter(fd);
    if (!files.finish(out) || !complete)
        return -1;
    std::copy(positions, positions + 8, sizeposition);
    nb_titles = count;
    return 0;
}

} // namespace offline
