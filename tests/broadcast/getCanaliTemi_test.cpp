#include "FakeDemux.h"
#include "broadcast/DemuxAccess.h"
#include "broadcast/getCanaliTemi.h"
#include "frame/globals.h"

#include <array>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

std::vector<uint8_t> channelSection(const std::vector<std::array<int, 3>>& ids, size_t extra = 0)
{
    std::vector<uint8_t> s = {0x91, 0x70, 0x00, 0x00};
    for (const auto& id : ids) {
        int onid = id[0], tsid = id[1], sid = id[2];
        uint8_t rec[22] = {uint8_t(onid >> 8), uint8_t(onid), uint8_t(tsid >> 8), uint8_t(tsid), uint8_t(sid >> 8),
                           uint8_t(sid)};
        std::memcpy(rec + 6, "CHANNEL NAME 16B", 16);
        s.insert(s.end(), rec, rec + 22);
    }
    s.resize(s.size() + extra, 0xAB);
    return s;
}

// starts: the record index at which each theme begins (up to 16), names: all records.
std::vector<uint8_t> themeSection(const std::vector<int>& starts, const std::vector<std::string>& names)
{
    std::vector<uint8_t> s(19, 0xFF);
    s[0] = 0x92;
    s[1] = 0x70;
    s[2] = 0;
    for (size_t g = 0; g < starts.size() && g < 16; ++g)
        s[3 + g] = static_cast<uint8_t>(starts[g]);
    for (const auto& n : names) {
        uint8_t rec[15] = {};
        std::memcpy(rec, n.data(), std::min<size_t>(15, n.size()));
        s.insert(s.end(), rec, rec + 15);
    }
    return s;
}

class ChannelThemeReader : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::memset(temalist, 0, sizeof temalist);
        nb_channels = 300;
        nb_themes = 100;
        readThCh = false;
        nsp_curr = "820000";
    }
    void TearDown() override { nsp_curr.clear(); }
    FakeDemux demux;
};

TEST_F(ChannelThemeReader, FillsChannelsAndThemesAndFollowsTheDeviceProtocol)
{
    demux.add(0xD3, 0x91, channelSection({{0x13E, 0x5, 0x1A2B}, {1, 2, 7}}));
    demux.add(0xD3, 0x92, themeSection({0, 3, 7}, {"CINEMA", "COMMEDIA", "DRAMMATICO", "TG E NEWS", "A", "B", "C",
                                                    "SPORT"}));
    ASSERT_EQ(getCanaliTemi(), 0);
    EXPECT_TRUE(readThCh);
    EXPECT_EQ(nb_channels, 2);
    EXPECT_EQ(channel_ids[0], 0x1A2B);
    EXPECT_EQ(channel_paths[0], "1:0:1:1A2B:05:13E:820000:0:0:0:");
    EXPECT_EQ(channel_paths[1], "1:0:1:07:02:01:820000:0:0:0:");

    EXPECT_EQ(nb_themes, 3);
    EXPECT_STREQ(temalist[0].name, "Cinema");
    EXPECT_EQ(temalist[0].count, 3);
    EXPECT_STREQ(temalist[1].name, "Commedia");
    EXPECT_STREQ(temalist[2].name, "Drammatico");
    EXPECT_STREQ(temalist[16].name, "Tg e news");
    EXPECT_EQ(temalist[16].count, 4);
    EXPECT_STREQ(temalist[19].name, "C");
    EXPECT_STREQ(temalist[32].name, "Sport");
    EXPECT_EQ(temalist[32].count, 1);

    // One descriptor: channel filter, theme filter replacing it without a stop, then stop before close.
    const std::vector<std::string> expected = {"open", "filter D3/91", "read", "filter D3/92", "read", "stop", "close"};
    EXPECT_EQ(demux.log().calls, expected);
    const auto& f = demux.log().filters[0];
    EXPECT_EQ(f.pid, 0xD3);
    EXPECT_EQ(f.filter.mask[0], 0xFF);
    EXPECT_EQ(f.timeout, 8000u);
    EXPECT_EQ(f.flags, static_cast<uint32_t>(DMX_IMMEDIATE_START));
    for (int i = 1; i < 16; ++i) {
        EXPECT_EQ(f.filter.filter[i], 0);
        EXPECT_EQ(f.filter.mask[i], 0);
    }
}

