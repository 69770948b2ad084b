#include "broadcast/DemuxAccess.h"
#include "frame/globals.h"
#include "host/platform/DeviceRegistry.h"
#include "host/platform/dmx.h"

#include <cstring>
#include <fcntl.h>

int dvbSetFiltSect(int fd, unsigned short pid, unsigned short table_id)
{
    dmxSctFilterParams params;
    std::memset(&params, 0, sizeof params);
    params.pid = pid;
    params.filter.filter[0] = static_cast<uint8_t>(table_id & 0xFF);
    params.filter.mask[0] = 0xFF;
    params.timeout = kFilterTimeoutMs;
    params.flags = DMX_IMMEDIATE_START;
    return host::devIoctl(fd, DMX_SET_FILTER, &params) >= 0 ? 1 : 0;
}

int openSectionFilter(unsigned short pid, unsigned short table_id)
{
    int fd = host::devOpen(kDemuxDevice, O_RDWR);
    if (fd < 0)
        return -1;
    if (!dvbSetFiltSect(fd, pid, table_id)) {
        closeSectionFilter(fd);
        return -1;
    }
    return fd;
}

int readSection(int fd)
{
    return static_cast<int>(host::devRead(fd, buffer, kMaxSectionRead));
}

void closeSectionFilter(int fd)
{
    host::devIoctl(fd, DMX_STOP);
    host::devClose(fd);
}
