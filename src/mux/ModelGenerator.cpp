#include "mux/ModelGenerator.h"

#include <algorithm>
#include <set>

#include "mux/Catalogue.h"
#include "mux/EpgSections.h"
#include "mux/Random.h"
#include "mux/WeekListing.h"

namespace mux {
namespace {

constexpr int kDayMinutes = 24 * 60;
constexpr size_t kTitleBytes = 23;

// One programme before it is placed in the carousel.
struct Slot {
    int day;
    int minute; // from 06:00 of the broadcast day
    int channel; // index, or -1 for a record with no channel
    int group;
    int sub;
    int duration;
    std::string title;
    uint32_t summaryId;
};

// Sub-theme slots a title may refer to: those that fit the theme's 16-slot group.
int usableSubs(const std::vector<Theme>& themes, int group)
{
    int subs = group < static_cast<int>(themes.size()) ? static_cast<int>(themes[group].subThemes.size()) : 0;
    return std::min(subs, group == 15 ? 14 : 15);
}

std::vector<Theme> makeThemes(const Config& cfg)
{
    std::vector<Theme> themes;
    for (const auto& p : Catalogue::themes())
        themes.push_back({p.name, p.subThemes});
    if (cfg.tooManySubThemes) {
        auto& subs = themes[2].subThemes;
        for (int i = static_cast<int>(subs.size()); i < 18; ++i)
            subs.push_back("Disciplina " + std::to_string(i + 1));
    }
    if (cfg.tooManyThemes) {
        themes.push_back({"ARCHIVIO", {"Teche", "Bianco e nero", "Anni '60", "Anni '70"}});
        themes.push_back({"SPECIALI", {"Maratone", "Dirette"}});
        themes.push_back({"VARIE", {}});
        themes.push_back({"PROVE TECNICHE", {"Monoscopio", "Segnale"}});
    }
    return themes;
}

uint32_t newSummaryId(Random& rng, std::set<uint32_t>& used)
{
    for (;;) {
        uint32_t id = static_cast<uint32_t>(rng.next());
        if (id != 0 && id != 0xFFFFFFFFu && used.insert(id).second)
            return id;
    }
}

size_t summaryLength(Random& rng)
{
    int r = rng.range(0, 99);
    if (r < 2)
        return 5000; // as long as the section allows
    if (r < 8)
        return static_cast<size_t>(rng.range(900, 2500));
    if (r < 25)
        return static_cast<size_t>(rng.range(250, 900));
    return static_cast<size_t>(rng.range(20, 250));
}

// The programmes of one channel on one broadcast day, 06:00 to 06:00.
void scheduleChannel(Random& rng, const Config& cfg, const std::vector<Theme>& themes, int day, int channel,
                     std::vector<std::vector<size_t>>& history, std::vector<Slot>& out, std::set<uint32_t>& ids)
{
    const ChannelProfile p = Catalogue::channel(channel);
    int t = 0;
    while (t < kDayMinutes) {
        int dur;
        if (channel == 0) {
            // The news channel starts a programme on every hour, so every hour has one.
            dur = (t % 60 == 0 && rng.chance(50)) ? 60 : 30;
        } else {
            dur = rng.range(p.minMinutes, p.maxMinutes) / 5 * 5;
            if (rng.chance(10))
                dur += rng.range(1, 4); // the odd minute of a real schedule
            dur = std::max(dur, 5);
        }
        dur = std::min(dur, kDayMinutes - t);

        Slot s;
        s.day = day;
        s.minute = t;
        s.channel = channel;
        s.duration = dur;
        auto& past = history[static_cast<size_t>(channel)];
        if (!past.empty() && rng.chance(cfg.sharedSummaryPercent)) {
            // A rerun: same title and summary as an earlier programme of this channel.
            const Slot& orig = out[past[rng.next() % past.size()]];
            s.group = orig.group;
            s.sub = orig.sub;
            s.title = orig.title;
            s.summaryId = orig.summaryId;
        } else {
            s.group = rng.chance(80) ? p.theme : rng.range(0, 15);
            s.sub = rng.range(0, usableSubs(themes, s.group));
            s.title = Catalogue::title(rng, s.group, s.sub);
            if (s.title.size() > kTitleBytes)
                s.title.resize(kTitleBytes);
            s.summaryId = newSummaryId(rng, ids);
        }
        past.push_back(out.size());
        out.push_back(std::move(s));
        t += dur;
    }
}

std::array<uint8_t, 7> summaryEntry(Random& rng, const Title& t)
{
    return {t.channel, t.themeSlot, dayHourByte(t.weekdayCode, t.hourCode), static_cast<uint8_t>(t.minute << 2),
            static_cast<uint8_t>(t.duration >> 8), static_cast<uint8_t>(t.duration), static_cast<uint8_t>(rng.next())};
}

} // namespace

time_t broadcastTime(time_t startDay, int day, int minuteOfDay)
{
    struct tm tm;
    localtime_r(&startDay, &tm);
    tm.tm_mday += day;
    tm.tm_hour = 6;
    tm.tm_min = minuteOfDay;
    tm.tm_sec = 0;
    tm.tm_isdst = -1;
    return mktime(&tm);
}

Model generateModel(const Config& cfg)
{
    Random rng(cfg.seed);
    Model m;
    m.onid = cfg.onid;
    m.tsid = cfg.tsid;
    m.epgServiceId = cfg.epgServiceId;
    m.startDay = cfg.startDay ? cfg.startDay : currentBroadcastDay();
    m.clockStart = broadcastTime(m.startDay, 0, (cfg.clockHour - 6) * 60);

    for (int i = 0; i < cfg.channelCount; ++i) {
        const ChannelProfile p = Catalogue::channel(i);
        Channel c;
        c.onid = cfg.onid;
        c.tsid = cfg.tsid;
        // The first service id is below 0x100, as on many real line-ups.
        c.sid = static_cast<uint16_t>(i == 0 ? 0x0007 : 0x0C80 + i * 0x13);
        c.name = p.name.substr(0, 16);
        c.serviceType = p.radio ? 0x02 : 0x01;
        m.channels.push_back(c);
    }
    const std::vector<Theme> themes = makeThemes(cfg);
    if (!cfg.emptyThemeTable)
        m.themes = themes;

    std::vector<Slot> slots;
    std::set<uint32_t> ids;
    std::vector<std::vector<size_t>> history(static_cast<size_t>(cfg.channelCount));
    const int days = std::max(1, cfg.days);
    for (int d = 0; d < days; ++d)
        for (int c = 0; c < cfg.channelCount; ++c)
            scheduleChannel(rng, cfg, themes, d, c, history, slots, ids);
    for (int k = 0; k < cfg.badChannelTitles; ++k) {
        Slot s{k % days, rng.range(0, kDayMinutes - 1), -1, 0, 0, 30, "Programma sconosciuto", newSummaryId(rng, ids)};
        slots.push_back(s);
    }
    std::stable_sort(slots.begin(), slots.end(), [](const Slot& a, const Slot& b) {
        if (a.day != b.day)
            return a.day < b.day;
        if (a.minute != b.minute)
            return a.minute < b.minute;
        return static_cast<unsigned>(a.channel) < static_cast<unsigned>(b.channel);
    });

    struct tm start;
    localtime_r(&m.startDay, &start);
    const int firstWeekday = start.tm_wday;
    std::set<uint32_t> filed;
    for (const Slot& s : slots) {
        Title t;
        t.channel = s.channel < 0 ? 0xFF : static_cast<uint8_t>(s.channel + 1);
        t.themeSlot = static_cast<uint8_t>(s.group * 16 + s.sub);
        t.broadcastDay = s.day;
        t.listedWeekday = static_cast<uint8_t>((firstWeekday + s.day) % 7);
        const int clock = 6 * 60 + s.minute; // minutes since midnight of the broadcast day
        const int calendarDay = s.day + clock / kDayMinutes;
        t.hour = static_cast<uint8_t>(clock / 60 % 24);
        t.minute = static_cast<uint8_t>(clock % 60);
        t.weekdayCode = static_cast<uint8_t>((firstWeekday + calendarDay) % 7);
        if (cfg.sundayAsSeven && t.weekdayCode == 0)
            t.weekdayCode = 7;
        t.hourCode = codeOfHour(t.hour);
        if (cfg.hourCodes == HourCodes::Mixed && (t.hour == 6 || t.hour == 7 || t.hour == 12 || t.hour == 13) &&
            rng.chance(50))
            t.hourCode = static_cast<uint8_t>(t.hour < 12 ? t.hour : t.hour + 2);
        t.duration = static_cast<uint16_t>(s.duration);
        t.title = s.title;
        t.summaryId = s.summaryId;
        t.start = broadcastTime(m.startDay, s.day, s.minute);
        m.titles.push_back(t);

        // Summaries go out in the order their programmes first appear.
        if (!filed.insert(t.summaryId).second || rng.chance(cfg.missingSummaryPercent))
            continue;
        Summary sum;
        sum.id = t.summaryId;
        sum.nulTerminated = rng.chance(70);
        sum.sentTwice = rng.chance(cfg.repeatedSummaryPercent);
        const int n = rng.chance(90) ? rng.range(0, 3) : rng.range(4, 9);
        for (int e = 0; e < n; ++e)
            sum.entries.push_back(summaryEntry(rng, t));
        const size_t room = maxSummaryText(sum.entries.size(), sum.nulTerminated);
        const size_t wanted = summaryLength(rng);
        // The longest ones fill their section to its last byte.
        sum.text = Catalogue::summary(rng, t.title, std::min(wanted, room), wanted >= room);
        m.summaries.push_back(std::move(sum));
    }
    return m;
}

} // namespace mux
