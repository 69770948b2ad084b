#include "import/WeekFiles.h"

#include "import/AirText.h"
#include "import/CivilDays.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

namespace importer {
namespace {

struct Kept {
    const Programme* p = nullptr;
    int channel = 0;
    long day = 0;    // 0 .. 7 from the first day
    int minute = 0;  // minutes from 00:00 of the broadcast day's date (up to 29:59)
    int duration = 0;
};

std::string where(const SourceGuide& g, const Programme& p)
{
    return g.name + (p.line ? " line " + std::to_string(p.line) : std::string()) + ": ";
}

template <class... Args>
void appendf(std::string& out, const char* format, Args... args)
{
    char buf[128];
    const int n = std::snprintf(buf, sizeof buf, format, args...);
    out.append(buf, size_t(n < 0 ? 0 : std::min(n, int(sizeof buf) - 1)));
}

} // namespace

long WeekFiles::broadcastDay(std::time_t t, int* hourOfDay, int* minute)
{
    std::tm tm{};
    localtime_r(&t, &tm);
    long day = daysFromCivil(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    int hour = tm.tm_hour;
    if (hour < 6) {
        --day;
        hour += 24;
    }
    if (hourOfDay)
        *hourOfDay = hour;
    if (minute)
        *minute = tm.tm_min;
    return day;
}

OfflineTexts WeekFiles::build(const SourceGuide& guide, const ChannelMap& channels, const WeekOptions& options,
                              Report& report)
{
    OfflineTexts out;
    const long first = broadcastDay(options.firstDay);

    // Programmes of the week, channel by channel in time order.
    std::vector<Kept> kept;
    kept.reserve(guide.programmes.size());
    size_t outsideClock = 0;
    for (const Programme& p : guide.programmes) {
        const int channel = channels.indexOf(p.channel);
        if (channel < 0)
            continue; // the channel was reported already
        // The plug-in counts seconds in 32 bits.
        if (p.start < 0 || p.start > kLastTime || p.stop < 0 || p.stop > kLastTime) {
            ++outsideClock;
            continue;
        }
        int hour = 0, minute = 0;
        const long day = broadcastDay(p.start, &hour, &minute) - first;
        if (day < 0) {
            ++out.beforeWeek;
            continue;
        }
        if (day >= kDays) {
            ++out.afterWeek;
            continue;
        }
        if (p.stop && p.stop <= p.start) {
            report.note(where(guide, p) + "programme \"" + p.title + "\" is left out: it stops before it starts");
            continue;
        }
        kept.push_back(Kept{&p, channel, day, hour * 60 + minute, 0});
    }
    if (outsideClock)
        report.note(guide.name + ": " + std::to_string(outsideClock) +
                    " programmes before 1970 or after January 2038 are left out");
    std::stable_sort(kept.begin(), kept.end(), [](const Kept& a, const Kept& b) {
        return a.channel != b.channel ? a.channel < b.channel : a.p->start < b.p->start;
    });
    std::vector<Kept> week;
    week.reserve(kept.size());
    for (size_t i = 0; i < kept.size(); ++i) {
        Kept k = kept[i];
        if (!week.empty() && week.back().channel == k.channel) {
            const Kept& before = week.back();
            const std::time_t end = before.p->stop ? before.p->stop : before.p->start;
            if (k.p->start < end || k.p->start == before.p->start) {
                report.note(where(guide, *k.p) + "programme \"" + k.p->title + "\" is left out: it overlaps \"" +
                            before.p->title + "\" on the same channel");
                continue;
            }
        }
        // Without a stop time a programme lasts until the next one of its channel.
        std::time_t stop = k.p->stop;
        if (!stop && i + 1 < kept.size() && kept[i + 1].channel == k.channel)
            stop = kept[i + 1].p->start;
        k.duration = stop ? int(std::min<long long>((stop - k.p->start) / 60, 0xFFFF)) : 0;
        week.push_back(k);
    }

    ThemeTable themes;
    for (const Kept& k : week)
        themes.count(k.p->categories);
    themes.place(guide.name, report);

    // Broadcast-day order, as the carousel sends it; channels in their order within a minute.
    std::stable_sort(week.begin(), week.end(), [](const Kept& a, const Kept& b) {
        if (a.day != b.day)
            return a.day < b.day;
        return a.minute != b.minute ? a.minute < b.minute : a.channel < b.channel;
    });

    const std::string header = "LogDate=" + std::to_string(options.previousLogDate) + "\n";
    out.channels = header;
    for (const GuideChannel& c : channels.channels()) {
        std::string name = airField(c.name);
        if (name.empty())
            appendf(name, "%x.%x.%x.dvb", c.service.onid, c.service.tsid, c.service.sid); // never an empty line start
        out.channels += name;
        appendf(out.channels, "<>%02x:%02x:%02x\n", c.service.sid, c.service.tsid, c.service.onid);
        out.services.push_back(c.service);
    }
    out.channelCount = int(channels.channels().size());

    out.themes = header;
    const auto& names = themes.names();
    for (int g = 0; g < themes.groups(); ++g)
        for (int s = g * 16; s < g * 16 + 16 && s < ThemeTable::kSlots; ++s) {
            if (names[size_t(s)].empty())
                continue;
            std::string name = names[size_t(s)];
            // The plug-in takes any line holding "THM" for a theme. It lowers every
            // letter after the first, so "Thm" shows the same and keeps the line a sub-theme.
            for (size_t at; s != g * 16 && (at = name.find("THM")) != std::string::npos;)
                name.replace(at, 3, at == 0 ? "Thm" : "thm");
            appendf(out.themes, s == g * 16 ? "THM<>%02x<>" : "SUB<>%02x<>", s);
            out.themes += name + "\n";
        }
    out.themeCount = themes.groups();

    // One summary per distinct description, numbered as first met in the titles' order.
    std::unordered_map<std::string, unsigned> ids;
    out.summaries = header;
    out.titles = header;
    long previousDay = -1;
    for (const Kept& k : week) {
        unsigned id = 0;
        if (!k.p->desc.empty()) {
            const std::string text = airSummary(k.p->desc);
            auto found = ids.find(text);
            if (found == ids.end()) {
                found = ids.emplace(text, unsigned(ids.size() + 1)).first;
                appendf(out.summaries, "%X<>", found->second);
                out.summaries += text + "\n";
                ++out.summaryCount;
            }
            id = found->second;
        }
        const int weekday = int(((first + k.day) % 7 + 7 + 4) % 7); // 1970-01-01 was a Thursday
        const int day = k.day == 7 ? 7 : weekday;
        if (k.day != previousDay) {
            out.positions[size_t(day)] = int(out.titles.size());
            previousDay = k.day;
        }
        int hour = k.minute / 60;
        if (options.earlyMorningRule && hour >= 24)
            hour -= 24;
        appendf(out.titles, "%X<>%d<>%d<>%02d:%02d<>", id, k.channel, day, hour, k.minute % 60);
        out.titles += pluginLower(airField(k.p->title));
        appendf(out.titles, "<>%d<>%02X\n", k.duration, unsigned(themes.slotOf(k.p->categories)));
        ++out.titleCount;
    }
    return out;
}

} // namespace importer
