// The generated transport stream: packets, PCR, carousels and repetition as a receiver sees them.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "MuxTestSupport.h"
#include "mux/Charset.h"
#include "mux/EpgSections.h"
#include "mux/ModelGenerator.h"
#include "mux/SiSections.h"
#include "ts/Packet.h"

using namespace muxtest;

namespace {

struct Generated {
    mux::Config cfg;
    mux::Model model;
    std::vector<uint8_t> ts;
};

const Generated& week()
{
    static const Generated g = [] {
        Generated g{weekConfig(), {}, {}};
        g.model = mux::generateModel(g.cfg);
        g.ts = mux::buildTransportStream(g.cfg, g.model);
        return g;
    }();
    return g;
}

std::set<uint16_t> pidsOf(const std::vector<uint8_t>& ts)
{
    std::set<uint16_t> pids;
    for (size_t i = 0; i + 188 <= ts.size(); i += 188)
        pids.insert(ts::packetPid(ts.data() + i));
    return pids;
}

} // namespace

TEST(TransportStream, PacketsAreWholeAndPcrRunsAtTheMuxRate)
{
    const auto& g = week();
    ASSERT_EQ(g.ts.size() % 188, 0u);
    const double packetTicks = 188.0 * 8 * 27e6 / g.cfg.muxRate;
    std::optional<std::pair<size_t, uint64_t>> last;
    int pcrs = 0;
    for (size_t i = 0; i < g.ts.size() / 188; ++i) {
        const uint8_t* p = g.ts.data() + i * 188;
        ASSERT_EQ(p[0], 0x47);
        auto h = ts::parsePacket(p);
        ASSERT_TRUE(h);
        if (!h->pcr)
            continue;
        EXPECT_EQ(h->pid, mux::kPcrPid);
        if (last) {
            const double expected = (i - last->first) * packetTicks;
            EXPECT_NEAR(double(*h->pcr - last->second), expected, 2.0);
            EXPECT_LT((i - last->first) * packetTicks / 27e6, 0.1) << "PCR gap above 100 ms";
        }
        last = {{i, *h->pcr}};
        ++pcrs;
    }
    EXPECT_GT(pcrs, 100);
}

TEST(TransportStream, TitleCarouselGoesRoundInModelOrder)
{
    const auto& g = week();
    const auto sections = sectionsOf(g.ts, {mux::kTitlePid});
    ASSERT_GE(sections.size(), 2 * g.model.titles.size());
    for (size_t i = 0; i < sections.size(); ++i) {
        const auto& s = sections[i].bytes;
        ASSERT_EQ(s.size(), 46u);
        const mux::Title& t = g.model.titles[i % g.model.titles.size()];
        ASSERT_EQ(s[3], t.channel) << i;
        ASSERT_EQ(be32(s.data() + 38), t.summaryId) << i;
    }
    // One pass takes some seconds of stream time, as on air.
    const double pass = sections[g.model.titles.size()].packet * 188.0 * 8 / g.cfg.muxRate;
    EXPECT_GT(pass, 2.0);
    EXPECT_LT(pass, 30.0);
}

TEST(TransportStream, AReaderSeekingSixOClockCollectsExactlyThatBroadcastDay)
{
    mux::Config cfg = weekConfig();
    cfg.junkSections = true;
    cfg.sundayAsSeven = true;
    cfg.hourCodes = mux::HourCodes::Mixed;
    cfg.channelCount = 8;
    const auto m = mux::generateModel(cfg);
    const auto sections = sectionsOf(mux::buildTransportStream(cfg, m), {mux::kTitlePid});
    // Day and hour as a reader decodes byte 5 when the namespace contains "8200".
    auto decode = [](uint8_t b, int& day, int& hour) {
        day = (b >> 5) == 7 ? 0 : b >> 5;
        const int code = b & 0x1F;
        hour = code >= 16 ? code - 4 : code >= 8 ? code - 2 : code;
        if (hour <= 5)
            day = day == 0 ? 6 : day - 1;
    };
    for (int d = 0; d < 7; ++d) {
        const int weekday = (2 + d) % 7;
        size_t i = 0;
        int day = -1, hour = -1;
        for (; i < sections.size(); ++i) {
            if (sections[i].bytes.size() != 46 || sections[i].bytes[0] != 0x90)
                continue;
            decode(sections[i].bytes[5], day, hour);
            if (day == weekday && hour == 6)
                break;
        }
        ASSERT_LT(i, sections.size()) << "no 06:00 record for day " << d;
        std::vector<uint32_t> got, want;
        for (; i < sections.size(); ++i) {
            const auto& b = sections[i].bytes;
            if (b.size() != 46 || b[0] != 0x90)
                continue;
            decode(b[5], day, hour);
            if (day != weekday)
                break;
            got.push_back(be32(b.data() + 38));
        }
        for (const auto& t : m.titles)
            if (t.broadcastDay == d)
                want.push_back(t.summaryId);
        EXPECT_EQ(got, want) << "day " << d;
    }
}

