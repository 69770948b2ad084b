// The summary reader over arbitrary carousels: the input is a list of ids for the
// programme rows, then sections (each with a two-byte length) that a scripted demux
// hands out in a loop. Whatever the sections hold, one summary pass must end, write
// nothing past bufferdatas and leave every row with a text some section carried.
// When the carousel's sections are all distinct and none is empty (a read of 0 ends
// a pass as a stream that stops), the pass has come round: every row whose id is on
// air has one of the texts sent with that id.
#include "broadcast/GetSummaries.h"
#include "broadcast/SummarySection.h"
#include "frame/globals.h"
#include "host/platform/DeviceRegistry.h"
#include "host/platform/dmx.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::vector<uint8_t>> g_sections;

class Carousel : public host::DeviceFile {
public:
    int ioctl(unsigned long request, void*) override
    {
        if (request == DMX_SET_FILTER)
            m_next = 0;
        return 0;
    }
    ssize_t read(void* buf, size_t count) override
    {
        if (g_sections.empty()) {
            errno = ETIMEDOUT;
            return -1;
        }
        const auto& s = g_sections[m_next++ % g_sections.size()];
        const size_t n = std::min(count, s.size());
        if (n > 0) // an empty section has no bytes to copy (and no pointer to them)
            std::memcpy(buf, s.data(), n);
        return static_cast<ssize_t>(n);
    }

private:
    size_t m_next = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool installed = [] {
        host::registerDevice("/dev/dvb/card0/demux0", [](int) { return std::unique_ptr<host::DeviceFile>(new Carousel); });
        TotSu = 7;
        return true;
    }();
    (void)installed;
    if (size < 2)
        return 0;
    // Rows: up to 2100 (more than the table holds), ids drawn from a small set so they collide.
    const int rows = ((data[0] << 8) | data[1]) % 2101;
    size_t at = 2;
    nb_buffer = rows;
    for (int i = 0; i < rows && i < kMaxRows; ++i) {
        bufferdatas[i] = BufferData();
        bufferdatas[i].id = at < size ? data[at++] % 16 : 0;
    }
    g_sections.clear();
    std::set<std::string> texts = {""};
    std::map<uint32_t, std::set<std::string>> onAir;
    std::set<std::string> distinct;
    bool whole = true;
    while (at + 2 <= size && g_sections.size() < 64) {
        size_t len = ((data[at] << 8) | data[at + 1]) % 4200; // longer than a read gives, too
        at += 2;
        len = std::min(len, size - at);
        g_sections.emplace_back(data + at, data + at + len);
        at += len;
        const int got = static_cast<int>(std::min<size_t>(len, kMaxSectionRead));
        whole = whole && got > 0 && distinct.emplace(reinterpret_cast<const char*>(data + at - len), size_t(got)).second;
        if (auto s = decodeSummarySection(g_sections.back().data(), got)) {
            texts.insert(s->text);
            onAir[s->id].insert(s->text);
        }
    }
    eString result;
    const uint32_t requested = rows ? static_cast<uint32_t>(bufferdatas[0].id) : 0;
    const int r = readSummaryCarousel(requested, "fuzz", result);
    if (r != 0 && r != -2)
        std::abort();
    if (!texts.count(result))
        std::abort();
    for (int i = 0; i < rows && i < kMaxRows; ++i)
        if (!texts.count(bufferdatas[i].summary))
            std::abort();
    if (whole && r == 0) {
        for (int i = 0; i < rows && i < kMaxRows; ++i) {
            auto it = onAir.find(static_cast<uint32_t>(bufferdatas[i].id));
            if (it != onAir.end() && !it->second.count(bufferdatas[i].summary))
                std::abort();
        }
        auto it = onAir.find(requested);
        if (it != onAir.end() && !it->second.count(result))
            std::abort();
    }
    return 0;
}
