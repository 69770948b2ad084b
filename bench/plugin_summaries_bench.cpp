// The summary pass of the programme list on the sample broadcast (a week, 40
// channels), beside the time to read the same carousel's sections without decoding
// them, in one run. Besides wall time each run reports the stream time it used, in
// passes of the summary carousel: a list's summaries must arrive within one pass.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "broadcast/DemuxAccess.h"
#include "broadcast/GetSummaries.h"
#include "demux/Transponders.h"
#include "demux/VirtualDemuxFile.h"
#include "frame/globals.h"
#include "mux/ModelGenerator.h"
#include "mux/StreamBuilder.h"

namespace {

mux::Model g_model;
demux::Transponders* g_transponders = nullptr;
size_t g_passSections = 0; // sections in one pass of the summary carousel

// Reads one pass worth of summary sections and nothing else.
void rawPass()
{
    int fd = openSectionFilter(kPidChannelsThemesSummaries, kTableTitlesSummaries);
    size_t bytes = 0;
    for (size_t i = 0; i < g_passSections; ++i) {
        int len = readSection(fd);
        if (len <= 0)
            break;
        bytes += size_t(len);
    }
    closeSectionFilter(fd);
    benchmark::DoNotOptimize(bytes);
}

// The rows of a list: the first `rows` programmes of the second broadcast day, or
// of one channel on that day when `oneChannel`.
uint32_t fillList(int rows, bool oneChannel)
{
    nb_buffer = 0;
    for (const auto& t : g_model.titles)
        if (t.broadcastDay == 1 && (!oneChannel || t.channel == 3) && nb_buffer < rows && nb_buffer < kMaxRows)
            bufferdatas[nb_buffer++].id = static_cast<int>(t.summaryId);
    return static_cast<uint32_t>(bufferdatas[nb_buffer / 2].id);
}

double g_onePassStream = 0; // seconds of stream time the raw pass used

void BM_RawPass(benchmark::State& state)
{
    uint64_t stream = 0;
    for (auto _ : state) {
        const uint64_t before = g_transponders->now();
        rawPass();
        stream += g_transponders->now() - before;
    }
    g_onePassStream = double(stream) / 1e9 / double(state.iterations());
    state.counters["stream_s"] = g_onePassStream;
}

void BM_SummaryPass(benchmark::State& state)
{
    const uint32_t id = fillList(int(state.range(0)), state.range(1) != 0);
    uint64_t stream = 0;
    for (auto _ : state) {
        eString result;
        const uint64_t before = g_transponders->now();
        if (readSummaryCarousel(id, "bench", result) != 0)
            state.SkipWithError("summary pass failed");
        stream += g_transponders->now() - before;
    }
    const double seconds = double(stream) / 1e9 / double(state.iterations());
    state.counters["stream_s"] = seconds;
    if (g_onePassStream > 0)
        state.counters["passes"] = seconds / g_onePassStream;
}

class TimeReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> wall; // seconds per iteration
    std::map<std::string, double> passes;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration)
                continue;
            const std::string name = run.benchmark_name();
            wall[name] = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            auto p = run.counters.find("passes");
            if (p != run.counters.end())
                passes[name] = p->second;
        }
    }
};

} // namespace

BENCHMARK(BM_RawPass)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_SummaryPass)
    ->ArgNames({"rows", "onechannel"})
    ->Args({40, 1})
    ->Args({400, 0})
    ->Args({2000, 0})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    mux::Config config; // the sample broadcast: a week of 40 channels
    config.passes = 1;
    g_model = mux::generateModel(config);
    for (const auto& s : g_model.summaries)
        g_passSections += s.sentTwice ? 2 : 1;
    auto ts = mux::buildTransportStream(config, g_model);
    demux::Transponders transponders;
    transponders.add(ts.data(), ts.size());
    transponders.tune(0);
    demux::installVirtualDemux(transponders);
    g_transponders = &transponders;
    TotSu = int(g_model.summaries.size());

    TimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto raw = reporter.wall.find("BM_RawPass/min_time:1.000/real_time");
    if (raw == reporter.wall.end())
        for (auto it = reporter.wall.begin(); it != reporter.wall.end(); ++it)
            if (it->first.rfind("BM_RawPass", 0) == 0)
                raw = it;
    if (raw == reporter.wall.end() || raw->second <= 0)
        return 0;
    std::printf("\n%zu summaries per pass; one raw pass %.0f ms wall, %.2f s stream\n", g_passSections,
                raw->second * 1e3, g_onePassStream);
    for (const auto& [name, seconds] : reporter.wall)
        if (name.rfind("BM_SummaryPass", 0) == 0)
            std::printf("%-50s %7.0f ms wall (%s 1 s)  summary/raw %.2f  carousel passes %.2f\n", name.c_str(),
                        seconds * 1e3, seconds < 1.0 ? "under" : "OVER", seconds / raw->second, reporter.passes[name]);
    return 0;
}
