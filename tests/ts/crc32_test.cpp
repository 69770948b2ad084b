#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "ts/Crc32.h"

namespace {

// CRC-32/MPEG-2 bit by bit, straight from its definition.
uint32_t bitwise(const uint8_t* data, size_t size, uint32_t crc)
{
    for (size_t i = 0; i < size; ++i) {
        crc ^= uint32_t(data[i]) << 24;
        for (int b = 0; b < 8; ++b)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : (crc << 1);
    }
    return crc;
}

TEST(Crc32Test, EveryLengthAndStartAgreesWithTheDefinition)
{
    const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(ts::crc32(check, sizeof check), 0x0376E6E7u); // the catalogued check value
    std::mt19937 rng(7);
    std::vector<uint8_t> data(4200);
    for (auto& b : data)
        b = uint8_t(rng());
    // Lengths around every path: bytes, 16-byte blocks, 64-byte lanes; odd starts too.
    for (size_t size = 0; size <= 300; ++size)
        for (size_t offset : {0u, 3u}) {
            const uint32_t start = size % 3 == 0 ? 0xFFFFFFFFu : uint32_t(rng());
            ASSERT_EQ(ts::crc32(data.data() + offset, size, start), bitwise(data.data() + offset, size, start))
                << size << " at " << offset;
        }
    for (size_t size : {1023u, 4093u, 4096u, 4199u})
        EXPECT_EQ(ts::crc32(data.data(), size), bitwise(data.data(), size, 0xFFFFFFFFu)) << size;
    // Over a section with its CRC appended the result is 0; one flipped bit anywhere is seen.
    std::vector<uint8_t> section(data.begin(), data.begin() + 1000);
    const uint32_t crc = ts::crc32(section.data(), section.size());
    for (int i = 0; i < 4; ++i)
        section.push_back(uint8_t(crc >> (24 - 8 * i)));
    EXPECT_EQ(ts::crc32(section.data(), section.size()), 0u);
    for (size_t bit : {0u, 7u, 4000u, 8000u, 8031u}) {
        section[bit / 8] ^= uint8_t(0x80 >> (bit % 8));
        EXPECT_NE(ts::crc32(section.data(), section.size()), 0u) << bit;
        section[bit / 8] ^= uint8_t(0x80 >> (bit % 8));
    }
}

} // namespace
