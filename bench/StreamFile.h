#pragma once
// A generated stream as a temporary file, and the benchmark that merely reads its
// packets: the floor the stream benchmarks are printed beside.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
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

} // namespace benchstream
