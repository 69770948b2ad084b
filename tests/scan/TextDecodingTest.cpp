// Service names in each DVB character table come out as UTF-8 (EN 300 468 Annex A).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scan/ServiceScanner.h"
#include "ts/Crc32.h"
#include "ts/Packetizer.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, unsigned v)
{
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}

// An SDT actual section with one service descriptor per name (raw DVB text bytes).
Bytes sdtSection(const std::vector<std::string>& names, uint8_t section = 0, uint8_t last = 0, uint8_t version = 0)
{
    Bytes s = {0x42, 0, 0};
    put16(s, 0x0042);
    s.push_back(uint8_t(0xC1 | version << 1));
    s.push_back(section);
    s.push_back(last);
    put16(s, 0x1234);
    s.push_back(0xFF);
    uint16_t sid = 100 + section * 50;
    for (const auto& name : names) {
        Bytes d = {0x48, 0, 0x01, 3, 'P', 'r', 'v', uint8_t(name.size())};
        d.insert(d.end(), name.begin(), name.end());
        d[1] = uint8_t(d.size() - 2);
        put16(s, sid++);
        s.push_back(0xFC);
        put16(s, 0x8000 | d.size());
        s.insert(s.end(), d.begin(), d.end());
    }
    const size_t len = s.size() + 4 - 3;
    s[1] = uint8_t(0xB0 | (len >> 8));
    s[2] = uint8_t(len);
    const uint32_t crc = ts::crc32(s.data(), s.size());
    put16(s, crc >> 16);
    put16(s, crc & 0xFFFF);
    return s;
}

scan::ScanResult scanSections(const std::vector<Bytes>& sections)
{
    ts::Packetizer sdt(0x11);
    Bytes stream;
    sdt.put(sections, stream);
    return scan::scanTransportStream(stream);
}

} // namespace

TEST(TextDecoding, EachCharacterTableBecomesUtf8)
{
    const std::vector<std::string> names = {
        std::string("\xCF" "Cesk\xC2" "a"),              // default table: non-spacing caron and acute
        std::string("\x03\xC5\xD1\xD4", 4),             // ISO 8859-7
        std::string("\x10\x00\x02\xA3\xF3" "d\xBC", 7), // ISO 8859-2 by the three-byte form
        std::string("\x11\x03\xA9\x00" "A", 5),         // UCS-2
        std::string("\x14\x83\xEF\x89\x96", 5),         // the Big5 subset of ISO/IEC 10646, two-byte codes
        std::string("\x15Z\xC3\xBCrich"),               // UTF-8
        std::string("\x0B\xA4uro"),                     // ISO 8859-15
        std::string("Plain"),
    };
    const auto r = scanSections({sdtSection(names)});
    ASSERT_TRUE(r.haveSdt);
    ASSERT_EQ(r.services.size(), names.size());
    EXPECT_EQ(r.services[0].name, "Česká");
    EXPECT_EQ(r.services[1].name, "ΕΡΤ");
    EXPECT_EQ(r.services[2].name, "Łódź");
    EXPECT_EQ(r.services[3].name, "ΩA");
    EXPECT_EQ(r.services[4].name, "華視");
    EXPECT_EQ(r.services[5].name, "Zürich");
    EXPECT_EQ(r.services[6].name, "€uro");
    EXPECT_EQ(r.services[7].name, "Plain");
    EXPECT_EQ(r.services[7].provider, "Prv");
    EXPECT_EQ(r.onid, 0x1234);
    EXPECT_EQ(r.tsid, 0x0042);
}

TEST(TextDecoding, SdtIsTakenWhenEverySectionOfOneVersionArrived)
{
    const Bytes first = sdtSection({"One"}, 0, 1);
    const Bytes second = sdtSection({"Two"}, 1, 1);
    const Bytes otherVersion = sdtSection({"Late"}, 1, 1, 3);

    auto r = scanSections({first});
    EXPECT_FALSE(r.haveSdt);
    EXPECT_TRUE(r.services.empty());

    r = scanSections({first, otherVersion, first, second});
    ASSERT_TRUE(r.haveSdt);
    ASSERT_EQ(r.services.size(), 2u);
    EXPECT_EQ(r.services[0].name, "One");
    EXPECT_EQ(r.services[1].name, "Two");
}

TEST(TextDecoding, NamespaceFollowsTheOrbitalPosition)
{
    EXPECT_EQ(scan::satelliteNamespace(130, false), 0x820000u);
    EXPECT_EQ(scan::satelliteNamespace(192, false), 0xC00000u);
    EXPECT_EQ(scan::satelliteNamespace(300, true), uint32_t(3300) << 16);
}
