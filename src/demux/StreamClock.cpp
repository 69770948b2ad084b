#include "demux/StreamClock.h"

#include <algorithm>

#include "ts/Packet.h"

namespace demux {

namespace {
constexpr double kBitsPerPacket = 188.0 * 8.0;
// Rates outside this band mean a broken PCR interval, not a real stream.
constexpr double kMinBitrate = 10e3;
constexpr double kMaxBitrate = 1e9;
constexpr uint64_t kMaxPcrGap = ts::kPcrHz; // one second
} // namespace

StreamClock::StreamClock(uint64_t nominalBitrate)
    : m_nsPerPacket(kBitsPerPacket * 1e9 / double(std::max<uint64_t>(nominalBitrate, 1)))
{
}

uint64_t StreamClock::stamp(const uint8_t* p)
{
    double t = m_next;
    // Only packets with an adaptation field that has the PCR flag can carry one.
    if ((p[3] & 0x20) && p[4] >= 7 && (p[5] & 0x10)) {
        auto header = ts::parsePacket(p);
        if (header && header->pcr) {
            if (m_pcrPid < 0)
                m_pcrPid = header->pid;
            if (header->pid == m_pcrPid) {
                uint64_t pcr = *header->pcr;
                if (m_havePcr && !header->discontinuity && m_packetsSincePcr > 0) {
                    uint64_t delta = ts::pcrDelta(m_lastPcr, pcr);
                    if (delta > 0 && delta <= kMaxPcrGap) {
                        double ns = double(delta) * 1e9 / double(ts::kPcrHz);
                        double rate = kBitsPerPacket * double(m_packetsSincePcr) * 1e9 / ns;
                        if (rate >= kMinBitrate && rate <= kMaxBitrate) {
                            m_nsPerPacket = ns / double(m_packetsSincePcr);
                            t = std::max(t, m_lastPcrTime + ns);
                        }
                    }
                }
                m_havePcr = true;
                m_lastPcr = pcr;
                m_lastPcrTime = t;
                m_packetsSincePcr = 0;
            }
        }
    }
    ++m_packetsSincePcr;
    m_next = t + m_nsPerPacket;
    return uint64_t(t);
}

} // namespace demux
