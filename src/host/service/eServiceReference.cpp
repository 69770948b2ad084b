#include "host/service/eServiceReference.h"

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

eServiceReference::eServiceReference(const eString& text)
{
    // Ten colon-terminated numeric fields, then the path (the rest of the text).
    long fields[10];
    const char* p = text.c_str();
    for (int i = 0; i < 10; ++i) {
        char* end = nullptr;
        fields[i] = std::strtoul(p, &end, i < 2 ? 10 : 16);
        if (i < 2 && end != p && *p == '-')
            fields[i] = std::strtol(p, &end, 10);
        if (end == p || *end != ':') {
            type = idInvalid;
            return;
        }
        p = end + 1;
    }
    type = static_cast<int>(fields[0]);
    flags = static_cast<int>(fields[1]);
    for (int i = 0; i < 8; ++i)
        data[i] = static_cast<int>(static_cast<unsigned long>(fields[i + 2]));
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
