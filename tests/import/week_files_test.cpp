// The week in the offline files: broadcast-day order from the first day, the day
// positions, night programmes under the day before, shared summaries; and the files
// read back by the exporter's reader give every programme its own time again.
#include "import/WeekFiles.h"
#include "ImportFixture.h"
#include "xmltv/OfflineWeekReader.h"
#include "xmltv/WeekDating.h"

#include <algorithm>
#include <set>
#include <tuple>

using namespace importer;
using importtest::localTime;

namespace {

struct Week : importtest::TempFolder {
    void SetUp() override
    {
        TempFolder::SetUp();
        guide.name = "g.xml";
        for (const char* id : {"13e.bb9.c93.dvb", "13e.bb9.ca6.dvb"}) {
            SourceChannel c;
            c.id = id;
            c.names = {guide.channels.empty() ? "Rete Uno" : "Rete <Due>"};
            guide.channels.push_back(c);
        }
    }
    void add(size_t channel, std::time_t start, int minutes, const std::string& title, const std::string& desc = "",
             std::vector<std::string> cats = {})
    {
        Programme p;
        p.channel = channel;
        p.start = start;
        p.stop = minutes ? start + minutes * 60 : 0;
        p.title = title;
        p.desc = desc;
        p.categories = std::move(cats);
        p.line = long(guide.programmes.size() + 10);
        guide.programmes.push_back(p);
    }
    OfflineTexts build(bool rule)
    {
        map.build(guide, report);
        WeekOptions o;
        o.firstDay = localTime(2026, 12, 8, 12, 0);
        o.earlyMorningRule = rule;
        o.previousLogDate = 1796000000;
        return WeekFiles::build(guide, map, o, report);
    }
    static std::vector<std::string> lines(const std::string& text)
    {
        std::vector<std::string> out;
        std::istringstream in(text);
        std::string l;
        while (std::getline(in, l))
            out.push_back(l);
        return out;
    }
    SourceGuide guide;
    ChannelMap map;
    Report report;
};

} // namespace

TEST_F(Week, TitlesInBroadcastDayOrderWithTheirDays)
{
    const std::time_t tue6 = localTime(2026, 12, 8, 6, 0);
    add(0, localTime(2026, 12, 9, 1, 30), 60, "Notte fonda");                      // Tuesday's night
    add(1, tue6, 30, "Meteo", "Uno\ndue", {"Sport", "RHYTHMS"});
    add(0, tue6, 60, "NEWS AT 9", "Uno\r\ndue", {"Film", "Commedia"});
    add(0, localTime(2026, 12, 8, 6, 30), 30, "Overlap");                          // inside NEWS AT 9
    add(0, localTime(2026, 12, 8, 5, 0), 30, "Monday's night");                    // before the week
    add(1, localTime(2026, 12, 10, 11, 0), 0, "Senza fine");                       // lasts until the next
    add(1, localTime(2026, 12, 10, 12, 15), 0, "Ultimo");
    add(0, localTime(2026, 12, 15, 10, 0), 45, "Martedi dopo");                    // the eighth day
    add(0, localTime(2026, 12, 16, 10, 0), 45, "Too late");
    add(1, localTime(2026, 12, 9, 10, 0), 0, "Beyond the clock");
    guide.programmes.back().stop = std::time_t(0x80000000LL);
    const OfflineTexts t = build(false);

    EXPECT_EQ(t.channels, "LogDate=1796000000\nRete Uno<>c93:bb9:13e\nRete \xE2\x80\xB9" "Due><>ca6:bb9:13e\n");
    const auto titles = lines(t.titles);
    ASSERT_EQ(titles.size(), 7u) << t.titles;
    EXPECT_EQ(titles[0], "LogDate=1796000000");
    // Same description, one summary id; Tuesday is day 2; the night keeps Tuesday with hour 25.
    EXPECT_EQ(titles[1], "1<>0<>2<>06:00<>News at 9<>60<>11");
    EXPECT_EQ(titles[2], "1<>1<>2<>06:00<>Meteo<>30<>21");
    EXPECT_EQ(titles[3], "0<>0<>2<>25:30<>Notte fonda<>60<>00");
    EXPECT_EQ(titles[4], "0<>1<>4<>11:00<>Senza fine<>75<>00");
    EXPECT_EQ(titles[5], "0<>1<>4<>12:15<>Ultimo<>0<>00");
    EXPECT_EQ(titles[6], "0<>0<>7<>10:00<>Martedi dopo<>45<>00");
    EXPECT_EQ(t.summaries, "LogDate=1796000000\n1<>Uno#due\n");
    EXPECT_EQ(t.themes, "LogDate=1796000000\nTHM<>00<>Other\nTHM<>10<>Film\nSUB<>11<>Commedia\nTHM<>20<>Sport\n"
                        "SUB<>21<>RHYthmS\n");
    EXPECT_EQ(t.titleCount, 6);
    EXPECT_EQ(t.themeCount, 3);
    EXPECT_EQ(t.summaryCount, 1);
    EXPECT_EQ(t.beforeWeek, 1u);
    EXPECT_EQ(t.afterWeek, 1u);
    // Each day's position is where its first line begins; days without lines stay 0.
    for (int d : {2, 4, 7})
        EXPECT_EQ(t.titles[size_t(t.positions[size_t(d)]) - 1], '\n') << d;
    EXPECT_EQ(t.titles.substr(size_t(t.positions[2]), 10), "1<>0<>2<>0");
    EXPECT_EQ(t.titles.substr(size_t(t.positions[4]), 10), "0<>1<>4<>1");
    EXPECT_EQ(t.titles.substr(size_t(t.positions[7]), 10), "0<>0<>7<>1");
    EXPECT_EQ(t.positions[0] + t.positions[1] + t.positions[3] + t.positions[5] + t.positions[6], 0);
    EXPECT_NE(std::find(report.notes.begin(), report.notes.end(),
                        "g.xml: 1 programmes before 1970 or after January 2038 are left out"),
              report.notes.end());
    bool overlapNoted = false;
    for (const auto& n : report.notes)
        overlapNoted = overlapNoted || n == "g.xml line 13: programme \"Overlap\" is left out: it overlaps \"NEWS AT 9\" on the same channel";
    EXPECT_TRUE(overlapNoted);
}

