#pragma once
// summaries.gep: "LogDate=%d", then one line per summary section: "%X<>%s", the
// summary id and the text with line feeds removed and carriage returns as "#".
#include <functional>
#include <string>

namespace offline {

class LogFileSet;

// The file line of a summary section of length bytes (text from 11 + 7n to the
// first NUL); false when the section is too short to hold its text.
bool summaryLine(const unsigned char* section, int length, std::string& line);
// Reads a line back: the id before the first '<', the text after the first "<>"
// (its final "\n" kept) with every "#" turned into a line break. False for lines
// without "<>" or an id, such as the LogDate line.
bool parseSummaryLine(const std::string& line, unsigned int& id, std::string& text);

// One pass of the summary carousel into summaries.gep of the run; sets
// nb_summaries. 0, or -1 on failure.
int logSummaries(LogFileSet& files);

// Files the summaries of summaries.gep in the bufferdatas rows that carry their
// ids, as the reader from the air does; result gets the text of id. progress hears
// the percentage as lines go by. 0, or -3 when the file cannot be opened.
int fileSummaries(const std::string& dir, unsigned int id, std::string& result,
                  const std::function<void(int percent)>& progress = {});

} // namespace offline
