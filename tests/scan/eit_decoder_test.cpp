// EIT and TDT/TOT decoding: real captures give the titles as broadcast, in their
// character tables and at their UTC times; damaged sections are dropped or trimmed
// safely; repeats are not decoded twice and a new version is.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "scan/EitCollector.h"
#include "scan/EitDecoder.h"
#include "scan/SiTime.h"
#include "../ts/TsTestUtil.h"
#include "ts/Crc32.h"
#include "ts/PacketReader.h"
#include "ts/Packetizer.h"

namespace {

using Bytes = std::vector<uint8_t>;

using tstest::put16;
const auto finish = tstest::finishSection;

// 2021-10-03 19:50:00 UTC: MJD 59490.
const Bytes kStart = {0xE8, 0x62, 0x19, 0x50, 0x00};

// One event: start (5 bytes), duration BCD, descriptors as given.
Bytes event(uint16_t id, const Bytes& start, const Bytes& duration, const Bytes& descriptors)
{
    Bytes e;
    put16(e, id);
    e.insert(e.end(), start.begin(), start.end());
    e.insert(e.end(), duration.begin(), duration.end());
    put16(e, 0x8000 | descriptors.size()); // running
    e.insert(e.end(), descriptors.begin(), descriptors.end());
    return e;
}

Bytes shortEvent(const std::string& name, const std::string& text, const char* lang = "ces")
{
    Bytes d = {0x4D, 0, uint8_t(lang[0]), uint8_t(lang[1]), uint8_t(lang[2]), uint8_t(name.size())};
    d.insert(d.end(), name.begin(), name.end());
    d.push_back(uint8_t(text.size()));
    d.insert(d.end(), text.begin(), text.end());
    d[1] = uint8_t(d.size() - 2);
    return d;
}

Bytes eit(const std::vector<Bytes>& events, uint8_t table = 0x4E, uint8_t section = 0, uint8_t version = 3,
          bool current = true)
{
    Bytes s = {table, 0xF0, 0};
    put16(s, 782);
    s.push_back(uint8_t(0xC0 | version << 1 | (current ? 1 : 0)));
    s.push_back(section);
    s.push_back(1);
    put16(s, 0xF206);
    put16(s, 0x20CB);
    s.push_back(1);
    s.push_back(table);
    for (const auto& e : events)
        s.insert(s.end(), e.begin(), e.end());
    finish(s);
    return s;
}

std::string capture(const char* file) { return std::string(ORVALIS_TEST_DATA_DIR) + "/ts/" + file; }

// Present/following of a capture: (sid, section) -> (start, duration, name) of its first event.
using Pf = std::map<std::pair<int, int>, std::tuple<int64_t, uint32_t, std::string>>;

Pf presentFollowing(const char* file, scan::EitFaults* faults = nullptr, scan::EitCounters* counters = nullptr,
                    int64_t* firstTime = nullptr)
{
    Pf pf;
    scan::EitCollector c(
        [&](const scan::EventSection& s) {
            if (s.key.tableId == scan::kEitPfActual && !s.events.empty() && !s.events[0].texts.empty())
                pf[{s.key.sid, s.sectionNumber}] = {s.events[0].start, s.events[0].duration, s.events[0].texts[0].name};
        },
        [&](int64_t utc) {
            if (firstTime && !*firstTime)
                *firstTime = utc;
        });
    ts::PacketReader reader(capture(file));
    while (const uint8_t* p = reader.next())
        c.put(p);
    if (faults)
        *faults = c.faults();
    if (counters)
        *counters = c.counters();
    return pf;
}

} // namespace

