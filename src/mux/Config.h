#pragma once
// What the sample broadcast generator makes: the defaults give a week of a busy
// EPG transponder; the switches produce the malformed or unusual cases tests need.
#include <cstdint>
#include <ctime>
#include <string>

namespace mux {

enum class HourCodes {
    Normal, // hours 0-5 as 0-5, 6-11 as h+2, 12-23 as h+4
    Mixed,  // also 6-7 as 6-7 and 12-13 as h+2, so every code range appears
};

struct Config {
    uint64_t seed = 1;
    // Local midnight of the first broadcast day; 0 means today.
    time_t startDay = 0;
    // Local hour of the first broadcast day that the stream's clock (TDT/TOT) starts at.
    int clockHour = 6;

    int channelCount = 40;
    bool emptyChannelTable = false;
    bool emptyThemeTable = false;
    int channelExtraBytes = 0; // 0..21 stray bytes after the last channel record
    int themeExtraBytes = 0;   // 0..14 stray bytes after the last theme record
    bool tooManyThemes = false;    // 20 themes: the last four do not fit the 16 start bytes
    bool tooManySubThemes = false; // one theme with 18 sub-themes
    int badChannelTitles = 0;      // titles whose channel byte is 0xFF
    int sharedSummaryPercent = 12; // reruns that reuse an earlier programme's summary id
    int missingSummaryPercent = 2; // summary ids with no summary section on air
    int repeatedSummaryPercent = 0; // summaries sent a second time, half a pass later
    int days = 7; // broadcast days in the title carousel; an eighth repeats the first weekday
    HourCodes hourCodes = HourCodes::Normal;
    bool sundayAsSeven = false; // weekday field 7 instead of 0 for Sunday
    bool junkSections = false;  // sections of other lengths mixed into both carousels
    bool withEpg = true;        // false: no PIDs 0xD2/0xD3 at all

    uint16_t onid = 0x013E;
    uint16_t tsid = 0x0BB9;
    uint16_t networkId = 0x013E;
    uint16_t epgServiceId = 0x1F40;
    std::string epgServiceName = "Orvalis EPG";
    std::string providerName = "Orvalis Sat";
    int orbitalPosition = 130; // tenths of a degree
    bool west = false;

    // Bit rates in bit/s; the carousels get fixed shares, nulls fill the rest.
    int muxRate = 5000000;
    int titleRate = 600000;
    int summaryRate = 3000000;
    // Passes of the carousel with the longer pass; the other makes as many whole passes
    // as fit at its rate, and the stream ends where both end one.
    int passes = 2;
};

// Local midnight of today.
time_t today();
// Parses YYYY-MM-DD into local midnight; nullopt-like 0 on a malformed date.
time_t parseDay(const std::string& text);

} // namespace mux
