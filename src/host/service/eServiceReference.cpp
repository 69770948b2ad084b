#include "host/service/eServiceReference.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

eServiceReference::eServiceReference(int t, int f, int serviceType, int sid, int tsid, int onid, int dvbNamespace)
    : type(t), flags(f)
{
    data[0] = serviceType;
    data[1] = sid;
    data[2] = tsid;
    data[3] = onid;
    data[4] = dvbNamespace;
}

namespace {
// One colon-terminated field. Every field must fit 32 bits, taken as signed or
// unsigned: parsed through long long so that the result never depends on the
// size of long (a longer field is malformed on every processor).
bool parseField(const char*& p, int base, int& out)
{
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(p, &end, base);
    if (end == p || *end != ':' || errno == ERANGE || v < INT32_MIN || v > static_cast<long long>(UINT32_MAX))
        return false;
    out = static_cast<int>(static_cast<uint32_t>(v));
    p = end + 1;
    return true;
}
} // namespace

eServiceReference::eServiceReference(const eString& text)
{
    // Ten colon-terminated numeric fields (type and flags decimal, the rest hex), then the path.
    int fields[10];
    const char* p = text.c_str();
    for (int i = 0; i < 10; ++i) {
        if (!parseField(p, i < 2 ? 10 : 16, fields[i])) {
            type = idInvalid;
            return;
        }
    }
    type = fields[0];
    flags = fields[1];
    for (int i = 0; i < 8; ++i)
        data[i] = fields[i + 2];
    path = p;
}

eString eServiceReference::toString() const
{
    eString s;
    s.sprintf("%d:%d:%x:%x:%x:%x:%x:%x:%x:%x:%s", type, flags, static_cast<unsigned>(data[0]),
              static_cast<unsigned>(data[1]), static_cast<unsigned>(data[2]), static_cast<unsigned>(data[3]),
              static_cast<unsigned>(data[4]), static_cast<unsigned>(data[5]), static_cast<unsigned>(data[6]),
              static_cast<unsigned>(data[7]), path.c_str());
    return s;
}

bool eServiceReference::operator==(const eServiceReference& o) const
{
    if (type != o.type)
        return false;
    int first = (type == idDVB && flags == 0 && o.flags == 0) ? 1 : 0;
    if (first == 0 && flags != o.flags)
        return false;
    for (int i = first; i < 8; ++i)
        if (data[i] != o.data[i])
            return false;
    return path == o.path;
}

bool eServiceReference::operator<(const eServiceReference& o) const
{
    // The same words as operator==, in the same cases, so that equal references
    // share one key of a map and different ones never do.
    if (type != o.type)
        return type < o.type;
    if (flags != o.flags)
        return flags < o.flags;
    int first = (type == idDVB && flags == 0) ? 1 : 0;
    for (int i = first; i < 8; ++i)
        if (data[i] != o.data[i])
            return data[i] < o.data[i];
    return path < o.path;
}
