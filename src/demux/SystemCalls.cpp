#include "demux/SystemCalls.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace demux {

SystemCalls SystemCalls::real()
{
    SystemCalls s;
    s.open = [](const char* path, int flags) { return ::open(path, flags | O_CLOEXEC); };
    s.ioctl = [](int fd, unsigned long request, void* arg) { return ::ioctl(fd, request, arg); };
    s.read = [](int fd, void* buf, size_t count) { return ::read(fd, buf, count); };
    s.close = [](int fd) { return ::close(fd); };
    return s;
}

} // namespace demux
