// The EPG cache as EN 300 468 has it: versions replace sub-tables, an empty present
// section means nothing runs until the following event, present/following before the
// schedule; and the box's clock, system or stream, that lookups use.
#include "host/service/BoxClock.h"
#include "host/service/eEPGCache.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <memory>
#include <tuple>

namespace {

const eServiceReference kService(eString("1:0:1:30E:F206:20CB:EEEE0000:0:0:0:"));

EITEvent event(int id, time_t start, int duration, const char* name)
{
    EITEvent e;
    e.event_id = id;
    e.start_time = start;
    e.duration = duration;
    auto d = std::make_unique<ShortEventDescriptor>();
    d->event_name = name;
    e.descriptor.push_back(std::move(d));
    return e;
}

eEPGCache::Section section(int table, int version, int number, std::vector<EITEvent> events)
{
    eEPGCache::Section s;
    s.tableId = table;
    s.sid = 0x30E;
    s.tsid = 0xF206;
    s.onid = 0x20CB;
    s.version = version;
    s.sectionNumber = number;
    s.events = std::move(events);
    return s;
}

std::string nameAt(time_t t, const eServiceReference& ref = kService)
{
    std::unique_ptr<EITEvent> e(eEPGCache::instance->lookupEvent(ref, t, false));
    eString name;
    if (!e)
        return "(none)";
    LocalEventData().getLocalData(e.get(), &name);
    return name;
}

class EpgCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        eEPGCache::instance->clear();
        host::BoxClock::instance().useStreamTime(false);
    }
    void TearDown() override
    {
        eEPGCache::instance->clear();
        host::BoxClock::instance().useStreamTime(false);
        host::BoxClock::instance().forgetStreamTime();
    }
    eEPGCache& cache = *eEPGCache::instance;
};

TEST_F(EpgCacheTest, NewVersionReplacesTheSubTableAndPresentFollowingComesFirst)
{
    const time_t t = 1633290600;
    cache.putSection(section(0x50, 1, 0, {event(1, t - 600, 1200, "Schedule A"), event(2, t + 600, 600, "Schedule B")}));
    cache.putSection(section(0x4E, 7, 0, {event(9, t - 300, 900, "Present")}));
    cache.putSection(section(0x4E, 7, 1, {event(10, t + 600, 600, "Following")}));
    EXPECT_EQ(nameAt(t), "Present");
    EXPECT_EQ(nameAt(t + 700), "Following");
    EXPECT_EQ(nameAt(t - 500), "Schedule A");

    // Version 8 of section 0 voids section 1 of version 7; the schedule stays.
    cache.putSection(section(0x4E, 8, 0, {event(11, t + 600, 600, "Moved")}));
    EXPECT_EQ(nameAt(t + 700), "Moved");
    cache.putSection(section(0x4E, 8, 0, {event(11, t - 300, 900, "Again")})); // same version: section replaced
    EXPECT_EQ(nameAt(t + 700), "Schedule B");
    EXPECT_EQ(nameAt(t), "Again");
    // The end is not part of an event; a zero duration never runs; other services know nothing.
    EXPECT_EQ(nameAt(t + 1200), "(none)");
    cache.putSection(section(0x51, 1, 0, {event(12, t + 5000, 0, "Zero")}));
    EXPECT_EQ(nameAt(t + 5000), "(none)");
    EXPECT_EQ(nameAt(t, eServiceReference(eString("1:0:1:30F:F206:20CB:EEEE0000:0:0:0:"))), "(none)");
    // The EIT names no namespace: a reference of another namespace finds the same events.
    EXPECT_EQ(nameAt(t, eServiceReference(eString("1:0:1:30E:F206:20CB:820000:0:0:0:"))), "Again");
}

