#pragma once
// Device nodes of the box (such as /dev/dvb/card0/demux0): the box registers a
// factory per node; plug-ins reach them through open/ioctl/read/close below.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>

namespace host {

class DeviceFile {
public:
    virtual ~DeviceFile() = default;
    // Both return -1 and set errno on failure, as the system calls do.
    virtual int ioctl(unsigned long request, void* arg) = 0;
    virtual ssize_t read(void* buf, size_t count) = 0;
};

// Returns null (with errno set) when the node cannot be opened.
using DeviceFactory = std::function<std::unique_ptr<DeviceFile>(int flags)>;

void registerDevice(const std::string& path, DeviceFactory factory);
void unregisterDevice(const std::string& path);

// Called by devRead before it blocks, so the display can follow a busy GUI thread.
void setBlockingHook(std::function<void()> hook);
void runBlockingHook();

int devOpen(const char* path, int flags);
int devIoctl(int fd, unsigned long request, void* arg = nullptr);
ssize_t devRead(int fd, void* buf, size_t count);
int devClose(int fd);

} // namespace host
