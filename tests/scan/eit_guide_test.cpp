// The guide of EIT and SDT: every event once in its newest version, texts of all its
// descriptors decoded, overlaps and damage resolved without losing good events, and on
// the real captures every present/following event as an independent parser read it.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <unistd.h>
#include <vector>

#include "scan/EitGuide.h"
#include "scan/ServiceScanner.h"
#include "../ts/TsTestUtil.h"
#include "ts/Packetizer.h"

namespace {

using Bytes = std::vector<uint8_t>;
using tstest::put16;

// 2021-10-03 (MJD 59490) at the given hour, UTC.
Bytes at(int hour, int minute = 0)
{
    auto bcd = [](int v) { return uint8_t((v / 10) << 4 | (v % 10)); };
    return {0xE8, 0x62, bcd(hour), bcd(minute), 0x00};
}
const int64_t kDay = 1633219200; // 2021-10-03 00:00:00 UTC

Bytes descriptor(uint8_t tag, const Bytes& body)
{
    Bytes d = {tag, uint8_t(body.size())};
    d.insert(d.end(), body.begin(), body.end());
    return d;
}

Bytes shortEvent(const std::string& name, const std::string& text, const char* lang = "deu")
{
    Bytes b = {uint8_t(lang[0]), uint8_t(lang[1]), uint8_t(lang[2]), uint8_t(name.size())};
    b.insert(b.end(), name.begin(), name.end());
    b.push_back(uint8_t(text.size()));
    b.insert(b.end(), text.begin(), text.end());
    return descriptor(0x4D, b);
}

Bytes extendedEvent(int number, int last, const char* lang, const std::vector<std::pair<std::string, std::string>>& items,
                    const std::string& text)
{
    Bytes b = {uint8_t(number << 4 | last), uint8_t(lang[0]), uint8_t(lang[1]), uint8_t(lang[2]), 0};
    for (const auto& [d, i] : items) {
        b.push_back(uint8_t(d.size()));
        b.insert(b.end(), d.begin(), d.end());
        b.push_back(uint8_t(i.size()));
        b.insert(b.end(), i.begin(), i.end());
    }
    b[4] = uint8_t(b.size() - 5);
    b.push_back(uint8_t(text.size()));
    b.insert(b.end(), text.begin(), text.end());
    return descriptor(0x4E, b);
}

Bytes event(uint16_t id, const Bytes& start, const Bytes& duration, const Bytes& descriptors)
{
    Bytes e;
    put16(e, id);
    e.insert(e.end(), start.begin(), start.end());
    e.insert(e.end(), duration.begin(), duration.end());
    put16(e, 0x8000 | descriptors.size());
    e.insert(e.end(), descriptors.begin(), descriptors.end());
    return e;
}
const Bytes kHour = {0x01, 0x00, 0x00};

Bytes eit(const std::vector<Bytes>& events, uint8_t table = 0x50, uint8_t version = 1, uint8_t section = 0,
          uint16_t sid = 28106, uint16_t tsid = 1101)
{
    Bytes s = {table, 0xF0, 0};
    put16(s, sid);
    s.push_back(uint8_t(0xC1 | version << 1));
    s.push_back(section);
    s.push_back(section);
    put16(s, tsid);
    put16(s, 1); // ONID
    s.push_back(section);
    s.push_back(table);
    for (const auto& e : events)
        s.insert(s.end(), e.begin(), e.end());
    tstest::finishSection(s);
    return s;
}

Bytes sdt(uint8_t table, uint16_t tsid, const std::vector<std::pair<uint16_t, std::string>>& names, uint8_t version = 0)
{
    Bytes s = {table, 0xF0, 0};
    put16(s, tsid);
    s.push_back(uint8_t(0xC1 | version << 1));
    s.push_back(0);
    s.push_back(0);
    put16(s, 1);
    s.push_back(0xFF);
    for (const auto& [sid, name] : names) {
        Bytes b = {0x01, 3, 'A', 'R', 'D', uint8_t(name.size())};
        b.insert(b.end(), name.begin(), name.end());
        const Bytes d = descriptor(0x48, b);
        put16(s, sid);
        s.push_back(0xFC);
        put16(s, 0x8000 | d.size());
        s.insert(s.end(), d.begin(), d.end());
    }
    tstest::finishSection(s);
    return s;
}

const scan::GuideService* find(const std::vector<scan::GuideService>& all, uint16_t sid, uint16_t tsid = 1101)
{
    for (const auto& s : all)
        if (s.sid == sid && s.tsid == tsid)
            return &s;
    return nullptr;
}

std::string capture(const std::string& file) { return std::string(ORVALIS_TEST_DATA_DIR) + "/ts/" + file; }

} // namespace

