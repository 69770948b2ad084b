// Section filtering beside merely read()ing the same file, measured as whole processes
// (start, open, read, filter, exit), the way a user of the library runs it: the
// benchmark starts itself once per measure and times the child's wall clock.
//
// Workloads, made once into the build folder (bench-data/) and kept there:
//  sections     1,427,852 packets, half of them null packets spread evenly; PID 0xD2
//               carries 706,010 short-form sections of 46 bytes (table 0x90), PID 0xD3
//               34,011 of table 0x90, 1,864 of 0x91 and 1,846 of 0x92 of 20 to 4096
//               bytes; bursts of about four sections packed back to back, stuffing
//               after each. Filters 0xD2:0x90, 0xD3:0x90, 0xD3:0x91, 0xD3:0x92.
//  av           about 1 GB of MPEG-2 1080p25 video at a high rate with an MP2 track,
//               as ffmpeg muxes it (PAT/PMT/SDT); the same four filters reject every
//               packet.
//  mixed        our earlier section traffic: long-form EIT-like sections of 20 to 4096
//               bytes with CRC on two PIDs, filtered by table id range, CRC checked.
//  av-sd        our earlier A/V: an SD clip repeated, filtered for absent PIDs.
//
// Each round runs the read() loop (1 MiB chunks) and the filter on every workload, one
// after the other; the ratio read-time / filter-time of each round pairs the two under
// the same load. The median and the spread (lowest, highest) of the ratio are printed.
// Before the rounds, one checking run compares what every filter delivered, section by
// section (count and a CRC of each section in order), with what the generator put in.
#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "ts/Crc32.h"
#include "ts/PacketReader.h"
#include "ts/Packetizer.h"
#include "ts/SectionReassembler.h"

extern char** environ;

