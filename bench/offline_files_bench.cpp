// The offline files: a day's listing of a channel or a theme and a week's search
// from a titles file of 25000 lines, beside the time it takes just to read that
// file; and the logging run of the sample broadcast. A listing seeks to its day
// by the stored offsets: it costs a fraction of reading the file, not all of it.
#include "broadcast/getCanaliTemi.h"
#include "demux/Transponders.h"
#include "demux/VirtualDemuxFile.h"
#include "frame/globals.h"
#include "host/platform/FileSystem.h"
#include "host/platform/Log.h"
#include "host/service/eServiceInterface.h"
#include "mux/ModelGenerator.h"
#include "mux/StreamBuilder.h"
#include "offline/ChannelThemeFiles.h"
#include "offline/LogFileSet.h"
#include "offline/SummariesFile.h"
#include "offline/TitlesFile.h"
#include "ui/eChanProgramSel.h"
#include "ui/eListBoxProgrammi.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr int kLines = 25000;
constexpr int kChannels = 40;

// A week of 25000 programmes on 40 channels in carousel order, with the day offsets.
struct TitlesWeek {
    TitlesWeek()
    {
        host::setLogQuiet(true);
        std::string pattern = (std::filesystem::temp_directory_path() / "orvalis-offlinebench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        root = pattern;
        host::setFileSystemRoot(root);
        host::makeDirectories("/hdd/orvalis");
        offlinePath = "/hdd/orvalis/";
        nsp_curr = "820000";
        FILE* f = std::fopen(host::hostPath("/hdd/orvalis/titles.gep").c_str(), "w");
        std::fprintf(f, "LogDate=0\n");
        const int perDay = kLines / 7;
        for (int i = 0; i < kLines; ++i) {
            int day = (3 + i / perDay) % 7;
            if (i / perDay >= 7)
                day = 7;
            int minuteOfDay = 6 * 60 + (i % perDay) * (24 * 60) / perDay;
            offline::TitleLine t;
            t.id = 0x10000 + i;
            t.channel = i % kChannels;
            t.day = day;
            t.hour = (minuteOfDay / 60) % 24;
            t.minute = minuteOfDay % 60;
            t.title = i % 50 == 0 ? "Tg sera edizione" : "Programma della settimana";
            t.duration = 30;
            t.theme = (i % 16) * 16 + i % 3;
            if (i % perDay == 0 && day < 8)
                sizeposition[day] = static_cast<int>(std::ftell(f));
            offline::writeTitleLine(f, t);
        }
        std::fclose(f);
        TotTi = kLines;
        nb_channels = kChannels;
        auto* si = eServiceInterface::getInstance();
        for (int i = 0; i < kChannels; ++i) {
            channel_ids[i] = 100 + i;
            channel_paths[i] = serviceRefText(100 + i, 1, 1);
            channFilter[i] = "1";
            si->addService({eServiceReference(channel_paths[i]), "Canale", "", 0});
        }
        for (int g = 0; g < 16; ++g) {
            std::snprintf(temalist[g * 16].name, 16, "Theme %d", g);
            temalist[g * 16].count = 3;
        }
        time_t now = time(nullptr);
        localtime_r(&now, &currDay);
        oggi = (currDay.tm_wday + 6) % 7; // the listed day is never today: it starts at 06:00
        ieri = oggi;
    }
    ~TitlesWeek() { std::filesystem::remove_all(root); }
    std::string root;
};

TitlesWeek& week()
{
    static TitlesWeek w;
    return w;
}

void BM_ReadWholeTitlesFile(benchmark::State& state)
{
    week();
    std::string file = host::hostPath("/hdd/orvalis/titles.gep");
    std::vector<char> buf(1 << 16);
    for (auto _ : state) {
        FILE* f = std::fopen(file.c_str(), "r");
        size_t total = 0;
        while (size_t n = std::fread(buf.data(), 1, buf.size(), f))
            total += n;
        std::fclose(f);
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_ReadWholeTitlesFile)->Unit(benchmark::kMillisecond);

// The window's own reader with its rows: mode 1 (a channel) or 0 (a theme) on day 5, or
// mode 3 (a search over the week).
void listing(benchmark::State& state, int mode, bool offsets = true)
{
    week();
    int saved[8];
    std::copy(sizeposition, sizeposition + 8, saved);
    if (!offsets)
        std::fill(sizeposition, sizeposition + 8, 0);
    offlinelog = 1;
    FilterSearch = 1;
    eChanProgramSel window;
    FilterSearch = mode;
    ItemSelect = mode == 1 ? channel_ids[7] : 32;
    selService = channel_paths[7];
    startTh = 32;
    endTh = 34;
    searchString = "TG SERA";
    currDay.tm_wday = 5;
    currDay.tm_hour = 12;
    int rows = 0;
    for (auto _ : state) {
        if (window.GetTitlesOff() != 0)
            state.SkipWithError("titles.gep missing");
        rows = window.evprogrs->getCount();
    }
    state.counters["rows"] = rows;
    std::copy(saved, saved + 8, sizeposition);
}
void BM_DayOfAChannel(benchmark::State& state) { listing(state, 1); }
void BM_DayOfATheme(benchmark::State& state) { listing(state, 0); }
// The same listing without the stored offsets: it has to read up to its day.
void BM_DayOfAChannelScanning(benchmark::State& state) { listing(state, 1, false); }
void BM_WeekSearch(benchmark::State& state) { listing(state, 3); }
BENCHMARK(BM_DayOfAChannel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DayOfATheme)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DayOfAChannelScanning)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WeekSearch)->Unit(benchmark::kMillisecond);

// The logging run's three writers over the sample broadcast at the box's default speed.
void BM_LogSampleBroadcast(benchmark::State& state)
{
    week();
    mux::Config config;
    mux::Model model = mux::generateModel(config);
    auto ts = mux::buildTransportStream(config, model);
    demux::Transponders transponders;
    transponders.add(ts.data(), ts.size());
    transponders.tune(0);
    demux::installVirtualDemux(transponders);
    for (auto _ : state) {
        offline::LogFileSet files("/hdd/orvalis/logrun/");
        offline::makeOfflineDirectory("/hdd/orvalis/logrun/");
        time_t now = time(nullptr);
        localtime_r(&now, &currDay);
        if (offline::logChannelsThemes(files) != 0 || offline::logTitles(files) != 0 ||
            offline::logSummaries(files) != 0 || !files.commit())
            state.SkipWithError("logging run failed");
    }
    state.counters["titles"] = nb_titles;
    state.counters["summaries"] = nb_summaries;
}
BENCHMARK(BM_LogSampleBroadcast)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
