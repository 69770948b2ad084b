// Browsing costs on the sample broadcast through the box's virtual demux:
//  - a day's listing for a theme and for a channel, and a week's search, each beside
//    the time to merely read the same number of title sections from the demux;
//  - a full screen with a 2000-row programme list, and scrolling it by a page, with
//    the text layouts counted (scrolling over rows already drawn lays out nothing).
#include "broadcast/DemuxAccess.h"
#include "broadcast/getCanaliTemi.h"
#include "demux/Transponders.h"
#include "demux/VirtualDemuxFile.h"
#include "frame/globals.h"
#include "host/gfx/FontEngine.h"
#include "host/gfx/eTextPara.h"
#include "host/gui/Screen.h"
#include "host/platform/DeviceRegistry.h"
#include "host/service/eServiceInterface.h"
#include "mux/ModelGenerator.h"
#include "mux/StreamBuilder.h"
#include "ui/eChanProgramSel.h"
#include "ui/eListBoxProgrammi.h"

#include "ListScrolling.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

struct Broadcast {
    Broadcast()
    {
        mux::Config config; // the sample week from the broadcast day running now
        model = mux::generateModel(config);
        auto ts = mux::buildTransportStream(config, model);
        transponders.add(ts.data(), ts.size());
        transponders.tune(0);
        demux::installVirtualDemux(transponders);
        nsp_curr = "820000";
        ok = getCanaliTemi() == 0;
        for (int i = 0; i < nb_channels; ++i) {
            eServiceInterface::Entry e;
            e.ref = eServiceReference(channel_paths[i]);
            e.name = model.channels[i].name;
            eServiceInterface::getInstance()->addService(e);
            channFilter[i] = "1";
        }
        // The box repaints on every read, so the progress window follows the reader.
        host::setBlockingHook([this] {
            ++reads;
            host::refreshScreen();
        });
        CurrentTime();
        FilterSearch = 1; // built without a first read
        window = std::make_unique<eChanProgramSel>();
    }
    // Reads n title sections from the demux and nothing else; *got says how many came.
    double readOnlyMs(long n, long* got)
    {
        const auto t0 = Clock::now();
        int fd = openSectionFilter(kPidTitles, kTableTitlesSummaries);
        long i = 0;
        while (i < n && readSection(fd) > 0)
            ++i;
        closeSectionFilter(fd);
        *got = i;
        return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    }

    mux::Model model;
    demux::Transponders transponders;
    std::unique_ptr<eChanProgramSel> window;
    long reads = 0;
    bool ok = false;
};

Broadcast& broadcast()
{
    static Broadcast b;
    return b;
}

// A day three days on (listed from 06:00), by theme, by channel, or the week's search.
void listing(benchmark::State& state, int mode)
{
    Broadcast& b = broadcast();
    if (!b.ok) {
        state.SkipWithError("the sample broadcast's tables could not be read");
        return;
    }
    time_t now = time(nullptr) + 3 * 86400;
    localtime_r(&now, &currDay);
    currDay.tm_hour = 12;
    FilterSearch = mode;
    ItemSelect = startTh = 0;
    endTh = temalist[0].count - 1;
    if (mode == 1) {
        ItemSelect = channel_ids[1];
        selService = channel_paths[1];
    }
    searchString = "TG";
    double listMs = 0, readMs = 0;
    long sections = 0, rows = 0, plain = 0;
    for (auto _ : state) {
        b.reads = 0;
        const auto t0 = Clock::now();
        if (b.window->GetTitles() != 0)
            state.SkipWithError("the listing failed");
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        state.SetIterationTime(ms / 1000);
        listMs += ms;
        sections += b.reads;
        rows += b.window->evprogrs->getCount();
        state.PauseTiming();
        long got = 0;
        readMs += b.readOnlyMs(b.reads, &got);
        plain += got;
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["listing_ms"] = listMs / n;
    state.counters["readOnly_ms"] = readMs / n;
    state.counters["listing/read"] = readMs > 0 ? listMs / readMs : 0;
    state.counters["sections"] = static_cast<double>(sections) / n;
    state.counters["rows"] = static_cast<double>(rows) / n;
    state.counters["sectionsReadOnly"] = static_cast<double>(plain) / n;
}

void BM_ThemeDayListing(benchmark::State& state) { listing(state, 0); }
void BM_ChannelDayListing(benchmark::State& state) { listing(state, 1); }
void BM_WeekSearch(benchmark::State& state) { listing(state, 3); }
BENCHMARK(BM_ThemeDayListing)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_ChannelDayListing)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_WeekSearch)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// A search window showing 2000 programmes.
struct ProgrammeScreen {
    ProgrammeScreen()
    {
        FilterSearch = 3;
        window.cmove(ePoint(50, 100));
        window.cresize(eSize(620, 380));
        list = new eListBox<eListBoxProgrammi>(&window);
        list->move(ePoint(10, 10));
        list->resize(eSize(600, 320));
        list->loadDeco();
        list->beginAtomic();
        for (int i = 0; i < 2000; ++i)
            new eListBoxProgrammi(list, i % 7, (i / 4) % 24, (i % 4) * 15, "Cinema",
                                  eString().sprintf("Programme number %d of the week", i), 30 + i % 90, channel_paths[i % 40],
                                  i, i);
        list->endAtomic();
        window.show();
        host::refreshScreen();
    }
    void visitAllRows()
    {
        for (int i = 0; i < list->getCount() / list->visibleRows() + 1; ++i) {
            list->moveSelection(eListBoxBase::dirPageDown);
            host::refreshScreen();
        }
        list->moveSelection(eListBoxBase::dirFirst);
        host::refreshScreen();
    }
    eWindow window{1};
    eListBox<eListBoxProgrammi>* list;
};

void BM_ProgrammeListFullScreen(benchmark::State& state)
{
    broadcast();
    ProgrammeScreen s;
    for (auto _ : state) {
        s.window.invalidate();
        host::refreshScreen();
    }
    state.counters["rows"] = s.list->getCount();
}
BENCHMARK(BM_ProgrammeListFullScreen)->Unit(benchmark::kMicrosecond);

void BM_ProgrammeListScrollPage(benchmark::State& state)
{
    broadcast();
    ProgrammeScreen s;
    scrollByPages(state, s);
    state.counters["outstandingServiceRefs"] = eServiceInterface::getInstance()->outstandingRefs();
}
BENCHMARK(BM_ProgrammeListScrollPage)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
