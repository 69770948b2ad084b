// The box's EPG cache following a large stream (EIT and TDT/TOT reassembled, checked,
// decoded and cached), beside plain section filtering and the speed of merely reading
// the same file, in the same run. The file (about 200 MB) is built
// in a temporary directory by repeating a broadcast capture, then read once so that
// both measurements come from the page cache.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

#include "box/EpgFeed.h"
#include "host/service/eEPGCache.h"
#include "scan/EitCollector.h"
#include "ts/PacketReader.h"
#include "ts/SectionReassembler.h"

namespace {

std::string g_file;
size_t g_size = 0;

bool buildFile()
{
    std::string source = std::string(ORVALIS_TEST_DATA_DIR) + "/ts/de-ard-br-626mhz.ts";
    std::FILE* in = std::fopen(source.c_str(), "rb");
    if (!in)
        return false;
    std::vector<char> capture;
    char block[65536];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, in)) > 0)
        capture.insert(capture.end(), block, block + n);
    std::fclose(in);
    if (capture.empty())
        return false;
    std::string path = (std::filesystem::temp_directory_path() / "eit_cache_bench_XXXXXX").string();
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0)
        return false;
    g_file = name.data();
    const size_t target = 200u << 20;
    while (g_size < target) {
        if (write(fd, capture.data(), capture.size()) != ssize_t(capture.size())) {
            close(fd);
            return false;
        }
        g_size += capture.size();
    }
    close(fd);
    return true;
}

void rawRead()
{
    int fd = open(g_file.c_str(), O_RDONLY);
    std::vector<char> buf(1 << 20);
    size_t total = 0;
    ssize_t n;
    while ((n = read(fd, buf.data(), buf.size())) > 0)
        total += size_t(n);
    close(fd);
    benchmark::DoNotOptimize(total);
}

void BM_RawRead(benchmark::State& state)
{
    for (auto _ : state)
        rawRead();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(g_size));
}

// EIT schedule sections of one service on the EIT PID, as an EPG reader asks for them.
void filterFile(bool checkCrc, bool allPids)
{
    size_t sections = 0;
    ts::SectionReassembler r([&](uint16_t, const uint8_t*, size_t) { ++sections; });
    r.setCheckCrc(checkCrc);
    if (allPids) {
        r.watchAll();
    } else {
        uint8_t filter[ts::kFilterSize] = {0x50};
        uint8_t mask[ts::kFilterSize] = {0xF0};
        r.addFilter(0x12, ts::SectionFilter(filter, mask));
    }
    ts::PacketReader reader(g_file);
    while (const uint8_t* p = reader.next())
        r.put(p);
    benchmark::DoNotOptimize(sections);
}

void BM_SectionFilter(benchmark::State& state)
{
    for (auto _ : state)
        filterFile(state.range(0) != 0, state.range(1) != 0);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(g_size));
}

// The box's EPG cache following the stream: every EIT and TDT/TOT section reassembled
// and CRC-checked, new ones decoded (texts to UTF-8) and put into the cache, repeats
// recognised by their version and skipped, as when the tuned stream plays.
void BM_EitCache(benchmark::State& state)
{
    size_t sections = 0;
    for (auto _ : state) {
        eEPGCache::instance->clear();
        scan::EitCollector collector([](const scan::EventSection& s) { box::putIntoEpgCache(s); }, [](int64_t) {});
        ts::PacketReader reader(g_file);
        while (const uint8_t* p = reader.next())
            collector.put(p);
        sections = collector.counters().sections;
        benchmark::DoNotOptimize(sections);
    }
    state.counters["events"] = double(eEPGCache::instance->list().size());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(g_size));
}

// Remembers each benchmark's rate so the ratio can be printed at the end.
class RateReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> rates;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            auto it = run.counters.find("bytes_per_second");
            if (it != run.counters.end() && run.run_type == Run::RT_Iteration)
                rates[run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args)] =
                    it->second;
        }
    }
};

} // namespace

BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_SectionFilter)
    ->ArgNames({"crc", "allpids"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();
BENCHMARK(BM_EitCache)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!buildFile()) {
        std::fprintf(stderr, "cannot build the test stream from the captures\n");
        return 1;
    }
    rawRead(); // into the page cache
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    unlink(g_file.c_str());
    auto raw = reporter.rates.find("BM_RawRead");
    if (raw == reporter.rates.end() || raw->second <= 0)
        return 0;
    std::printf("\nfile %.0f MB; raw read %.0f MB/s\n", double(g_size) / 1e6, raw->second / 1e6);
    for (const auto& [name, rate] : reporter.rates)
        if (name != "BM_RawRead")
            std::printf("%-40s %8.0f MB/s  raw/filter %.2f\n", name.c_str(), rate / 1e6, raw->second / rate);
    return 0;
}
