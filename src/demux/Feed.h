#pragma once
// What the transponders hand the tuned stream to: the open demux files.
#include <cstdint>

namespace demux {

class Feed {
public:
    virtual ~Feed() = default;
    // The stream clock has reached now (nanoseconds): time to check timeouts.
    virtual void streamTime(uint64_t now) = 0;
    // One 188-byte packet broadcast at the current stream time.
    virtual void streamPacket(const uint8_t* packet) = 0;
    // The stream starts over or another one was tuned: partial sections are void.
    virtual void streamRestarted() = 0;
    // A read would return now (data, an error, or nothing left to wait for).
    virtual bool readable() const = 0;
    // The transponders are being destroyed: the feed must not touch them again.
    virtual void transpondersGone() = 0;
};

} // namespace demux
