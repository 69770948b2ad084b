#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <vector>

#include "demux/KernelDemuxFile.h"
#include "demux/RequestCodes.h"
#include "host/platform/DeviceRegistry.h"
#include "host/platform/dmx.h"

namespace {

struct Call {
    std::string what;
    int fd = -1;
    unsigned long request = 0;
    std::vector<uint8_t> record;
};

// Records what the kernel would be asked.
struct FakeKernel {
    std::vector<Call> calls;
    int openResult = 7;
    demux::SystemCalls sys()
    {
        demux::SystemCalls s;
        s.open = [this](const char* path, int flags) {
            calls.push_back({std::string("open ") + path + (flags & O_RDWR ? " rw" : ""), -1, 0, {}});
            if (openResult < 0)
                errno = EACCES;
            return openResult;
        };
        s.ioctl = [this](int fd, unsigned long request, void* arg) {
            Call c{"ioctl", fd, request, {}};
            if (request == demux::kDmxSetFilter && arg)
                c.record.assign(static_cast<uint8_t*>(arg), static_cast<uint8_t*>(arg) + 60);
            c.what += arg ? " arg" : " none";
            calls.push_back(c);
            return 0;
        };
        s.read = [this](int fd, void* buf, size_t n) -> ssize_t {
            calls.push_back({"read", fd, n, {}});
            std::memset(buf, 0x42, n);
            return ssize_t(n);
        };
        s.close = [this](int fd) {
            calls.push_back({"close", fd, 0, {}});
            return 0;
        };
        return s;
    }
};

constexpr const char* kNode = "/dev/dvb/card0/demux0";

TEST(KernelDemuxTest, TranslatesVersionOneRequests)
{
    FakeKernel k;
    demux::installKernelDemux(1, k.sys());
    int fd = host::devOpen(kNode, O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(k.calls.size(), 1u);
    EXPECT_EQ(k.calls[0].what, "open /dev/dvb/adapter1/demux0 rw");

    dmxSctFilterParams p;
    std::memset(&p, 0, sizeof p);
    p.pid = 0x01D3;
    for (int i = 0; i < 16; ++i) {
        p.filter.filter[i] = uint8_t(0x90 + i);
        p.filter.mask[i] = uint8_t(0xF0 | i);
    }
    p.timeout = 8000;
    p.flags = DMX_IMMEDIATE_START | DMX_CHECK_CRC;
    EXPECT_EQ(host::devIoctl(fd, DMX_SET_FILTER, &p), 0);
    EXPECT_EQ(host::devIoctl(fd, DMX_STOP), 0);
    uint8_t buf[10];
    EXPECT_EQ(host::devRead(fd, buf, sizeof buf), 10);
    EXPECT_EQ(buf[9], 0x42);
    errno = 0;
    EXPECT_EQ(host::devIoctl(fd, 0x6f2c, nullptr), -1);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(host::devClose(fd), 0);
    host::unregisterDevice(kNode);

    ASSERT_EQ(k.calls.size(), 5u);
    const Call& set = k.calls[1];
    EXPECT_EQ(set.fd, 7);
    EXPECT_EQ(set.request, demux::kDmxSetFilter);
    ASSERT_EQ(set.record.size(), 60u);
    // struct dmx_sct_filter_params: pid @0, filter @2, mask @18, mode @34, timeout @52, flags @56.
    const uint8_t* r = set.record.data();
    // The kernel reads the numbers in the processor's own byte order.
    uint16_t pid;
    std::memcpy(&pid, r, 2);
    EXPECT_EQ(pid, 0x01D3);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(r[2 + i], 0x90 + i);
        EXPECT_EQ(r[18 + i], 0xF0 | i);
        EXPECT_EQ(r[34 + i], 0) << "mode " << i;
    }
    uint32_t timeout, flags;
    std::memcpy(&timeout, r + 52, 4);
    std::memcpy(&flags, r + 56, 4);
    EXPECT_EQ(timeout, 8000u);
    EXPECT_EQ(flags, 5u);
    EXPECT_EQ(k.calls[2].request, demux::kDmxStop);
    EXPECT_EQ(k.calls[2].what, "ioctl none");
    EXPECT_EQ(k.calls[3].what, "read");
    EXPECT_EQ(k.calls[3].request, 10u);
    EXPECT_EQ(k.calls[4].what, "close");
    EXPECT_EQ(k.calls[4].fd, 7);
}

TEST(KernelDemuxTest, OpenFailurePassesErrno)
{
    FakeKernel k;
    k.openResult = -1;
    demux::installKernelDemux(0, k.sys());
    errno = 0;
    EXPECT_EQ(host::devOpen(kNode, O_RDWR), -1);
    EXPECT_EQ(errno, EACCES);
    host::unregisterDevice(kNode);
}

} // namespace
