#pragma once
// Demux API version 1 (filter and mask only), as the receiver's ost/dmx.h declared it.
#include <cstdint>
#include <sys/ioctl.h>

#define DMX_FILTER_SIZE 16

struct dmxFilter {
    uint8_t filter[DMX_FILTER_SIZE];
    uint8_t mask[DMX_FILTER_SIZE];
};

struct dmxSctFilterParams {
    uint16_t pid;
    dmxFilter filter;
    uint32_t timeout; // milliseconds
    uint32_t flags;
};

#define DMX_CHECK_CRC 1
#define DMX_ONESHOT 2
#define DMX_IMMEDIATE_START 4

// The version 1 header encoded the size of a pointer here, not of the record.
#define DMX_STOP _IOW('o', 42, int)
#define DMX_SET_FILTER _IOW('o', 43, struct dmxSctFilterParams*)
