#include "host/platform/DeviceRegistry.h"

#include <cerrno>
#include <map>
#include <mutex>

namespace host {
namespace {

struct Registry {
    std::mutex lock;
    std::map<std::string, DeviceFactory> factories;
    std::map<int, std::unique_ptr<DeviceFile>> open;
    int nextFd = 1000; // far from the process's own descriptors, to make mix-ups visible
    std::function<void()> blockingHook;
};

Registry& registry()
{
    static Registry r;
    return r;
}

DeviceFile* lookup(int fd)
{
    auto& r = registry();
    std::lock_guard<std::mutex> g(r.lock);
    auto it = r.open.find(fd);
    return it == r.open.end() ? nullptr : it->second.get();
}

} // namespace

void registerDevice(const std::string& path, DeviceFactory factory)
{
    auto& r = registry();
    std::lock_guard<std::mutex> g(r.lock);
    r.factories[path] = std::move(factory);
}

void unregisterDevice(const std::string& path)
{
    auto& r = registry();
    std::lock_guard<std::mutex> g(r.lock);
    r.factories.erase(path);
}

void setBlockingHook(std::function<void()> hook)
{
    registry().blockingHook = std::move(hook);
}

void runBlockingHook()
{
    if (registry().blockingHook)
        registry().blockingHook();
}

int devOpen(const char* path, int flags)
{
    auto& r = registry();
    DeviceFactory factory;
    {
        std::lock_guard<std::mutex> g(r.lock);
        auto it = path ? r.factories.find(path) : r.factories.end();
        if (it == r.factories.end()) {
            errno = ENOENT;
            return -1;
        }
        factory = it->second;
    }
    std::unique_ptr<DeviceFile> file = factory(flags);
    if (!file)
        return -1;
    std::lock_guard<std::mutex> g(r.lock);
    int fd = r.nextFd++;
    r.open[fd] = std::move(file);
    return fd;
}

int devIoctl(int fd, unsigned long request, void* arg)
{
    DeviceFile* f = lookup(fd);
    if (!f) {
        errno = EBADF;
        return -1;
    }
    return f->ioctl(request, arg);
}

ssize_t devRead(int fd, void* buf, size_t count)
{
    DeviceFile* f = lookup(fd);
    if (!f) {
        errno = EBADF;
        return -1;
    }
    runBlockingHook();
    return f->read(buf, count);
}

int devClose(int fd)
{
    auto& r = registry();
    std::unique_ptr<DeviceFile> closing;
    {
        std::lock_guard<std::mutex> g(r.lock);
        auto it = r.open.find(fd);
        if (it == r.open.end()) {
            errno = EBADF;
            return -1;
        }
        closing = std::move(it->second);
        r.open.erase(it);
    }
    return 0;
}

} // namespace host
