// Arbitrary bytes as a transport stream: packet splitting, header parsing, section
// reassembly and filtering must neither crash nor hand out a malformed section.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ts/Packet.h"
#include "ts/PacketSplitter.h"
#include "ts/SectionReassembler.h"

namespace {
void check(bool ok)
{
    if (!ok)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first bytes choose the filter, the CRC check and how the bytes are chunked.
    if (size < 36)
        return 0;
    uint8_t filter[ts::kFilterSize], mask[ts::kFilterSize];
    for (size_t i = 0; i < ts::kFilterSize; ++i) {
        filter[i] = data[i];
        mask[i] = data[16 + i] & 0xF1; // keep most masks sparse so that sections get through
    }
    const bool checkCrc = data[32] & 1;
    const size_t chunk = 1 + data[33] * 7;
    const uint16_t pid = uint16_t(((data[34] & 0x1F) << 8) | data[35]);
    data += 36;
    size -= 36;

    ts::SectionFilter sectionFilter(filter, mask, nullptr);
    auto sink = [&](uint16_t, const uint8_t* s, size_t n) {
        check(n >= 3 && n <= ts::kMaxSectionSize);
        check(n == ts::sectionTotalLength(s));
        if (checkCrc)
            check(ts::sectionCrcValid(s, n));
    };
    ts::SectionReassembler all(sink);
    all.watchAll();
    all.setCheckCrc(checkCrc);
    ts::SectionReassembler filtered([&](uint16_t p, const uint8_t* s, size_t n) {
        sink(p, s, n);
        check(p == pid);
        check(sectionFilter.matches(s, n));
    });
    filtered.addFilter(pid, sectionFilter);
    filtered.setCheckCrc(checkCrc);

    ts::PacketSplitter splitter;
    auto onPacket = [&](const uint8_t* p) {
        check(p[0] == ts::kSyncByte);
        if (auto h = ts::parsePacket(p))
            check(h->payloadOffset <= ts::kPacketSize);
        all.put(p);
        filtered.put(p);
    };
    for (size_t at = 0; at < size; at += chunk)
        splitter.push(data + at, std::min(chunk, size - at), onPacket);
    splitter.finish(onPacket);
    return 0;
}