namespace {

constexpr size_t kMiB = size_t(1) << 20;
constexpr size_t kReadChunk = kMiB;

// One filter of a workload: PID, table id and mask (the table id byte only).
struct FilterSpec {
    uint16_t pid;
    uint8_t tableId;
    uint8_t mask;
};

// What a filter delivered: the timed runs keep a cheap digest, the checking run a
// CRC of every section, chained in order.
struct Delivered {
    uint64_t sections = 0;
    uint64_t bytes = 0;
    uint64_t digest = 0;
};

void addSection(Delivered& d, const uint8_t* s, size_t n, bool full)
{
    ++d.sections;
    d.bytes += n;
    const uint64_t v = full ? ts::crc32(s, n) : (uint64_t(s[n - 1]) << 8 | s[n / 2]) + n;
    d.digest = d.digest * 1000003u + v;
}

struct Workload {
    Workload(std::string n, std::string p, std::vector<FilterSpec> f, bool crc = false)
        : name(std::move(n)), path(std::move(p)), filters(std::move(f)), checkCrc(crc)
    {
    }
    std::string name;
    std::string path;
    std::vector<FilterSpec> filters;
    bool checkCrc = false;
    std::vector<Delivered> expected; // per filter, as generated
    uint64_t size = 0;
};

std::string dataDir()
{
    const char* env = std::getenv("TS_FILTER_BENCH_DATA");
    return env ? env : ORVALIS_BENCH_DATA_DIR;
}

bool writeAll(int fd, const uint8_t* data, size_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// Streams packets into a fresh temporary beside path, renamed into place at the end.
class FileWriter {
public:
    explicit FileWriter(const std::string& path) : m_path(path), m_tmp(path + ".part")
    {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        unlink(m_tmp.c_str());
        m_fd = open(m_tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    }
    ~FileWriter()
    {
        if (m_fd >= 0) {
            close(m_fd);
            unlink(m_tmp.c_str());
        }
    }
    bool ok() const { return m_fd >= 0; }
    void put(const uint8_t* data, size_t size)
    {
        m_buf.insert(m_buf.end(), data, data + size);
        m_size += size;
        if (m_buf.size() >= 4 * kMiB)
            flush();
    }
    bool finish()
    {
        flush();
        const bool ok = m_ok && close(m_fd) == 0 && rename(m_tmp.c_str(), m_path.c_str()) == 0;
        m_fd = -1;
        if (!ok)
            unlink(m_tmp.c_str());
        return ok;
    }
    uint64_t size() const { return m_size; }

private:
    void flush()
    {
        m_ok = m_ok && writeAll(m_fd, m_buf.data(), m_buf.size());
        m_buf.clear();
    }
    std::string m_path, m_tmp;
    int m_fd = -1;
    bool m_ok = true;
    std::vector<uint8_t> m_buf;
    uint64_t m_size = 0;
};

uint64_t fileSize(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? uint64_t(st.st_size) : 0;
}

// The expected results are kept beside a generated file, so that a second run needs
// neither to generate nor to recount.
bool loadExpected(Workload& w)
{
    std::FILE* f = std::fopen((w.path + ".expected").c_str(), "r");
    if (!f)
        return false;
    w.expected.assign(w.filters.size(), {});
    bool ok = true;
    for (Delivered& d : w.expected)
        ok = ok && std::fscanf(f, "%" SCNu64 " %" SCNu64 " %" SCNx64, &d.sections, &d.bytes, &d.digest) == 3;
    std::fclose(f);
    return ok;
}

void saveExpected(const Workload& w)
{
    std::FILE* f = std::fopen((w.path + ".expected").c_str(), "w");
    if (!f)
        return;
    for (const Delivered& d : w.expected)
        std::fprintf(f, "%" PRIu64 " %" PRIu64 " %" PRIx64 "\n", d.sections, d.bytes, d.digest);
    std::fclose(f);
}

// The section workload described at the top, with exactly those counts: the burst
// sizes on 0xD2 steer the number of packets with sections to half the file.
bool buildSections(Workload& w)
{
    constexpr uint64_t kPackets = 1427852;
    constexpr uint64_t kDataPackets = kPackets / 2;
    constexpr size_t kShort = 46;
    struct Kind {
        uint16_t pid;
        uint8_t tableId;
        size_t count;
        size_t filter;
    };
    const Kind kinds[] = {{0xD2, 0x90, 706010, 0}, {0xD3, 0x90, 34011, 1}, {0xD3, 0x91, 1864, 2}, {0xD3, 0x92, 1846, 3}};
    std::mt19937_64 rng(22);
    // Every section of each PID in order (kind, size), table ids mixed at random on 0xD3.
    std::vector<std::pair<uint8_t, uint16_t>> order[2];
    for (const Kind& k : kinds)
        for (size_t i = 0; i < k.count; ++i)
            order[k.pid - 0xD2].push_back({uint8_t(&k - kinds), uint16_t(kShort)});
    std::shuffle(order[1].begin(), order[1].end(), rng);
    uint64_t totalBytes = order[0].size() * kShort;
    for (auto& s : order[1]) {
        s.second = uint16_t(20 + rng() % (4096 - 20 + 1));
        totalBytes += s.second;
    }

    auto makeSection = [&](const Kind& k, size_t total) {
        std::vector<uint8_t> s(total);
        const size_t length = total - 3;
        s[0] = k.tableId;
        s[1] = uint8_t(0x70 | (length >> 8)); // short form: no syntax indicator, no CRC
        s[2] = uint8_t(length);
        for (size_t i = 3; i < total; i += 8) {
            const uint64_t r = rng();
            std::memcpy(&s[i], &r, std::min<size_t>(8, total - i));
        }
        return s;
    };

    ts::Packetizer packetizers[2] = {ts::Packetizer(0xD2), ts::Packetizer(0xD3)};
    size_t next[2] = {0, 0};
    w.expected.assign(w.filters.size(), {});
    std::vector<uint8_t> data; // all packets with sections, spread among the nulls below
    std::vector<uint8_t> packets;
    uint64_t bytesSent = 0;
    auto sendBurst = [&](int p, size_t n) {
        std::vector<std::vector<uint8_t>> burst;
        for (; n > 0 && next[p] < order[p].size(); --n) {
            const auto [kind, size] = order[p][next[p]++];
            burst.push_back(makeSection(kinds[kind], size));
            addSection(w.expected[kinds[kind].filter], burst.back().data(), size, true);
            bytesSent += size;
        }
        packets.clear();
        packetizers[p].put(burst, packets, true);
        data.insert(data.end(), packets.begin(), packets.end());
    };
    // The last short sections decide the exact count: one packet holds one, two or three.
    constexpr size_t kReserve = 3000;
    const uint64_t reserveBytes = kReserve * kShort;
    while (next[0] + kReserve < order[0].size() || next[1] < order[1].size()) {
        const size_t left0 = order[0].size() - kReserve - next[0], left1 = order[1].size() - next[1];
        // A burst takes about as many sections on either PID: chosen by sections left,
        // both PIDs run to the end of the file.
        const int p = rng() % (left0 + left1) < left0 ? 0 : 1;
        size_t n = 3 + rng() % 3;
        if (p == 0) {
            // Ahead of an even share of the packets: three short sections (one packet);
            // behind: four (two packets).
            const double share = double(kDataPackets - kReserve * 2 / 3) * double(bytesSent)
                / double(totalBytes - reserveBytes);
            n = std::min(data.size() / ts::kPacketSize > share ? size_t(3) : size_t(4), left0);
        }
        sendBurst(p, n);
    }
    // t bursts of three, one of two when the parity needs it, k single sections.
    const uint64_t have = data.size() / ts::kPacketSize;
    const uint64_t left = order[0].size() - next[0];
    if (have >= kDataPackets || kDataPackets - have < (left + 2) / 3 || kDataPackets - have > left) {
        std::printf("sections: the burst steering missed (%" PRIu64 " packets, %" PRIu64 " sections left, %" PRIu64 " bytes)\n",
                    have, left, bytesSent);
        return false;
    }
    const uint64_t need = kDataPackets - have;
    const bool pair = (left - need) % 2 != 0;
    const uint64_t triples = (left - need - (pair ? 1 : 0)) / 2;
    for (uint64_t i = 0; i < triples; ++i)
        sendBurst(0, 3);
    if (pair)
        sendBurst(0, 2);
    while (next[0] < order[0].size())
        sendBurst(0, 1);

    const uint64_t dataPackets = data.size() / ts::kPacketSize;
    const uint64_t total = std::max(kPackets, 2 * dataPackets);
    FileWriter out(w.path);
    if (!out.ok())
        return false;
    std::vector<uint8_t> null;
    ts::appendNullPacket(null);
    // Nulls spread evenly: after data packet i, as many as bring them to i/d of their share.
    const uint64_t nulls = total - dataPackets;
    uint64_t nullsSent = 0;
    for (uint64_t i = 0; i < dataPackets; ++i) {
        out.put(&data[i * ts::kPacketSize], ts::kPacketSize);
        for (const uint64_t due = (i + 1) * nulls / dataPackets; nullsSent < due; ++nullsSent)
            out.put(null.data(), null.size());
    }
    std::printf("sections: %" PRIu64 " packets, %" PRIu64 " of them with sections\n", total, dataPackets);
    return out.finish();
}

// Our earlier section traffic: EIT-like long sections with CRC, bursts of one to twelve.
std::vector<uint8_t> crcSection(std::mt19937& rng, size_t total)
{
    std::vector<uint8_t> s(total);
    const size_t length = total - 3;
    s[0] = uint8_t(0x50 + rng() % 16);
    s[1] = uint8_t(0xB0 | (length >> 8));
    s[2] = uint8_t(length);
    s[3] = uint8_t(rng());
    s[4] = uint8_t(rng());
    s[5] = 0xC1;
    s[6] = uint8_t(rng());
    s[7] = 0xFF;
    for (size_t i = 8; i + 4 < total; ++i)
        s[i] = uint8_t(rng());
    const uint32_t crc = ts::crc32(s.data(), total - 4);
    for (int i = 0; i < 4; ++i)
        s[total - 4 + size_t(i)] = uint8_t(crc >> (24 - 8 * i));
    return s;
}

bool buildMixed(Workload& w, uint64_t target)
{
    FileWriter out(w.path);
    if (!out.ok())
        return false;
    std::mt19937 rng(15);
    ts::Packetizer pids[2] = {ts::Packetizer(0x0D2), ts::Packetizer(0x0D3)};
    std::vector<uint8_t> packets, null;
    ts::appendNullPacket(null);
    w.expected.assign(w.filters.size(), {});
    while (out.size() < target) {
        std::vector<std::vector<uint8_t>> burst;
        const int p = int(rng() % 2);
        for (int i = 0, n = 1 + int(rng() % 12); i < n; ++i) {
            const size_t total = rng() % 2 ? 20 + rng() % 164 : 184 + rng() % (4096 - 184 + 1);
            burst.push_back(crcSection(rng, total));
            addSection(w.expected[size_t(p)], burst.back().data(), total, true);
        }
        packets.clear();
        pids[p].put(burst, packets, true);
        for (size_t at = 0; at < packets.size(); at += ts::kPacketSize) {
            out.put(&packets[at], ts::kPacketSize);
            out.put(null.data(), null.size());
        }
    }
    return out.finish();
}

// A clip made by ffmpeg from its test sources, repeated to the size.
bool buildAv(Workload& w, const std::string& encoder, uint64_t target)
{
    const std::string clip = w.path + ".clip.ts";
    const std::string cmd = "ffmpeg -nostdin -loglevel error -y " + encoder + " -f mpegts '" + clip + "'";
    std::printf("%s: making a clip with ffmpeg ...\n", w.name.c_str());
    std::fflush(stdout);
    if (std::system(cmd.c_str()) != 0) {
        unlink(clip.c_str());
        return false;
    }
    std::vector<uint8_t> bytes;
    if (std::FILE* in = std::fopen(clip.c_str(), "rb")) {
        uint8_t block[65536];
        size_t n;
        while ((n = std::fread(block, 1, sizeof block, in)) > 0)
            bytes.insert(bytes.end(), block, block + n);
        std::fclose(in);
    }
    unlink(clip.c_str());
    bytes.resize(bytes.size() / ts::kPacketSize * ts::kPacketSize);
    FileWriter out(w.path);
    if (bytes.empty() || !out.ok())
        return false;
    while (out.size() < target)
        out.put(bytes.data(), bytes.size());
    // The filters look for PIDs the clip does not carry.
    w.expected.assign(w.filters.size(), {});
    return out.finish();
}

// ---- the measured children -------------------------------------------------------

int childRead(const char* path)
{
    void* buf = std::aligned_alloc(4096, kReadChunk);
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !buf)
        return 1;
    uint64_t total = 0;
    ssize_t n;
    while ((n = read(fd, buf, kReadChunk)) > 0)
        total += uint64_t(n);
    close(fd);
    std::printf("%" PRIu64 "\n", total);
    return n < 0;
}

// "PID:TABLE[/MASK],..." as the parent passes it.
std::vector<FilterSpec> parseFilters(const char* text)
{
    std::vector<FilterSpec> out;
    while (*text) {
        char* end;
        FilterSpec f{};
        f.pid = uint16_t(std::strtoul(text, &end, 0));
        f.tableId = uint8_t(std::strtoul(end + 1, &end, 0));
        f.mask = *end == '/' ? uint8_t(std::strtoul(end + 1, &end, 0)) : 0xFF;
        out.push_back(f);
        text = *end == ',' ? end + 1 : end;
    }
    return out;
}

std::string formatFilters(const std::vector<FilterSpec>& filters)
{
    std::string s;
    char one[32];
    for (const FilterSpec& f : filters) {
        std::snprintf(one, sizeof one, "%s0x%X:0x%X/0x%X", s.empty() ? "" : ",", f.pid, f.tableId, f.mask);
        s += one;
    }
    return s;
}

// The library as a user drives it: runs of packets from the reader into the reassembler.
int childFilter(const char* path, const char* filterText, bool checkCrc, bool full)
{
    const std::vector<FilterSpec> filters = parseFilters(filterText);
    std::vector<Delivered> got(filters.size());
    ts::SectionReassembler r([&](uint16_t pid, const uint8_t* s, size_t n) {
        for (size_t i = 0; i < filters.size(); ++i)
            if (filters[i].pid == pid && (s[0] & filters[i].mask) == filters[i].tableId) {
                addSection(got[i], s, n, full);
                return;
            }
    });
    r.setCheckCrc(checkCrc);
    for (const FilterSpec& f : filters) {
        uint8_t filter[ts::kFilterSize] = {f.tableId};
        uint8_t mask[ts::kFilterSize] = {f.mask};
        r.addFilter(f.pid, ts::SectionFilter(filter, mask));
    }
    // TS_FILTER_BENCH_BLOCK: another block size for the reader, to compare.
    const char* block = std::getenv("TS_FILTER_BENCH_BLOCK");
    ts::PacketReader reader(path, block ? size_t(std::strtoul(block, nullptr, 0)) : ts::PacketReader::kDefaultBlock);
    if (!reader.ok())
        return 1;
    size_t count;
    while (const uint8_t* run = reader.nextRun(count))
        r.putRun(run, count, reader.packetSize());
    for (const Delivered& d : got)
        std::printf("%" PRIu64 " %" PRIu64 " %" PRIx64 "\n", d.sections, d.bytes, d.digest);
    return 0;
}

// ---- the parent --------------------------------------------------------------------

struct Child {
    double seconds = 0;
    std::string output;
    bool ok = false;
};

Child runChild(const std::vector<std::string>& args)
{
    Child c;
    int pipeFd[2];
    if (pipe2(pipeFd, O_CLOEXEC) != 0)
        return c;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFd[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    timespec t0{}, t1{};
    clock_gettime(CLOCK_MONOTONIC, &t0);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFd[1]);
    char buf[4096];
    ssize_t n;
    while ((n = read(pipeFd[0], buf, sizeof buf)) > 0)
        c.output.append(buf, size_t(n));
    close(pipeFd[0]);
    int status = 0;
    if (spawned == 0)
        waitpid(pid, &status, 0);
    clock_gettime(CLOCK_MONOTONIC, &t1);
    c.seconds = double(t1.tv_sec - t0.tv_sec) + double(t1.tv_nsec - t0.tv_nsec) * 1e-9;
    c.ok = spawned == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return c;
}

std::vector<std::string> filterArgs(const Workload& w, bool full)
{
    std::vector<std::string> a = {"ts_filter_bench", "--child=filter", w.path, formatFilters(w.filters)};
    if (w.checkCrc)
        a.push_back("--crc");
    if (full)
        a.push_back("--full-check");
    return a;
}

// Compares the checking run's report with what the generator put in, filter by filter.
bool check(const Workload& w, const std::string& report)
{
    std::vector<Delivered> got(w.filters.size());
    const char* p = report.c_str();
    for (Delivered& d : got) {
        int used = 0;
        if (std::sscanf(p, "%" SCNu64 " %" SCNu64 " %" SCNx64 "%n", &d.sections, &d.bytes, &d.digest, &used) != 3)
            return false;
        p += used;
    }
    bool ok = true;
    for (size_t i = 0; i < got.size(); ++i) {
        const Delivered& e = w.expected[i];
        const bool same = got[i].sections == e.sections && got[i].bytes == e.bytes && got[i].digest == e.digest;
        std::printf("  %-8s 0x%X:0x%02X %8" PRIu64 " sections %11" PRIu64 " bytes  %s\n", w.name.c_str(),
                    w.filters[i].pid, w.filters[i].tableId, got[i].sections, got[i].bytes,
                    same ? "as generated" : "DIFFERENT");
        if (!same)
            std::printf("           expected %" PRIu64 " sections, %" PRIu64 " bytes\n", e.sections, e.bytes);
        ok = ok && same;
    }
    return ok;
}

size_t numberOption(int argc, char** argv, const char* name, size_t fallback)
{
    const size_t len = std::strlen(name);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], name, len) == 0 && argv[i][len] == '=')
            return size_t(std::strtoul(argv[i] + len + 1, nullptr, 10));
    return fallback;
}