TEST_F(EpgCacheTest, EmptyPresentSectionMeansNothingRunsUntilTheFollowingEvent)
{
    const time_t now = time(nullptr);
    cache.putSection(section(0x50, 1, 0, {event(1, now - 500, 1000, "Scheduled"), event(2, now + 500, 1000, "Next")}));
    EXPECT_EQ(nameAt(now), "Scheduled");
    cache.putSection(section(0x4E, 2, 0, {}));
    cache.putSection(section(0x4E, 2, 1, {event(2, now + 500, 1000, "Next")}));
    EXPECT_EQ(nameAt(now), "(none)");
    EXPECT_EQ(nameAt(now + 600), "Next");
    // Before the empty section came it says nothing.
    EXPECT_EQ(nameAt(now - 400), "Scheduled");

    // Sent at a time unknown (a scan before any TDT): it holds until the following event.
    cache.putSection(section(0x4E, 3, 0, {}), 0);
    cache.putSection(section(0x4E, 3, 1, {event(2, now + 500, 1000, "Next")}), 0);
    EXPECT_EQ(nameAt(now - 400), "(none)");
    EXPECT_EQ(nameAt(now + 500), "Next");
}

TEST_F(EpgCacheTest, ListMergesPresentFollowingWithTheScheduleInOrder)
{
    const time_t t = 1633290600;
    cache.putSection(section(0x50, 1, 8, {event(3, t + 3600, 600, "C")}));
    cache.putSection(section(0x50, 1, 0, {event(1, t, 600, "A"), event(2, t + 600, 600, "B")}));
    cache.putSection(section(0x4E, 1, 0, {event(1, t, 600, "A")}));
    const auto list = cache.list();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].event->event_id, 1);
    EXPECT_EQ(list[1].event->event_id, 2);
    EXPECT_EQ(list[2].event->event_id, 3);
    EXPECT_EQ(list[2].sid, 0x30E);
    EXPECT_EQ(list[2].onid, 0x20CB);
}

TEST_F(EpgCacheTest, StreamClockCarriesTheLastTdtForwardAndLookupsUseIt)
{
    auto& clock = host::BoxClock::instance();
    uint64_t streamNow = 7600000000u;
    clock.setStreamClock([&] { return streamNow; });
    clock.streamTimeSeen(1633290600, 5000000000u);
    EXPECT_GE(clock.now(), time(nullptr) - 5); // the system clock is in force by default
    clock.useStreamTime(true);
    EXPECT_EQ(clock.now(), 1633290602);
    // A stream that starts over sends an earlier time again: that one holds.
    streamNow = 9000000000u;
    clock.streamTimeSeen(1633290500, streamNow);
    EXPECT_EQ(clock.now(), 1633290500);
    streamNow += 3999999999u; // whole seconds only
    EXPECT_EQ(clock.now(), 1633290503);

    cache.putSection(section(0x4E, 1, 0, {event(1, 1633290000, 600, "Then")}));
    EXPECT_EQ(nameAt(0), "Then");
    clock.forgetStreamTime(); // a stream that cannot be dated: the system time
    EXPECT_EQ(nameAt(0), "(none)");
    clock.setStreamClock({});
}

} // namespace

TEST(LocalEventDataTest, TextsInTheUserLanguageElseTheFirstSent)
{
    EITEvent e;
    for (auto [lang, name, text] : {std::make_tuple("eng", "News", "Headlines"), std::make_tuple("DEU", "Nachrichten", ""),
                                    std::make_tuple("fre", "Journal", "Titres")}) {
        auto d = std::make_unique<ShortEventDescriptor>();
        d->language = lang;
        d->event_name = name;
        d->text = text;
        e.descriptor.push_back(std::move(d));
    }
    const char* saved = std::getenv("LANGUAGE");
    const std::string keep = saved ? saved : "";
    auto pick = [&](const char* language) {
        setenv("LANGUAGE", language, 1);
        eString name = "unchanged", text = "unchanged";
        EXPECT_TRUE(LocalEventData().getLocalData(&e, &name, &text));
        return name + "|" + text;
    };
    EXPECT_EQ(pick("de_AT.UTF-8"), "Nachrichten|"); // upper-case code as sent, empty short text
    EXPECT_EQ(pick("fr"), "Journal|Titres");        // bibliographic form "fre"
    EXPECT_EQ(pick("ja_JP"), "News|Headlines");     // none in the user's language: the first
    if (saved)
        setenv("LANGUAGE", keep.c_str(), 1);
    else
        unsetenv("LANGUAGE");
    EITEvent bare;
    eString untouched = "x";
    EXPECT_FALSE(LocalEventData().getLocalData(&bare, &untouched));
    EXPECT_EQ(untouched, "x");
}
