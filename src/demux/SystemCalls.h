#pragma once
// The system calls the kernel demux uses, replaceable so that the translation can be
// checked without a DVB card.
#include <cstddef>
#include <functional>
#include <sys/types.h>

namespace demux {

struct SystemCalls {
    std::function<int(const char* path, int flags)> open;
    std::function<int(int fd, unsigned long request, void* arg)> ioctl;
    std::function<ssize_t(int fd, void* buf, size_t count)> read;
    std::function<int(int fd)> close;

    static SystemCalls real();
};

} // namespace demux