const char* textOption(int argc, char** argv, const char* name)
{
    const size_t len = std::strlen(name);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], name, len) == 0 && argv[i][len] == '=')
            return argv[i] + len + 1;
    return nullptr;
}

bool hasFlag(int argc, char** argv, const char* name)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return true;
    return false;
}

bool prepare(Workload& w, const std::function<bool(Workload&)>& build)
{
    if (fileSize(w.path) > 0 && loadExpected(w)) {
        w.size = fileSize(w.path);
        return true;
    }
    std::printf("%s: generating %s\n", w.name.c_str(), w.path.c_str());
    std::fflush(stdout);
    if (!build(w))
        return false;
    saveExpected(w);
    w.size = fileSize(w.path);
    return true;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (const char* child = textOption(argc, argv, "--child")) {
        if (std::strcmp(child, "read") == 0 && argc >= 3)
            return childRead(argv[2]);
        if (std::strcmp(child, "filter") == 0 && argc >= 4)
            return childFilter(argv[2], argv[3], hasFlag(argc, argv, "--crc"), hasFlag(argc, argv, "--full-check"));
        return 2;
    }
    if (hasFlag(argc, argv, "--help")) {
        std::printf("usage: ts_filter_bench [--rounds=N] [--only=sections,av,mixed,av-sd] [--av-mib=N] [--sd-mib=N]\n"
                    "  workloads are made once into %s (or $TS_FILTER_BENCH_DATA);\n"
                    "  $TS_FILTER_BENCH_BLOCK sets the packet reader's block size, to compare\n",
                    ORVALIS_BENCH_DATA_DIR);
        return 0;
    }
    const size_t rounds = std::max<size_t>(1, numberOption(argc, argv, "--rounds", 9));
    const uint64_t avSize = numberOption(argc, argv, "--av-mib", 1000) * kMiB;
    const uint64_t sdSize = numberOption(argc, argv, "--sd-mib", 256) * kMiB;
    const std::string only = textOption(argc, argv, "--only") ? textOption(argc, argv, "--only") : "";
    const std::string dir = dataDir();
    const std::vector<FilterSpec> four = {{0xD2, 0x90, 0xFF}, {0xD3, 0x90, 0xFF}, {0xD3, 0x91, 0xFF}, {0xD3, 0x92, 0xFF}};

    std::vector<Workload> workloads;
    auto wanted = [&](const std::string& name) {
        return only.empty() || ("," + only + ",").find("," + name + ",") != std::string::npos;
    };
    auto add = [&](Workload w, const std::function<bool(Workload&)>& build) {
        if (!wanted(w.name))
            return;
        if (prepare(w, build))
            workloads.push_back(std::move(w));
        else
            std::printf("%s: cannot make this workload (A/V needs ffmpeg); left out\n", w.name.c_str());
    };
    add(Workload("sections", dir + "/sections-v1.ts", four), buildSections);
    add(Workload("av", dir + "/av-1080p-" + std::to_string(avSize / kMiB) + "m-v1.ts", four), [&](Workload& w) {
        // 20 s of 1080p25 at 40 Mbit/s with 384 kbit/s MP2, repeated to the size.
        return buildAv(w,
                       "-f lavfi -i testsrc2=size=1920x1080:rate=25 -f lavfi -i sine=frequency=440:sample_rate=48000 "
                       "-t 20 -c:v mpeg2video -b:v 40M -minrate 40M -maxrate 40M -bufsize 9781k "
                       "-c:a mp2 -b:a 384k",
                       avSize);
    });
    add(Workload("mixed", dir + "/mixed-256m-v1.ts", {{0xD2, 0x50, 0xF0}, {0xD3, 0x50, 0xF0}}, true),
        [&](Workload& w) { return buildMixed(w, 256 * kMiB); });
    add(Workload("av-sd", dir + "/av-sd-" + std::to_string(sdSize / kMiB) + "m-v1.ts",
                 {{0x12, 0x4E, 0xFE}, {0xD2, 0x90, 0xFF}, {0xD3, 0x90, 0xFF}}),
        [&](Workload& w) {
            return buildAv(w,
                           "-f lavfi -i testsrc2=size=720x576:rate=25 -f lavfi -i sine=frequency=440:sample_rate=48000 "
                           "-t 12 -c:v mpeg2video -b:v 8M -maxrate 8M -bufsize 1835k -c:a mp2 -b:a 192k",
                           sdSize);
        });
    if (workloads.empty())
        return 1;

    // The checking run, which also brings every file into the page cache.
    bool allSame = true;
    std::printf("output, section by section:\n");
    for (const Workload& w : workloads) {
        runChild({"ts_filter_bench", "--child=read", w.path});
        const Child c = runChild(filterArgs(w, true));
        allSame = c.ok && check(w, c.output) && allSame;
    }

    std::vector<std::vector<double>> ratios(workloads.size());
    std::vector<std::vector<double>> readTimes(workloads.size()), filterTimes(workloads.size());
    for (size_t r = 0; r < rounds; ++r) {
        for (size_t i = 0; i < workloads.size(); ++i) {
            const Workload& w = workloads[i];
            // The order alternates, so that neither measure always runs right after the other.
            Child read, filter;
            if (r % 2 == 0) {
                read = runChild({"ts_filter_bench", "--child=read", w.path});
                filter = runChild(filterArgs(w, false));
            } else {
                filter = runChild(filterArgs(w, false));
                read = runChild({"ts_filter_bench", "--child=read", w.path});
            }
            if (!read.ok || !filter.ok || std::strtoull(read.output.c_str(), nullptr, 10) != w.size) {
                std::printf("%s: a measured run failed\n", w.name.c_str());
                return 1;
            }
            readTimes[i].push_back(read.seconds);
            filterTimes[i].push_back(filter.seconds);
            ratios[i].push_back(read.seconds / filter.seconds);
        }
    }
    std::printf("\nwhole processes, %zu rounds, ratio = read() loop time / filter time in the same round\n", rounds);
    std::printf("%-10s %8s %12s %12s %14s %12s\n", "workload", "MB", "read ms", "filter ms", "ratio median", "spread");
    for (size_t i = 0; i < workloads.size(); ++i) {
        const auto& v = ratios[i];
        std::printf("%-10s %8.0f %12.1f %12.1f %14.2f %5.2f-%-5.2f\n", workloads[i].name.c_str(),
                    double(workloads[i].size) / 1e6, median(readTimes[i]) * 1e3, median(filterTimes[i]) * 1e3,
                    median(v), *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()));
    }
    if (!allSame)
        std::printf("\nSOME FILTER DELIVERED OTHER SECTIONS THAN THE STREAM HOLDS\n");
    return allSame ? 0 : 1;
}
