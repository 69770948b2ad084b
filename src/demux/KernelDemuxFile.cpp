#include "demux/KernelDemuxFile.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "demux/RequestCodes.h"
#include "host/platform/dmx.h"

// Both API headers name their macros alike; only the old record is needed from the
// first one, the rest comes from the current header.
#undef DMX_FILTER_SIZE
#undef DMX_CHECK_CRC
#undef DMX_ONESHOT
#undef DMX_IMMEDIATE_START
#undef DMX_STOP
#undef DMX_SET_FILTER
#include <linux/dvb/dmx.h>

namespace demux {

static_assert(sizeof(dmx_sct_filter_params) == kSctFilterParamsSize, "current filter record");
static_assert(kDmxSetFilter == DMX_SET_FILTER, "current DMX_SET_FILTER");
static_assert(kDmxStop == DMX_STOP && kDmxStart == DMX_START, "current DMX_START/DMX_STOP");

KernelDemuxFile::~KernelDemuxFile()
{
    m_sys.close(m_fd);
}

int KernelDemuxFile::ioctl(unsigned long request, void* arg)
{
    if (request == kV1SetFilter) {
        if (!arg) {
            errno = EFAULT;
            return -1;
        }
        const auto* old = static_cast<const dmxSctFilterParams*>(arg);
        dmx_sct_filter_params p;
        std::memset(&p, 0, sizeof p);
        p.pid = old->pid;
        std::memcpy(p.filter.filter, old->filter.filter, sizeof p.filter.filter);
        std::memcpy(p.filter.mask, old->filter.mask, sizeof p.filter.mask);
        p.timeout = old->timeout;
        p.flags = old->flags;
        return m_sys.ioctl(m_fd, DMX_SET_FILTER, &p);
    }
    if (request == kV1Stop || request == kDmxStop)
        return m_sys.ioctl(m_fd, DMX_STOP, nullptr);
    if (request == kDmxStart)
        return m_sys.ioctl(m_fd, DMX_START, nullptr);
    errno = EINVAL;
    return -1;
}

ssize_t KernelDemuxFile::read(void* buf, size_t count)
{
    return m_sys.read(m_fd, buf, count);
}

void installKernelDemux(int adapter, const SystemCalls& sys)
{
    std::string node = "/dev/dvb/adapter" + std::to_string(adapter) + "/demux0";
    host::registerDevice("/dev/dvb/card0/demux0", [sys, node](int flags) -> std::unique_ptr<host::DeviceFile> {
        int fd = sys.open(node.c_str(), flags);
        if (fd < 0)
            return nullptr;
        return std::make_unique<KernelDemuxFile>(sys, fd);
    });
}

} // namespace demux
