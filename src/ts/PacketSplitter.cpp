#include "ts/PacketSplitter.h"

#include <algorithm>

namespace ts {

namespace {
constexpr size_t kProbe = 5 * 204 + 188; // enough bytes to prove a stride
}

void PacketSplitter::process(const uint8_t* data, size_t size, bool last, const Sink& sink)
{
    if (size)
        m_pending.insert(m_pending.end(), data, data + size);
    const uint8_t* buf = m_pending.data();
    const size_t end = m_pending.size();
    size_t pos = 0;
    for (;;) {
        if (!m_synced) {
            size_t avail = end - pos;
            if (avail < 188 || (!last && avail < kProbe))
                break;
            size_t stride = 0, first = 0;
            if (detectPacketSize(buf + pos, avail, stride, first)) {
                m_stride = stride;
                m_stats.bytesSkipped += first;
                pos += first;
                m_synced = true;
            } else {
                size_t drop = std::min<size_t>(204, avail);
                m_stats.bytesSkipped += drop;
                pos += drop;
                continue;
            }
        }
        // Without more data coming, the last packet may lack its trailing bytes.
        size_t need = last ? 188 : m_stride;
        while (end - pos >= need && buf[pos] == 0x47) {
            sink(buf + pos);
            ++m_stats.packets;
            pos += std::min(m_stride, end - pos);
        }
        if (end - pos >= need) {
            ++m_stats.syncLosses;
            m_synced = false;
            continue;
        }
        break;
    }
    if (last) {
        m_stats.bytesSkipped += end - pos;
        pos = end;
    }
    m_pending.erase(m_pending.begin(), m_pending.begin() + long(pos));
}

} // namespace ts
