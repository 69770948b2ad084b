#pragma once
// Push-side counterpart of PacketReader: takes bytes as they come (a pipe, a socket)
// and hands out whole 188-byte packets, keeping an incomplete tail for the next call.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "ts/PacketReader.h"

namespace ts {

class PacketSplitter {
public:
    using Sink = std::function<void(const uint8_t* packet)>;

    void push(const uint8_t* data, size_t size, const Sink& sink) { process(data, size, false, sink); }
    // No more data will come: use what is left even if it cannot prove its sync.
    void finish(const Sink& sink) { process(nullptr, 0, true, sink); }

    size_t packetSize() const { return m_stride; }
    const ReaderStats& stats() const { return m_stats; }

private:
    void process(const uint8_t* data, size_t size, bool last, const Sink& sink);

    std::vector<uint8_t> m_pending;
    size_t m_stride = 188;
    bool m_synced = false;
    ReaderStats m_stats;
};

} // namespace ts
