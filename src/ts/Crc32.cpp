#include "ts/Crc32.h"

#include <array>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ORVALIS_CRC_CLMUL 1
#endif

namespace ts {
namespace {

constexpr uint32_t kPoly = 0x04C11DB7u;

// Slicing-by-8 tables: the CRC check runs over every section on the hot path.
struct Tables {
    std::array<std::array<uint32_t, 256>, 8> t{};
    Tables()
    {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i << 24;
            for (int k = 0; k < 8; ++k)
                c = (c & 0x80000000u) ? (c << 1) ^ kPoly : (c << 1);
            t[0][i] = c;
        }
        for (uint32_t i = 0; i < 256; ++i)
            for (int s = 1; s < 8; ++s)
                t[s][i] = (t[s - 1][i] << 8) ^ t[0][t[s - 1][i] >> 24];
    }
};
const Tables kTables;

uint32_t crc32Table(const uint8_t* data, size_t size, uint32_t crc)
{
    const auto& t = kTables.t;
    while (size >= 8) {
        uint32_t hi = crc ^ ((uint32_t(data[0]) << 24) | (uint32_t(data[1]) << 16) | (uint32_t(data[2]) << 8) | data[3]);
        crc = t[7][hi >> 24] ^ t[6][(hi >> 16) & 0xFF] ^ t[5][(hi >> 8) & 0xFF] ^ t[4][hi & 0xFF]
            ^ t[3][data[4]] ^ t[2][data[5]] ^ t[1][data[6]] ^ t[0][data[7]];
        data += 8;
        size -= 8;
    }
    while (size--)
        crc = (crc << 8) ^ t[0][((crc >> 24) ^ *data++) & 0xFF];
    return crc;
}

#ifdef ORVALIS_CRC_CLMUL
// Carry-less multiplication folds 64 bytes at a time (Intel, "Fast CRC Computation for
// Generic Polynomials Using PCLMULQDQ Instruction", 2009), in the non-reflected form:
// each 16-byte block, byte-reversed, is the polynomial with the first bit at x^127.
// Shifting a block by N bits multiplies its high half by x^(N+64) mod P and its low
// half by x^N mod P; the sum stays congruent and fits in 96 bits.

// x^n mod P.
uint64_t xPowMod(unsigned n)
{
    uint32_t r = 1;
    while (n--)
        r = (r & 0x80000000u) ? (r << 1) ^ kPoly : (r << 1);
    return r;
}

struct FoldConstants {
    __m128i by512; // folds one of four lanes over the 64 bytes that follow
    __m128i by128; // folds a block onto the next one
    FoldConstants()
    {
        by512 = _mm_set_epi64x(int64_t(xPowMod(512 + 64)), int64_t(xPowMod(512)));
        by128 = _mm_set_epi64x(int64_t(xPowMod(128 + 64)), int64_t(xPowMod(128)));
    }
};

__attribute__((target("pclmul,ssse3"))) inline __m128i fold(__m128i x, __m128i k)
{
    return _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x11), _mm_clmulepi64_si128(x, k, 0x00));
}

// 16 bytes with the first one in the top byte.
__attribute__((target("pclmul,ssse3"))) inline __m128i reversed(__m128i x)
{
    return _mm_shuffle_epi8(x, _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
}

__attribute__((target("pclmul,ssse3"))) inline __m128i load(const uint8_t* p)
{
    return reversed(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// At least 64 bytes.
__attribute__((target("pclmul,ssse3"))) uint32_t crc32Clmul(const uint8_t* data, size_t size, uint32_t crc)
{
    static const FoldConstants k;
    // The running CRC enters as the first 32 bits of the message (x^96..x^127).
    __m128i x0 = _mm_xor_si128(load(data), _mm_set_epi32(int(crc), 0, 0, 0));
    __m128i x1 = load(data + 16), x2 = load(data + 32), x3 = load(data + 48);
    data += 64;
    size -= 64;
    for (; size >= 64; data += 64, size -= 64) {
        x0 = _mm_xor_si128(fold(x0, k.by512), load(data));
        x1 = _mm_xor_si128(fold(x1, k.by512), load(data + 16));
        x2 = _mm_xor_si128(fold(x2, k.by512), load(data + 32));
        x3 = _mm_xor_si128(fold(x3, k.by512), load(data + 48));
    }
    x1 = _mm_xor_si128(fold(x0, k.by128), x1);
    x2 = _mm_xor_si128(fold(x1, k.by128), x2);
    x3 = _mm_xor_si128(fold(x2, k.by128), x3);
    for (; size >= 16; data += 16, size -= 16)
        x3 = _mm_xor_si128(fold(x3, k.by128), load(data));
    // What is left is a 128-bit message: its CRC from zero, then the tail bytes.
    alignas(16) uint8_t rest[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(rest), reversed(x3));
    return crc32Table(data, size, crc32Table(rest, 16, 0));
}

bool haveClmul()
{
    static const bool have = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3");
    return have;
}
#endif

} // namespace

uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc)
{
#ifdef ORVALIS_CRC_CLMUL
    if (size >= 64 && haveClmul())
        return crc32Clmul(data, size, crc);
#endif
    return crc32Table(data, size, crc);
}

} // namespace ts
