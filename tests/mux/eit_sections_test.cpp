// The sample broadcast's EIT and TDT agree with its title carousel: every programme is
// an event of its channel's schedule, present/following matches the stream's clock, and
// the schedule's segments are numbered as EN 300 468 lays them out.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "MuxTestSupport.h"
#include "mux/Charset.h"
#include "mux/EitSections.h"
#include "mux/ModelGenerator.h"
#include "scan/EitCollector.h"

using namespace muxtest;

namespace {

struct Collected {
    std::map<uint16_t, std::map<uint16_t, scan::EventInfo>> schedule; // sid -> event id -> event
    std::map<uint16_t, scan::EventSection> present, following;        // first seen per sid
    std::map<std::pair<uint8_t, uint16_t>, std::vector<scan::EventSection>> tables; // (table, sid)
    int64_t firstTime = 0;
};

Collected collect(const std::vector<uint8_t>& ts)
{
    Collected c;
    scan::EitCollector collector(
        [&](const scan::EventSection& s) {
            if (scan::isPresentFollowing(s.key.tableId)) {
                auto& first = s.sectionNumber == 0 ? c.present : c.following;
                first.emplace(s.key.sid, s);
                return;
            }
            for (const auto& e : s.events)
                c.schedule[s.key.sid][e.eventId] = e;
            c.tables[{s.key.tableId, s.key.sid}].push_back(s);
        },
        [&](int64_t utc) {
            if (!c.firstTime)
                c.firstTime = utc;
        });
    for (size_t i = 0; i + 188 <= ts.size(); i += 188)
        collector.put(ts.data() + i);
    EXPECT_EQ(collector.faults().badLayout + collector.faults().badEvents + collector.faults().badDescriptors, 0u);
    return c;
}

std::string themeText(const mux::Model& m, uint8_t slot)
{
    const auto& theme = m.themes.at(slot / 16);
    return mux::latin9ToUtf8(slot % 16 == 0 ? theme.name : theme.subThemes.at(slot % 16 - 1u));
}

} // namespace

TEST(EitSections, EveryProgrammeIsAnEventOfItsChannelAndPresentFollowingFitsTheClock)
{
    mux::Config cfg = weekConfig();
    cfg.passes = 1;
    cfg.clockHour = 13;
    cfg.badChannelTitles = 3;
    const auto m = mux::generateModel(cfg);
    const Collected c = collect(mux::buildTransportStream(cfg, m));
    EXPECT_EQ(c.firstTime, m.clockStart);

    size_t events = 0;
    for (size_t i = 0; i < m.titles.size(); ++i) {
        const mux::Title& t = m.titles[i];
        if (t.channel == 0xFF)
            continue;
        ++events;
        const uint16_t sid = m.channels.at(t.channel - 1u).sid;
        const auto& e = c.schedule.at(sid).at(uint16_t(i + 1));
        EXPECT_EQ(e.start, t.start);
        EXPECT_EQ(e.duration, t.duration * 60u);
        ASSERT_EQ(e.texts.size(), 1u);
        EXPECT_EQ(e.texts[0].name, mux::latin9ToUtf8(t.title));
        EXPECT_EQ(e.texts[0].text, themeText(m, t.themeSlot));
    }
    size_t listed = 0;
    for (const auto& [sid, byId] : c.schedule)
        listed += byId.size();
    EXPECT_EQ(listed, events); // and nothing else

    // The news channel runs something at every hour: its present event covers the clock.
    ASSERT_TRUE(c.present.count(m.channels[0].sid));
    const auto& present = c.present.at(m.channels[0].sid);
    ASSERT_EQ(present.events.size(), 1u);
    EXPECT_LE(present.events[0].start, m.clockStart);
    EXPECT_GT(present.events[0].start + present.events[0].duration, m.clockStart);
    EXPECT_EQ(present.events[0].runningStatus, 4);
    const auto& following = c.following.at(m.channels[0].sid);
    ASSERT_EQ(following.events.size(), 1u);
    EXPECT_GE(following.events[0].start, present.events[0].start + present.events[0].duration);
    EXPECT_EQ(following.version, present.version);
}

TEST(EitSections, ScheduleSegmentsAreNumberedAsTheStandardLaysThemOut)
{
    mux::Config cfg = weekConfig();
    cfg.channelCount = 4;
    cfg.days = 9; // reaches into the third table
    const auto m = mux::generateModel(cfg);
    const auto schedule = mux::buildEitSchedule(cfg, m);
    const Collected c = collect(mux::buildTransportStream(cfg, m));
    const time_t base = m.clockStart - m.clockStart % 86400;
    std::set<uint8_t> lastTables;
    for (const auto& [key, sections] : c.tables) {
        const uint8_t table = key.first;
        std::set<int> numbers;
        for (const auto& s : sections) {
            numbers.insert(s.sectionNumber);
            EXPECT_EQ(s.lastSectionNumber, sections.front().lastSectionNumber);
            EXPECT_LE(s.sectionNumber, s.segmentLastSectionNumber);
            EXPECT_EQ(s.segmentLastSectionNumber / 8, s.sectionNumber / 8);
            lastTables.insert(s.lastTableId);
            // Each event lies in the three hours its section number stands for.
            for (const auto& e : s.events) {
                const int64_t segment = (e.start - base) / 10800;
                EXPECT_EQ(segment, (table - 0x50) * 32 + s.sectionNumber / 8);
            }
        }
        // Every segment up to the last is there, each from its first section on.
        const int last = sections.front().lastSectionNumber;
        for (int seg = 0; seg <= last / 8; ++seg)
            EXPECT_TRUE(numbers.count(seg * 8)) << int(table) << " segment " << seg;
        EXPECT_TRUE(numbers.count(last));
    }
    EXPECT_EQ(lastTables, (std::set<uint8_t>{0x52}));
    EXPECT_FALSE(schedule.empty());
}
