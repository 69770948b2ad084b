// Arbitrary streams and arbitrary request sequences against the virtual demux file:
// no crash, no hang, and whatever a read hands out is a whole section the filter
// asked for (pieced together when the buffer is short).
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <vector>

#include "demux/RequestCodes.h"
#include "demux/Transponders.h"
#include "demux/VirtualDemuxFile.h"
#include "host/platform/dmx.h"
#include "ts/Packet.h"
#include "ts/SectionReassembler.h"

namespace {
void check(bool ok)
{
    if (!ok)
        std::abort();
}

constexpr size_t kOps = 24; // bytes of requests at the start of the input
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < kOps + 188)
        return 0;
    const uint8_t* ops = data;
    demux::Transponders tp;
    tp.add(data + kOps, size - kOps);
    tp.tune(0);
    demux::VirtualDemuxFile file(tp, O_RDWR);
    // PIDs of the stream's packets, so that filters find sections at all.
    std::vector<uint16_t> pids;
    for (size_t i = 0; i + 188 <= size - kOps && pids.size() < 256; i += 188)
        if (data[kOps + i] == 0x47)
            pids.push_back(ts::packetPid(data + kOps + i));

    dmxSctFilterParams params;
    std::memset(&params, 0, sizeof params);
    std::vector<uint8_t> pending; // bytes of the section being read in pieces
    uint8_t buf[4096];
    for (size_t i = 0; i + 3 < kOps; i += 4) {
        const uint8_t op = ops[i], a = ops[i + 1], b = ops[i + 2], c = ops[i + 3];
        switch (op % 4) {
        case 0:
            std::memset(&params, 0, sizeof params);
            params.pid = !pids.empty() ? pids[a % pids.size()] : a;
            params.filter.filter[0] = b;
            params.filter.mask[0] = c & 0x80 ? 0xFF : 0x00;
            params.timeout = 1 + (c & 0x0F) * 10;
            params.flags = DMX_IMMEDIATE_START | (c & 0x30) >> 4;
            check(file.ioctl(DMX_SET_FILTER, &params) == 0);
            pending.clear();
            break;
        case 1: {
            size_t want = 1 + size_t(a) * 16 + (b & 0x0F);
            ssize_t n = file.read(buf, std::min(want, sizeof buf));
            if (n > 0) {
                check(size_t(n) <= want);
                pending.insert(pending.end(), buf, buf + n);
                if (pending.size() >= 3) {
                    size_t total = ts::sectionTotalLength(pending.data());
                    check(pending.size() <= total);
                    if (pending.size() == total) {
                        check(pending[0] == (params.filter.filter[0] & params.filter.mask[0])
                              || params.filter.mask[0] == 0);
                        if (params.flags & DMX_CHECK_CRC)
                            check(ts::sectionCrcValid(pending.data(), total));
                        pending.clear();
                    }
                }
            } else if (n < 0) {
                check(errno == ETIMEDOUT || errno == EOVERFLOW);
            }
            break;
        }
        case 2:
            check(file.ioctl(a & 1 ? demux::kDmxStop : DMX_STOP, nullptr) == 0);
            pending.clear();
            break;
        default:
            tp.tune(a & 1 ? demux::kNotTuned : 0);
            break;
        }
    }
    return 0;
}
