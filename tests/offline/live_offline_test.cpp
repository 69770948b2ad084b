// The sample broadcast logged to the files and read back: the programme list shows
// the same rows from the files as from the air.
#include "OfflineFixture.h"

#include "broadcast/getCanaliTemi.h"
#include "demux/Transponders.h"
#include "demux/VirtualDemuxFile.h"
#include "host/platform/DeviceRegistry.h"
#include "host/service/eServiceInterface.h"
#include "mux/ModelGenerator.h"
#include "mux/StreamBuilder.h"
#include "offline/ChannelThemeFiles.h"
#include "offline/LogFileSet.h"
#include "offline/SummariesFile.h"
#include "offline/TitlesFile.h"
#include "ui/eChanProgramSel.h"
#include "ui/eListBoxProgrammi.h"

namespace {

class LiveAndOffline : public OfflineFixture {
protected:
    void SetUp() override
    {
        OfflineFixture::SetUp();
        mux::Config config;
        m_model = mux::generateModel(config);
        auto ts = mux::buildTransportStream(config, m_model);
        m_transponders.add(ts.data(), ts.size());
        m_transponders.tune(0);
        demux::installVirtualDemux(m_transponders);
        offlinelog = 0;
        readThCh = false;
        for (auto& flag : channFilter)
            flag = "1";
        channFilter[2] = "0"; // hidden from theme listings
        CurrentTime();
    }
    void TearDown() override
    {
        host::unregisterDevice("/dev/dvb/card0/demux0");
        eServiceInterface::getInstance()->clear();
        offlinelog = 0;
        OfflineFixture::TearDown();
    }
    void logAll()
    {
        offline::LogFileSet files(offlinePath);
        ASSERT_EQ(offline::logChannelsThemes(files), 0);
        ASSERT_EQ(offline::logTitles(files), 0);
        ASSERT_EQ(offline::logSummaries(files), 0);
        ASSERT_TRUE(files.commit());
        TotTi = nb_titles;
        TotSu = nb_summaries;
        CurrentTime();
    }
    // Rows of the list: day, time, theme, title, duration and summary id.
    static std::vector<std::string> rowsOf(eChanProgramSel& w)
    {
        std::vector<std::string> out;
        w.evprogrs->forEachEntry([&](eListBoxProgrammi* r) {
            char buf[200];
            std::snprintf(buf, sizeof buf, "%d %02d:%02d %s|%s|%d|%X|%d", r->wday, r->hour, r->min, r->theme.c_str(),
                          r->title.c_str(), r->duration, static_cast<unsigned>(r->summaryId), r->index);
            out.push_back(buf);
        });
        return out;
    }
    // Lists the day two days ahead in the given mode, from the air and then from the files.
    void compare(int mode, int channel, int themeSlot)
    {
        std::vector<std::string> rows[2];
        for (int offline = 0; offline < 2; ++offline) {
            offlinelog = offline;
            readThCh = false;
            ASSERT_EQ(offline ? getCanaliTemiOff() : getCanaliTemi(), 0);
            auto* si = eServiceInterface::getInstance();
            for (int i = 0; i < nb_channels; ++i)
                si->addService({eServiceReference(channel_paths[i]), "Channel", "", 0});
            FilterSearch = 1;
            eChanProgramSel window;
            FilterSearch = mode;
            ItemSelect = mode == 1 ? channel_ids[channel] : themeSlot;
            selService = channel_paths[channel];
            startTh = themeSlot;
            endTh = themeSlot + temalist[themeSlot].count - 1;
            time_t now = time(nullptr);
            localtime_r(&now, &currDay);
            currDay.tm_mday += 2;
            currDay.tm_hour = 12;
            mktime(&currDay);
            ASSERT_EQ(offline ? window.GetTitlesOff() : window.GetTitles(), 0);
            rows[offline] = rowsOf(window);
        }
        EXPECT_GT(rows[0].size(), 3u);
        EXPECT_EQ(rows[0], rows[1]);
    }
    mux::Model m_model;
    demux::Transponders m_transponders;
};

TEST_F(LiveAndOffline, ChannelAndThemeListingsMatchTheAir)
{
    logAll();
    EXPECT_EQ(nb_titles, static_cast<int>(m_model.titles.size()));
    EXPECT_EQ(nb_summaries, static_cast<int>(m_model.summaries.size()));
    compare(1, 0, 0);
    compare(1, 5, 0);
    compare(0, 0, 16);

    // Summaries of every listed row come from the file as from the air.
    offlinelog = 1;
    nb_buffer = 0;
    for (const auto& s : m_model.summaries) {
        if (nb_buffer == 20)
            break;
        bufferdatas[nb_buffer++].id = static_cast<int>(s.id);
    }
    std::string result;
    ASSERT_EQ(offline::fileSummaries(offlinePath, m_model.summaries[3].id, result), 0);
    std::string sent = m_model.summaries[3].text;
    sent.erase(std::remove(sent.begin(), sent.end(), '\n'), sent.end());
    std::replace(sent.begin(), sent.end(), '\r', '\n');
    EXPECT_EQ(result, sent + "\n");
    EXPECT_EQ(bufferdatas[3].summary, result);
}

} // namespace
