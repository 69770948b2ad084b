#pragma once
// One whole pass of the title carousel, put in the order of the week. The carousel
// sends a day's records in order of hour and the days one after another, but the
// reader joins it anywhere, a day may hold records out of order, and a carousel that
// carries more than seven days sends today's weekday twice. The pass is read once,
// turned so that it begins with today's block, and every record is filed under its
// listing day: 0..6 for the week, 7 for the day after it (shown as "Nex").
#include "broadcast/TitleRecord.h"

#include <functional>
#include <vector>

class TitlePass {
public:
    struct Entry {
        TitleRecord record;
        int day = 0; // the day it is listed under: 0..6, or 7 for the eighth day
    };

    // Reads sections from fd until the carousel has come round (the sections read
    // repeat from the first one), a read fails or a guard count is reached. Every
    // section read calls progress with its length. False when no title record came.
    bool read(int fd, const std::function<void(int length)>& progress);
    // Takes the sections of a pass as they came (tests and the reader share this).
    void addSection(const uint8_t* section, int length);

    // Turns the pass to begin with the block of weekday `today` (the broadcast day of
    // now) and files every record. With the early-morning rule hours 0..5 end a day.
    void order(int today, bool earlyMorning);
    const std::vector<Entry>& week() const { return m_week; }

    // Position in week() of the first record filed under day (0..6) whose hour, in the
    // carousel's order of a day, is at least hour; when none is, the position after
    // that day's block; week().size() when the day has no record.
    size_t dayStart(int day, int hour, bool earlyMorning) const;
    bool hasDay(int day) const;

private:
    std::vector<std::vector<uint8_t>> m_sections;
    std::vector<Entry> m_week;
};

// Carousel order of an hour within a day: with the early-morning rule, 00-05 follow 23.
int titleHourOrder(int hour, bool earlyMorning);
