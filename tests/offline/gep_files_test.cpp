// Hand-made and hostile offline files: what the readers accept (empty channel
// names, CRLF lines, blanks before ids, long lines), what they refuse without
// hanging (FIFOs, folders, huge files), and day offsets they trust.
#include "OfflineFixture.h"
#include "offline/ChannelThemeFiles.h"
#include "offline/GepFile.h"
#include "offline/SummariesFile.h"
#include "offline/TitlesFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using namespace std::string_literals;

class GepFiles : public OfflineFixture {
protected:
    void fifo(const char* name)
    {
        ASSERT_EQ(mkfifo(host::hostPath(std::string("/hdd/orvalis/") + name).c_str(), 0644), 0);
    }
};

TEST_F(GepFiles, LinesAreBoundedAndReadAsTheirTextWhateverTheLineEnd)
{
    const std::string huge(200 * 1024, 'h');
    write("/hdd/orvalis/titles.gep", "one\r\n" + huge + "\ntwo\rstill two\r\nnul\0after\nlast"s);
    offline::GepFile f;
    ASSERT_TRUE(f.open("/hdd/orvalis", "titles.gep"));
    std::string line;
    std::vector<std::string> lines;
    while (f.readLine(line))
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "one\n");
    // The rest of an over-long line is passed over; the next line is whole.
    EXPECT_EQ(lines[1], std::string(offline::GepFile::kMaxLine, 'h') + "\n");
    EXPECT_EQ(lines[2], "two\rstill two\n"); // only a "\r" at the line end goes
    EXPECT_EQ(lines[3], "nul");
    EXPECT_EQ(lines[4], "last");
}

TEST_F(GepFiles, FifosFoldersAndHugeFilesAreRefusedAtOnce)
{
    fifo("titles.gep");
    fifo("summaries.gep");
    fifo("channels.gep");
    std::string error;
    offline::GepFile f;
    // A FIFO with no writer: refused without waiting for one.
    EXPECT_FALSE(f.open("/hdd/orvalis/", "titles.gep", &error));
    EXPECT_NE(error.find("FIFO"), std::string::npos) << error;
    offline::TitlesFileReader titles;
    EXPECT_FALSE(titles.open(offlinePath));
    EXPECT_FALSE(titles.seek(3, 6));
    std::string result;
    EXPECT_EQ(offline::fileSummaries(offlinePath, 1, result), -3);
    EXPECT_EQ(getCanaliTemiOff(), -3);

    ASSERT_TRUE(host::makeDirectories("/hdd/orvalis/themes.gep"));
    EXPECT_FALSE(f.open("/hdd/orvalis/", "themes.gep", &error));
    EXPECT_NE(error.find("folder"), std::string::npos) << error;

    // Larger than any logging run writes (a sparse file: no disk needed).
    const int fd = open(host::hostPath("/hdd/orvalis/big.gep").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, offline::GepFile::kMaxBytes + 1), 0);
    close(fd);
    EXPECT_FALSE(f.open("/hdd/orvalis/", "big.gep", &error));
    EXPECT_NE(error.find("larger"), std::string::npos) << error;
    EXPECT_FALSE(f.open("/hdd/orvalis/", "missing.gep", &error));
}

TEST_F(GepFiles, ChannelsKeepTheirPlacesWhateverTheirNames)
{
    // An empty name, a name holding "<>", a CRLF line: each line is one place.
    write("/hdd/orvalis/channels.gep", "LogDate=1\r\nUno<>64:bb9:13e\r\n<>65:bb9:13e\r\nA<>B<>66:bb9:13e\r\n\r\nQuattro<>67:bb9:13e\r\n");
    write("/hdd/orvalis/themes.gep", "LogDate=1\r\nTHM<>00<>NEWS\r\n");
    ASSERT_EQ(getCanaliTemiOff(), 0);
    ASSERT_EQ(nb_channels, 4);
    EXPECT_EQ(channel_ids[1], 0x65);
    EXPECT_EQ(channel_paths[1], "1:0:1:65:bb9:13e:820000:0:0:0:");
    EXPECT_EQ(channel_ids[3], 0x67);
    EXPECT_STREQ(temalist[0].name, "News");
}