TEST(EitCaptures, TitlesInTheirCharacterTablesAtTheirUtcTimes)
{
    // 2021-10-03 20:55 UTC and so on, as the captures carry them.
    const Pf cz = presentFollowing("cz-cra-mux22.ts");
    EXPECT_EQ(cz.at({783, 1}), std::make_tuple(int64_t(1633294500), uint32_t(3300), std::string("Strážci atomu")));
    EXPECT_EQ(std::get<2>(cz.at({786, 0})), "Česko hledá premiéra: Souboj hlavních kandidátů"); // ISO 6937 diacritics
    EXPECT_EQ(std::get<2>(cz.at({1028, 0})), "Óčko hity");

    const Pf gr = presentFollowing("gr-ert-heraklion-a.ts"); // ISO 8859-7
    EXPECT_EQ(std::get<2>(gr.at({32, 0})), "ΓΛΥΚΙΑ ΖΩΗ");
    EXPECT_EQ(std::get<0>(gr.at({32, 0})), 1690552800); // 2023-07-28 14:00:00

    const Pf tw = presentFollowing("tw-cts-dvbt.ts"); // two-byte codes, prefix 0x14
    EXPECT_EQ(tw.at({501, 0}), std::make_tuple(int64_t(1633429680), uint32_t(1800), std::string("新哆啦A夢(普)")));

    scan::EitFaults faults;
    scan::EitCounters counters;
    presentFollowing("cz-cra-mux22.ts", &faults, &counters);
    // Every section arrives many times but is decoded once per version; none is malformed.
    EXPECT_GT(counters.repeats, 0u);
    EXPECT_EQ(counters.decoded + counters.repeats, counters.sections);
    EXPECT_EQ(faults.badLayout + faults.badEvents + faults.badDescriptors + faults.parserRejected, 0u);

    int64_t tdt = 0;
    const Pf fr = presentFollowing("fr-tnt-r4-multi4.ts", nullptr, &counters, &tdt); // ISO 8859-9
    EXPECT_EQ(tdt, 1548161469); // 2019-01-22 12:51:09
    bool accented = false;
    for (const auto& [key, value] : fr)
        accented = accented || std::get<2>(value) == "Conte d'été";
    EXPECT_TRUE(accented);
    EXPECT_GT(counters.repeats, counters.decoded);
}

TEST(EitDecoder, TextTablesAndEventFields)
{
    scan::EitDecoder d;
    const Bytes section = eit({event(152, kStart, {0x01, 0x00, 0x00}, shortEvent("Velvet", "\x0B\xA4uro")),
                               event(153, kStart, {0x00, 0x30, 0x00},
                                     shortEvent(std::string("\x11\x03\xA9\x00" "A", 5), "\x15Z\xC3\xBCrich"))});
    EXPECT_FALSE(d.decode(section.data(), 0));
    const auto r = d.decode(section.data(), section.size());
    ASSERT_TRUE(r);
    EXPECT_EQ(r->key.sid, 782);
    EXPECT_EQ(r->key.tsid, 0xF206);
    EXPECT_EQ(r->key.onid, 0x20CB);
    EXPECT_EQ(r->version, 3);
    ASSERT_EQ(r->events.size(), 2u);
    EXPECT_EQ(r->events[0].eventId, 152);
    EXPECT_EQ(r->events[0].start, 1633290600);
    EXPECT_EQ(r->events[0].duration, 3600u);
    EXPECT_EQ(r->events[0].runningStatus, 4);
    ASSERT_EQ(r->events[0].texts.size(), 1u);
    EXPECT_EQ(r->events[0].texts[0].language, "ces");
    EXPECT_EQ(r->events[0].texts[0].name, "Velvet");
    EXPECT_EQ(r->events[0].texts[0].text, "€uro");
    EXPECT_EQ(r->events[1].texts[0].name, "ΩA"); // UCS-2, big-endian
    EXPECT_EQ(r->events[1].texts[0].text, "Zürich");
}

TEST(EitDecoder, DamagedInputIsDroppedOrTrimmedNeverReadBeyond)
{
    scan::EitDecoder d;
    auto decode = [&](const Bytes& s) { return d.decode(s.data(), s.size()); };

    // A short event descriptor whose name length runs past it: the event stays, without text.
    Bytes lying = shortEvent("Velvet", "x");
    lying[5] = 200;
    auto r = decode(eit({event(1, kStart, {0x01, 0, 0}, lying)}));
    ASSERT_TRUE(r);
    ASSERT_EQ(r->events.size(), 1u);
    EXPECT_TRUE(r->events[0].texts.empty());
    EXPECT_EQ(d.faults().badDescriptors, 1u);

    // A descriptor loop longer than the section: the whole section goes.
    Bytes overrun = event(1, kStart, {0x01, 0, 0}, shortEvent("A", "B"));
    overrun[11] = 0xF0;
    EXPECT_FALSE(decode(eit({overrun})));
    // A descriptor longer than its loop, and a truncated event header.
    Bytes inner = event(1, kStart, {0x01, 0, 0}, {0x4D, 0x40, 'c', 'e', 's', 0, 0});
    EXPECT_FALSE(decode(eit({inner})));
    EXPECT_FALSE(decode(eit({Bytes{0x00, 0x01, 0xE8, 0x62}})));
    EXPECT_EQ(d.faults().badLayout, 3u);

    // Undefined start, a start in 1900, bad BCD and minutes past 59 drop the event only;
    // a zero duration is kept as sent.
    const Bytes y1900 = {0x3A, 0xC9, 0x12, 0x00, 0x00}; // MJD 15049
    r = decode(eit({event(1, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, {1, 0, 0}, {}), event(2, y1900, {1, 0, 0}, {}),
                    event(3, {0xE8, 0x62, 0x1A, 0x00, 0x00}, {1, 0, 0}, {}), event(4, kStart, {0x00, 0x60, 0x00}, {}),
                    event(5, kStart, {0, 0, 0}, shortEvent("Zero", ""))}));
    ASSERT_TRUE(r);
    ASSERT_EQ(r->events.size(), 1u);
    EXPECT_EQ(r->events[0].eventId, 5);
    EXPECT_EQ(r->events[0].duration, 0u);
    EXPECT_EQ(d.faults().badEvents, 4u);

    // Character tables nobody assigned, and a length byte that lies about the section.
    r = decode(eit({event(1, kStart, {1, 0, 0}, shortEvent("\x1FXY", "\x0CQ"))}));
    ASSERT_TRUE(r);
    ASSERT_EQ(r->events.size(), 1u);
    Bytes wrongLength = eit({event(1, kStart, {1, 0, 0}, {})});
    wrongLength[2] += 4;
    EXPECT_FALSE(decode(wrongLength));
    // Not an EIT at all.
    Bytes sdt = eit({});
    sdt[0] = 0x42;
    EXPECT_FALSE(decode(sdt));
}

