#pragma once
// Gives the week's programmes calendar times. Title records carry only a weekday
// and a time, so the week is anchored at a reference time (the stream's clock, the
// log date of an offline directory, or now): its broadcast day (06:00 to 05:59) is
// the first day, and every change of day in carousel order moves one day on, so a
// weekday seen again after seven days lands in the following week.
#include "xmltv/Week.h"

#include <ctime>
#include <vector>

namespace xmltv {

struct Airing {
    const Title* title = nullptr;
    std::time_t start = 0;
    std::time_t stop = 0;
};

// Starts the walk at the first record of the reference's broadcast day when
// rotate is set (a stream read from any point of its carousel), else at the first
// record (an offline file, written from the logging time on). Local time zone.
std::vector<Airing> dateWeek(const Week& week, std::time_t reference, bool rotate);

} // namespace xmltv
