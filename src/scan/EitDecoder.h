#pragma once
// Decodes EIT sections (ETSI EN 300 468 5.2.4) with libdvbv5, texts to UTF-8 by the
// DVB character tables. Every length in the section is checked first: libdvbv5 trusts
// the lengths inside short event descriptors, so only descriptors that pass reach
// it, in a rebuilt copy of the section that holds nothing the cache does not use.
// Faults are counted; a section whose event loop does not add up is dropped whole,
// an event with a bad time or a descriptor with lying lengths only by itself.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "scan/EventSection.h"

namespace scan {

struct EitFaults {
    uint64_t badLayout = 0;      // header, event loop or descriptor loop does not fit the section
    uint64_t badEvents = 0;      // undefined or impossible start time or duration: event dropped
    uint64_t badDescriptors = 0; // short event descriptor whose text lengths lie: descriptor dropped
    uint64_t parserRejected = 0; // libdvbv5 refused the checked copy
};

class EitDecoder {
public:
    // The identity, version and numbering of a section, from its header alone; nothing
    // when it is no EIT section or too short. Cheap: used to skip repeats unparsed.
    static std::optional<EventSection> header(const uint8_t* section, size_t size);

    // A whole section, CRC already checked by the caller.
    std::optional<EventSection> decode(const uint8_t* section, size_t size);

    const EitFaults& faults() const { return m_faults; }

private:
    EitFaults m_faults;
    std::vector<uint8_t> m_copy; // the checked copy handed to the parser
};

} // namespace scan
