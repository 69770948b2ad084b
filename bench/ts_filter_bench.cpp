// Section filtering throughput beside the speed of merely read()ing the same file, in
// one run, on two workloads the benchmark builds itself in the temporary directory:
//
//  sections  private-section traffic on two PIDs, half of the packets null packets,
//            long-form sections of 20 to 4096 bytes packed back to back with pointer
//            fields (several in one packet, others spanning many); both PIDs filtered.
//  av        MPEG-2 video and MP2 audio made by ffmpeg from its test sources (a clip
//            repeated to the size), filtered for the EIT and two private PIDs that it
//            does not carry: every packet is looked at, nothing is kept.
//
// Sizes default to 64 MiB and 256 MiB so that a check stays quick; --full uses 256 MiB
// and 1 GiB, --sections-mib=N and --av-mib=N set them freely. Both files are read once
// before measuring, so every figure comes from the page cache; the measures then take
// turns for --rounds=N rounds (default 7) and the best CPU time of each counts. Each filter
// prints how many sections it delivered and a checksum over them, to compare outputs.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <string>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "ts/Crc32.h"
#include "ts/PacketReader.h"
#include "ts/Packetizer.h"
#include "ts/SectionReassembler.h"

namespace {

constexpr size_t kMiB = size_t(1) << 20;
constexpr size_t kReadBlock = 1 << 18; // the read() loop's buffer, as the packet reader's

struct Workload {
    std::string path;
    size_t size = 0;
};
Workload g_sections;
Workload g_av;

std::string tempPath(const char* stem)
{
    std::string path = (std::filesystem::temp_directory_path() / (std::string(stem) + "_XXXXXX")).string();
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0)
        return {};
    close(fd);
    return name.data();
}

