// The XMLTV export of the sample week (reading the tables from the stream, dating,
// writing the document) beside merely reading the same stream's packets, in one run.
// The stream is generated into a temporary file and read once first, so both
// measurements come from the page cache.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "mux/Config.h"
#include "mux/ModelGenerator.h"
#include "mux/StreamBuilder.h"
#include "StreamFile.h"
#include "xmltv/StreamWeekReader.h"
#include "xmltv/WeekDating.h"
#include "xmltv/XmltvWriter.h"

namespace {

std::string g_file;

bool buildFile()
{
    mux::Config cfg;
    cfg.startDay = mux::parseDay("2026-12-08");
    g_file = benchstream::writeTemporary("xmltv_export_bench", mux::buildTransportStream(cfg, mux::generateModel(cfg)));
    return !g_file.empty();
}

void BM_ReadStreamPackets(benchmark::State& state) { benchstream::readPackets(state, g_file); }

void BM_ExportWeek(benchmark::State& state)
{
    std::FILE* sink = std::fopen("/dev/null", "w");
    size_t programmes = 0;
    for (auto _ : state) {
        xmltv::Week week;
        xmltv::StreamWeekReader reader;
        std::string error;
        if (!reader.read(g_file, week, &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        const auto airings = xmltv::dateWeek(week, std::time_t(*reader.streamTime()), true);
        programmes = xmltv::XmltvWriter("bench").write(sink, week, airings).programmes;
    }
    std::fclose(sink);
    state.counters["programmes"] = double(programmes);
}

BENCHMARK(BM_ReadStreamPackets)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportWeek)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!buildFile()) {
        std::fprintf(stderr, "cannot write the sample stream\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(g_file.c_str());
    return 0;
}
