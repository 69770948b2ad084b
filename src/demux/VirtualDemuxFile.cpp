#include "demux/VirtualDemuxFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>

#include "demux/RequestCodes.h"
#include "host/platform/dmx.h"

namespace demux {

static_assert(kV1SetFilter == DMX_SET_FILTER, "version 1 DMX_SET_FILTER");
static_assert(kV1Stop == DMX_STOP, "version 1 DMX_STOP");

namespace {
constexpr uint16_t kMaxPid = 0x1FFF;
}

VirtualDemuxFile::VirtualDemuxFile(Transponders& transponders, int flags)
    : m_transponders(&transponders), m_nonBlocking(flags & O_NONBLOCK)
{
    m_reassembler.setSink([this](uint16_t, const uint8_t* s, size_t n) { onSection(s, n); });
    m_transponders->attach(this);
}

VirtualDemuxFile::~VirtualDemuxFile()
{
    if (m_transponders)
        m_transponders->detach(this);
}

void VirtualDemuxFile::transpondersGone()
{
    m_transponders = nullptr;
    m_state = State::Idle;
    flush();
}

int VirtualDemuxFile::ioctl(unsigned long request, void* arg)
{
    if (!m_transponders) {
        errno = ENODEV;
        return -1;
    }
    if (request == kV1SetFilter) {
        if (!arg) {
            errno = EFAULT;
            return -1;
        }
        const auto* p = static_cast<const dmxSctFilterParams*>(arg);
        return setFilter(p->pid, ts::SectionFilter(p->filter.filter, p->filter.mask), p->timeout, p->flags);
    }
    if (request == kV1Stop || request == kDmxStop) {
        stop();
        return 0;
    }
    if (request == kDmxStart)
        return start();
    errno = EINVAL;
    return -1;
}

int VirtualDemuxFile::setFilter(uint16_t pid, const ts::SectionFilter& filter, uint32_t timeoutMs, uint32_t flags)
{
    stop();
    m_pid = pid;
    m_filter = filter;
    m_timeoutMs = timeoutMs;
    m_flags = flags;
    m_state = State::Set;
    if (flags & DMX_IMMEDIATE_START)
        return start();
    return 0;
}

int VirtualDemuxFile::start()
{
    if (m_state == State::Idle || m_pid > kMaxPid) {
        errno = EINVAL;
        return -1;
    }
    stop();
    // A live stream went on while nobody listened: start filtering at "now".
    m_transponders->catchUp();
    m_reassembler.unwatchAll();
    m_reassembler.clearStats();
    m_reassembler.addFilter(m_pid, m_filter);
    m_reassembler.setCheckCrc(m_flags & DMX_CHECK_CRC);
    m_deadline = m_timeoutMs ? m_transponders->now() + uint64_t(m_timeoutMs) * 1000000 : 0;
    m_delivered = false;
    m_state = State::Running;
    return 0;
}

void VirtualDemuxFile::stop()
{
    if (m_state != State::Idle)
        m_state = State::Set;
    m_reassembler.reset();
    flush();
    m_error = 0;
}

void VirtualDemuxFile::flush()
{
    m_queue.clear();
    m_queued = 0;
    m_readOffset = 0;
}

void VirtualDemuxFile::streamTime(uint64_t now)
{
    if (m_state == State::Running && !m_delivered && m_deadline && now >= m_deadline) {
        m_state = State::TimedOut;
        m_error = ETIMEDOUT;
    }
}

void VirtualDemuxFile::streamPacket(const uint8_t* packet)
{
    if (m_state == State::Running)
        m_reassembler.put(packet);
}

void VirtualDemuxFile::streamRestarted()
{
    m_reassembler.reset();
}

bool VirtualDemuxFile::readable() const
{
    return !m_queue.empty() || m_error || m_state != State::Running;
}

void VirtualDemuxFile::onSection(const uint8_t* section, size_t size)
{
    if (m_state != State::Running || m_error)
        return;
    if (m_queued + size > kDemuxBufferSize) {
        // The reader fell behind: everything pending is lost, as in the kernel.
        flush();
        m_error = EOVERFLOW;
        return;
    }
    m_queue.emplace_back(section, section + size);
    m_queued += size;
    m_delivered = true;
    if (m_flags & DMX_ONESHOT)
        m_state = State::Done;
}

ssize_t VirtualDemuxFile::read(void* buf, size_t count)
{
    if (!m_transponders) {
        errno = ENODEV;
        return -1;
    }
    if (count == 0)
        return 0;
    if (m_queue.empty() && !m_error && m_state == State::Running) {
        uint64_t now = m_transponders->now();
        uint64_t limit = (m_deadline && !m_delivered) ? m_deadline : now + kIdleLimitNs;
        m_transponders->waitFor(this, limit, m_nonBlocking);
    }
    if (!m_queue.empty()) {
        const std::vector<uint8_t>& front = m_queue.front();
        size_t n = std::min(count, front.size() - m_readOffset);
        std::memcpy(buf, front.data() + m_readOffset, n);
        m_readOffset += n;
        if (m_readOffset == front.size()) {
            m_queued -= front.size();
            m_queue.pop_front();
            m_readOffset = 0;
        }
        return ssize_t(n);
    }
    if (m_error) {
        errno = m_error;
        if (m_error == EOVERFLOW)
            m_error = 0;
        return -1;
    }
    switch (m_state) {
    case State::Running:
        errno = m_nonBlocking && m_transponders->realtime() ? EAGAIN : ETIMEDOUT;
        return -1;
    case State::Done:
    case State::TimedOut:
        errno = ETIMEDOUT;
        return -1;
    default:
        return 0;
    }
}

void installVirtualDemux(Transponders& transponders)
{
    host::registerDevice("/dev/dvb/card0/demux0", [&transponders](int flags) -> std::unique_ptr<host::DeviceFile> {
        return std::make_unique<VirtualDemuxFile>(transponders, flags);
    });
}

} // namespace demux
