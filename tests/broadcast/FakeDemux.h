#pragma once
// A scripted stand-in for the demux device: records every request and hands out
// prepared sections per (PID, table id), so the readers can be tested alone.
#include "host/platform/DeviceRegistry.h"
#include "host/platform/dmx.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct FakeDemuxLog {
    std::vector<std::string> calls; // "open", "filter D3/91", "read", "stop", "close"
    std::vector<dmxSctFilterParams> filters;
};

class FakeDemux {
public:
    using Key = std::pair<int, int>; // pid, table id

    FakeDemux() { install(); }
    ~FakeDemux() { host::unregisterDevice("/dev/dvb/card0/demux0"); }

    void add(int pid, int table, std::vector<uint8_t> section) { m_sections[{pid, table}].push_back(std::move(section)); }
    void failFilter(bool fail) { m_failFilter = fail; }
    // Reads after the first n fail (EIO), as a device that stops delivering does.
    void failReadsAfter(long n) { m_readsBeforeFailure = n; }
    long reads() const { return m_reads; }
    // After this many reads every read times out, as when a stream stops.
    void stopAfter(long reads) { m_readLimit = reads; }
    FakeDemuxLog& log() { return m_log; }
    void uninstall() { host::unregisterDevice("/dev/dvb/card0/demux0"); }

private:
    class File : public host::DeviceFile {
    public:
        explicit File(FakeDemux& d) : m_d(d) {}
        ~File() override { m_d.m_log.calls.push_back("close"); }
        int ioctl(unsigned long request, void* arg) override
        {
            if (request == DMX_SET_FILTER) {
                auto* p = static_cast<dmxSctFilterParams*>(arg);
                m_d.m_log.filters.push_back(*p);
                char buf[32];
                std::snprintf(buf, sizeof buf, "filter %X/%X", p->pid, p->filter.filter[0]);
                m_d.m_log.calls.push_back(buf);
                if (m_d.m_failFilter) {
                    errno = EINVAL;
                    return -1;
                }
                m_key = {p->pid, p->filter.filter[0]};
                m_next = 0;
                return 0;
            }
            if (request == DMX_STOP) {
                m_d.m_log.calls.push_back("stop");
                return 0;
            }
            errno = EINVAL;
            return -1;
        }
        ssize_t read(void* buf, size_t count) override
        {
            m_d.m_log.calls.push_back("read");
            if (m_d.m_readsBeforeFailure >= 0 && m_d.m_reads >= m_d.m_readsBeforeFailure) {
                errno = EIO;
                return -1;
            }
            if (++m_d.m_reads > m_d.m_readLimit) {
                errno = ETIMEDOUT;
                return -1;
            }
            auto it = m_d.m_sections.find(m_key);
            if (it == m_d.m_sections.end() || it->second.empty()) {
                errno = ETIMEDOUT;
                return -1;
            }
            // A carousel: the prepared sections come round again and again.
            const auto& s = it->second[m_next++ % it->second.size()];
            size_t n = std::min(count, s.size());
            std::memcpy(buf, s.data(), n);
            return static_cast<ssize_t>(n);
        }

    private:
        FakeDemux& m_d;
        Key m_key{-1, -1};
        size_t m_next = 0;
    };

    void install()
    {
        host::registerDevice("/dev/dvb/card0/demux0", [this](int) {
            m_log.calls.push_back("open");
            return std::unique_ptr<host::DeviceFile>(new File(*this));
        });
    }

    std::map<Key, std::vector<std::vector<uint8_t>>> m_sections;
    bool m_failFilter = false;
    long m_readsBeforeFailure = -1;
    long m_reads = 0;
    long m_readLimit = std::numeric_limits<long>::max();
    FakeDemuxLog m_log;
};
