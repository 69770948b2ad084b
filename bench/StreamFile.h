#pragma once
// A generated stream as a temporary file, and the benchmarks that merely read its
// packets or its bytes: the floors the benchmarks are printed beside.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "ts/PacketReader.h"

namespace benchstream {

// The path of a fresh temporary file holding the bytes, or empty when it cannot be written.
inline std::string writeTemporary(const std::string& stem, const std::vector<uint8_t>& ts)
{
    const std::string path =
        (std::filesystem::temp_directory_path() / (stem + "_" + std::to_string(getpid()) + ".ts")).string();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return {};
    const bool ok = std::fwrite(ts.data(), 1, ts.size(), f) == ts.size();
    return std::fclose(f) == 0 && ok ? path : std::string();
}

inline void readPackets(benchmark::State& state, const std::string& file)
{
    size_t packets = 0;
    for (auto _ : state) {
        ts::PacketReader reader(file);
        packets = 0;
        while (const uint8_t* p = reader.next()) {
            benchmark::DoNotOptimize(p);
            ++packets;
        }
    }
    state.counters["packets"] = double(packets);
}

// Reads the file's bytes in 256 KiB blocks, doing nothing with them.
inline void readBytes(benchmark::State& state, const std::string& file)
{
    std::vector<char> buf(1 << 18);
    size_t bytes = 0;
    for (auto _ : state) {
        std::FILE* f = std::fopen(file.c_str(), "rb");
        if (!f) {
            state.SkipWithError("cannot open the file");
            return;
        }
        bytes = 0;
        while (size_t n = std::fread(buf.data(), 1, buf.size(), f)) {
            benchmark::DoNotOptimize(buf.data());
            bytes += n;
        }
        std::fclose(f);
    }
    state.counters["MB"] = double(bytes) / 1e6;
}

// The process's peak resident size so far, in MB.
inline double peakMegabytes()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

} // namespace benchstream
