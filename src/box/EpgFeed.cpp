#include "box/EpgFeed.h"

#include "demux/Transponders.h"
#include "host/service/BoxClock.h"
#include "host/service/eEPGCache.h"

namespace box {

void putIntoEpgCache(const scan::EventSection& s, std::optional<time_t> receivedAt)
{
    eEPGCache::Section section;
    section.tableId = s.key.tableId;
    section.sid = s.key.sid;
    section.tsid = s.key.tsid;
    section.onid = s.key.onid;
    section.version = s.version;
    section.sectionNumber = s.sectionNumber;
    for (const auto& info : s.events) {
        EITEvent e;
        e.event_id = info.eventId;
        e.start_time = time_t(info.start);
        e.duration = int(info.duration);
        e.running_status = info.runningStatus;
        e.free_CA_mode = info.freeCa ? 1 : 0;
        for (const auto& t : info.texts) {
            auto d = std::make_unique<ShortEventDescriptor>();
            d->language = t.language;
            d->event_name = t.name;
            d->text = t.text;
            e.descriptor.push_back(std::move(d));
        }
        section.events.push_back(std::move(e));
    }
    eEPGCache::instance->putSection(section, receivedAt);
}

EpgFeed::EpgFeed(demux::Transponders& transponders)
    : m_transponders(&transponders),
      m_collector([](const scan::EventSection& s) { putIntoEpgCache(s); },
                  [this](int64_t utc) { host::BoxClock::instance().streamTimeSeen(time_t(utc), m_now); })
{
    m_transponders->attach(this);
    // Between two TDT/TOT the box's clock runs with the stream's.
    host::BoxClock::instance().setStreamClock([this] { return m_now; });
}

EpgFeed::~EpgFeed()
{
    host::BoxClock::instance().setStreamClock({});
    if (m_transponders)
        m_transponders->detach(this);
}

void EpgFeed::transpondersGone()
{
    m_transponders = nullptr;
}

} // namespace box
