// A receiver's service scan of the sample broadcast finds every channel of the channel table.
#include <gtest/gtest.h>

#include "MuxTestSupport.h"
#include "mux/Charset.h"
#include "mux/ModelGenerator.h"
#include "scan/ServiceScanner.h"

using namespace muxtest;

TEST(GeneratedScan, ServiceListHoldsEveryChannelAtThirteenEast)
{
    mux::Config cfg = weekConfig();
    cfg.passes = 1;
    const auto m = mux::generateModel(cfg);
    const auto r = scan::scanTransportStream(mux::buildTransportStream(cfg, m));
    ASSERT_TRUE(r.complete());
    EXPECT_EQ(r.dvbNamespace, 0x820000u);
    EXPECT_EQ(r.tsid, cfg.tsid);
    EXPECT_EQ(r.onid, cfg.onid);
    ASSERT_EQ(r.services.size(), m.channels.size() + 1);
    const scan::ServiceInfo* epg = r.service(cfg.epgServiceId);
    ASSERT_TRUE(epg);
    EXPECT_EQ(epg->name, "Orvalis EPG");
    for (const auto& c : m.channels) {
        const scan::ServiceInfo* s = r.service(c.sid);
        ASSERT_TRUE(s) << c.sid;
        EXPECT_EQ(s->name, mux::latin9ToUtf8(c.name));
        EXPECT_EQ(s->type, c.serviceType);
        EXPECT_NE(s->pmtPid, 0);
    }
}

TEST(GeneratedScan, WestPositionsAndStreamsWithoutEpgStillScan)
{
    mux::Config cfg = weekConfig();
    cfg.withEpg = false;
    cfg.passes = 1;
    cfg.orbitalPosition = 300;
    cfg.west = true;
    cfg.channelCount = 3;
    const auto r = scan::scanTransportStream(mux::buildTransportStream(cfg));
    ASSERT_TRUE(r.complete());
    EXPECT_EQ(r.orbitalPosition, 300);
    EXPECT_TRUE(r.west);
    EXPECT_EQ(r.dvbNamespace, uint32_t(3300) << 16);
    EXPECT_EQ(r.services.size(), 4u);
}
