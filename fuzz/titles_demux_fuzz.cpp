// Arbitrary title carousels through the virtual demux into the titles reader, in every
// mode: the reader ends (whatever the sections hold), returns one of its codes, lists
// only rows whose fields are in range, and releases every service record it took.
// Then green and red on the list: the summary pass over a summary carousel made of the
// same sections ends, files every row that has a record and nothing past the table,
// and the timer proposal is built for the current row.
//
// Input: 8 bytes of settings, then sections as [length byte][body]; each becomes a
// section of table 0x90 on PID 0xD2 (46 bytes long when the length byte is a multiple
// of 4, so that most are title records), and the carousel repeats. The same bytes go
// out on PID 0xD3 as summary sections: a title record's summary id at bytes 3..6, and
// the 0xFF marker bytes set on about half of them (and at most 10 entries).
#include "demux/Transponders.h"
#include "demux/VirtualDemuxFile.h"
#include "frame/globals.h"
#include "host/platform/DeviceRegistry.h"
#include "host/service/eServiceInterface.h"
#include "ts/Packetizer.h"
#include "ui/eChanProgramSel.h"
#include "ui/eListBoxProgrammi.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

constexpr size_t kSettings = 8;
constexpr int kChannels = 6;

void setUpTables(const uint8_t* s)
{
    static bool done = false;
    if (!done) {
        auto* services = eServiceInterface::getInstance();
        for (int i = 0; i < kChannels; ++i) {
            channel_ids[i] = 0x100 + i;
            channel_paths[i] = serviceRefText(0x100 + i, 1, 1);
            if (i % 3 != 2) { // every third channel is unknown to the receiver
                eServiceInterface::Entry e;
                e.ref = eServiceReference(channel_paths[i]);
                e.name = "Channel";
                services->addService(e);
            }
        }
        for (int slot = 0; slot < kThemeRecords; ++slot) {
            std::strcpy(temalist[slot].name, "Theme");
            temalist[slot].count = 1 + slot % 16;
        }
        done = true;
    }
    nb_channels = s[6] % (kChannels + 1);
    for (int i = 0; i < kChannels; ++i)
        channFilter[i] = (s[7] >> i) & 1 ? "0" : "1";
    const int modes[] = {0, 1, 3};
    FilterSearch = modes[s[0] % 3];
    currDay.tm_wday = s[1] % 7;
    oggi = (s[1] >> 3) % 8; // 7: no day is today
    currDay.tm_hour = s[2] % 24;
    nsp_curr = s[3] & 1 ? "820000" : "c00000";
    startTh = s[4];
    endTh = s[5];
    ItemSelect = FilterSearch == 1 ? 0x100 + s[4] % kChannels : s[4];
    selService = channel_paths[s[4] % kChannels];
    searchString = s[5] & 1 ? "A" : "";
    TotTi = s[5] >> 1;
}

std::vector<uint8_t> carousel(const uint8_t* data, size_t size)
{
    std::vector<std::vector<uint8_t>> sections;
    size_t pos = 0;
    while (pos < size) {
        size_t len = data[pos++];
        size_t total = len % 4 == 0 ? 46 : std::max<size_t>(len, 3);
        std::vector<uint8_t> s(total, 0);
        s[0] = 0x90;
        s[1] = static_cast<uint8_t>(0x70 | ((total - 3) >> 8));
        s[2] = static_cast<uint8_t>(total - 3);
        for (size_t i = 3; i < total && pos < size; ++i)
            s[i] = data[pos++];
        sections.push_back(std::move(s));
    }
    std::vector<std::vector<uint8_t>> summaries;
    for (const auto& t : sections) {
        std::vector<uint8_t> u = t;
        if (u.size() == 46)
            std::memcpy(u.data() + 3, t.data() + 38, 4);
        if (u.size() > 10 && (u[2] & 2)) {
            u[7] = u[8] = u[9] = 0xFF;
            u[10] %= 11;
        }
        summaries.push_back(std::move(u));
    }
    std::vector<uint8_t> ts;
    ts::Packetizer titles(0xD2);
    titles.put(sections, ts);
    ts::Packetizer summary(0xD3);
    summary.put(summaries, ts);
    ts::appendNullPacket(ts);
    return ts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < kSettings + 1)
        return 0;
    setUpTables(data);
    const std::vector<uint8_t> ts = carousel(data + kSettings, size - kSettings);
    demux::Transponders tp;
    tp.add(ts.data(), ts.size());
    tp.tune(0);
    demux::installVirtualDemux(tp);
    {
        const int mode = FilterSearch;
        FilterSearch = 1; // built without a first read
        eChanProgramSel window;
        FilterSearch = mode;
        const int r = window.GetTitles();
        check(r == 0 || r == -1 || r == -2);
        int index = 0;
        window.evprogrs->forEachEntry([&](eListBoxProgrammi* row) {
            check(row->index == index++);
            check(row->wday >= 0 && row->wday <= 7);
            check(row->hour >= 0 && row->hour <= 27);
            check(row->min >= 0 && row->min <= 63);
            check(row->title.size() <= 23);
        });
        // Without a frontend the summary view and the timer editor close at once.
        window.progSummary();
        const int rows = window.evprogrs->getCount();
        if (rows > 0)
            check(nb_buffer == (rows < kMaxRows ? rows : kMaxRows));
        window.evprogrs->forEachEntry([&](eListBoxProgrammi* row) {
            if (row->index < kMaxRows)
                check(bufferdatas[row->index].id == row->summaryId);
        });
        window.progTimer();
    }
    host::unregisterDevice("/dev/dvb/card0/demux0");
    check(eServiceInterface::getInstance()->outstandingRefs() == 0);
    return 0;
}
