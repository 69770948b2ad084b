#include "host/service/EITEvent.h"

EITEvent::EITEvent(const EITEvent& o) { *this = o; }

EITEvent& EITEvent::operator=(const EITEvent& o)
{
    if (this == &o)
        return *this;
    event_id = o.event_id;
    start_time = o.start_time;
    duration = o.duration;
    running_status = o.running_status;
    free_CA_mode = o.free_CA_mode;
    descriptor.clear();
    for (const auto& d : o.descriptor)
        if (auto* s = dynamic_cast<const ShortEventDescriptor*>(d.get()))
            descriptor.push_back(std::make_unique<ShortEventDescriptor>(*s));
    return *this;
}
