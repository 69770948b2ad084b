#pragma once
// A section filter with the Linux demux semantics: filter/mask/mode over the first
// 18 bytes of a section, where filter byte 0 faces section byte 0 (table_id) and
// filter byte k (k = 1..15) faces section byte k + 2; bytes 1 and 2 (flags and
// section_length) are never compared.
//
// Positive bits (mask 1, mode 0) must all equal the filter. Negative bits (mask 1,
// mode 1), when there are any, accept the section if at least one of them differs.
// A section too short to hold a masked byte never matches: the kernel compares
// such bytes against stale buffer contents, which is no rule at all.
#include <cstddef>
#include <cstdint>

namespace ts {

constexpr size_t kFilterSize = 16;
constexpr size_t kFilterWindow = 18;

class SectionFilter {
public:
    SectionFilter() = default; // accepts every section
    SectionFilter(const uint8_t* filter, const uint8_t* mask, const uint8_t* mode = nullptr);
    static SectionFilter tableId(uint8_t tableId);

    bool matches(const uint8_t* section, size_t size) const;
    // Bytes of the section the decision needs (0 when nothing is masked).
    size_t span() const { return m_span; }
    bool acceptsAll() const { return m_span == 0; }
    // True when the filter looks at the table_id alone (positive bits only); then
    // tableIdMatches() decides as matches() does for any section of 1 byte or more.
    bool onlyTableId() const { return m_span == 1 && !m_hasNegative; }
    bool tableIdMatches(uint8_t tableId) const { return ((tableId ^ m_value[0]) & m_positive[0]) == 0; }

private:
    uint8_t m_value[kFilterWindow] = {};
    uint8_t m_positive[kFilterWindow] = {};
    uint8_t m_negative[kFilterWindow] = {};
    uint8_t m_span = 0;
    bool m_hasNegative = false;
};

} // namespace ts
