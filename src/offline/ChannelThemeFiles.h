#pragma once
// channels.gep and themes.gep: the channel and theme tables as text.
//   channels.gep: "LogDate=%d", then "name<>sid:tsid:onid" (lower-case hex, two digits at least)
//   themes.gep:   "LogDate=%d", then "THM<>slot<>name" / "SUB<>slot<>name" (slot in lower-case hex)
#include <cstdio>

namespace offline {

class LogFileSet;

// Reads the channel and theme sections from the demux and writes both files of
// the run; fills nb_channels, channel_ids, temalist and nb_themes (names as sent).
// 0 when both files were written, -1 on any failure.
int logChannelsThemes(LogFileSet& files);

// The file texts of a decoded channel section and of a theme section (tests and fuzzing use them).
void writeChannelLines(FILE* out, const unsigned char* section, int length);
void writeThemeLines(FILE* out, const unsigned char* section, int length);

} // namespace offline

// Fills nb_channels, channel_ids, channel_paths, temalist and nb_themes from the
// two files in offlinePath and sets readThCh. 0, or -3 when a file cannot be opened.
int getCanaliTemiOff();
