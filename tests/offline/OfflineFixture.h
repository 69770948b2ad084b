#pragma once
// A receiver file system in a fresh folder, with the offline directory made, and
// builders of the broadcast sections the writers read.
#include "frame/globals.h"
#include "host/platform/FileSystem.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

class OfflineFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/orvalisofflineXXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_root = tmpl;
        host::setFileSystemRoot(m_root);
        ASSERT_TRUE(host::makeDirectories("/hdd/orvalis"));
        offlinePath = "/hdd/orvalis/";
        nsp_curr = "820000";
        logDate = 0;
        TotTi = TotSu = 0;
        std::memset(sizeposition, 0, sizeof sizeposition);
    }
    void TearDown() override
    {
        host::setFileSystemRoot("");
        std::system(("rm -rf " + m_root).c_str());
        nsp_curr.clear();
    }
    static std::string read(const std::string& receiverPath)
    {
        std::ifstream in(host::hostPath(receiverPath), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void write(const std::string& receiverPath, const std::string& text)
    {
        std::ofstream(host::hostPath(receiverPath), std::ios::binary) << text;
    }
    // Names of the files in the offline directory, hidden ones included.
    static std::vector<std::string> listing()
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(host::hostPath("/hdd/orvalis")))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string m_root;
};

// A 46-byte title section: channel number, theme slot, weekday, hour code, minute, duration, title, summary id.
inline std::vector<uint8_t> titleSection(int channel, int theme, int wday, int hourCode, int minute, int duration,
                                         const std::string& title, uint32_t id)
{
    std::vector<uint8_t> s(46, 0);
    s[0] = 0x90;
    s[3] = static_cast<uint8_t>(channel);
    s[4] = static_cast<uint8_t>(theme);
    s[5] = static_cast<uint8_t>((wday << 5) | hourCode);
    s[6] = static_cast<uint8_t>(minute << 2);
    s[9] = static_cast<uint8_t>(duration >> 8);
    s[10] = static_cast<uint8_t>(duration);
    std::memcpy(&s[11], title.data(), std::min<size_t>(23, title.size()));
    s[38] = static_cast<uint8_t>(id >> 24);
    s[39] = static_cast<uint8_t>(id >> 16);
    s[40] = static_cast<uint8_t>(id >> 8);
    s[41] = static_cast<uint8_t>(id);
    return s;
}

// A summary section with n 7-byte entries before the text (no NUL added).
inline std::vector<uint8_t> summarySection(uint32_t id, const std::string& text, int n = 1, bool marked = true)
{
    std::vector<uint8_t> s = {0x90, 0, 0, uint8_t(id >> 24), uint8_t(id >> 16), uint8_t(id >> 8), uint8_t(id)};
    for (int i = 0; i < 3; ++i)
        s.push_back(marked ? 0xFF : 0);
    s.push_back(static_cast<uint8_t>(n));
    s.resize(s.size() + 7 * n, 0x11);
    s.insert(s.end(), text.begin(), text.end());
    return s;
}
