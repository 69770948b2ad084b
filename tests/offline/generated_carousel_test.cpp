// Logging runs on generated broadcasts through the virtual demux: summaries sent
// twice within a pass, and a looped capture that holds one and a half passes.
// Every title and summary on air reaches the files.
#include "OfflineFixture.h"

#include "demux/Transponders.h"
#include "demux/VirtualDemuxFile.h"
#include "host/platform/DeviceRegistry.h"
#include "mux/ModelGenerator.h"
#include "mux/StreamBuilder.h"
#include "offline/GepFile.h"
#include "offline/LogFileSet.h"
#include "offline/SummariesFile.h"
#include "offline/TitlesFile.h"

#include <set>

namespace {

class GeneratedCarousel : public OfflineFixture {
protected:
    void TearDown() override
    {
        host::unregisterDevice("/dev/dvb/card0/demux0");
        OfflineFixture::TearDown();
    }
    // Logs titles and summaries of the stream (cut to the given share of its bytes,
    // then looped) and returns the summary ids of the file.
    std::set<unsigned> logged(const mux::Config& config, const mux::Model& model, double share)
    {
        auto ts = mux::buildTransportStream(config, model);
        ts.resize(static_cast<size_t>(ts.size() * share) / 188 * 188);
        demux::Transponders tp;
        tp.add(ts.data(), ts.size());
        tp.tune(0);
        demux::installVirtualDemux(tp);
        CurrentTime();
        offline::LogFileSet files(offlinePath);
        EXPECT_EQ(offline::logTitles(files), 0);
        EXPECT_EQ(offline::logSummaries(files), 0);
        EXPECT_TRUE(files.commit());
        host::unregisterDevice("/dev/dvb/card0/demux0");
        std::set<unsigned> ids;
        offline::GepFile f;
        EXPECT_TRUE(f.open(offlinePath, offline::kSummariesFile));
        std::string line, text;
        unsigned id = 0;
        while (f.readLine(line))
            if (offline::parseSummaryLine(line, id, text))
                ids.insert(id);
        return ids;
    }
    static std::set<unsigned> onAir(const mux::Model& model)
    {
        std::set<unsigned> ids;
        for (const auto& s : model.summaries)
            ids.insert(s.id);
        return ids;
    }
};

TEST_F(GeneratedCarousel, SummariesSentTwiceAreAllLoggedWhateverTheSeed)
{
    for (uint64_t seed : {1u, 7u, 30u}) {
        mux::Config config;
        config.seed = seed;
        config.repeatedSummaryPercent = 30;
        const auto model = mux::generateModel(config);
        EXPECT_EQ(logged(config, model, 1.0), onAir(model)) << "seed " << seed;
        EXPECT_EQ(nb_summaries, static_cast<int>(model.summaries.size())) << "seed " << seed;
        EXPECT_EQ(nb_titles, static_cast<int>(model.titles.size())) << "seed " << seed;
    }
}

TEST_F(GeneratedCarousel, ALoopedCaptureOfOneAndAHalfPassesIsLoggedWhole)
{
    mux::Config config;
    config.repeatedSummaryPercent = 30;
    const auto model = mux::generateModel(config);
    const auto ids = logged(config, model, 0.75); // two passes cut to one and a half
    const auto all = onAir(model);
    for (unsigned id : all)
        EXPECT_TRUE(ids.count(id)) << std::hex << id;
    EXPECT_GE(nb_titles, static_cast<int>(model.titles.size()));
}

} // namespace
