#include "xmltv/WeekDating.h"

#include <algorithm>

namespace xmltv {
namespace {

constexpr int kBeyondWeek = 7;

std::time_t at(const std::tm& base, int dayOffset, int minuteOfDay)
{
    std::tm t = base;
    t.tm_mday += dayOffset;
    t.tm_hour = 0;
    t.tm_min = minuteOfDay;
    t.tm_sec = 0;
    t.tm_isdst = -1; // let the zone decide, so days across a clock change stay right
    return std::mktime(&t);
}

} // namespace

std::vector<Airing> dateWeek(const Week& week, std::time_t reference, bool rotate)
{
    std::vector<Airing> out;
    const auto& titles = week.titles;
    if (titles.empty())
        return out;

    // The reference's broadcast day: before 06:00 it is still the day before.
    std::tm base{};
    localtime_r(&reference, &base);
    if (base.tm_hour <= 5) {
        base.tm_mday -= 1;
        base.tm_hour = 12; // away from any clock change while normalising
        base.tm_isdst = -1;
        std::mktime(&base);
    }
    const int baseDay = base.tm_wday;

    // A stream read from its beginning starts on that day already; otherwise the
    // first record of the day that follows another day's records starts it.
    size_t first = 0;
    if (rotate && titles[0].day != baseDay) {
        const size_t n = titles.size();
        for (size_t i = 0; i < n; ++i)
            if (titles[i].day == baseDay && titles[(i + n - 1) % n].day != baseDay) {
                first = i;
                break;
            }
    }

    int offset = 0;
    int previousDay = -1;
    int previousMinute = 0;
    for (size_t k = 0; k < titles.size(); ++k) {
        const Title& t = titles[(first + k) % titles.size()];
        if (previousDay < 0) {
            offset = t.day == kBeyondWeek ? kBeyondWeek : (t.day - baseDay + 7) % 7;
        } else if (t.day == kBeyondWeek && previousDay != kBeyondWeek) {
            // The first day past the week is a week after the first day, whichever
            // weekdays in between had no programmes.
            offset = std::max(offset + 1, kBeyondWeek);
        } else if (t.day != previousDay) {
            offset += previousDay == kBeyondWeek ? 1 : (t.day - previousDay + 7) % 7;
        } else if (t.day == kBeyondWeek && t.minuteOfDay < previousMinute) {
            // Days past the seventh have lost their weekday: a time running backwards starts the next one.
            offset += 1;
        }
        previousDay = t.day;
        previousMinute = t.minuteOfDay;
        Airing a;
        a.title = &t;
        a.start = at(base, offset, t.minuteOfDay);
        a.stop = a.start + std::time_t(t.duration) * 60;
        out.push_back(a);
    }
    return out;
}

} // namespace xmltv