TEST(EitGuide, NewestVersionOfEachEventAndOverlapsResolved)
{
    scan::EitGuide g;
    const Bytes v1 = eit({event(1, at(10), kHour, shortEvent("Alt", "")), event(2, at(11), kHour, shortEvent("Zwei", ""))});
    g.putSection(v1.data(), v1.size());
    g.putSection(v1.data(), v1.size()); // carousel repeat: not decoded again
    EXPECT_EQ(g.counters().repeats, 1u);
    const Bytes v2 = eit({event(1, at(10), kHour, shortEvent("Neu", ""))}, 0x50, 2);
    g.putSection(v2.data(), v2.size());
    EXPECT_EQ(g.counters().replaced, 1u);
    // Present/following, later: event 3 runs late over event 2, which gives way.
    const Bytes pf = eit({event(3, at(11, 30), kHour, shortEvent("Spät", ""))}, 0x4E, 7);
    g.putSection(pf.data(), pf.size());

    const auto all = g.services();
    const auto* s = find(all, 28106);
    ASSERT_TRUE(s);
    ASSERT_EQ(s->events.size(), 2u);
    EXPECT_EQ(s->events[0].titles.at(0).name, "Neu");
    EXPECT_EQ(s->events[0].start, kDay + 10 * 3600);
    EXPECT_EQ(s->events[0].duration, 3600u);
    EXPECT_EQ(s->events[1].eventId, 3);
    EXPECT_EQ(s->events[1].tableId, 0x4E);
    EXPECT_EQ(g.counters().overlapped, 1u);
    EXPECT_EQ(g.eventCount(), 3u);

    // Back-to-back events do not overlap, nor does an event with no duration after them.
    scan::EitGuide h;
    const Bytes seq = eit({event(1, at(8), kHour, {}), event(3, at(9), kHour, {}), event(2, at(10), {0, 0, 0}, {})});
    h.putSection(seq.data(), seq.size());
    EXPECT_EQ(h.services().at(0).events.size(), 3u);
    EXPECT_EQ(h.counters().overlapped, 0u);
}

TEST(EitGuide, OwnTransponderWinsAcrossStreams)
{
    scan::EitGuide g;
    const Bytes own = eit({event(5, at(20), kHour, shortEvent("Eigen", ""))}, 0x4E, 1);
    const Bytes other = eit({event(5, at(20), kHour, shortEvent("Fremd", ""))}, 0x4F, 9);
    const Bytes names = sdt(0x42, 1101, {{28106, "Das Erste"}});
    const Bytes otherNames = sdt(0x46, 1073, {{28721, "ZDF"}});
    g.putSection(own.data(), own.size());
    g.putSection(names.data(), names.size());
    g.nextStream();
    g.putSection(other.data(), other.size());
    g.putSection(otherNames.data(), otherNames.size());
    const auto all = g.services();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(find(all, 28106)->events.at(0).titles.at(0).name, "Eigen");
    EXPECT_EQ(find(all, 28106)->name, "Das Erste");
    EXPECT_EQ(find(all, 28106)->provider, "ARD");
    EXPECT_TRUE(find(all, 28721, 1073)->inSdt);
    EXPECT_EQ(find(all, 28721, 1073)->name, "ZDF");
    EXPECT_TRUE(find(all, 28721, 1073)->events.empty());

    // Within one stream, the later word counts, whichever table it came in.
    scan::EitGuide h;
    h.putSection(own.data(), own.size());
    h.putSection(other.data(), other.size());
    EXPECT_EQ(h.services().at(0).events.at(0).titles.at(0).name, "Fremd");
}

