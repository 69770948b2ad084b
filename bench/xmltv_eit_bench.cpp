// A satellite's worth of EIT (1,000 services, 7 days of schedule, about 200,000
// events with short and extended texts, content and parental ratings) to XMLTV, beside
// merely reading the same stream's packets, in one run. The stream is generated into
// a temporary file and read once first, so both measurements come from the page cache.
// peak_MB is the process's peak resident size, the generated stream already freed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "scan/EitGuide.h"
#include "StreamFile.h"
#include "../tests/ts/TsTestUtil.h"
#include "ts/Packetizer.h"
#include "xmltv/GuideXmltvWriter.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kServices = 1000;
constexpr int kDays = 7;
constexpr int kFirstMjd = 61017; // 2026-01-01
constexpr int kDurations[] = {30, 45, 60, 65}; // minutes: 50 on average, about 200 a week
std::string g_file;

using tstest::put16;
const auto finish = tstest::finishSection;

uint8_t bcd(int v) { return uint8_t((v / 10) << 4 | (v % 10)); }

void text(Bytes& b, const std::string& t)
{
    b.push_back(uint8_t(t.size()));
    b.insert(b.end(), t.begin(), t.end());
}

Bytes descriptors(int sid, int n)
{
    Bytes d;
    const std::string title = "Programme " + std::to_string(n % 400) + " of " + std::to_string(sid);
    Bytes se = {'d', 'e', 'u'};
    text(se, title);
    text(se, "Folge " + std::to_string(n % 37) + ": Die R\xC3\xBC" "ckkehr");
    d.push_back(0x4D);
    d.push_back(uint8_t(se.size()));
    d.insert(d.end(), se.begin(), se.end());
    Bytes ee = {0x00, 'd', 'e', 'u', 0};
    Bytes items = {};
    text(items, "Regie");
    text(items, "Anna Schmidt");
    ee[4] = uint8_t(items.size());
    ee.insert(ee.end(), items.begin(), items.end());
    text(ee, "\x15" "Eine l\xC3\xA4ngere Beschreibung des Programms mit Umlauten, \xC3\xA4hnlich wie sie "
             "Sender schicken, damit der Text nicht zu kurz ausf\xC3\xA4llt.");
    d.push_back(0x4E);
    d.push_back(uint8_t(ee.size()));
    d.insert(d.end(), ee.begin(), ee.end());
    d.insert(d.end(), {0x54, 2, uint8_t(0x10 + n % 8), 0x00, 0x55, 4, 'D', 'E', 'U', uint8_t(n % 16)});
    return d;
}

// Schedule sections of one service: one section per three-hour segment.
void schedule(int sid, std::vector<Bytes>& out, size_t& events)
{
    int minute = 0, n = 0;
    const int end = kDays * 24 * 60;
    for (int segment = 0; segment < kDays * 8; ++segment) {
        const int table = 0x50 + segment / 32;
        const int number = (segment % 32) * 8;
        Bytes s = {uint8_t(table), 0xF0, 0};
        put16(s, unsigned(sid));
        s.push_back(0xC3); // version 1, current
        s.push_back(uint8_t(number));
        s.push_back(uint8_t(kDays * 8 > 32 && table == 0x50 ? 0xF8 : ((kDays * 8 - 1) % 32) * 8));
        put16(s, 1 + sid / 100);
        put16(s, 1);
        s.push_back(uint8_t(number));
        s.push_back(uint8_t(0x50 + (kDays * 8 - 1) / 32));
        while (minute < (segment + 1) * 180 && minute < end) {
            const int duration = kDurations[n % 4];
            const int day = minute / 1440, at = minute % 1440;
            Bytes e;
            put16(e, unsigned(n + 1));
            put16(e, unsigned(kFirstMjd + day));
            e.insert(e.end(), {bcd(at / 60), bcd(at % 60), 0, bcd(duration / 60), bcd(duration % 60), 0});
            const Bytes d = descriptors(sid, n);
            put16(e, 0x8000 | unsigned(d.size()));
            e.insert(e.end(), d.begin(), d.end());
            s.insert(s.end(), e.begin(), e.end());
            minute += duration;
            ++n;
            ++events;
        }
        finish(s);
        out.push_back(std::move(s));
    }
}

bool buildFile(size_t& events)
{
    Bytes ts;
    ts::Packetizer eit(0x12), sdt(0x11);
    events = 0;
    for (int group = 0; group < kServices / 100; ++group) {
        Bytes s = {0x46, 0xF0, 0};
        put16(s, unsigned(1 + group));
        s.insert(s.end(), {0xC1, 0, 0});
        put16(s, 1);
        s.push_back(0xFF);
        for (int sid = group * 100; sid < group * 100 + 100; ++sid) {
            Bytes d = {0x48, 0, 0x01, 3, 'S', 'a', 't'};
            text(d, "Sender " + std::to_string(sid));
            d[1] = uint8_t(d.size() - 2);
            put16(s, unsigned(sid));
            s.push_back(0xFD);
            put16(s, 0x8000 | unsigned(d.size()));
            s.insert(s.end(), d.begin(), d.end());
        }
        finish(s);
        sdt.put(s, ts);
    }
    for (int sid = 0; sid < kServices; ++sid) {
        std::vector<Bytes> sections;
        schedule(sid, sections, events);
        eit.put(sections, ts);
    }
    g_file = benchstream::writeTemporary("xmltv_eit_bench", ts);
    return !g_file.empty();
}

void BM_ReadStreamPackets(benchmark::State& state) { benchstream::readPackets(state, g_file); }

void BM_EitToXmltv(benchmark::State& state)
{
    std::FILE* sink = std::fopen("/dev/null", "w");
    size_t programmes = 0;
    for (auto _ : state) {
        scan::EitGuide guide;
        std::string error;
        if (!guide.addFile(g_file, &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        programmes = xmltv::GuideXmltvWriter("bench").write(sink, guide).programmes;
    }
    std::fclose(sink);
    state.counters["programmes"] = double(programmes);
    state.counters["peak_MB"] = benchstream::peakMegabytes();
}

BENCHMARK(BM_ReadStreamPackets)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EitToXmltv)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    size_t events = 0;
    if (!buildFile(events)) {
        std::fprintf(stderr, "cannot write the stream\n");
        return 1;
    }
    std::printf("%d services, %d days, %zu events, %.0f MB of stream; peak before the runs %.0f MB\n", kServices, kDays,
                events, double(std::filesystem::file_size(g_file)) / 1e6, benchstream::peakMegabytes());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(g_file.c_str());
    return 0;
}
