#pragma once
// The demux of a real DVB card behind the version 1 device node: requests of the
// old API are translated to the current Linux one (the record gains an all-zero
// mode array, so every masked bit is a positive match), reads pass through.
#include <memory>

#include "demux/SystemCalls.h"
#include "host/platform/DeviceRegistry.h"

namespace demux {

class KernelDemuxFile : public host::DeviceFile {
public:
    KernelDemuxFile(const SystemCalls& sys, int fd) : m_sys(sys), m_fd(fd) {}
    ~KernelDemuxFile() override;

    int ioctl(unsigned long request, void* arg) override;
    ssize_t read(void* buf, size_t count) override;

private:
    SystemCalls m_sys;
    int m_fd;
};

// Registers /dev/dvb/card0/demux0 so that opening it opens /dev/dvb/adapterN/demux0.
void installKernelDemux(int adapter, const SystemCalls& sys = SystemCalls::real());

} // namespace demux