TEST(EitCollector, RepeatsSkippedNewVersionsAndBadCrcs)
{
    std::vector<std::pair<int, int>> seen; // (version, section)
    std::vector<int64_t> times;
    scan::EitCollector c([&](const scan::EventSection& s) { seen.push_back({s.version, s.sectionNumber}); },
                         [&](int64_t utc) { times.push_back(utc); });
    ts::Packetizer pid12(0x12), pid14(0x14);
    Bytes stream;
    const Bytes v3s0 = eit({event(1, kStart, {1, 0, 0}, shortEvent("A", ""))}, 0x4E, 0, 3);
    const Bytes v3s1 = eit({}, 0x4E, 1, 3);
    const Bytes v4s0 = eit({event(2, kStart, {1, 0, 0}, shortEvent("B", ""))}, 0x4E, 0, 4);
    Bytes badCrc = v4s0;
    badCrc.back() ^= 1;
    const Bytes next = eit({}, 0x4E, 0, 5, false);
    pid12.put({v3s0, v3s1, v3s0, v3s1, badCrc, v4s0, v3s1, next}, stream);
    // TDT 2021-10-03 19:50:00, a TOT with a broken CRC, a good TOT a second later.
    Bytes tdt = {0x70, 0x70, 0x05, 0xE8, 0x62, 0x19, 0x50, 0x00};
    Bytes tot = {0x73, 0x70, 0, 0xE8, 0x62, 0x19, 0x50, 0x01, 0xF0, 0x00};
    finish(tot);
    Bytes badTot = tot;
    badTot[7] = 0x02;
    pid14.put({tdt, badTot, tot}, stream);
    for (size_t i = 0; i + 188 <= stream.size(); i += 188)
        c.put(stream.data() + i);

    // v3 section 1 after v4 section 0: a version change starts the sub-table afresh.
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{3, 0}, {3, 1}, {4, 0}, {3, 1}}));
    EXPECT_EQ(c.counters().repeats, 2u);
    EXPECT_EQ(c.counters().notCurrent, 1u);
    EXPECT_EQ(c.reassembly().crcErrors, 1u);
    EXPECT_EQ(times, (std::vector<int64_t>{1633290600, 1633290601}));
    EXPECT_EQ(c.counters().badTimes, 1u);
}

TEST(SiTime, FieldsAndSections)
{
    const uint8_t epoch[] = {0x9E, 0x8B, 0x00, 0x00, 0x00}; // MJD 40587
    EXPECT_EQ(scan::decodeUtc(epoch), 0);
    const uint8_t leap[] = {0xC0, 0x79, 0x23, 0x59, 0x59}; // 1993-10-13 23:59:59 (EN 300 468 Annex C example day)
    EXPECT_EQ(scan::decodeUtc(leap), 750556799);
    const uint8_t undefined[] = {0xFF, 0xFF, 0xFF};
    EXPECT_EQ(scan::decodeDuration(undefined), 0u);
    const uint8_t longOne[] = {0x25, 0x00, 0x01};
    EXPECT_EQ(scan::decodeDuration(longOne), 90001u);
    const uint8_t tdt[] = {0x70, 0x70, 0x05, 0xE8, 0x62, 0x19, 0x50, 0x00};
    EXPECT_EQ(scan::decodeTimeSection(tdt, sizeof tdt), 1633290600);
    EXPECT_FALSE(scan::decodeTimeSection(tdt, 7));
}
