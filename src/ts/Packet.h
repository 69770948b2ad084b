#pragma once
// Transport packet header, adaptation field and PCR (ISO/IEC 13818-1 2.4.3.2-2.4.3.5).
#include <cstddef>
#include <cstdint>
#include <optional>

#include "ts/Packetizer.h"

namespace ts {

constexpr uint8_t kSyncByte = 0x47;
constexpr uint16_t kNullPid = 0x1FFF;
// 2^33 cycles of the 90 kHz base times 300: PCR values run modulo this.
constexpr uint64_t kPcrModulus = (uint64_t(1) << 33) * 300;
constexpr uint64_t kPcrHz = 27000000;

struct PacketHeader {
    uint16_t pid = 0;
    bool transportError = false;
    bool unitStart = false;
    bool priority = false;
    uint8_t scrambling = 0;
    bool hasAdaptation = false;
    bool hasPayload = false;
    uint8_t continuityCounter = 0;
    bool discontinuity = false; // discontinuity_indicator of the adaptation field
    std::optional<uint64_t> pcr; // 27 MHz units
    uint8_t payloadOffset = 4;   // first payload byte; kPacketSize when there is none
};

// Parses the 188 bytes at p (p[0] must be the sync byte). Returns nothing for a
// missing sync byte or an adaptation field that overruns the packet.
std::optional<PacketHeader> parsePacket(const uint8_t* p);

// Cheap accessors for the hot path (no validation beyond what they read).
inline uint16_t packetPid(const uint8_t* p) { return uint16_t(((p[1] & 0x1F) << 8) | p[2]); }

// Ticks from a to b on the PCR clock, allowing for one wrap of the 33-bit base.
inline uint64_t pcrDelta(uint64_t a, uint64_t b) { return b >= a ? b - a : kPcrModulus - a + b; }

} // namespace ts