bool writeAll(int fd, const uint8_t* data, size_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

std::vector<uint8_t> section(std::mt19937& rng, size_t total)
{
    std::vector<uint8_t> s(total);
    const size_t length = total - 3;
    s[0] = uint8_t(0x50 + rng() % 16); // EIT schedule table ids
    s[1] = uint8_t(0xB0 | (length >> 8));
    s[2] = uint8_t(length);
    s[3] = uint8_t(rng());
    s[4] = uint8_t(rng());
    s[5] = 0xC1;
    s[6] = uint8_t(rng());
    s[7] = 0xFF;
    for (size_t i = 8; i + 4 < total; ++i)
        s[i] = uint8_t(rng());
    uint32_t crc = ts::crc32(s.data(), total - 4);
    for (int i = 0; i < 4; ++i)
        s[total - 4 + size_t(i)] = uint8_t(crc >> (24 - 8 * i));
    return s;
}

// Bursts of a few sections on one PID at a time, each packet followed by a null packet.
bool buildSections(size_t target)
{
    g_sections.path = tempPath("ts_filter_sections");
    int fd = g_sections.path.empty() ? -1 : open(g_sections.path.c_str(), O_WRONLY | O_TRUNC);
    if (fd < 0)
        return false;
    std::mt19937 rng(15);
    ts::Packetizer pids[2] = {ts::Packetizer(0x0D2), ts::Packetizer(0x0D3)};
    std::vector<uint8_t> packets, out;
    while (g_sections.size < target) {
        std::vector<std::vector<uint8_t>> burst;
        for (int i = 0, n = 1 + int(rng() % 12); i < n; ++i) {
            // Half short sections (several share a packet), half up to the maximum.
            size_t total = rng() % 2 ? 20 + rng() % 164 : 184 + rng() % (4096 - 184 + 1);
            burst.push_back(section(rng, total));
        }
        packets.clear();
        pids[rng() % 2].put(burst, packets, true);
        const size_t before = out.size();
        for (size_t at = 0; at < packets.size(); at += ts::kPacketSize) {
            out.insert(out.end(), packets.begin() + long(at), packets.begin() + long(at + ts::kPacketSize));
            ts::appendNullPacket(out);
        }
        g_sections.size += out.size() - before;
        // Written in large pieces, as a recording is: the page cache then holds the
        // file the way it holds the A/V one, and read() runs at the same speed on both.
        if (out.size() >= 4 * kMiB || g_sections.size >= target) {
            if (!writeAll(fd, out.data(), out.size())) {
                close(fd);
                return false;
            }
            out.clear();
        }
    }
    close(fd);
    return true;
}

bool buildAv(size_t target)
{
    std::string clip = tempPath("ts_filter_clip");
    g_av.path = tempPath("ts_filter_av");
    if (clip.empty() || g_av.path.empty())
        return false;
    std::string cmd = "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=720x576:rate=25 "
                      "-f lavfi -i sine=frequency=440:sample_rate=48000 -t 12 "
                      "-c:v mpeg2video -b:v 8M -maxrate 8M -bufsize 1835k -c:a mp2 -b:a 192k -f mpegts '"
        + clip + "'";
    bool ok = std::system(cmd.c_str()) == 0;
    std::vector<uint8_t> bytes;
    if (ok) {
        std::FILE* in = std::fopen(clip.c_str(), "rb");
        uint8_t block[65536];
        size_t n;
        while (in && (n = std::fread(block, 1, sizeof block, in)) > 0)
            bytes.insert(bytes.end(), block, block + n);
        if (in)
            std::fclose(in);
    }
    unlink(clip.c_str());
    bytes.resize(bytes.size() / ts::kPacketSize * ts::kPacketSize);
    int fd = open(g_av.path.c_str(), O_WRONLY | O_TRUNC);
    if (bytes.empty() || fd < 0) {
        if (fd >= 0)
            close(fd);
        return false;
    }
    while (g_av.size < target && writeAll(fd, bytes.data(), bytes.size()))
        g_av.size += bytes.size();
    close(fd);
    return g_av.size >= target;
}

size_t rawRead(const Workload& w)
{
    // A page-aligned buffer: the fastest a plain read() loop gets.
    static void* const buf = std::aligned_alloc(4096, kReadBlock);
    int fd = open(w.path.c_str(), O_RDONLY);
    size_t total = 0;
    ssize_t n;
    while ((n = read(fd, buf, kReadBlock)) > 0)
        total += size_t(n);
    close(fd);
    return total;
}

struct Output {
    uint64_t sections = 0;
    uint64_t checksum = 0;
};

Output filterFile(const Workload& w, const std::vector<uint16_t>& pids, bool checkCrc)
{
    Output out;
    ts::SectionReassembler r([&](uint16_t pid, const uint8_t* s, size_t n) {
        ++out.sections;
        // The last bytes (the CRC) stand for the whole section.
        uint32_t tail;
        std::memcpy(&tail, s + n - 4, 4);
        out.checksum = out.checksum * 1000003u + (uint64_t(pid) << 32) + tail + n;
    });
    r.setCheckCrc(checkCrc);
    uint8_t filter[ts::kFilterSize] = {0x50};
    uint8_t mask[ts::kFilterSize] = {0xF0};
    for (uint16_t pid : pids)
        r.addFilter(pid, ts::SectionFilter(filter, mask));
    ts::PacketReader reader(w.path);
    size_t count;
    while (const uint8_t* run = reader.nextRun(count))
        r.putRun(run, count, reader.packetSize());
    return out;
}

// CPU time of this thread, system time (the copies read() makes) included: on a machine
// shared with other work, wall time measures the other work as much as this one.
double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// The value of --name=N, or fallback.
size_t numberOption(int argc, char** argv, const char* name, size_t fallback)
{
    const size_t len = std::strlen(name);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], name, len) == 0 && argv[i][len] == '=')
            return size_t(std::strtoul(argv[i] + len + 1, nullptr, 10));
    return fallback;
}

