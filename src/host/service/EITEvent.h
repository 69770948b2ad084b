#pragma once
#include "host/eString.h"

#include <ctime>
#include <memory>
#include <vector>

// A DVB event (ETSI EN 300 468 event information) as the host's EPG cache keeps it.
struct Descriptor {
    virtual ~Descriptor() = default;
};

struct ShortEventDescriptor : Descriptor {
    eString language = "eng";
    eString event_name;
    eString text;
};

class EITEvent {
public:
    int event_id = -1;
    time_t start_time = 0;
    int duration = 0; // seconds
    int running_status = -1;
    int free_CA_mode = -1;
    std::vector<std::unique_ptr<Descriptor>> descriptor; // owned

    EITEvent() = default;
    EITEvent(const EITEvent& o);
    EITEvent& operator=(const EITEvent& o);
};
