// The box's EPG side: the clock option, the cache following the tuned stream as it
// plays (a new version replaces the old), the stream clock dated by the TDT, and the
// --list-events lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "box/BoxOptions.h"
#include "box/EpgFeed.h"
#include "box/EventListing.h"
#include "demux/Transponders.h"
#include "host/service/BoxClock.h"
#include "host/service/eEPGCache.h"
#include "host/service/eServiceInterface.h"
#include "../ts/TsTestUtil.h"
#include "ts/Crc32.h"
#include "ts/Packetizer.h"

namespace {

using Bytes = std::vector<uint8_t>;

using tstest::put16;
const auto finish = tstest::finishSection;

// Present section of service 0x30E: one event at 2021-10-03 19:50 UTC, one hour.
Bytes present(uint8_t version, const std::string& name)
{
    Bytes s = {0x4E, 0xF0, 0};
    put16(s, 0x30E);
    s.push_back(uint8_t(0xC1 | version << 1));
    s.insert(s.end(), {0, 1});
    put16(s, 0xF206);
    put16(s, 0x20CB);
    s.insert(s.end(), {1, 0x4E});
    put16(s, 152);
    s.insert(s.end(), {0xE8, 0x62, 0x19, 0x50, 0x00, 0x01, 0x00, 0x00});
    Bytes d = {0x4D, 0, 'c', 'e', 's', uint8_t(name.size())};
    d.insert(d.end(), name.begin(), name.end());
    d.push_back(0);
    d[1] = uint8_t(d.size() - 2);
    put16(s, 0x8000 | d.size());
    s.insert(s.end(), d.begin(), d.end());
    finish(s);
    return s;
}

std::optional<box::BoxOptions> parse(std::vector<const char*> args, bool* help)
{
    std::string error;
    args.insert(args.begin(), "box");
    return box::parseBoxOptions(int(args.size()), const_cast<char**>(args.data()), &error, help);
}

} // namespace

TEST(BoxOptions, ClockOptionAndWhatHelpSaysOfIt)
{
    bool help = false;
    auto o = parse({"--list-events"}, &help);
    ASSERT_TRUE(o);
    EXPECT_TRUE(o->listEvents);
    EXPECT_FALSE(o->streamClock);
    EXPECT_EQ(std::string(box::clockInForce(*o)), "clock in force: system time\n");
    o = parse({"--help", "--clock", "stream"}, &help);
    ASSERT_TRUE(o);
    EXPECT_TRUE(help);
    EXPECT_NE(std::string(box::clockInForce(*o)).find("stream"), std::string::npos);
    EXPECT_FALSE(parse({"--clock", "gps"}, &help));
    EXPECT_FALSE(parse({"--clock"}, &help));
}

TEST(EpgFeed, CacheAndClockFollowTheTunedStreamAsItPlays)
{
    eEPGCache::instance->clear();
    eServiceInterface::getInstance()->clear();
    // Three seconds of stream: version 1, a TDT at 19:55:00, then version 2, padding.
    ts::Packetizer eit(0x12), tdt(0x14);
    Bytes stream;
    eit.put({present(1, "Velvet")}, stream);
    tdt.put(Bytes{0x70, 0x70, 0x05, 0xE8, 0x62, 0x19, 0x55, 0x00}, stream);
    eit.put({present(2, "Poklad z p\xCA" "udy")}, stream); // ISO 6937: ring above, then the letter
    while (stream.size() < 188 * 10000)
        ts::appendNullPacket(stream);

    auto& clock = host::BoxClock::instance();
    clock.useStreamTime(true);
    {
        demux::Transponders transponders;
        transponders.add(stream.data(), stream.size());
        box::EpgFeed feed(transponders);
        transponders.tune(0);
        // Two and a half seconds of the stream's clock (5 Mbit/s without PCR).
        transponders.waitFor(nullptr, 2500000000u, false);
        EXPECT_EQ(feed.collector().counters().decoded, 2u);
        EXPECT_EQ(clock.now(), 1633290900 + 2); // 19:55:00 and the stream's time since
    }
    const eServiceReference ref(eString("1:0:1:30E:F206:20CB:EEEE0000:0:0:0:"));
    std::unique_ptr<EITEvent> running(eEPGCache::instance->lookupEvent(ref, 0, false));
    ASSERT_NE(running, nullptr);
    eString name;
    LocalEventData().getLocalData(running.get(), &name);
    EXPECT_EQ(name, "Poklad z půdy");
    EXPECT_EQ(box::eventListing(), "1:0:1:30E:F206:20CB:0:0:0:0:\t2021-10-03 19:50:00\t1:00:00\tPoklad z půdy\n");

    // Once the box knows the service, the listing names it.
    eServiceInterface::getInstance()->addService({ref, "Prima love", "", 0});
    EXPECT_EQ(box::eventListing().substr(0, 11), "Prima love\t");
    clock.useStreamTime(false);
    clock.forgetStreamTime();
    eEPGCache::instance->clear();
    eServiceInterface::getInstance()->clear();
}
