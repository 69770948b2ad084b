// Which service a channel of the guide is: by its DVB id, else by its name in the
// box's service list, never by a guess.
#include "import/ChannelMap.h"

#include <gtest/gtest.h>

using namespace importer;

namespace {

SourceChannel channel(const std::string& id, std::vector<std::string> names)
{
    SourceChannel c;
    c.id = id;
    c.names = std::move(names);
    c.line = 7;
    return c;
}

bool mentions(const Report& r, const std::string& text)
{
    for (const auto& n : r.notes)
        if (n.find(text) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST(ChannelMap, IdsAndReferences)
{
    ServiceKey k;
    ASSERT_TRUE(ChannelMap::parseDvbId("13e.bb9.c93.dvb", k));
    EXPECT_EQ(k, (ServiceKey{0x13E, 0xBB9, 0xC93}));
    EXPECT_FALSE(ChannelMap::parseDvbId("13e.bb9.c93", k));
    EXPECT_FALSE(ChannelMap::parseDvbId("13e.bb9.12345.dvb", k));
    EXPECT_FALSE(ChannelMap::parseDvbId("rai1.it", k));
    ASSERT_TRUE(ChannelMap::parseReference("1:0:1:C93:BB9:13E:820000:0:0:0:", k));
    EXPECT_EQ(k, (ServiceKey{0x13E, 0xBB9, 0xC93}));
    EXPECT_FALSE(ChannelMap::parseReference("4097:0:1:C93:BB9", k));
    EXPECT_EQ(ChannelMap::namespaceOf("1:0:1f:321:3103:2114:eeee0000:0:0:0:"), 0xEEEE0000ul);
    EXPECT_EQ(ChannelMap::namespaceOf("1:0:1:321:3103:2114:"), 0ul);
    EXPECT_EQ(ChannelMap::namespaceOf("1:0:1:321:3103:2114:zz:0"), 0ul);
    // The service list's own reference, whatever the service type, for the EPG service.
    ChannelMap map;
    map.addServices("1:0:1f:321:3103:2114:eeee0000:0:0:0:\tBR Fernsehen Nord HD\n");
    EXPECT_EQ(map.referenceOf(ServiceKey{0x2114, 0x3103, 0x321}), "1:0:1f:321:3103:2114:eeee0000:0:0:0:");
    EXPECT_EQ(map.referenceOf(ServiceKey{0x2114, 0x3103, 0x322}), "");
    EXPECT_EQ(ChannelMap::nameKey("  Rete   UNO "), "rete uno");
    // The service list may hold ISO 8859-15 names; they meet their UTF-8 spelling.
    EXPECT_EQ(ChannelMap::nameKey("Cin\xE9ma"), ChannelMap::nameKey("Cin\xC3\xA9ma"));
}

TEST(ChannelMap, NamesMatchOneServiceOrAreLeftOut)
{
    ChannelMap map;
    map.addServices("# services\n"
                    "1:0:1:C93:BB9:13E:820000:0:0:0:\tRete Uno\n"
                    "1:0:1:CA6:BB9:13E:820000:0:0:0:\tRete Due\r\n"
                    "1:0:1:CB9:BB9:13E:820000:0:0:0:\tSport\n"
                    "1:0:1:CBA:BB9:13E:820000:0:0:0:\tSport\n"
                    "garbage line\n");
    EXPECT_EQ(map.serviceCount(), 4u);
    SourceGuide g;
    g.name = "g.xml";
    g.channels = {channel("rete1.example", {"RETE UNO"}),
                  channel("13e.bb9.7.dvb", {"Notizie"}),
                  channel("sport.example", {"Sport"}),
                  channel("unknown.example", {"Nessuno"}),
                  channel("due.example", {"R2", "Rete  due"}),
                  channel("13e.bb9.c93.dvb", {"Rete Uno HD"})};
    Report report;
    map.build(g, report);
    ASSERT_EQ(map.channels().size(), 3u);
    EXPECT_EQ(map.channels()[0].service, (ServiceKey{0x13E, 0xBB9, 0xC93}));
    EXPECT_EQ(map.channels()[0].name, "Rete Uno"); // the box's name for it
    EXPECT_EQ(map.channels()[1].service, (ServiceKey{0x13E, 0xBB9, 0x7}));
    EXPECT_EQ(map.channels()[1].name, "Notizie");
    EXPECT_EQ(map.channels()[2].service, (ServiceKey{0x13E, 0xBB9, 0xCA6}));
    EXPECT_EQ(map.indexOf(0), 0);
    EXPECT_EQ(map.indexOf(1), 1);
    EXPECT_EQ(map.indexOf(2), -1); // two services named Sport
    EXPECT_EQ(map.indexOf(3), -1);
    EXPECT_EQ(map.indexOf(4), 2); // by its second name
    EXPECT_EQ(map.indexOf(5), 0); // the same service as the first: its programmes join it
    EXPECT_TRUE(mentions(report, "g.xml line 7: channel \"sport.example\" (Sport) is left out: 2 services"));
    EXPECT_TRUE(mentions(report, "channel \"unknown.example\" (Nessuno) is left out: no service"));
    EXPECT_TRUE(mentions(report, "\"13e.bb9.c93.dvb\" is the service 13e.bb9.c93.dvb again"));
}

TEST(ChannelMap, AtMostThreeHundredChannels)
{
    SourceGuide g;
    for (int i = 0; i < 310; ++i)
        g.channels.push_back(channel("1.1." + std::to_string(i + 1) + ".dvb", {"C"}));
    ChannelMap map;
    Report report;
    map.build(g, report);
    EXPECT_EQ(map.channels().size(), 300u);
    EXPECT_EQ(map.indexOf(299), 299);
    EXPECT_EQ(map.indexOf(300), -1);
    EXPECT_TRUE(mentions(report, "10 channels are left out"));
}
