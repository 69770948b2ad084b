#include "ts/SectionFilter.h"

namespace ts {

SectionFilter::SectionFilter(const uint8_t* filter, const uint8_t* mask, const uint8_t* mode)
{
    for (size_t k = 0; k < kFilterSize; ++k) {
        size_t pos = k == 0 ? 0 : k + 2;
        uint8_t modeBits = mode ? mode[k] : 0;
        m_value[pos] = filter[k] & mask[k];
        m_positive[pos] = mask[k] & uint8_t(~modeBits);
        m_negative[pos] = mask[k] & modeBits;
        if (m_negative[pos])
            m_hasNegative = true;
        if (mask[k])
            m_span = uint8_t(pos + 1);
    }
}

SectionFilter SectionFilter::tableId(uint8_t tableId)
{
    uint8_t filter[kFilterSize] = {tableId};
    uint8_t mask[kFilterSize] = {0xFF};
    return SectionFilter(filter, mask);
}

bool SectionFilter::matches(const uint8_t* section, size_t size) const
{
    uint8_t differs = 0;
    for (size_t i = 0; i < m_span; ++i) {
        uint8_t masked = m_positive[i] | m_negative[i];
        if (!masked)
            continue;
        if (i >= size)
            return false;
        uint8_t diff = section[i] ^ m_value[i];
        if (diff & m_positive[i])
            return false;
        differs |= diff & m_negative[i];
    }
    return !m_hasNegative || differs != 0;
}

} // namespace ts