TEST_F(Week, WithTheEarlyMorningRuleNightHoursAreWrittenAsSent)
{
    add(0, localTime(2026, 12, 9, 1, 30), 60, "Notte fonda");
    const OfflineTexts t = build(true);
    EXPECT_EQ(lines(t.titles)[1], "0<>0<>2<>01:30<>Notte fonda<>60<>00");
}

// Through the files and the exporter's reader and dating, each programme comes back
// at its own time, night hours and the eighth day included, with the rule on or off.
TEST_F(Week, FilesReadBackAtTheProgrammesTimes)
{
    std::set<std::tuple<int, std::time_t, int, std::string>> expected;
    int n = 0;
    for (int day = 8; day <= 15; ++day)
        for (int hour : {6, 13, 21, 25, 29}) {
            const std::time_t start = localTime(2026, 12, day + hour / 24, hour % 24, 10 * (day % 3));
            add(size_t(n % 2), start, 20, "Prog " + std::to_string(n), "D" + std::to_string(n % 5), {"T" + std::to_string(n % 3)});
            expected.emplace(n % 2, start, 20, "Prog " + std::to_string(n));
            ++n;
        }
    for (bool rule : {false, true}) {
        map = ChannelMap();
        const OfflineTexts t = build(rule);
        ASSERT_EQ(t.titleCount, n);
        write("channels.gep", t.channels);
        write("themes.gep", t.themes);
        write("titles.gep", t.titles);
        write("summaries.gep", t.summaries);
        write("orvalis.cfg", std::string("EPGService=1:0:1:1f40:bb9:13e:") + (rule ? "820000" : "c00000") +
                                 ":0:0:0:\nLogDate=" + std::to_string(localTime(2026, 12, 8, 6, 0)) + "\n");
        xmltv::OfflineWeekReader reader(dir.string(), path("orvalis.cfg"));
        xmltv::Week week;
        std::string error;
        ASSERT_TRUE(reader.read(week, &error)) << error;
        std::set<std::tuple<int, std::time_t, int, std::string>> got;
        for (const auto& a : xmltv::dateWeek(week, reader.logDate(), false)) {
            got.emplace(a.title->channelIndex, a.start, a.title->duration, a.title->title);
            EXPECT_EQ(week.summaries[a.title->summaryId][0], 'D');
        }
        EXPECT_EQ(got, expected) << "early-morning rule " << rule;
    }
}
