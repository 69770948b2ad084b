#include "host/service/eServiceInterface.h"

eServiceInterface* eServiceInterface::getInstance()
{
    static eServiceInterface instance;
    return &instance;
}

const eServiceInterface::Entry* eServiceInterface::find(const eServiceReference& ref) const
{
    for (const auto& e : m_entries)
        if (e.ref == ref)
            return &e;
    return nullptr;
}

void eServiceInterface::fillRecord(eService& record, const Entry& e)
{
    record.service_name = e.name;
    if (!record.dvb)
        record.dvb = new eServiceDVB;
    record.dvb->service_id = e.ref.data[1];
    record.dvb->transport_stream_id = e.ref.data[2];
    record.dvb->original_network_id = e.ref.data[3];
    record.dvb->service_type = e.ref.data[0];
    record.dvb->dvb_namespace = eDVBNamespace(e.ref.data[4]);
    record.dvb->service_provider = e.provider;
}

eService* eServiceInterface::addRef(const eServiceReference& ref)
{
    const Entry* e = find(ref);
    if (!e)
        return nullptr;
    Handed& h = m_handed[e->ref];
    if (!h.record) {
        h.record = std::make_unique<eService>();
        fillRecord(*h.record, *e);
    }
    ++h.uses;
    return h.record.get();
}

void eServiceInterface::removeRef(const eServiceReference& ref)
{
    const Entry* e = find(ref);
    if (!e)
        return;
    auto it = m_handed.find(e->ref);
    // Records stay allocated: callers may still hold the pointer of an earlier addRef.
    if (it != m_handed.end() && it->second.uses > 0)
        --it->second.uses;
}

int eServiceInterface::outstandingRefs() const
{
    int n = 0;
    for (const auto& kv : m_handed)
        n += kv.second.uses;
    return n;
}

void eServiceInterface::addService(const Entry& entry)
{
    for (auto& e : m_entries) {
        if (e.ref == entry.ref) {
            e = entry;
            // A caller may still hold the record from addRef: refresh it in place.
            auto it = m_handed.find(entry.ref);
            if (it != m_handed.end() && it->second.record)
                fillRecord(*it->second.record, e);
            return;
        }
    }
    m_entries.push_back(entry);
}

void eServiceInterface::addBouquet(const Bouquet& bouquet) { m_bouquets.push_back(bouquet); }

void eServiceInterface::clear()
{
    m_entries.clear();
    m_bouquets.clear();
    m_handed.clear();
    service = eServiceReference();
}