TEST(EitGuide, DescriptorsOfAnEvent)
{
    // Two extended descriptors, sent out of order, their UTF-8 text split inside "ü";
    // an item continued in the second; content and parental rating entries.
    Bytes desc = shortEvent("Tatort", "Krimi", "deu");
    const Bytes second = extendedEvent(1, 1, "deu", {{"", " Mayer"}}, std::string("\x15\xBC" "rich", 6));
    const Bytes first = extendedEvent(0, 1, "deu", {{"Regie", "Anna"}, {"Darsteller", "Paul"}}, std::string("\x15Z\xC3", 3));
    const Bytes english = extendedEvent(0, 0, "eng", {}, "Crime");
    const Bytes content = descriptor(0x54, {0x10, 0x00, 0x43, 0x21});
    const Bytes rating = descriptor(0x55, {'D', 'E', 'U', 0x09, 'F', 'R', 'A', 0x20});
    for (const Bytes* b : {&second, &english, &first, &content, &rating})
        desc.insert(desc.end(), b->begin(), b->end());
    const Bytes s = eit({event(9, at(20, 15), {0x01, 0x30, 0x00}, desc)});
    scan::EitGuide g;
    g.putSection(s.data(), s.size());
    const auto all = g.services();
    ASSERT_EQ(all.size(), 1u);
    ASSERT_EQ(all[0].events.size(), 1u);
    const scan::GuideEvent& e = all[0].events[0];
    EXPECT_EQ(e.duration, 5400u);
    ASSERT_EQ(e.titles.size(), 1u);
    EXPECT_EQ(e.titles[0].language, "deu");
    EXPECT_EQ(e.titles[0].text, "Krimi");
    ASSERT_EQ(e.extended.size(), 2u);
    EXPECT_EQ(e.extended[0].language, "deu");
    EXPECT_EQ(e.extended[0].text, "Zürich");
    ASSERT_EQ(e.extended[0].items.size(), 2u);
    EXPECT_EQ(e.extended[0].items[1].description, "Darsteller");
    EXPECT_EQ(e.extended[0].items[1].item, "Paul Mayer");
    EXPECT_EQ(e.extended[1].text, "Crime");
    ASSERT_EQ(e.content.size(), 2u);
    EXPECT_EQ(e.content[1].level1, 4);
    EXPECT_EQ(e.content[1].level2, 3);
    EXPECT_EQ(e.content[1].user, 0x21);
    ASSERT_EQ(e.ratings.size(), 2u);
    EXPECT_EQ(e.ratings[0].country, "DEU");
    EXPECT_EQ(e.ratings[0].minimumAge(), 12);
    EXPECT_EQ(e.ratings[1].minimumAge(), 0); // broadcaster-defined
    EXPECT_EQ(g.counters().badDescriptors, 0u);
}

TEST(EitGuide, DamageIsDroppedAndCounted)
{
    scan::EitGuide g;
    // Undefined start, a date past the 32-bit clock (MJD 65534, 2038-04-21),
    // and a short event whose name length lies: the first two events go, the third loses
    // only its title.
    Bytes lying = shortEvent("Name", "");
    lying[5] = 40;
    const Bytes s = eit({event(1, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, kHour, {}),
                         event(2, {0xFF, 0xFE, 0x00, 0x00, 0x00}, kHour, {}),
                         event(3, at(6), kHour, lying), event(4, at(7), kHour, shortEvent("Gut", ""))});
    g.putSection(s.data(), s.size());
    EXPECT_EQ(g.counters().badEvents, 2u);
    EXPECT_EQ(g.counters().badDescriptors, 1u);
    auto all = g.services();
    ASSERT_EQ(all.at(0).events.size(), 2u);
    EXPECT_TRUE(all[0].events[0].titles.empty());
    EXPECT_EQ(all[0].events[1].titles.at(0).name, "Gut");

    // An event loop that overruns the section drops the section whole, and a good copy
    // of the same section in the same version is still taken.
    Bytes bad = eit({event(7, at(12), kHour, shortEvent("Mittag", ""))}, 0x51, 4);
    bad[14 + 11] += 3;
    tstest::finishSection((bad.resize(bad.size() - 4), bad));
    g.putSection(bad.data(), bad.size());
    EXPECT_EQ(g.counters().badLayout, 1u);
    EXPECT_EQ(g.services().at(0).events.size(), 2u);
    const Bytes good = eit({event(7, at(12), kHour, shortEvent("Mittag", ""))}, 0x51, 4);
    g.putSection(good.data(), good.size());
    EXPECT_EQ(g.counters().repeats, 0u);
    EXPECT_EQ(g.services().at(0).events.size(), 3u);

    // A section cut short or of the wrong length is no section.
    g.putSection(good.data(), good.size() - 1);
    g.putSection(good.data(), 5);
    EXPECT_EQ(g.counters().badLayout, 3u);
}

