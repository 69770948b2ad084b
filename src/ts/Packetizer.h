#pragma once
// Turns sections into 188-byte transport packets of one PID (ISO/IEC 13818-1 2.4.3):
// a pointer_field where a section starts, sections packed back to back, 0xFF stuffing
// at the end of a burst, and a continuity counter that runs on across calls.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ts {

constexpr size_t kPacketSize = 188;

class Packetizer {
public:
    explicit Packetizer(uint16_t pid) : m_pid(pid) {}

    // Appends the packets carrying these sections to out. With packed set, a new
    // section may start in the packet where the previous one ended.
    void put(const std::vector<std::vector<uint8_t>>& sections, std::vector<uint8_t>& out, bool packed = true);
    void put(const std::vector<uint8_t>& section, std::vector<uint8_t>& out)
    {
        put(std::vector<std::vector<uint8_t>>{section}, out, true);
    }

    uint16_t pid() const { return m_pid; }
    uint8_t continuityCounter() const { return m_cc; }
    void setContinuityCounter(uint8_t cc) { m_cc = cc & 0x0F; }

private:
    void emit(std::vector<uint8_t>& out, bool unitStart, const uint8_t* payload, size_t n);

    uint16_t m_pid;
    uint8_t m_cc = 0;
};

// Appends a 188-byte null packet (PID 0x1FFF).
void appendNullPacket(std::vector<uint8_t>& out);

} // namespace ts
