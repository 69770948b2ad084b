// The readers against the box's own demux, fed by the sample broadcast: what the
// plug-in decodes from the air must be what the generator put on it.
#include "broadcast/getCanaliTemi.h"
#include "demux/Transponders.h"
#include "demux/VirtualDemuxFile.h"
#include "frame/globals.h"
#include "host/platform/DeviceRegistry.h"
#include "mux/ModelGenerator.h"
#include "mux/StreamBuilder.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

std::string lowered(std::string s)
{
    std::vector<char> buf(s.begin(), s.end());
    buf.push_back('\0');
    tolower(buf.data());
    return buf.data();
}

class OnAir : public ::testing::Test {
protected:
    void tuneTo(const mux::Config& config)
    {
        m_model = mux::generateModel(config);
        auto ts = mux::buildTransportStream(config, m_model);
        m_transponders = std::make_unique<demux::Transponders>();
        m_transponders->add(ts.data(), ts.size());
        m_transponders->tune(0);
        demux::installVirtualDemux(*m_transponders);
        std::memset(temalist, 0, sizeof temalist);
        readThCh = false;
        nsp_curr = "820000";
    }
    void TearDown() override
    {
        host::unregisterDevice("/dev/dvb/card0/demux0");
        nsp_curr.clear();
    }
    mux::Model m_model;
    std::unique_ptr<demux::Transponders> m_transponders;
};

TEST_F(OnAir, ChannelAndThemeTablesMatchTheBroadcast)
{
    mux::Config config;
    config.days = 1;
    tuneTo(config);
    ASSERT_EQ(getCanaliTemi(), 0);
    ASSERT_EQ(nb_channels, static_cast<int>(m_model.channels.size()));
    for (int i = 0; i < nb_channels; ++i) {
        const auto& c = m_model.channels[i];
        EXPECT_EQ(channel_ids[i], c.sid);
        EXPECT_EQ(channel_paths[i], serviceRefText(c.sid, c.tsid, c.onid));
    }
    ASSERT_EQ(nb_themes, static_cast<int>(m_model.themes.size()));
    for (int g = 0; g < nb_themes; ++g) {
        const auto& t = m_model.themes[g];
        EXPECT_EQ(temalist[g * 16].name, lowered(t.name)) << g;
        EXPECT_EQ(temalist[g * 16].count, 1 + static_cast<int>(t.subThemes.size())) << g;
        for (size_t k = 0; k < t.subThemes.size(); ++k)
            EXPECT_EQ(temalist[g * 16 + 1 + k].name, lowered(t.subThemes[k])) << g << "/" << k;
    }
}

TEST_F(OnAir, OddTablesAreReadWithoutWritingPastTheTables)
{
    mux::Config config;
    config.days = 1;
    config.channelExtraBytes = 21;
    config.tooManySubThemes = true;
    tuneTo(config);
    ASSERT_EQ(getCanaliTemi(), 0);
    EXPECT_EQ(nb_channels, static_cast<int>(m_model.channels.size()));
    for (int g = 0; g < nb_themes; ++g)
        EXPECT_LE(temalist[g * 16].count, g == 15 ? 15 : 16);

    config = mux::Config();
    config.days = 1;
    config.emptyChannelTable = true;
    config.emptyThemeTable = true;
    tuneTo(config);
    ASSERT_EQ(getCanaliTemi(), 0);
    EXPECT_EQ(nb_channels, 0);
    EXPECT_EQ(nb_themes, 0);
}

TEST_F(OnAir, AStreamWithoutTheTablesTimesOutOnStreamTime)
{
    mux::Config config;
    config.days = 1;
    config.withEpg = false;
    tuneTo(config);
    uint64_t before = m_transponders->now();
    EXPECT_EQ(getCanaliTemi(), -2);
    EXPECT_FALSE(readThCh);
    // The filter's 8000 ms ran out on the stream's clock.
    EXPECT_GE(m_transponders->now() - before, 8000ull * 1000 * 1000);
    EXPECT_LT(m_transponders->now() - before, 9000ull * 1000 * 1000);
}

} // namespace