TEST(TransportStream, SummaryCarouselAndListsShareTheirPid)
{
    const auto& g = week();
    const auto sections = sectionsOf(g.ts, {mux::kEpgPid});
    size_t summaries = 0;
    std::vector<uint64_t> channelAt;
    int themes = 0;
    for (const auto& s : sections) {
        switch (s.bytes[0]) {
        case 0x90:
            ASSERT_EQ(be32(s.bytes.data() + 3), g.model.summaries[summaries % g.model.summaries.size()].id)
                << summaries << " size " << s.bytes.size();
            ++summaries;
            break;
        case 0x91:
            EXPECT_EQ(s.bytes, mux::buildChannelSection(g.model.channels));
            channelAt.push_back(s.packet);
            break;
        case 0x92:
            EXPECT_EQ(s.bytes, mux::buildThemeSection(g.model.themes));
            ++themes;
            break;
        default:
            ADD_FAILURE() << "table " << int(s.bytes[0]);
        }
    }
    EXPECT_GE(summaries, 2 * g.model.summaries.size());
    EXPECT_EQ(themes, static_cast<int>(channelAt.size()));
    // Several times per second of stream time.
    const double perPacket = 188.0 * 8 / g.cfg.muxRate;
    ASSERT_GT(channelAt.size(), 10u);
    for (size_t i = 1; i < channelAt.size(); ++i)
        EXPECT_LT((channelAt[i] - channelAt[i - 1]) * perPacket, 0.5);
}

TEST(TransportStream, EndsWhereBothCarouselsEndAPassSoItLoops)
{
    const auto& g = week();
    const auto titles = sectionsOf(g.ts, {mux::kTitlePid});
    ASSERT_FALSE(titles.empty());
    EXPECT_EQ(titles.size() % g.model.titles.size(), 0u);
    EXPECT_EQ(titles.back().bytes, mux::buildTitleSection(g.model.titles.back(), g.model.titles.size()));
    std::vector<std::vector<uint8_t>> summaries;
    for (const auto& s : sectionsOf(g.ts, {mux::kEpgPid}))
        if (s.bytes[0] == 0x90)
            summaries.push_back(s.bytes);
    ASSERT_FALSE(summaries.empty());
    EXPECT_EQ(summaries.size() % g.model.summaries.size(), 0u);
    EXPECT_EQ(summaries.back(), mux::buildSummarySection(g.model.summaries.back()));

    // Played twice in a row, no section of either carousel is lost at the joint.
    std::vector<uint8_t> twice = g.ts;
    twice.insert(twice.end(), g.ts.begin(), g.ts.end());
    EXPECT_EQ(sectionsOf(twice, {mux::kTitlePid}).size(), 2 * titles.size());
    size_t again = 0;
    for (const auto& s : sectionsOf(twice, {mux::kEpgPid}))
        again += s.bytes[0] == 0x90;
    EXPECT_EQ(again, 2 * summaries.size());
}

TEST(TransportStream, WithoutEpgNoPrivatePids)
{
    mux::Config cfg = weekConfig();
    cfg.withEpg = false;
    cfg.passes = 1;
    const auto ts = mux::buildTransportStream(cfg);
    const auto pids = pidsOf(ts);
    EXPECT_FALSE(pids.count(mux::kTitlePid));
    EXPECT_FALSE(pids.count(mux::kEpgPid));
    EXPECT_TRUE(pids.count(0x11));
    EXPECT_TRUE(pids.count(0x10));
    EXPECT_TRUE(pids.count(0x00));
}