TEST_F(ChannelThemeReader, ChannelCountIgnoresTrailingBytesOfAPartialRecord)
{
    for (size_t extra = 0; extra < 22; ++extra) {
        FakeDemux local; // replaces the device of the fixture for this round
        local.add(0xD3, 0x91, channelSection({{1, 1, 1}, {1, 1, 2}, {1, 1, 3}}, extra));
        local.add(0xD3, 0x92, themeSection({0}, {"X"}));
        ASSERT_EQ(getCanaliTemi(), 0);
        EXPECT_EQ(nb_channels, 3) << "extra bytes " << extra;
    }
}

TEST_F(ChannelThemeReader, ShortSectionsGiveEmptyTablesButSucceed)
{
    demux.add(0xD3, 0x91, {0x91, 0x70});
    demux.add(0xD3, 0x92, std::vector<uint8_t>(33, 0));
    ASSERT_EQ(getCanaliTemi(), 0);
    EXPECT_EQ(nb_channels, 0);
    EXPECT_EQ(nb_themes, 0);
    EXPECT_TRUE(readThCh);
}

TEST_F(ChannelThemeReader, FailuresReportCodesAndAlwaysStopBeforeClose)
{
    // No theme table: the channel tables are already replaced, the flag stays clear.
    demux.add(0xD3, 0x91, channelSection({{1, 1, 9}}));
    EXPECT_EQ(getCanaliTemi(), -2);
    EXPECT_EQ(nb_channels, 1);
    EXPECT_FALSE(readThCh);
    EXPECT_EQ(demux.log().calls.back(), "close");
    EXPECT_EQ(demux.log().calls[demux.log().calls.size() - 2], "stop");

    demux.log().calls.clear();
    demux.failFilter(true);
    EXPECT_EQ(getCanaliTemi(), -1);
    const std::vector<std::string> expected = {"open", "filter D3/91", "stop", "close"};
    EXPECT_EQ(demux.log().calls, expected);

    demux.uninstall();
    demux.log().calls.clear();
    EXPECT_EQ(getCanaliTemi(), -1);
    EXPECT_TRUE(demux.log().calls.empty());
}

TEST(ChannelThemeDecoding, OverflowingThemeRecordsAreDroppedNotWrittenPastTheTable)
{
    std::memset(temalist, 0, sizeof temalist);
    // 16 themes; the last one announces 20 sub-themes but its group has room for 14.
    std::vector<int> starts;
    std::vector<std::string> names = {"BEFORE FIRST"};
    for (int g = 0; g < 16; ++g) {
        starts.push_back(static_cast<int>(names.size()));
        names.push_back("THEME " + std::to_string(g));
        int subs = g == 0 ? 17 : g == 15 ? 20 : 1;
        for (int k = 0; k < subs; ++k)
            names.push_back("SUB " + std::to_string(k));
    }
    auto section = themeSection(starts, names);
    ASSERT_LE(section.size(), 4096u);
    decodeThemeSection(section.data(), static_cast<int>(section.size()));
    EXPECT_EQ(nb_themes, 16);
    EXPECT_STREQ(temalist[0].name, "Theme 0");
    EXPECT_EQ(temalist[0].count, 16); // 15 of 17 sub-themes fit
    EXPECT_STREQ(temalist[16].name, "Theme 1");
    EXPECT_EQ(temalist[16].count, 2);
    EXPECT_STREQ(temalist[240].name, "Theme 15");
    EXPECT_EQ(temalist[240].count, 15); // the table ends at record 254
    EXPECT_STREQ(temalist[254].name, "Sub 13");
}

TEST(ChannelThemeDecoding, StartIndexBelowTheCurrentRecordNeverMatchesAgain)
{
    std::memset(temalist, 0, sizeof temalist);
    auto section = themeSection({0, 1, 1}, {"A", "B", "C", "D"});
    decodeThemeSection(section.data(), static_cast<int>(section.size()));
    EXPECT_EQ(nb_themes, 2);
    EXPECT_EQ(temalist[16].count, 3); // C and D fall to the second theme
    EXPECT_STREQ(temalist[18].name, "D");
}

} // namespace
