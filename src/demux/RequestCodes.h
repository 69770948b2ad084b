#pragma once
// ioctl request numbers the demux devices understand. The old (version 1) header
// encoded the size of a pointer into DMX_SET_FILTER and an int into DMX_STOP; the
// current Linux header encodes the record (60 bytes) and no argument. The numbers
// never collide, so one device can serve both.
#include <cstdint>
#include <sys/ioctl.h>

namespace demux {

constexpr unsigned long kV1Stop = _IOW('o', 42, int);
constexpr unsigned long kV1SetFilter = _IOW('o', 43, void*);

constexpr size_t kSctFilterParamsSize = 60; // struct dmx_sct_filter_params
constexpr unsigned long kDmxStart = _IO('o', 41);
constexpr unsigned long kDmxStop = _IO('o', 42);
constexpr unsigned long kDmxSetFilter = _IOW('o', 43, uint8_t[kSctFilterParamsSize]);

} // namespace demux
