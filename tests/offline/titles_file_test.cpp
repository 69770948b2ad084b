// titles.gep: the logger's pass over the carousel, its day offsets, and the
// reader's seek by those offsets.
#include "../broadcast/FakeDemux.h"
#include "OfflineFixture.h"
#include "offline/LogFileSet.h"
#include "offline/TitlesFile.h"
#include "broadcast/CarouselPass.h"

namespace {

class TitlesFile : public OfflineFixture {
protected:
    void SetUp() override
    {
        OfflineFixture::SetUp();
        std::memset(&currDay, 0, sizeof currDay);
    }
    // Wednesday 9 December 2026 at hh:mm, local time.
    void now(int hour, int minute)
    {
        currDay = {};
        currDay.tm_year = 126;
        currDay.tm_mon = 11;
        currDay.tm_mday = 9;
        currDay.tm_hour = hour;
        currDay.tm_min = minute;
        currDay.tm_isdst = -1;
        mktime(&currDay);
    }
    int log()
    {
        offline::LogFileSet files("/hdd/orvalis/");
        int r = offline::logTitles(files);
        return r == 0 && !files.commit() ? -9 : r;
    }
};

TEST_F(TitlesFile, LineGrammar)
{
    offline::TitleLine t;
    ASSERT_TRUE(offline::parseTitleLine("A1B2C3<>0<>3<>20:30<>Cinema paradiso<>95<>21\n", t));
    EXPECT_EQ(t.id, 0xA1B2C3u);
    EXPECT_EQ(t.minute, 30);
    EXPECT_EQ(t.title, "Cinema paradiso");
    EXPECT_EQ(t.theme, 0x21);
    // A title holding "<" ends there; the fields after it still parse.
    ASSERT_TRUE(offline::parseTitleLine("1<>2<>3<>04:05<>a<b c<>60<>10", t));
    EXPECT_EQ(t.title, "a");
    EXPECT_EQ(t.duration, 60);
    // Only a line without its seven fields is not a title line.
    for (const char* bad : {"LogDate=0", "1<>2<>3<>04:05<>t<>6", ""})
        EXPECT_FALSE(offline::parseTitleLine(bad, t)) << bad;
    // A theme slot without a record (255) is a programme without theme, not a bad line.
    ASSERT_TRUE(offline::parseTitleLine("1<>2<>3<>04:05<>t<>6<>FF", t));
    EXPECT_EQ(t.theme, 255);
}

TEST_F(TitlesFile, EveryLineTheGrammarReadsIsKeptWithItsFiguresBounded)
{
    offline::TitleLine t;
    // Fields that are no numbers read as 0, as atoi and strtoul read them.
    ASSERT_TRUE(offline::parseTitleLine("x<>ch<>d<>hh:mm<>title<>long<>zz", t));
    EXPECT_EQ(t.id, 0u);
    EXPECT_EQ(t.channel, 0);
    EXPECT_EQ(t.day, 0);
    EXPECT_EQ(t.hour, 0);
    EXPECT_EQ(t.duration, 0);
    EXPECT_EQ(t.theme, 0);
    // Leading blanks and trailing text, as atoi takes them; no ':' leaves the minute 0.
    ASSERT_TRUE(offline::parseTitleLine(" 1F<> 4x<>2<>0405<>t<>60min<>1a", t));
    EXPECT_EQ(t.id, 0x1Fu);
    EXPECT_EQ(t.channel, 4);
    EXPECT_EQ(t.hour, 99);
    EXPECT_EQ(t.minute, 0);
    EXPECT_EQ(t.duration, 60);
    EXPECT_EQ(t.theme, 0x1A);
    // A day beyond the week (9) is kept and ends a day's list as the overflow day does.
    ASSERT_TRUE(offline::parseTitleLine("1<>2<>9<>04:05<>t<>6<>10", t));
    EXPECT_EQ(t.day, 7);
    // Channel indices outside the table name no channel, however large; slot FF is kept.
    ASSERT_TRUE(offline::parseTitleLine("1<>99999999999<>3<>04:05<>t<>6<>FF", t));
    EXPECT_EQ(t.channel, kMaxChannels);
    EXPECT_EQ(t.theme, 0xFF);
    ASSERT_TRUE(offline::parseTitleLine("1<>-1<>3<>04:05<>t<>6<>10", t));
    EXPECT_EQ(t.channel, -1);
    // A hand-made title longer than the broadcast's 23 bytes comes back whole.
    const std::string longTitle = "a title far longer than twenty-three characters";
    ASSERT_TRUE(offline::parseTitleLine("1<>0<>3<>20:00<>" + longTitle + "<>60<>10\r\n", t));
    EXPECT_EQ(t.title, longTitle);
    EXPECT_EQ(t.theme, 0x10);
}

TEST_F(TitlesFile, LoggerWritesOnePassFromNowWithTheDayOffsets)
{
    FakeDemux demux;
    // A week from Wednesday (3) 06:00; the pass starts at 20:30, so the morning comes round as day 7.
    demux.add(0xD2, 0x90, titleSection(5, 1, 3, 8, 0, 30, "MORNING", 1));
    demux.add(0xD2, 0x90, titleSection(1, 0x21, 3, 24, 30, 95, "CINEMA PARADISO", 0xA1B2C3)); // 20:30
    demux.add(0xD2, 0x90, titleSection(0xFF, 1, 3, 24, 40, 5, "NO CHANNEL", 2));
    demux.add(0xD2, 0x90, std::vector<uint8_t>(30, 0x90)); // another length: passed over
    demux.add(0xD2, 0x90, titleSection(2, 1, 4, 1, 0, 60, "NIGHT", 3)); // Thursday 01:00 belongs to Wednesday
    for (int day : {4, 5, 6, 0, 1, 2})
        demux.add(0xD2, 0x90, titleSection(2, 1, day, 8, 0, 60, "DAY " + std::to_string(day), 10 + day));
    now(20, 35);
    ASSERT_EQ(log(), 0);
    std::string text = read("/hdd/orvalis/titles.gep");
    EXPECT_EQ(text, "LogDate=0\n"
                    "A1B2C3<>0<>3<>20:30<>Cinema paradiso<>95<>21\n"
                    "3<>1<>3<>01:00<>Night<>60<>01\n"
                    "E<>1<>4<>06:00<>Day 4<>60<>01\n"
                    "F<>1<>5<>06:00<>Day 5<>60<>01\n"
                    "10<>1<>6<>06:00<>Day 6<>60<>01\n"
                    "A<>1<>0<>06:00<>Day 0<>60<>01\n"
                    "B<>1<>1<>06:00<>Day 1<>60<>01\n"
                    "C<>1<>2<>06:00<>Day 2<>60<>01\n"
                    "1<>4<>7<>06:00<>Morning<>30<>01\n");
    EXPECT_EQ(nb_titles, 9);
    EXPECT_EQ(sizeposition[3], 10);
    for (int day = 0; day < 8; ++day) {
        if (day != 3) {
            EXPECT_EQ(text.substr(sizeposition[day] - 1, 1), "\n") << day;
        }
    }
    EXPECT_EQ(text.substr(sizeposition[7], 2), "1<");
    EXPECT_EQ(text.substr(sizeposition[0], 2), "A<");

    // The reader seeks by the offsets; an offset from another file falls back to the start.
    offline::TitlesFileReader reader;
    ASSERT_TRUE(reader.open(offlinePath));
    ASSERT_TRUE(reader.seek(2, 6));
    offline::TitleLine t;
    ASSERT_TRUE(reader.next(t));
    EXPECT_EQ(t.title, "Day 2");
    ASSERT_TRUE(reader.next(t));
    EXPECT_EQ(t.title, "Morning");
    EXPECT_FALSE(reader.next(t));
    sizeposition[4] = sizeposition[5]; // a line of another day
    offline::TitlesFileReader other;
    ASSERT_TRUE(other.open(offlinePath));
    ASSERT_TRUE(other.seek(4, 6));
    ASSERT_TRUE(other.next(t));
    EXPECT_EQ(t.title, "Day 4");
    sizeposition[4] = 15; // inside a line
    offline::TitlesFileReader again;
    ASSERT_TRUE(again.open(offlinePath));
    ASSERT_TRUE(again.seek(4, 6));
    ASSERT_TRUE(again.next(t));
    EXPECT_EQ(t.title, "Day 4");
    ASSERT_TRUE(again.seek(3, 19)); // no programme at 19:00: the listing starts at the next one
    ASSERT_TRUE(again.next(t));
    EXPECT_EQ(t.title, "Cinema paradiso");
    // Wednesday after 20:30: the programme after midnight (filed under Wednesday) comes next.
    ASSERT_TRUE(again.seek(3, 21));
    ASSERT_TRUE(again.next(t));
    EXPECT_EQ(t.title, "Night");
    EXPECT_FALSE(again.seek(3, 2)); // none from 02:00 on: the end of the file
}

TEST_F(TitlesFile, RepeatedSectionsAddNoLineAndDoNotEndThePass)
{
    FakeDemux demux;
    // Wednesday from 20:30 on, then Thursday: the second section comes again within the
    // pass (and the first one too), with a section of another length in between.
    const auto start = titleSection(1, 1, 3, 24, 30, 30, "START", 1);
    const auto second = titleSection(1, 1, 3, 25, 0, 30, "SECOND", 2);
    demux.add(0xD2, 0x90, start);
    demux.add(0xD2, 0x90, second);
    demux.add(0xD2, 0x90, titleSection(2, 1, 3, 25, 30, 30, "THIRD", 3));
    demux.add(0xD2, 0x90, second);
    demux.add(0xD2, 0x90, std::vector<uint8_t>(12, 0x90));
    demux.add(0xD2, 0x90, titleSection(2, 1, 4, 8, 0, 30, "THU A", 4));
    demux.add(0xD2, 0x90, start);
    demux.add(0xD2, 0x90, titleSection(2, 1, 4, 9, 0, 30, "THU B", 5));
    demux.add(0xD2, 0x90, titleSection(3, 1, 4, 10, 0, 30, "THU C", 6));
    demux.add(0xD2, 0x90, titleSection(3, 1, 5, 8, 0, 30, "FRI", 7));
    now(20, 35);
    ASSERT_EQ(log(), 0);
    const std::string text = read("/hdd/orvalis/titles.gep");
    EXPECT_EQ(text, "LogDate=0\n"
                    "1<>0<>3<>20:30<>Start<>30<>01\n"
                    "2<>0<>3<>21:00<>Second<>30<>01\n"
                    "3<>1<>3<>21:30<>Third<>30<>01\n"
                    "4<>1<>4<>06:00<>Thu a<>30<>01\n"
                    "5<>1<>4<>07:00<>Thu b<>30<>01\n"
                    "6<>2<>4<>08:00<>Thu c<>30<>01\n"
                    "7<>2<>5<>06:00<>Fri<>30<>01\n");
    EXPECT_EQ(nb_titles, 7);
    // One run per day: a repeat filed again would have opened a second Wednesday.
    EXPECT_EQ(text.substr(sizeposition[3], 2), "1<");
    EXPECT_EQ(text.substr(sizeposition[4], 2), "4<");
    EXPECT_EQ(text.substr(sizeposition[5], 2), "7<");
}

TEST_F(TitlesFile, SeekIsBoundedAndFallsBackToTheProgrammeRunningNow)
{
    FakeDemux demux;
    // Nothing started in the current hour: the programme of 18:00 running at 20:35 starts the file.
    demux.add(0xD2, 0x90, titleSection(1, 1, 3, 6, 0, 30, "MORNING", 1));
    demux.add(0xD2, 0x90, titleSection(1, 1, 3, 22, 0, 180, "EVENING", 2));
    demux.add(0xD2, 0x90, titleSection(1, 1, 3, 26, 0, 60, "LATE", 3));
    now(20, 35);
    ASSERT_EQ(log(), 0);
    EXPECT_EQ(read("/hdd/orvalis/titles.gep"),
              "LogDate=0\n2<>0<>3<>18:00<>Evening<>180<>01\n3<>0<>3<>22:00<>Late<>60<>01\n"
              "1<>0<>3<>06:00<>Morning<>30<>01\n");

    // No programme of this weekday at all: one pass, then failure, and no file.
    FakeDemux other;
    other.add(0xD2, 0x90, titleSection(1, 1, 5, 6, 0, 30, "FRIDAY", 1));
    std::remove(host::hostPath("/hdd/orvalis/titles.gep").c_str());
    EXPECT_EQ(log(), -1);
    EXPECT_LT(other.log().calls.size(), 10u + CarouselPass::kMaxWindow);
    EXPECT_EQ(read("/hdd/orvalis/titles.gep"), "");
    // Only the set in place is left: the failed run's folder went with it.
    const auto names = listing();
    EXPECT_EQ(std::count_if(names.begin(), names.end(), [](const std::string& n) { return n.rfind(".gep.set-", 0) == 0; }), 1);
}

TEST_F(TitlesFile, BeforeSixTheRunStartsOnThePreviousDayAndAStoppedStreamFails)
{
    {
        FakeDemux demux;
        demux.add(0xD2, 0x90, titleSection(1, 1, 4, 3, 0, 30, "THU 03", 7)); // Thursday 03:00 -> Wednesday
        demux.add(0xD2, 0x90, titleSection(1, 1, 4, 8, 0, 30, "THU 06", 8));
        now(3, 10);
        currDay.tm_mday = 10; // Thursday
        mktime(&currDay);
        ASSERT_EQ(log(), 0);
        EXPECT_EQ(currDay.tm_wday, 3);
        EXPECT_EQ(read("/hdd/orvalis/titles.gep"),
                  "LogDate=0\n7<>0<>3<>03:00<>Thu 03<>30<>01\n8<>0<>4<>06:00<>Thu 06<>30<>01\n");
    }
    FakeDemux demux;
    demux.add(0xD2, 0x90, titleSection(1, 1, 3, 24, 30, 95, "START", 1));
    demux.add(0xD2, 0x90, titleSection(1, 1, 4, 8, 0, 95, "NEXT", 2));
    demux.stopAfter(2); // the start and one more, then the device times out
    now(20, 35);
    sizeposition[3] = 10;
    EXPECT_EQ(log(), -1);
    EXPECT_EQ(read("/hdd/orvalis/titles.gep").substr(10, 7), "7<>0<>3");
    EXPECT_EQ(sizeposition[3], 10);
}

} // namespace
