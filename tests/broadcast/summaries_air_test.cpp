// The summary reader against the box's demux fed by the sample broadcast: every
// listed programme gets the summary the generator sent for its summary id.
#include "broadcast/GetSummaries.h"
#include "demux/Transponders.h"
#include "demux/VirtualDemuxFile.h"
#include "frame/globals.h"
#include "host/platform/DeviceRegistry.h"
#include "mux/ModelGenerator.h"
#include "mux/StreamBuilder.h"

#include <gtest/gtest.h>
#include <map>

namespace {

class SummariesOnAir : public ::testing::Test {
protected:
    void tuneTo(const mux::Config& config)
    {
        m_model = mux::generateModel(config);
        auto ts = mux::buildTransportStream(config, m_model);
        m_transponders = std::make_unique<demux::Transponders>();
        m_transponders->add(ts.data(), ts.size());
        m_transponders->tune(0);
        demux::installVirtualDemux(*m_transponders);
        for (auto& r : bufferdatas)
            r = BufferData();
    }
    void TearDown() override { host::unregisterDevice("/dev/dvb/card0/demux0"); }
    mux::Model m_model;
    std::unique_ptr<demux::Transponders> m_transponders;
};

TEST_F(SummariesOnAir, EveryRowGetsTheSummaryOfItsIdInOnePass)
{
    mux::Config config;
    config.days = 2;
    config.channelCount = 12;
    config.repeatedSummaryPercent = 20;
    config.missingSummaryPercent = 10;
    config.junkSections = true;
    tuneTo(config);
    std::map<uint32_t, std::string> sent;
    for (const auto& s : m_model.summaries)
        sent[s.id] = s.text;
    // The list: every programme of the second day, reruns and ids without summary included.
    nb_buffer = 0;
    int shared = 0, missing = 0;
    std::map<uint32_t, int> seen;
    for (const auto& t : m_model.titles)
        if (t.broadcastDay == 1 && nb_buffer < kMaxRows) {
            bufferdatas[nb_buffer++].id = static_cast<int>(t.summaryId);
            shared += seen[t.summaryId]++ == 1;
            missing += !sent.count(t.summaryId);
        }
    ASSERT_GT(shared, 0);
    ASSERT_GT(missing, 0);
    const uint32_t requested = static_cast<uint32_t>(bufferdatas[nb_buffer / 2].id);

    eString result;
    ASSERT_EQ(readSummaryCarousel(requested, "t", result), 0);
    EXPECT_EQ(result, sent.count(requested) ? sent[requested] : "");
    for (int i = 0; i < nb_buffer; ++i) {
        const auto it = sent.find(static_cast<uint32_t>(bufferdatas[i].id));
        EXPECT_EQ(bufferdatas[i].summary, it == sent.end() ? "" : it->second) << i;
    }
}

} // namespace
