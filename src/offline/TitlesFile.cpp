#include "offline/TitlesFile.h"
#include "broadcast/DemuxAccess.h"
#include "broadcast/TitleRecord.h"
#include "config/ConfigLine.h"
#include "frame/globals.h"
#include "host/platform/FileSystem.h"
#include "offline/LogFileSet.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

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

bool isNumber(const std::string& s, int base)
{
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        ++i;
    if (i == s.size())
        return false;
    return base == 16 ? std::isxdigit(static_cast<unsigned char>(s[i])) != 0
                      : (s[i] >= '0' && s[i] <= '9');
}

unsigned long hexValue(const std::string& s) { return std::strtoul(s.c_str(), nullptr, 16); }

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
    size_t colon = f[3].find(':');
    if (colon == std::string::npos || !isNumber(f[0], 16) || !isNumber(f[1], 10) || !isNumber(f[2], 10) ||
        !isNumber(f[6], 16))
        return false;
    out.id = static_cast<unsigned int>(hexValue(f[0]));
    out.channel = cfgline::parseNumber(f[1]);
    out.day = cfgline::parseNumber(f[2]);
    out.hour = cfgline::parseNumber(f[3].substr(0, colon));
    out.minute = cfgline::parseNumber(f[3].substr(colon + 1));
    out.title = f[4];
    out.duration = cfgline::parseNumber(f[5]);
    out.theme = static_cast<int>(hexValue(f[6]) & 0xFF);
    // Indices that would reach past the tables have no meaning: the line is skipped. A
    // theme slot without a record (255) is kept: the programme is listed without theme.
    return out.channel >= 0 && out.channel < kMaxChannels && out.day >= 0 && out.day <= 7;
}

TitlesFileReader::~TitlesFileReader()
{
    if (m_file)
        std::fclose(m_file);
}

bool TitlesFileReader::open(const std::string& dir)
{
    if (dir.empty())
        return false;
    m_file = std::fopen(host::hostPath(offlineFile(dir, kTitlesFile)).c_str(), "r");
    m_lines = 0;
    return m_file != nullptr;
}

bool TitlesFileReader::readLine(std::string& line)
{
    if (!cfgline::readWholeLine(m_file, line))
        return false;
    ++m_lines;
    return true;
}

bool TitlesFileReader::seek(int day, int hour)
{
    long offset = day >= 0 && day < 8 ? sizeposition[day] : 0;
    // The offset must start a line of that day; one saved with another file (or
    // none) would not, and the file is read from its start instead.
    struct stat st {};
    bool usable = offset > 0 && fstat(fileno(m_file), &st) == 0 && offset < st.st_size &&
                  std::fseek(m_file, offset - 1, SEEK_SET) == 0 && std::fgetc(m_file) == '\n';
    if (usable) {
        std::string first;
        usable = cfgline::readWholeLine(m_file, first) && parseTitleLine(first, m_pending) && m_pending.day == day;
    }
    std::fseek(m_file, usable ? offset : 0, SEEK_SET);

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
    unsigned char first[kTitleSection];
    unsigned char fallback[kTitleSection];
    int firstLen = -1, fallbackKey = -1;
    bool fallbackLate = false; // the fallback started after now
    const bool early = earlyMorningRule();
    for (long n = 0; n < kMaxSectionsPerPass; ++n) {
        len = readSection(fd);
        if (len <= 0)
            return false;
        int l = std::min(len, kTitleSection);
        if (firstLen < 0) {
            std::memcpy(first, buffer, l);
            firstLen = l;
        } else if (l == firstLen && std::memcmp(first, buffer, l) == 0) {
            break; // a whole pass without the exact start
        }
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
    if (fallbackKey < 0)
        return false;
    for (long n = 0; n < kMaxSectionsPerPass; ++n) {
        len = readSection(fd);
        if (len <= 0)
            return false;
        if (len == kTitleSection && std::memcmp(buffer, fallback, kTitleSection) == 0)
            return true;
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
    unsigned char marker[kTitleSection];
    const int markerLen = std::min(len, kTitleSection);
    std::memcpy(marker, buffer, markerLen);
    unsigned char firstRead[kTitleSection];
    int firstReadLen = -1;
    DayChangeCounter days;
    bool complete = false;
    const bool early = earlyMorningRule();
    TitleRecord r;
    for (long n = 0; n < kMaxSectionsPerPass; ++n) {
        if (buffer[3] != 0xFF && decodeTitleRecord(buffer, len, early, r)) {
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
        len = readSection(fd);
        if (len <= 0)
            break; // the stream stopped: the pass is not complete
        int l = std::min(len, kTitleSection);
        if (len <= kTitleSection && l == markerLen && std::memcmp(buffer, marker, l) == 0) {
            complete = true;
            break;
        }
        // The starting section gone from the carousel: the first one read coming round closes the pass.
        if (firstReadLen < 0) {
            std::memcpy(firstRead, buffer, l);
            firstReadLen = l;
        } else if (l == firstReadLen && std::memcmp(buffer, firstRead, l) == 0) {
            complete = true;
            break;
        }
    }
    closeSectionFilter(fd);
    if (!files.finish(out) || !complete)
        return -1;
    std::copy(positions, positions + 8, sizeposition);
    nb_titles = count;
    return 0;
}

} // namespace offline
