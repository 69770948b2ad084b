#pragma once
// titles.gep: "LogDate=%d", then one line per programme in carousel order:
//   "%X<>%d<>%d<>%02d:%02d<>%s<>%d<>%02X"
//   summary id, channel index, day (0-6, 7 beyond the week), hour:minute, title,
//   duration in minutes, theme slot. sizeposition[d] is where day d's lines begin.
#include "offline/GepFile.h"

#include <cstdio>
#include <functional>
#include <string>

namespace offline {

class LogFileSet;

struct TitleLine {
    unsigned int id = 0;
    int channel = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    std::string title;
    int duration = 0;
    int theme = 0;
};

void writeTitleLine(FILE* out, const TitleLine& t);
// Reads one line (its "\n" removed first) by the file's grammar; false only for a
// line without its seven fields. Figures are bounded: a channel index outside the
// table reads as -1 or 300 (no channel), a day outside 0..7 as the overflow day 7.
bool parseTitleLine(const std::string& line, TitleLine& out);

// One pass of the title carousel into titles.gep of the run; sets sizeposition
// and nb_titles, and moves currDay back a day before 06:00. 0, or -1 on failure.
int logTitles(LogFileSet& files);

// Reads titles.gep from the line at which a day begins.
class TitlesFileReader {
public:
    // False when the file cannot be opened.
    bool open(const std::string& dir);
    // Goes to entry day of sizeposition (the file's start when that offset is not
    // where the lines of that day begin in this file), then to the first line of that day from
    // that hour on, which next() gives first. False when the file ended first.
    bool seek(int day, int hour);
    // The next line that parses; false at the end of the file.
    bool next(TitleLine& out);
    // Lines read so far, the seek's included, as a percentage of TotTi (0..100).
    int percent() const;

private:
    bool readLine(std::string& line);
    // True when the day's lines begin at offset: a line of that day starts there and the one before is of another day.
    bool dayStartsAt(long long offset, int day);
    GepFile m_file;
    long m_lines = 0;
    TitleLine m_pending;
    bool m_hasPending = false;
};

} // namespace offline
