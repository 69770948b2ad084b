#pragma once
// The broadcaster's week as the private EPG tables carry it, before any dating:
// what both inputs of orvalis-xmltv (a transport stream, an offline directory) yield.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace xmltv {

struct Channel {
    uint16_t onid = 0;
    uint16_t tsid = 0;
    uint16_t sid = 0;
    std::string name; // bytes as sent, padding removed
};

// One programme. The day is the broadcast day (06:00 to 05:59 of the next calendar
// day): weekday 0 = Sunday .. 6, or 7 for a day after the seventh day change whose
// weekday is no longer known. minuteOfDay counts from 00:00 of the broadcast day's
// calendar date, so 01:30 of the night after it is 25 * 60 + 30.
struct Title {
    int channelIndex = 0; // channel number - 1
    int themeSlot = 0;    // group * 16 + position
    int day = 0;
    int minuteOfDay = 0;
    int duration = 0; // minutes
    std::string title;
    uint32_t summaryId = 0;
};

constexpr int kThemeSlots = 255;

struct Week {
    std::vector<Channel> channels;
    std::array<std::string, kThemeSlots> themes; // empty: no theme at that slot
    std::vector<Title> titles;                   // in carousel order
    std::map<uint32_t, std::string> summaries;   // text as sent, line breaks as "\n"
};

// Turns a weekday, an hour of 0..27 and a minute as a title record sends them into
// broadcast day and minute of that day. Hours up to 05 belong to the day before.
void toBroadcastDay(int weekday, int hour, int minute, Title& t);

} // namespace xmltv
