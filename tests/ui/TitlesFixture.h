#pragma once
// A programme list window over a scripted title carousel: channels and services the
// host knows, a theme table, and helpers to build 46-byte title sections.
#include "../broadcast/FakeDemux.h"
#include "../host/FakeFrontend.h"
#include "frame/globals.h"
#include "host/service/eServiceInterface.h"
#include "ui/eChanProgramSel.h"
#include "ui/eListBoxProgrammi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace titlestest {

struct Rec {
    int channel = 1; // channel number as sent
    int theme = 16;
    int weekday = 2; // as sent, 0..7
    int hour = 6;    // calendar hour 0..23, sent with the normal hour code
    int minute = 0;
    int duration = 30;
    std::string title = "PROGRAMME";
    uint32_t summaryId = 1;
};

// "Now" of the reader while a test runs: set with setNow, read through timeSource.
inline time_t& fixedNow()
{
    static time_t now = 0;
    return now;
}
inline time_t readFixedNow() { return fixedNow(); }
// Sets now to a local date and time.
inline void setNow(int year, int month, int day, int hour, int minute = 0)
{
    struct tm t {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_isdst = -1;
    fixedNow() = mktime(&t);
}

inline int hourCode(int hour) { return hour <= 5 ? hour : hour <= 11 ? hour + 2 : hour + 4; }

inline std::vector<uint8_t> section(const Rec& r, int serial)
{
    std::vector<uint8_t> s(46, 0);
    s[0] = 0x90;
    s[3] = static_cast<uint8_t>(r.channel);
    s[4] = static_cast<uint8_t>(r.theme);
    s[5] = static_cast<uint8_t>((r.weekday << 5) | hourCode(r.hour));
    s[6] = static_cast<uint8_t>(r.minute << 2);
    s[7] = static_cast<uint8_t>(serial >> 8); // running number: every section differs
    s[8] = static_cast<uint8_t>(serial);
    s[9] = static_cast<uint8_t>(r.duration >> 8);
    s[10] = static_cast<uint8_t>(r.duration);
    std::memcpy(&s[11], r.title.data(), std::min<size_t>(r.title.size(), 23));
    for (int i = 0; i < 4; ++i)
        s[38 + i] = static_cast<uint8_t>(r.summaryId >> (24 - 8 * i));
    return s;
}

class Titles : public ::testing::Test {
protected:
    static constexpr int kChannels = 4;

    void SetUp() override
    {
        nsp_curr = "820000";
        nb_channels = kChannels;
        auto* services = eServiceInterface::getInstance();
        services->clear();
        for (int i = 0; i < kChannels; ++i) {
            channel_ids[i] = 0x100 + i;
            channel_paths[i] = serviceRefText(0x100 + i, 0xBB9, 0x13E);
            channFilter[i] = "1";
            if (i == 3)
                continue; // channel 4 is on the table but unknown to the receiver
            eServiceInterface::Entry e;
            e.ref = eServiceReference(channel_paths[i]);
            e.name = "Channel " + std::to_string(i + 1);
            services->addService(e);
        }
        std::memset(temalist, 0, sizeof temalist);
        std::strcpy(temalist[16].name, "Cinema");
        temalist[16].count = 3;
        std::strcpy(temalist[17].name, "Western");
        std::strcpy(temalist[18].name, "Horror");
        std::strcpy(temalist[32].name, "Sport");
        temalist[32].count = 1;
        nb_themes = 3;
        readThCh = true;
        TotTi = 0;
        offlinelog = 0;
        oggi = 1; // Monday: a Tuesday listing starts at 06:00
        ieri = 0;
        setNow(2026, 12, 7, 12); // Monday noon
        timeSource = readFixedNow;
        FilterSearch = 1; // the channel view reads nothing while it is built
        window = std::make_unique<eChanProgramSel>();
        std::memset(&currDay, 0, sizeof currDay);
        currDay.tm_wday = 2;
        currDay.tm_hour = 9;
    }
    void TearDown() override
    {
        window.reset();
        timeSource = systemNow;
        eServiceInterface::getInstance()->clear();
        nsp_curr.clear();
        FilterSearch = 0;
    }

    // Puts the records on the air in this order, as one carousel pass.
    void air(const std::vector<Rec>& recs)
    {
        for (const Rec& r : recs)
            demux.add(0xD2, 0x90, section(r, serial++));
    }
    void airRaw(std::vector<uint8_t> s) { demux.add(0xD2, 0x90, std::move(s)); }

    // Mode 0 over theme slots [from, to].
    int listTheme(int from, int to)
    {
        FilterSearch = 0;
        ItemSelect = from;
        startTh = from;
        endTh = to;
        return window->GetTitles();
    }
    int listChannel(int index)
    {
        FilterSearch = 1;
        ItemSelect = channel_ids[index];
        selService = channel_paths[index];
        return window->GetTitles();
    }
    int search(const char* text)
    {
        FilterSearch = 3;
        searchString = text;
        return window->GetTitles();
    }

    std::vector<eListBoxProgrammi*> rows() const
    {
        std::vector<eListBoxProgrammi*> out;
        window->evprogrs->forEachEntry([&](eListBoxProgrammi* r) { out.push_back(r); });
        return out;
    }
    std::vector<std::string> titles() const
    {
        std::vector<std::string> out;
        for (auto* r : rows())
            out.push_back(r->title);
        return out;
    }

    time_t (*systemNow)() = timeSource;
    FakeFrontend frontend;
    FakeDemux demux;
    std::unique_ptr<eChanProgramSel> window;
    int serial = 0;
};

} // namespace titlestest
