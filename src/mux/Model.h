#pragma once
// The generated broadcast as data: what the stream carries, so tests can compare
// what a reader decoded with what was sent.
#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace mux {

struct Channel {
    uint16_t onid = 0;
    uint16_t tsid = 0;
    uint16_t sid = 0;
    std::string name; // ISO 8859-15 bytes, at most 16
    uint8_t serviceType = 0x01;
};

struct Theme {
    std::string name; // ISO 8859-15 bytes, at most 15
    std::vector<std::string> subThemes;
};

struct Title {
    uint8_t channel = 0;      // channel byte as sent: channel number counted from 1 (0xFF: none)
    uint8_t themeSlot = 0;    // group * 16 + slot
    int broadcastDay = 0;     // 0.. from the start day; a broadcast day runs 06:00 to 05:59
    uint8_t listedWeekday = 0; // weekday of the broadcast day (0 = Sunday)
    uint8_t weekdayCode = 0;  // bits 7-5 of byte 5 as sent: the calendar weekday (7 may stand for 0)
    uint8_t hour = 0;         // calendar hour 0..23
    uint8_t hourCode = 0;     // bits 4-0 of byte 5 as sent
    uint8_t minute = 0;
    uint16_t duration = 0;    // minutes
    std::string title;        // ISO 8859-15 bytes, at most 23
    uint32_t summaryId = 0;
    time_t start = 0;         // local start time
};

struct Summary {
    uint32_t id = 0;
    std::vector<std::array<uint8_t, 7>> entries; // 0..9 opaque entries
    std::string text;        // ISO 8859-15 bytes, no NUL
    bool nulTerminated = true;
    bool sentTwice = false; // a second copy follows half a pass later
};

struct Model {
    uint16_t onid = 0;
    uint16_t tsid = 0;
    uint16_t epgServiceId = 0;
    time_t startDay = 0;   // local midnight of broadcast day 0
    time_t clockStart = 0; // what the TDT says at the first packet
    std::vector<Channel> channels;
    std::vector<Theme> themes;
    std::vector<Title> titles;         // in carousel order (broadcast day, time, channel)
    std::vector<Summary> summaries;    // in carousel order, one per summary id on air
};

} // namespace mux
