#include "mux/WeekListing.h"
#include "mux/Charset.h"
#include "mux/Config.h"
#include "mux/ModelGenerator.h"

#include <set>

namespace mux {

bool writeWeekListing(FILE* f, const Model& m)
{
    for (size_t i = 0; i < m.channels.size(); ++i)
        std::fprintf(f, "channel %zu sid %04X %s\n", i + 1, m.channels[i].sid, latin9ToUtf8(m.channels[i].name).c_str());
    for (size_t g = 0; g < m.themes.size(); ++g) {
        std::fprintf(f, "theme %zu %s\n", g, latin9ToUtf8(m.themes[g].name).c_str());
        for (const auto& sub : m.themes[g].subThemes)
            std::fprintf(f, "  sub %s\n", latin9ToUtf8(sub).c_str());
    }
    static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    int day = -1;
    for (const auto& t : m.titles) {
        if (t.broadcastDay != day) {
            // A broadcast day runs from 06:00 to 05:59 of the next calendar day.
            day = t.broadcastDay;
            struct tm d;
            const time_t start = broadcastTime(m.startDay, day, 0);
            localtime_r(&start, &d);
            std::fprintf(f, "day %d %s %04d-%02d-%02d\n", day, kDays[d.tm_wday], d.tm_year + 1900, d.tm_mon + 1,
                         d.tm_mday);
        }
        std::fprintf(f, "title day %d %s %02d:%02d ch %u slot %u dur %u id %08X %s\n", t.broadcastDay,
                     kDays[t.listedWeekday % 7], t.hour, t.minute, t.channel, t.themeSlot, t.duration, t.summaryId,
                     latin9ToUtf8(t.title).c_str());
    }
    for (const auto& s : m.summaries) {
        std::string text = latin9ToUtf8(s.text);
        for (char& c : text)
            if (c == '\r')
                c = '|';
        std::fprintf(f, "summary %08X %s\n", s.id, text.c_str());
    }
    // Every programme's id has a summary line: ids sent without a summary get an empty text,
    // which is what a receiver shows for them.
    std::set<uint32_t> sent;
    for (const auto& s : m.summaries)
        sent.insert(s.id);
    for (const auto& t : m.titles)
        if (sent.insert(t.summaryId).second)
            std::fprintf(f, "summary %08X \n", t.summaryId);
    return std::ferror(f) == 0;
}

time_t currentBroadcastDay()
{
    const time_t now = time(nullptr);
    struct tm t;
    localtime_r(&now, &t);
    if (t.tm_hour < 6)
        t.tm_mday -= 1;
    t.tm_hour = t.tm_min = t.tm_sec = 0;
    t.tm_isdst = -1;
    return mktime(&t);
}

} // namespace mux
