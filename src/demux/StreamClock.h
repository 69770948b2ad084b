#pragma once
// Gives each packet of a transport stream its time, so that a recorded stream can be
// replayed at the pace it was broadcast. The time comes from the PCR (ISO/IEC
// 13818-1 2.4.2.2) of the first PID seen carrying one: between two PCRs the packets
// are spaced evenly at the rate the last good PCR interval showed. Streams without
// PCR (PID-filtered captures) run at a nominal 5 Mbit/s. A PCR that jumps back,
// wraps past 2^33, or leaps more than a second (a splice, a discontinuity) starts a
// new interval without moving the clock.
#include <cstdint>

namespace demux {

constexpr uint64_t kNominalBitrate = 5000000;

class StreamClock {
public:
    explicit StreamClock(uint64_t nominalBitrate = kNominalBitrate);

    // Time of this packet in nanoseconds since the first packet; never decreases.
    uint64_t stamp(const uint8_t* packet);
    // Spacing in nanoseconds at the current rate.
    uint64_t packetDuration() const { return uint64_t(m_nsPerPacket); }
    bool usesPcr() const { return m_pcrPid >= 0; }

private:
    double m_nsPerPacket;
    double m_next = 0;          // time of the next packet
    int m_pcrPid = -1;
    bool m_havePcr = false;
    uint64_t m_lastPcr = 0;     // 27 MHz units
    double m_lastPcrTime = 0;   // its packet's time
    uint64_t m_packetsSincePcr = 0;
};

} // namespace demux
