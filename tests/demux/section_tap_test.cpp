// A tap hears the sections of the tuned stream while a demux reader drives the play.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <memory>

#include "DemuxTestUtil.h"
#include "demux/SectionTap.h"
#include "demux/VirtualDemuxFile.h"
#include "host/platform/dmx.h"

namespace {

using demuxtest::Bytes;
using demuxtest::section;

TEST(SectionTapTest, HearsWhatPlaysWithoutHoldingUpReaders)
{
    // Titles (0x90) on 0xD2 spanning packets, the channel table (0x91) on 0xD3.
    Bytes out;
    ts::Packetizer d2(0xD2), d3(0xD3);
    d2.put({section(0x90, 1, 300), section(0x90, 2, 300)}, out);
    d3.put(section(0x91, 3, 100), out);
    demuxtest::nulls(out, 5);
    auto tp = std::make_unique<demux::Transponders>();
    tp->add(out.data(), out.size());
    std::vector<Bytes> heard;
    auto tap = std::make_unique<demux::SectionTap>(
        *tp, [&](uint16_t pid, const uint8_t* s, size_t n) {
            EXPECT_EQ(pid, 0xD2);
            heard.emplace_back(s, s + n);
        });
    tap->addFilter(0xD2, ts::SectionFilter::tableId(0x90));
    ASSERT_TRUE(tp->tune(0));

    demux::VirtualDemuxFile file(*tp, O_RDWR);
    dmxSctFilterParams p{};
    p.pid = 0xD3;
    p.filter.filter[0] = 0x91;
    p.filter.mask[0] = 0xFF;
    p.timeout = 1000;
    p.flags = DMX_IMMEDIATE_START;
    ASSERT_EQ(file.ioctl(DMX_SET_FILTER, &p), 0);
    uint8_t buf[4096];
    // Each read plays up to the channel table: the titles before it went by the tap.
    for (int pass = 1; pass <= 3; ++pass) {
        ASSERT_EQ(file.read(buf, sizeof buf), 100);
        ASSERT_EQ(heard.size(), size_t(2 * pass));
        EXPECT_EQ(heard[heard.size() - 2], section(0x90, 1, 300));
        EXPECT_EQ(heard.back(), section(0x90, 2, 300));
    }
    EXPECT_EQ(tap->stats().ccErrors, 0u); // starting over is not a continuity break
    EXPECT_EQ(tap->stats().droppedPartial, 0u);
    // The transponders may go first.
    tp.reset();
    tap.reset();
}

} // namespace