TEST(EitGuide, FilesThatAreNoStreams)
{
    scan::EitGuide g;
    std::string error;
    EXPECT_FALSE(g.addFile("/dev/zero", &error));
    EXPECT_NE(error.find("no sync"), std::string::npos) << error;
    EXPECT_FALSE(g.addFile(ORVALIS_TEST_DATA_DIR, &error));
    EXPECT_NE(error.find("directory"), std::string::npos) << error;
    EXPECT_FALSE(g.addFile(capture("no-such-file.ts"), &error));
    EXPECT_NE(error.find("no-such-file.ts"), std::string::npos);

    // Packets in memory, split at any byte: the same guide as the file gives.
    std::ifstream in(capture("tw-cts-dvbt.ts"), std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    scan::EitGuide fromFile, fromMemory;
    ASSERT_TRUE(fromFile.addFile(capture("tw-cts-dvbt.ts"), &error)) << error;
    fromMemory.addStream(reinterpret_cast<const uint8_t*>(data.data()), data.size());
    EXPECT_GT(fromFile.eventCount(), 0u);
    EXPECT_EQ(fromFile.eventCount(), fromMemory.eventCount());
    EXPECT_EQ(fromFile.counters().eitSections, fromMemory.counters().eitSections);
}

// Every present/following event the independent listing holds is in the guide, with its
// start, duration and title as broadcast (ISO 6937 diacritics, ISO 8859-7/-9/-15, UCS-2).
TEST(EitGuideCaptures, EveryPresentFollowingEventAsBroadcast)
{
    std::ifstream list(capture("present-following.md"));
    ASSERT_TRUE(list);
    const std::regex file(R"(^## (\S+))");
    const std::regex entry(
        R"re(^  - sid (\d+) sec \d \(\w+\) v\d+: event (\d+) (\d{4}-\d\d-\d\d \d\d:\d\d:\d\d) UTC dur (\d\d):(\d\d):(\d\d) "(.*)" \[)re");
    std::string line, current;
    std::vector<scan::GuideService> services;
    size_t checked = 0;
    std::map<std::string, size_t> perFile;
    while (std::getline(list, line)) {
        std::smatch m;
        if (std::regex_search(line, m, file)) {
            current = m[1];
            scan::EitGuide g;
            std::string error;
            ASSERT_TRUE(g.addFile(capture(current), &error)) << error;
            services = g.services();
            EXPECT_EQ(g.counters().badLayout + g.counters().badEvents + g.counters().badDescriptors, 0u) << current;
            EXPECT_EQ(g.textFaults().badBytes, 0u) << current;
            continue;
        }
        if (!std::regex_search(line, m, entry))
            continue;
        const int sid = std::stoi(m[1]);
        const int id = std::stoi(m[2]);
        std::tm tm{};
        ASSERT_TRUE(strptime(m[3].str().c_str(), "%Y-%m-%d %H:%M:%S", &tm));
        const int64_t start = timegm(&tm);
        const uint32_t duration = uint32_t(std::stoi(m[4]) * 3600 + std::stoi(m[5]) * 60 + std::stoi(m[6]));
        const scan::GuideEvent* found = nullptr;
        for (const auto& s : services)
            if (s.sid == sid)
                for (const auto& e : s.events)
                    if (e.eventId == id)
                        found = &e;
        ASSERT_TRUE(found) << current << " sid " << sid << " event " << id;
        EXPECT_EQ(found->start, start) << current << " event " << id;
        EXPECT_EQ(found->duration, duration) << current << " event " << id;
        ASSERT_FALSE(found->titles.empty());
        EXPECT_EQ(found->titles[0].name, m[7].str()) << current << " event " << id;
        ++checked;
        ++perFile[current];
    }
    EXPECT_GT(checked, 100u);
    EXPECT_EQ(perFile.size(), 5u); // two captures carry no EIT
}

// The guide names services as the service scan does: the same texts, decoded the same
// way, on every capture (ISO 6937, ISO 8859-15, UCS-2 names).
TEST(EitGuideCaptures, ServiceNamesAsTheScanDecodesThem)
{
    size_t compared = 0;
    for (const char* file : {"cz-cra-mux22.ts", "cz-ct-mux1-psi.ts", "de-ard-br-626mhz.ts", "fr-tnt-r4-multi4.ts",
                             "gr-ert-heraklion-a.ts", "it-mediaset-mux-ait.ts", "tw-cts-dvbt.ts"}) {
        const scan::ScanResult scanned = scan::scanTransportFile(capture(file));
        scan::EitGuide g;
        std::string error;
        ASSERT_TRUE(g.addFile(capture(file), &error)) << error;
        const auto services = g.services();
        for (const auto& s : scanned.services) {
            const auto* found = find(services, s.sid, scanned.tsid);
            ASSERT_TRUE(found) << file << " sid " << s.sid;
            EXPECT_TRUE(found->inSdt);
            EXPECT_EQ(found->onid, scanned.onid);
            EXPECT_EQ(found->name, s.name) << file << " sid " << s.sid;
            EXPECT_EQ(found->provider, s.provider) << file << " sid " << s.sid;
            ++compared;
        }
    }
    EXPECT_GT(compared, 50u);
}
