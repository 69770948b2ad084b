#pragma once
#include "host/eString.h"

// A reference to a service of the receiver, in the text form
// "type:flags:d0:d1:...:d7:path" with the data words in hexadecimal. For a DVB
// service (type 1) d0 is the service type, d1 the service id, d2 the transport
// stream id, d3 the original network id and d4 the DVB namespace.
class eServiceReference {
public:
    enum { idInvalid = -1, idDVB = 1 };

    int type = idInvalid;
    int flags = 0;
    int data[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    eString path;
    eString descr; // shown by the timer list; not part of the identity

    eServiceReference() = default;
    explicit eServiceReference(const eString& text);
    eServiceReference(int type, int flags, int serviceType, int sid, int tsid, int onid, int dvbNamespace);

    bool valid() const { return type != idInvalid; }
    eString toString() const;
    const eString& getDescription() const { return descr; }
    void setDescription(const eString& d) { descr = d; }

    // DVB references without flags compare data words 1..7 and the path (the
    // service type in word 0 may differ); all others compare all eight words.
    bool operator==(const eServiceReference& o) const;
    bool operator!=(const eServiceReference& o) const { return !(*this == o); }
    bool operator<(const eServiceReference& o) const;
};