TEST_F(GepFiles, SummariesTakeWhatTheGrammarReads)
{
    write("/hdd/orvalis/summaries.gep", "LogDate=1\r\n 1A<>blank before#the id\r\nzz<>no number\r\n<>empty id\r\n");
    nb_buffer = 2;
    bufferdatas[0].id = 0x1A;
    bufferdatas[1].id = 0;
    bufferdatas[0].summary = bufferdatas[1].summary = "";
    std::string result;
    ASSERT_EQ(offline::fileSummaries(offlinePath, 0x1A, result), 0);
    EXPECT_EQ(result, "blank before\nthe id\n");
    // An id that is no number reads as 0; the first line of id 0 fills its row.
    EXPECT_EQ(bufferdatas[1].summary, "no number\n");
}

TEST_F(GepFiles, ALineOfADayBeyondTheWeekEndsTheDayAsTheOverflowDay)
{
    // A day of 9 and a line of fields that are no numbers: both are lines of the file.
    write("/hdd/orvalis/titles.gep", "LogDate=1\n"
                                     "1<>0<>3<>20:00<>wednesday<>30<>01\n"
                                     "2<>0<>9<>21:00<>day nine<>30<>01\n"
                                     "3<>0<>3<>22:00<>after it<>30<>01\n");
    offline::TitlesFileReader reader;
    ASSERT_TRUE(reader.open(offlinePath));
    ASSERT_TRUE(reader.seek(3, 6));
    offline::TitleLine t;
    ASSERT_TRUE(reader.next(t));
    EXPECT_EQ(t.title, "wednesday");
    // The listing stops at a line of another day: this one, not the Wednesday line after it.
    ASSERT_TRUE(reader.next(t));
    EXPECT_EQ(t.title, "day nine");
    EXPECT_EQ(t.day, 7);
}

TEST_F(GepFiles, ADeviceInPlaceOfAFileIsRefused)
{
    // A character device (as /dev/zero) would be one endless line.
    if (mknod(host::hostPath("/hdd/orvalis/titles.gep").c_str(), S_IFCHR | 0644, makedev(1, 5)) != 0)
        GTEST_SKIP() << "no right to make a device node here";
    std::string error;
    offline::GepFile f;
    EXPECT_FALSE(f.open("/hdd/orvalis/", "titles.gep", &error));
    EXPECT_NE(error.find("device"), std::string::npos) << error;
    offline::TitlesFileReader titles;
    EXPECT_FALSE(titles.open(offlinePath));
}

TEST_F(GepFiles, ADayOffsetIsTrustedOnlyAtTheFirstLineOfItsDay)
{
    const std::string text = "LogDate=1\n"
                             "1<>0<>3<>20:00<>first<>30<>01\n"
                             "2<>0<>3<>21:00<>second<>30<>01\n"
                             "3<>0<>4<>06:00<>thursday<>30<>01\n";
    write("/hdd/orvalis/titles.gep", text);
    currDay.tm_wday = 3;
    offline::TitleLine t;
    // An offset at Wednesday's second line would hide its first programme.
    sizeposition[3] = static_cast<int>(text.find("\n2<>") + 1);
    offline::TitlesFileReader later;
    ASSERT_TRUE(later.open(offlinePath));
    ASSERT_TRUE(later.seek(3, 6));
    ASSERT_TRUE(later.next(t));
    EXPECT_EQ(t.title, "first");
    // At the first line of the day the offset is used: the lines before are not read.
    sizeposition[4] = static_cast<int>(text.find("\n3<>") + 1);
    offline::TitlesFileReader right;
    ASSERT_TRUE(right.open(offlinePath));
    ASSERT_TRUE(right.seek(4, 6));
    ASSERT_TRUE(right.next(t));
    EXPECT_EQ(t.title, "thursday");
    TotTi = 4;
    EXPECT_EQ(right.percent(), 0); // the seek's first line read was the day's own
}

} // namespace
