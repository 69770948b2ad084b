#pragma once
#include "host/service/eService.h"
#include "host/service/eServiceReference.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// The receiver's service database and the service now playing.
class eServiceInterface {
public:
    static eServiceInterface* getInstance();

    eServiceReference service; // the service now playing

    // The record of a known service, or null. Counted: removeRef releases one use.
    eService* addRef(const eServiceReference& ref);
    void removeRef(const eServiceReference& ref);

    // Box side: filling the database.
    struct Entry {
        eServiceReference ref;
        eString name;
        eString provider;
        int transponder = -1; // index of the transport stream carrying it, -1 for none
    };
    struct Bouquet {
        eString name;
        std::vector<eServiceReference> services;
    };
    void addService(const Entry& entry);
    void addBouquet(const Bouquet& bouquet);
    void clear();
    const Entry* find(const eServiceReference& ref) const;
    const std::vector<Entry>& services() const { return m_entries; }
    const std::vector<Bouquet>& bouquets() const { return m_bouquets; }
    int outstandingRefs() const; // records handed out and not released

private:
    static void fillRecord(eService& record, const Entry& entry);

    std::vector<Entry> m_entries;
    std::vector<Bouquet> m_bouquets;
    struct Handed {
        std::unique_ptr<eService> record;
        int uses = 0;
    };
    std::map<eServiceReference, Handed> m_handed;
};
