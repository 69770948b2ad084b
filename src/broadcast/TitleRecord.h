#pragma once
// One programme of the title carousel (PID 0xD2, table 0x90): a 46-byte section.
// The live reader, the titles logger and the search decode records only here.
#include <cstdint>

constexpr int kTitleSectionLength = 46;
constexpr int kTitleTextLength = 23;

struct TitleRecord {
    int channel = 0;    // channel number as sent, counted from 1 (index = channel - 1)
    int themeSlot = 0;  // record of temalist (group * 16 + slot), 0..255 as sent
    int day = 0;        // weekday 0 = Sunday .. 6, after "7 reads as 0" and the early-morning rule
    int hour = 0;       // 0..27 (codes 16..31 reach past midnight)
    int minute = 0;     // 0..63 as sent
    int duration = 0;   // minutes
    uint32_t summaryId = 0;
    char title[kTitleTextLength + 1] = {}; // the raw bytes up to the first NUL, lower-cased by tolower

    int channelIndex() const { return channel - 1; }
    // The channel number names an entry of the channel table (1..nb_channels).
    bool channelValid() const;
    // The theme slot names a record of temalist (0..254).
    bool themeValid() const;
};

// Hour code of byte 5 to an hour: 0-7 as is, 8-15 minus 2, 16-31 minus 4.
int decodeTitleHour(int code);
// Weekday and hour of byte 5, with 7 read as 0 and, when earlyMorning is set, hours 0..5
// filed under the previous day. The seek for the start uses this alone.
void decodeTitleDayHour(uint8_t byte5, bool earlyMorning, int& day, int& hour);
// True when the EPG service's namespace (nsp_curr) switches the early-morning rule on.
bool earlyMorningRule();
// Decodes a title section; false (out untouched) when it is not exactly 46 bytes long.
bool decodeTitleRecord(const uint8_t* section, int length, bool earlyMorning, TitleRecord& out);

// Counts day changes along a carousel pass: after the seventh change every record is
// filed under day 7, the overflow day. Both the live reader and the logger use it.
class DayChangeCounter {
public:
    // The day to file the record under; counts a change when day differs from the last one.
    int file(int day);
    int changes() const { return m_changes; }
    // True once more than seven changes were seen (the reader's stop condition).
    bool beyondWeek() const { return m_changes > 7; }

private:
    int m_previous = 99;
    int m_changes = 0;
};
