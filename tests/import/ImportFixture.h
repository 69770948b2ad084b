#pragma once
// A temporary folder of the test's own, removed afterwards, and the Rome time zone
// that the broadcast days of the tests are written in.
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace importtest {

struct TempFolder : ::testing::Test {
    void SetUp() override
    {
        setenv("TZ", "Europe/Rome", 1);
        tzset();
        char tmpl[] = "/tmp/orvalis-import-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    void write(const std::string& name, const std::string& text) const
    {
        std::ofstream(dir / name, std::ios::binary) << text;
    }
    std::string read(const std::string& name) const
    {
        std::ifstream in(dir / name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::filesystem::path dir;
};

// Local time of a date and time in the test's zone.
inline std::time_t localTime(int y, int mo, int d, int h, int mi)
{
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

} // namespace importtest
