// A satellite's EIT (1,000 services, 7 days, about 200,000 events) to the offline
// files in memory, beside merely reading the same stream's bytes, in one run, with
// the process's peak memory. The stream is generated into a temporary file and read
// once first, so both measurements come from the page cache.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "import/EitWeekStream.h" // tests/import
#include "import/ChannelMap.h"
#include "import/EitSource.h"
#include "import/WeekFiles.h"
#include "StreamFile.h"

namespace {

std::string g_file;

// Made in a child process, so that the peak memory measured is the import's alone.
bool buildFile()
{
    g_file = (std::filesystem::temp_directory_path() / ("import_eit_bench_" + std::to_string(getpid()) + ".ts")).string();
    const pid_t child = fork();
    if (child == 0) {
        const auto stream = importtest::eitWeekStream(importtest::EitWeekShape());
        std::FILE* f = std::fopen(g_file.c_str(), "wb");
        const bool ok = f && std::fwrite(stream.data(), 1, stream.size(), f) == stream.size();
        _exit(f && std::fclose(f) == 0 && ok ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_ReadBytes(benchmark::State& state) { benchstream::readBytes(state, g_file); }

void BM_ImportEit(benchmark::State& state)
{
    size_t events = 0, titles = 0;
    for (auto _ : state) {
        importer::EitSource source;
        importer::SourceGuide guide;
        importer::Report report;
        std::string error;
        if (!source.readFiles({g_file}, guide, report, &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        importer::ChannelMap channels;
        channels.build(guide, report);
        importer::WeekOptions options;
        options.firstDay = *source.streamTime();
        const auto texts = importer::WeekFiles::build(guide, channels, options, report);
        events = guide.programmes.size();
        titles = size_t(texts.titleCount);
        benchmark::DoNotOptimize(texts.titles.data());
    }
    // The plug-in's channel table holds 300 channels: the other services are read and left out.
    state.counters["events"] = double(events);
    state.counters["titles"] = double(titles);
    state.counters["peak_MB"] = benchstream::peakMegabytes();
}

BENCHMARK(BM_ReadBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportEit)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    setenv("TZ", "Europe/Rome", 1);
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
