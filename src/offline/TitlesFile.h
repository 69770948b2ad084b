#pragma once
// titles.gep: "LogDate=%d", then one line per programme in carousel order:
//   "%X<>%d<>%d<>%02d:%02d<>%s<>%d<>%02X"
//   summary id, channel index, day (0-6, 7 beyond the week), hour:minute, title,
//   duration in minutes, theme slot. sizeposition[d] is where day d's lines begin.
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
// Reads one line (its "\n" removed first). False for a line that does not parse or
// whose channel index, day or theme slot lies outside the tables.
bool parseTitleLine(const std::string& line, TitleLine& out);

// One pass of the title carousel into titles.gep of the run; sets sizeposition
// and nb_titles, and moves currDay back a day before 06:00. 0, or -1 on failure.
int logTitles(LogFileSet& files);

// Reads titles.gep from the line at which a day begins.
class TitlesFileReader {
public:
    ~TitlesFileReader();
    // False when the file cannot be opened.
    bool open(const std::string& dir);
    // Goes to entry day of sizeposition (the file's start when that offset is not
    // the start of a line of this file), then to the first line of that day from
    // that hour on, which next() gives first. False when the file ended first.
    bool seek(int day, int hour);
    // The next line that parses; false at the end of the file.
    bool next(TitleLine& out);
    // Lines read so far, the seek's included, as a percentage of TotTi (0..100).
    int percent() const;

private:
    bool readLine(std::string& line);
    FILE* m_file = nullptr;
    long m_lines = 0;
    TitleLine m_pending;
    bool m_hasPending = false;
};

} // namespace offline
