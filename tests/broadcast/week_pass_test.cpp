// The titles reader on the sample broadcast with an eighth day: the week is read in
// one pass and searched from now, with the eighth day last as "Nex".
#include "../host/FakeFrontend.h"
#include "broadcast/getCanaliTemi.h"
#include "demux/Transponders.h"
#include "demux/VirtualDemuxFile.h"
#include "frame/globals.h"
#include "host/platform/DeviceRegistry.h"
#include "host/service/eServiceInterface.h"
#include "mux/ModelGenerator.h"
#include "mux/StreamBuilder.h"
#include "ui/eChanProgramSel.h"
#include "ui/eListBoxProgrammi.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <tuple>

namespace {

time_t g_now = 0;
time_t fixedNow() { return g_now; }

std::string lowered(std::string s)
{
    std::vector<char> buf(s.begin(), s.end());
    buf.push_back('\0');
    tolower(buf.data());
    return buf.data();
}

class EighthDay : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "Europe/Rome", 1);
        tzset();
        mux::Config config;
        config.days = 8;
        config.channelCount = 6;
        config.startDay = mux::parseDay("2026-12-08"); // a Tuesday
        m_model = mux::generateModel(config);
        auto ts = mux::buildTransportStream(config, m_model);
        m_transponders.add(ts.data(), ts.size());
        m_transponders.tune(0);
        demux::installVirtualDemux(m_transponders);
        nsp_curr = "820000";
        readThCh = false;
        ASSERT_EQ(getCanaliTemi(), 0);
        for (int i = 0; i < nb_channels; ++i) {
            channFilter[i] = "1";
            eServiceInterface::getInstance()->addService({eServiceReference(channel_paths[i]), "Ch", "", 0});
        }
        struct tm t = {};
        t.tm_year = 126;
        t.tm_mon = 11;
        t.tm_mday = 8;
        t.tm_hour = 10;
        t.tm_min = 30;
        t.tm_isdst = -1;
        g_now = mktime(&t);
        m_saved = timeSource;
        timeSource = fixedNow;
        oggi = 2;
        ieri = 1;
        offlinelog = 0;
        TotTi = static_cast<int>(m_model.titles.size());
        FilterSearch = 1;
        m_window = std::make_unique<eChanProgramSel>();
    }
    void TearDown() override
    {
        m_window.reset();
        timeSource = m_saved;
        host::unregisterDevice("/dev/dvb/card0/demux0");
        eServiceInterface::getInstance()->clear();
        nsp_curr.clear();
        unsetenv("TZ");
        tzset();
    }
    using Row = std::tuple<int, int, int, std::string>; // listing day (7: eighth), hour, minute, title
    std::vector<Row> rows() const
    {
        std::vector<Row> out;
        m_window->evprogrs->forEachEntry(
            [&](eListBoxProgrammi* r) { out.emplace_back(r->wday, r->hour, r->min, r->title); });
        return out;
    }
    // The model's programmes from broadcast day `from` (and its hour on) that pass `keep`.
    template <class Keep> std::vector<Row> expected(int fromDay, int fromHour, int toDay, Keep keep) const
    {
        std::vector<Row> out;
        for (const auto& t : m_model.titles) {
            const int order = t.hour < 6 ? t.hour + 24 : t.hour;
            if (t.broadcastDay < fromDay || t.broadcastDay > toDay || (t.broadcastDay == fromDay && order < fromHour) ||
                t.channel < 1 || t.channel > nb_channels || !keep(t))
                continue;
            out.emplace_back(t.broadcastDay == 7 ? 7 : t.listedWeekday, t.hour, t.minute, lowered(t.title));
        }
        return out;
    }
    FakeFrontend m_frontend;
    mux::Model m_model;
    demux::Transponders m_transponders;
    std::unique_ptr<eChanProgramSel> m_window;
    time_t (*m_saved)() = nullptr;
};

TEST_F(EighthDay, ASearchListsTheWeekFromNowAndTheEighthDayLast)
{
    FilterSearch = 3;
    searchString = ""; // every title
    currDay.tm_wday = 5; // a day browsed before does not matter
    ASSERT_EQ(m_window->GetTitles(), 0);
    const auto got = rows();
    const auto want = expected(0, 10, 7, [](const mux::Title&) { return true; });
    ASSERT_GT(want.size(), 100u);
    EXPECT_EQ(got, want);
    EXPECT_EQ(std::get<0>(got.front()), 2);
    EXPECT_EQ(std::get<0>(got.back()), 7);
}

} // namespace
