// The guide from a stream's EIT: services with titled events become channels named
// by the SDT, events programmes with their description and genres; what the stream
// carries broken is dropped, counted and reported.
#include "import/EitSource.h"
#include "import/WeekFiles.h"
#include "EitWeekStream.h"
#include "ImportFixture.h"

using namespace importer;
using importtest::EitWeekShape;
namespace ed = importtest::eitdetail;

namespace {

bool mentions(const Report& r, const std::string& text)
{
    for (const auto& n : r.notes)
        if (n.find(text) != std::string::npos)
            return true;
    return false;
}

// An EIT schedule section of service 7 holding the given events.
ed::Bytes section(const std::vector<ed::Bytes>& events)
{
    ed::Bytes s = {0x50, 0xF0, 0};
    ed::put16(s, 7);
    s.push_back(0xC3);
    s.push_back(0);
    s.push_back(0);
    ed::put16(s, 1);
    ed::put16(s, 0x13E);
    s.push_back(0);
    s.push_back(0x50);
    for (const auto& e : events)
        s.insert(s.end(), e.begin(), e.end());
    ed::finish(s);
    return s;
}

} // namespace

TEST(EitSource, ServicesAndEventsOfAStream)
{
    EitWeekShape shape;
    shape.services = 3;
    shape.perStream = 2;
    shape.days = 2;
    shape.minutes = 120;
    const auto stream = importtest::eitWeekStream(shape);
    EitSource source;
    SourceGuide g;
    g.name = "week.ts";
    Report report;
    source.readStream(stream.data(), stream.size(), g, report);
    ASSERT_TRUE(source.streamTime());
    EXPECT_EQ(*source.streamTime(), shape.firstUtc);
    ASSERT_EQ(g.channels.size(), 3u);
    EXPECT_EQ(g.channels[2].id, "13e.2.3.dvb");
    EXPECT_EQ(g.channels[2].names, std::vector<std::string>{"Canale 2"});
    ASSERT_TRUE(g.channels[2].service);
    EXPECT_EQ(*g.channels[2].service, (ServiceKey{0x13E, 2, 3}));
    ASSERT_EQ(g.programmes.size(), 3u * 24);
    const Programme& first = g.programmes[0];
    EXPECT_EQ(first.channel, 0u);
    EXPECT_EQ(first.start, shape.firstUtc);
    EXPECT_EQ(first.stop, shape.firstUtc + 7200);
    EXPECT_EQ(first.title, "Programma 0");
    EXPECT_EQ(first.desc, "Una storia di mare e di montagna, episodio 0.");
    EXPECT_EQ(first.categories, std::vector<std::string>{"Movie / Drama"}); // level 2 of 0: the genre itself
    EXPECT_EQ(g.programmes[11].categories, (std::vector<std::string>{"Movie / Drama", "Detective / Thriller"}));
    EXPECT_EQ(g.programmes[3].categories, std::vector<std::string>{"Sports"});
    EXPECT_TRUE(report.notes.empty());
}

TEST(EitSource, BrokenAndUntitledEventsAreDroppedAndReported)
{
    const std::time_t t = 1796706000;
    ed::Bytes shortOnly;
    ed::put16(shortOnly, 1);
    ed::putTime(shortOnly, t);
    shortOnly.insert(shortOnly.end(), {0x01, 0x00, 0x00});
    ed::Bytes d, body = {'i', 't', 'a'};
    ed::text(body, "Solo titolo");
    ed::text(body, "Il sottotitolo");
    ed::descriptor(d, 0x4D, body);
    ed::descriptor(d, 0x54, {0xC0, 0x00, 0x40, 0x00}); // a reserved genre first, then sports
    ed::put16(shortOnly, 0x8000 | unsigned(d.size()));
    shortOnly.insert(shortOnly.end(), d.begin(), d.end());

    ed::Bytes untimed = ed::event(2, t + 3600, 60, 0);
    std::fill(untimed.begin() + 2, untimed.begin() + 7, 0xFF); // start time undefined
    ed::Bytes untitled;
    ed::put16(untitled, 3);
    ed::putTime(untitled, t + 7200);
    untitled.insert(untitled.end(), {0x01, 0x00, 0x00, 0x80, 0x00});

    scan::EitGuide eit;
    const ed::Bytes s = section({shortOnly, untimed, untitled});
    eit.putSection(s.data(), s.size());
    SourceGuide g;
    g.name = "bad.ts";
    Report report;
    EitSource::convert(eit, g, report);
    ASSERT_EQ(g.programmes.size(), 1u);
    EXPECT_EQ(g.programmes[0].title, "Solo titolo");
    EXPECT_EQ(g.programmes[0].desc, "Il sottotitolo");
    EXPECT_EQ(g.programmes[0].categories, std::vector<std::string>{"Sports"});
    EXPECT_EQ(g.channels[0].names, std::vector<std::string>{"13e.1.7.dvb"}); // no SDT named it
    EXPECT_TRUE(mentions(report, "bad.ts: 1 events without a title are left out"));
    EXPECT_TRUE(mentions(report, "bad.ts: dropped as broken: 0 sections, 1 events"));
}

TEST(EitSource, FilesThatAreNoStreamAreErrors)
{
    EitSource source;
    SourceGuide g;
    Report report;
    std::string error;
    EXPECT_FALSE(source.readFiles({"/nonexistent/week.ts"}, g, report, &error));
    EXPECT_EQ(error.rfind("/nonexistent/week.ts: ", 0), 0u) << error;
}
