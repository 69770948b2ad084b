#pragma once
// The one place that programs the demultiplexer. Every reader follows the
// pattern: open, set filter, read sections into `buffer`, stop, close.

constexpr const char* kDemuxDevice = "/dev/dvb/card0/demux0";
constexpr unsigned short kPidChannelsThemesSummaries = 0xD3;
constexpr unsigned short kPidTitles = 0xD2;
constexpr unsigned short kTableTitlesSummaries = 0x90;
constexpr unsigned short kTableChannels = 0x91;
constexpr unsigned short kTableThemes = 0x92;
constexpr int kFilterTimeoutMs = 8000;

// Installs a section filter for the table id (low 8 bits) on the PID: 1 on success, 0 on failure.
int dvbSetFiltSect(int fd, unsigned short pid, unsigned short table_id);

// Opens the demux and sets the filter; -1 when either fails (the device is
// stopped and closed again when only the filter failed).
int openSectionFilter(unsigned short pid, unsigned short table_id);
// Reads one section into `buffer`; the byte count, or 0 / -1 as the device gives it.
int readSection(int fd);
// Stops the filter, then closes: the stop always comes first.
void closeSectionFilter(int fd);
