#include "frame/globals.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// The start-up values are what a freshly loaded plug-in works with before any
// configuration is read; later code relies on several of them.
TEST(SharedState, StartUpValues)
{
    EXPECT_EQ(offlinePath, "/hdd/orvalis/");
    EXPECT_EQ(listaP.family, "Nimbus");
    EXPECT_EQ(listaP.pointSize, 20);
    EXPECT_EQ(listaG.pointSize, 17);
    EXPECT_EQ(pluginType, 2);
    EXPECT_EQ(nb_channels, 300);
    EXPECT_EQ(nb_themes, 100);
    EXPECT_EQ(nb_titles, 25000);
    EXPECT_EQ(nb_summaries, 25000);
    EXPECT_EQ(nullService, "1:0:1:0:0:0:0:0:0:0:");
    EXPECT_FALSE(EPGService.valid());
    EXPECT_EQ(LastService, EPGService);
    EXPECT_EQ(weekD[7], "Nex");
    EXPECT_EQ(weekD[0], "Sun");
    EXPECT_EQ(weekD[6], "Sat");
}

TEST(SharedState, TolowerKeepsFirstByteAndOnlyLowersAsciiCapitals)
{
    char a[] = "NEWS AT 9";
    tolower(a);
    EXPECT_STREQ(a, "News at 9");
    char b[] = "cINEMA";
    tolower(b);
    EXPECT_STREQ(b, "cinema");
    char c[] = "TG E NEWS";
    tolower(c);
    EXPECT_STREQ(c, "Tg e news");
    char d[] = "\xC9T\xC9 [Z]";
    tolower(d);
    EXPECT_STREQ(d, "\xC9t\xC9 [z]");
    char e[] = "";
    tolower(e); // must not touch anything past the terminator
    EXPECT_STREQ(e, "");
}

TEST(SharedState, ServiceReferenceTextUsesAtLeastTwoUpperCaseDigits)
{
    nsp_curr = "820000";
    EXPECT_EQ(serviceRefText(0x1A, 0x5, 0x13E), "1:0:1:1A:05:13E:820000:0:0:0:");
    EXPECT_EQ(serviceRefText(0x1A2B, 0x5, 0x13E), "1:0:1:1A2B:05:13E:820000:0:0:0:");
    EXPECT_EQ(serviceRefText(7, 0xFFFF, 0), "1:0:1:07:FFFF:00:820000:0:0:0:");
    nsp_curr.clear();
}

class CurrentTimeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* tz = std::getenv("TZ");
        m_tz = tz ? tz : "";
        m_hadTz = tz != nullptr;
        setenv("TZ", "Europe/Rome", 1);
        tzset();
    }
    void TearDown() override
    {
        if (m_hadTz)
            setenv("TZ", m_tz.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    std::string m_tz;
    bool m_hadTz = false;
};

TEST_F(CurrentTimeTest, DateTextAndWeekdaysFollowTheLocalTime)
{
    CurrentTime();
    time_t now = time(nullptr);
    struct tm t;
    localtime_r(&now, &t);
    char expected[32];
    std::snprintf(expected, sizeof expected, "%s  %02d-%02d-%04d", weekD[t.tm_wday].c_str(), t.tm_mday, t.tm_mon + 1,
                  t.tm_year + 1900);
    EXPECT_STREQ(datattuale, expected);
    EXPECT_EQ(oggi, t.tm_wday);
    EXPECT_EQ(ieri, (t.tm_wday + 6) % 7);
    EXPECT_EQ(currDay.tm_mday, t.tm_mday);
    EXPECT_LT(std::strlen(datattuale), sizeof datattuale);
}

} // namespace
