// The ioctl request numbers of the demux, checked against the numbers each
// processor's kernel expects: _IOC packs direction, size, type and number
// differently on PowerPC (3 direction bits on top, 13 size bits, "none" = 1) than
// on x86 (2 direction bits, 14 size bits, "none" = 0).
#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <vector>

#include "demux/KernelDemuxFile.h"
#include "demux/RequestCodes.h"
#include "demux/Transponders.h"
#include "demux/VirtualDemuxFile.h"
#include "host/platform/DeviceRegistry.h"
#include "host/platform/dmx.h"

namespace {

struct Expected {
    unsigned long v1SetFilter, v1Stop, setFilter, start, stop;
    unsigned long otherV1SetFilter; // the other processor's DMX_SET_FILTER, which must be refused
};

#if defined(__powerpc__) && !defined(__powerpc64__)
constexpr Expected kExpected{0x80046f2b, 0x80046f2a, 0x803c6f2b, 0x20006f29, 0x20006f2a, 0x40086f2b};
#elif defined(__x86_64__)
constexpr Expected kExpected{0x40086f2b, 0x40046f2a, 0x403c6f2b, 0x00006f29, 0x00006f2a, 0x80046f2b};
#elif defined(__i386__)
constexpr Expected kExpected{0x40046f2b, 0x40046f2a, 0x403c6f2b, 0x00006f29, 0x00006f2a, 0x80046f2b};
#else
#define ORVALIS_NO_EXPECTED_CODES
#endif

constexpr const char* kNode = "/dev/dvb/card0/demux0";

TEST(RequestCodes, AreThoseOfThisProcessorsKernel)
{
#ifdef ORVALIS_NO_EXPECTED_CODES
    GTEST_SKIP() << "no known request numbers for this processor";
#else
    // The plug-in's header (version 1: a pointer's size in DMX_SET_FILTER, an int's in DMX_STOP).
    EXPECT_EQ(static_cast<unsigned long>(DMX_SET_FILTER), kExpected.v1SetFilter);
    EXPECT_EQ(static_cast<unsigned long>(DMX_STOP), kExpected.v1Stop);
    EXPECT_EQ(demux::kV1SetFilter, kExpected.v1SetFilter);
    EXPECT_EQ(demux::kV1Stop, kExpected.v1Stop);
    // The current Linux API the kernel demux is driven with (the record's 60 bytes in the size).
    EXPECT_EQ(demux::kDmxSetFilter, kExpected.setFilter);
    EXPECT_EQ(demux::kDmxStart, kExpected.start);
    EXPECT_EQ(demux::kDmxStop, kExpected.stop);
#endif
}

TEST(RequestCodes, VersionOneRecordHasTheSameLayoutEverywhere)
{
    // Nothing in it has the size of a pointer or a long, so 32 and 64 bits agree.
    EXPECT_EQ(sizeof(dmxSctFilterParams), 44u);
    EXPECT_EQ(offsetof(dmxSctFilterParams, pid), 0u);
    EXPECT_EQ(offsetof(dmxSctFilterParams, filter), 2u);
    EXPECT_EQ(offsetof(dmxSctFilterParams, filter.mask), 18u);
    EXPECT_EQ(offsetof(dmxSctFilterParams, timeout), 36u);
    EXPECT_EQ(offsetof(dmxSctFilterParams, flags), 40u);
}

TEST(RequestCodes, DevicesRefuseTheOtherProcessorsNumbers)
{
#ifdef ORVALIS_NO_EXPECTED_CODES
    GTEST_SKIP() << "no known request numbers for this processor";
#else
    dmxSctFilterParams p;
    std::memset(&p, 0, sizeof p);
    p.pid = 0xD3;
    p.filter.filter[0] = 0x91;
    p.filter.mask[0] = 0xFF;

    demux::Transponders tp;
    demux::installVirtualDemux(tp);
    int fd = host::devOpen(kNode, O_RDWR);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(host::devIoctl(fd, kExpected.v1SetFilter, &p), 0);
    errno = 0;
    EXPECT_EQ(host::devIoctl(fd, kExpected.otherV1SetFilter, &p), -1);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(host::devIoctl(fd, kExpected.v1Stop), 0);
    host::devClose(fd);

    // The kernel demux is asked with this processor's current-API numbers only.
    std::vector<unsigned long> asked;
    demux::SystemCalls sys;
    sys.open = [](const char*, int) { return 5; };
    sys.ioctl = [&asked](int, unsigned long request, void*) {
        asked.push_back(request);
        return 0;
    };
    sys.read = [](int, void*, size_t) -> ssize_t { return 0; };
    sys.close = [](int) { return 0; };
    demux::installKernelDemux(0, sys);
    fd = host::devOpen(kNode, O_RDWR);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(host::devIoctl(fd, DMX_SET_FILTER, &p), 0);
    EXPECT_EQ(host::devIoctl(fd, DMX_STOP), 0);
    errno = 0;
    EXPECT_EQ(host::devIoctl(fd, kExpected.otherV1SetFilter, &p), -1);
    EXPECT_EQ(errno, EINVAL);
    host::devClose(fd);
    host::unregisterDevice(kNode);
    EXPECT_EQ(asked, (std::vector<unsigned long>{kExpected.setFilter, kExpected.stop}));
#endif
}

} // namespace
