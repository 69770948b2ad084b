// Dating the week's records from a reference time, and the XMLTV text forms.
#include "xmltv/WeekDating.h"
#include "xmltv/XmltvWriter.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace xmltv;

namespace {

struct InZone : ::testing::Test {
    void use(const char* zone)
    {
        setenv("TZ", zone, 1);
        tzset();
    }
    void TearDown() override
    {
        unsetenv("TZ");
        tzset();
    }
    static std::time_t local(int y, int mo, int d, int h, int mi)
    {
        std::tm t{};
        t.tm_year = y - 1900, t.tm_mon = mo - 1, t.tm_mday = d, t.tm_hour = h, t.tm_min = mi, t.tm_isdst = -1;
        return std::mktime(&t);
    }
    static Title title(int weekday, int hour, int minute, int duration = 30)
    {
        Title t;
        toBroadcastDay(weekday, hour, minute, t);
        t.duration = duration;
        return t;
    }
};

} // namespace

TEST_F(InZone, TheReferenceBroadcastDayStartsTheWeekAndDaysFollowTheCarousel)
{
    use("Europe/Rome");
    Week w;
    // Tuesday 2026-12-08 (weekday 2): 06:00, 23:30, the night's 01:00 (sent as Wednesday),
    // then Wednesday 06:00 and the Monday that ends the week.
    w.titles = {title(2, 6, 0), title(2, 23, 30), title(3, 1, 0), title(3, 6, 0), title(1, 6, 0)};
    for (auto ref : {local(2026, 12, 8, 6, 0), local(2026, 12, 9, 5, 59)}) {
        auto a = dateWeek(w, ref, false);
        ASSERT_EQ(a.size(), 5u);
        EXPECT_EQ(a[0].start, local(2026, 12, 8, 6, 0));
        EXPECT_EQ(a[1].start, local(2026, 12, 8, 23, 30));
        EXPECT_EQ(a[2].start, local(2026, 12, 9, 1, 0));
        EXPECT_EQ(a[2].stop, local(2026, 12, 9, 1, 30));
        EXPECT_EQ(a[3].start, local(2026, 12, 9, 6, 0));
        EXPECT_EQ(a[4].start, local(2026, 12, 14, 6, 0));
    }
    // Read from the middle of the carousel, the reference day's records come first.
    auto rotated = dateWeek(w, local(2026, 12, 9, 12, 0), true);
    EXPECT_EQ(rotated[0].title, &w.titles[3]);
    EXPECT_EQ(rotated[0].start, local(2026, 12, 9, 6, 0));
}

TEST_F(InZone, DaysBeyondTheWeekAndClockChanges)
{
    use("Europe/Rome");
    Week w;
    // Offline files mark the days after the seventh day change as 7: a time running
    // backwards there is the next day.
    Title a = title(4, 22, 0), b, c;
    b.day = c.day = 7;
    b.minuteOfDay = 6 * 60, c.minuteOfDay = 6 * 60 + 30;
    Title d = c;
    d.minuteOfDay = 7 * 60;
    Title e = d;
    e.minuteOfDay = 6 * 60; // backwards: another day
    w.titles = {a, b, c, e};
    // The first of them is a week after the first day, though the days between are empty.
    auto dated = dateWeek(w, local(2026, 10, 22, 6, 0), false); // a Thursday
    EXPECT_EQ(dated[0].start, local(2026, 10, 22, 22, 0));
    EXPECT_EQ(dated[1].start, local(2026, 10, 29, 6, 0));
    EXPECT_EQ(dated[2].start, local(2026, 10, 29, 6, 30));
    EXPECT_EQ(dated[3].start, local(2026, 10, 30, 6, 0));

    // Summer time ends at 03:00 on Sunday 2026-10-25: the night's 02:30 of Saturday's
    // broadcast day and a programme across the change keep their wall-clock times.
    Week night;
    night.titles = {title(6, 23, 0, 240), title(0, 4, 0)};
    auto n = dateWeek(night, local(2026, 10, 24, 6, 0), false);
    EXPECT_EQ(XmltvWriter::timeText(n[0].start), "20261024230000 +0200");
    EXPECT_EQ(XmltvWriter::timeText(n[0].stop), "20261025020000 +0100"); // 4 h later by the clock of the world
    EXPECT_EQ(XmltvWriter::timeText(n[1].start), "20261025040000 +0100");
}

TEST_F(InZone, TimeTextCarriesTheZoneOffset)
{
    use("America/St_Johns");
    EXPECT_EQ(XmltvWriter::timeText(local(2026, 1, 5, 9, 15)), "20260105091500 -0330");
    use("UTC");
    EXPECT_EQ(XmltvWriter::timeText(0), "19700101000000 +0000");
}

TEST(XmlText, DecodesAirTextAndEscapes)
{
    EXPECT_EQ(XmltvWriter::xmlText("Caf\xe9 \xa4 5 & <b> \"x\""), "Café € 5 &amp; &lt;b&gt; &quot;x&quot;");
    EXPECT_EQ(XmltvWriter::xmlText("Cinéma"), "Cinéma"); // already UTF-8
    EXPECT_EQ(XmltvWriter::xmlText(std::string("a\x01\x1f" "b\tc", 6)), "ab\tc");
    Channel c{0x13E, 0xBB9, 0x7, "x"};
    EXPECT_EQ(XmltvWriter::channelId(c), "13e.bb9.7.dvb");
}

TEST(XmltvDocument, OneChannelPerServiceAndProgrammesOnlyForListedChannels)
{
    Week w;
    w.channels = {{1, 2, 3, "A"}, {1, 2, 3, "A again"}, {1, 2, 4, ""}};
    Title t;
    t.title = "T";
    for (int index : {1, 2, 5}) {
        t.channelIndex = index;
        w.titles.push_back(t);
    }
    const auto airings = dateWeek(w, 0, false);
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    const WriteCounts counts = XmltvWriter("test").write(out, w, airings);
    std::fclose(out);
    const std::string doc(text, size);
    std::free(text);
    EXPECT_EQ(counts.channels, 2u);
    EXPECT_EQ(counts.programmes, 2u);
    EXPECT_EQ(counts.withoutChannel, 1u);
    EXPECT_EQ(doc.find("A again"), std::string::npos);
    EXPECT_NE(doc.find("<display-name>1.2.4.dvb</display-name>"), std::string::npos); // no name: its id
    EXPECT_NE(doc.find("channel=\"1.2.3.dvb\""), std::string::npos);
}
