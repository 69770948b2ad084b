#pragma once
// A demux device file (one section filter) over the tuned transport stream, with the
// behaviour of the Linux demux: one read yields at most one section, a short buffer
// gets the rest of that section on the following reads, a new filter or DMX_STOP
// flushes, the timeout bounds the wait for the first section only, DMX_CHECK_CRC and
// DMX_ONESHOT work per filter.
//
// Where the kernel would sleep for ever this emulation fails the read with
// ETIMEDOUT instead, so that the GUI thread never hangs: after a timeout (every later
// read, until the filter is restarted), after a one-shot section was read, and when
// a running filter sees no section for kIdleLimit of stream time. A read on a filter
// that was never started, or was stopped, returns 0. Once the transponders are
// destroyed every request fails with ENODEV. O_NONBLOCK matters only with realtime
// playing: such a read fails with EAGAIN once the stream has caught up with the wall
// clock; without realtime, stream time costs nothing, so every read may wait.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "demux/Feed.h"
#include "demux/Transponders.h"
#include "host/platform/DeviceRegistry.h"
#include "ts/SectionReassembler.h"

namespace demux {

constexpr uint64_t kIdleLimitNs = 60ull * 1000000000ull;
constexpr size_t kDemuxBufferSize = 8192; // the kernel's default per-filter buffer

class VirtualDemuxFile : public host::DeviceFile, public Feed {
public:
    VirtualDemuxFile(Transponders& transponders, int flags);
    ~VirtualDemuxFile() override;

    int ioctl(unsigned long request, void* arg) override;
    ssize_t read(void* buf, size_t count) override;

    void streamTime(uint64_t now) override;
    void streamPacket(const uint8_t* packet) override;
    void streamRestarted() override;
    bool readable() const override;
    void transpondersGone() override;

    const ts::ReassemblyStats& stats() const { return m_reassembler.stats(); }

private:
    enum class State { Idle, Set, Running, Done, TimedOut };

    int setFilter(uint16_t pid, const ts::SectionFilter& filter, uint32_t timeoutMs, uint32_t flags);
    int start();
    void stop();
    void onSection(const uint8_t* section, size_t size);
    void flush();

    Transponders* m_transponders; // null once they are gone
    bool m_nonBlocking;
    State m_state = State::Idle;
    uint16_t m_pid = 0;
    ts::SectionFilter m_filter;
    uint32_t m_timeoutMs = 0;
    uint32_t m_flags = 0;
    uint64_t m_deadline = 0; // stream time; 0 = none
    bool m_delivered = false;
    int m_error = 0;         // latched EOVERFLOW or ETIMEDOUT
    ts::SectionReassembler m_reassembler;
    std::deque<std::vector<uint8_t>> m_queue;
    size_t m_queued = 0;     // bytes in m_queue
    size_t m_readOffset = 0; // into m_queue.front()
};

// Registers /dev/dvb/card0/demux0 as a virtual demux over these transponders,
// which must outlive the registration.
void installVirtualDemux(Transponders& transponders);

} // namespace demux
