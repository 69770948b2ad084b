#include <gtest/gtest.h>

#include "TsTestUtil.h"
#include "ts/SectionFilter.h"

namespace {

using tstest::makeSection;

TEST(SectionFilterTest, ByteMappingSkipsLengthBytes)
{
    auto s = makeSection(0x4E, 0x1234, 40);
    uint8_t filter[16] = {0x4E, 0x12, 0x34};
    uint8_t mask[16] = {0xFF, 0xFF, 0xFF};
    EXPECT_TRUE(ts::SectionFilter(filter, mask).matches(s.data(), s.size()));
    filter[2] = 0x35;
    EXPECT_FALSE(ts::SectionFilter(filter, mask).matches(s.data(), s.size()));
    // filter[4] faces section byte 6 (section_number).
    uint8_t f2[16] = {0, 0, 0, 0, 0x00};
    uint8_t m2[16] = {0, 0, 0, 0, 0xFF};
    s[6] = 0;
    EXPECT_TRUE(ts::SectionFilter(f2, m2).matches(s.data(), s.size()));
    s[6] = 1;
    EXPECT_FALSE(ts::SectionFilter(f2, m2).matches(s.data(), s.size()));
}

TEST(SectionFilterTest, NegativeModeNeedsOneDifferingBit)
{
    auto s = makeSection(0x42, 1, 40);
    s[5] = uint8_t(0xC1 | (5 << 1)); // version 5
    uint8_t filter[16] = {0x42, 0, 0, uint8_t(5 << 1)};
    uint8_t mask[16] = {0xFF, 0, 0, 0x3E};
    uint8_t mode[16] = {0, 0, 0, 0x3E};
    ts::SectionFilter newVersion(filter, mask, mode);
    EXPECT_FALSE(newVersion.matches(s.data(), s.size()));
    s[5] = uint8_t(0xC1 | (6 << 1));
    EXPECT_TRUE(newVersion.matches(s.data(), s.size()));
    s[0] = 0x46; // positive byte still rules
    EXPECT_FALSE(newVersion.matches(s.data(), s.size()));
}

TEST(SectionFilterTest, MaskedBytesPastShortSectionNeverMatch)
{
    const uint8_t tdt[8] = {0x70, 0x70, 0x05, 0xE8, 0x1F, 0x12, 0x34, 0x56};
    EXPECT_TRUE(ts::SectionFilter::tableId(0x70).matches(tdt, sizeof tdt));
    uint8_t filter[16] = {0x70};
    uint8_t mask[16] = {0xFF};
    mask[10] = 0x01; // section byte 12
    EXPECT_FALSE(ts::SectionFilter(filter, mask).matches(tdt, sizeof tdt));
    EXPECT_TRUE(ts::SectionFilter().matches(tdt, sizeof tdt));
    EXPECT_EQ(ts::SectionFilter(filter, mask).span(), 13u);
}

} // namespace