struct Measure {
    std::string name;
    const Workload* workload = nullptr;
    std::vector<uint16_t> pids; // empty: the read() loop
    bool checkCrc = false;
    double best = 0; // seconds
    Output output;
};

void runOnce(Measure& m)
{
    const double t0 = cpuSeconds();
    if (m.pids.empty()) {
        size_t n = rawRead(*m.workload);
        if (n != m.workload->size)
            std::fprintf(stderr, "short read of %s\n", m.name.c_str());
    } else {
        m.output = filterFile(*m.workload, m.pids, m.checkCrc);
    }
    const double t = cpuSeconds() - t0;
    if (m.best == 0 || t < m.best)
        m.best = t;
}

} // namespace

int main(int argc, char** argv)
{
    bool full = false;
    const char* only = nullptr; // --only=NAME: that measure and the read() loops, for profiling
    for (int i = 1; i < argc; ++i) {
        full = full || std::strcmp(argv[i], "--full") == 0;
        if (std::strncmp(argv[i], "--only=", 7) == 0)
            only = argv[i] + 7;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: ts_filter_bench [--full] [--sections-mib=N] [--av-mib=N] [--rounds=N] [--only=MEASURE]\n");
            return 0;
        }
    }
    const size_t sectionsSize = numberOption(argc, argv, "--sections-mib", full ? 256 : 64) * kMiB;
    const size_t avSize = numberOption(argc, argv, "--av-mib", full ? 1024 : 256) * kMiB;
    const size_t rounds = std::max<size_t>(1, numberOption(argc, argv, "--rounds", 7));

    if (!buildSections(sectionsSize)) {
        std::fprintf(stderr, "cannot write the section workload\n");
        unlink(g_sections.path.c_str());
        return 1;
    }
    if (!buildAv(avSize)) {
        std::fprintf(stderr, "cannot make the A/V workload (is ffmpeg installed?); measuring sections only\n");
        g_av.size = 0;
    }
    std::vector<Measure> measures;
    auto add = [&](const char* name, const Workload& w, std::vector<uint16_t> pids) {
        for (int kind = 0; kind < 3; ++kind) {
            Measure m;
            m.name = std::string(kind == 0 ? "read/" : kind == 1 ? "filter/" : "filter_crc/") + name;
            m.workload = &w;
            if (kind > 0)
                m.pids = pids;
            m.checkCrc = kind == 2;
            measures.push_back(m);
        }
    };
    add("sections", g_sections, {0x0D2, 0x0D3});
    if (g_av.size)
        add("av", g_av, {0x012, 0x0D2, 0x0D3});
    // Into the page cache; then every measure once per round, side by side, keeping
    // the best time of each (the machine may be busy with other work meanwhile).
    rawRead(g_sections);
    if (g_av.size)
        rawRead(g_av);
    for (size_t r = 0; r < rounds; ++r)
        for (Measure& m : measures)
            if (!only || m.name == only || m.pids.empty())
                runOnce(m);
    unlink(g_sections.path.c_str());
    unlink(g_av.path.c_str());

    std::printf("%-20s %8s %9s %8s %9s %17s\n", "measure", "MB", "MB/s", "/read()", "sections", "checksum");
    double readRate = 0;
    for (const Measure& m : measures) {
        if (m.best == 0)
            continue;
        const double rate = double(m.workload->size) / m.best;
        if (m.pids.empty()) {
            readRate = rate;
            std::printf("%-20s %8.0f %9.0f %8s\n", m.name.c_str(), double(m.workload->size) / 1e6, rate / 1e6, "1.00");
            continue;
        }
        std::printf("%-20s %8.0f %9.0f %8.2f %9llu %17llx\n", m.name.c_str(), double(m.workload->size) / 1e6,
                    rate / 1e6, rate / readRate, (unsigned long long)m.output.sections,
                    (unsigned long long)m.output.checksum);
    }
    return 0;
}