TEST(TransportStream, JunkMixesOtherSectionsIntoBothCarousels)
{
    mux::Config cfg = weekConfig();
    cfg.junkSections = true;
    cfg.passes = 1;
    cfg.channelCount = 10;
    const auto m = mux::generateModel(cfg);
    const auto ts = mux::buildTransportStream(cfg, m);
    std::set<size_t> titleLengths;
    std::set<int> titleTables;
    size_t titles = 0;
    for (const auto& s : sectionsOf(ts, {mux::kTitlePid})) {
        titleLengths.insert(s.bytes.size());
        titleTables.insert(s.bytes[0]);
        if (s.bytes[0] == 0x90 && s.bytes.size() == 46)
            ++titles;
    }
    EXPECT_GE(titles, m.titles.size());
    EXPECT_TRUE(titleLengths.count(45) && titleLengths.count(47) && titleLengths.count(12));
    EXPECT_TRUE(titleTables.count(0x93));
    int rejected = 0;
    for (const auto& s : sectionsOf(ts, {mux::kEpgPid})) {
        const auto& b = s.bytes;
        if (b[0] != 0x90)
            continue;
        const bool taken = b.size() > 11 && b[7] == 0xFF && b[8] == 0xFF && b[9] == 0xFF && b[10] <= 9;
        rejected += !taken;
    }
    EXPECT_GE(rejected, 3);
}

TEST(TransportStream, RepeatedSummariesComeTwicePerPassAndAnEighthDayRepeatsTheFirstWeekday)
{
    mux::Config cfg = weekConfig();
    cfg.passes = 1;
    cfg.channelCount = 6;
    cfg.repeatedSummaryPercent = 20;
    cfg.days = 8;
    const auto m = mux::generateModel(cfg);
    std::map<uint32_t, int> seen;
    for (const auto& s : sectionsOf(mux::buildTransportStream(cfg, m), {mux::kEpgPid}))
        if (s.bytes[0] == 0x90)
            ++seen[be32(s.bytes.data() + 3)];
    int passes = 0;
    for (const auto& sum : m.summaries)
        if (!sum.sentTwice && !passes)
            passes = seen[sum.id];
    ASSERT_GT(passes, 0);
    int twice = 0;
    for (const auto& sum : m.summaries) {
        EXPECT_EQ(seen[sum.id], passes * (sum.sentTwice ? 2 : 1)) << std::hex << sum.id;
        twice += sum.sentTwice;
    }
    EXPECT_GT(twice, 0);
    ASSERT_EQ(m.titles.back().broadcastDay, 7);
    EXPECT_EQ(m.titles.back().listedWeekday, m.titles.front().listedWeekday);
}

TEST(TransportStream, ChannelTableOptionsShapeTheChannelSection)
{
    mux::Config cfg = weekConfig();
    cfg.passes = 1;
    cfg.channelCount = 5;
    cfg.channelExtraBytes = 7;
    auto find = [](const std::vector<uint8_t>& ts) {
        for (const auto& s : sectionsOf(ts, {mux::kEpgPid}))
            if (s.bytes[0] == 0x91)
                return s.bytes;
        return std::vector<uint8_t>{};
    };
    EXPECT_EQ(find(mux::buildTransportStream(cfg)).size(), 4u + 22 * 5 + 7);
    cfg.emptyChannelTable = true;
    cfg.channelExtraBytes = 0;
    EXPECT_EQ(find(mux::buildTransportStream(cfg)).size(), 4u);
}

TEST(TransportStream, FfprobeListsEveryChannelByName)
{
    if (std::system("ffprobe -version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ffprobe not installed";
    const auto& g = week();
    const std::string path = std::string(ORVALIS_BUILD_DIR) + "/mux-ffprobe-test.ts";
    {
        std::ofstream f(path, std::ios::binary);
        f.write(reinterpret_cast<const char*>(g.ts.data()), static_cast<std::streamsize>(g.ts.size()));
    }
    const std::string cmd = "ffprobe -v error -show_entries program_tags=service_name -of default=nw=1:nk=1 '" + path + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(cmd.c_str(), "r"), pclose);
    ASSERT_TRUE(pipe);
    std::set<std::string> names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe.get())) {
        std::string s(line);
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
            s.pop_back();
        if (!s.empty())
            names.insert(s);
    }
    std::remove(path.c_str());
    EXPECT_TRUE(names.count("Orvalis EPG"));
    for (const auto& c : g.model.channels)
        EXPECT_TRUE(names.count(mux::latin9ToUtf8(c.name))) << mux::latin9ToUtf8(c.name);
    EXPECT_EQ(names.size(), g.model.channels.size() + 1);
}
