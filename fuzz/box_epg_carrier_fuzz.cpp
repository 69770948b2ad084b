// The first-run search for the EPG service over arbitrary packets: only services
// it was asked about are named, each once, in ascending order.
#include "box/EpgCarrierFinder.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::map<uint16_t, uint16_t> pmts = {{1, 0x100}, {2, 0x101}, {3, 0x1FFF}, {4, 0}};
    box::EpgCarrierFinder finder(pmts);
    uint8_t packet[188];
    for (size_t at = 0; at < size; at += 187) {
        // Each chunk is one packet's body behind a sync byte, so that bodies reach the PMT PIDs.
        std::memset(packet, 0xFF, sizeof packet);
        packet[0] = 0x47;
        std::memcpy(packet + 1, data + at, std::min<size_t>(187, size - at));
        finder.put(packet);
    }
    const auto carriers = finder.carriers();
    for (size_t i = 0; i < carriers.size(); ++i) {
        if (pmts.count(carriers[i]) == 0 || carriers[i] == 4 || (i && carriers[i - 1] >= carriers[i]))
            abort();
    }
    return 0;
}
