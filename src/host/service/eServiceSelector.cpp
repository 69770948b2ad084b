#include "host/service/eServiceSelector.h"
#include "host/gfx/eSkin.h"
#include "host/gui/eComboBox.h"
#include "host/service/eServiceInterface.h"

#include <cstdint>

namespace {
void* keyOf(size_t i) { return reinterpret_cast<void*>(static_cast<uintptr_t>(i)); }
size_t indexOf(void* key) { return static_cast<size_t>(reinterpret_cast<uintptr_t>(key)); }
} // namespace

eServiceSelector::eServiceSelector() : eWindow(1)
{
    setText(" Services");
    cmove(ePoint(150, 90));
    cresize(eSize(420, 400));

    m_bouquets = new eComboBox(this, 6, nullptr, 1, "eComboBox");
    m_bouquets->setName("bouquets");
    m_bouquets->move(ePoint(10, 10));
    m_bouquets->resize(eSize(400, 35));
    m_bouquets->setShortcut("blue");
    m_bouquets->loadDeco();
    m_bouquets->setHelpText("Bouquet (blue)");

    m_services = new eListBox<eListBoxEntryText>(this);
    m_services->setName("services");
    m_services->move(ePoint(10, 55));
    m_services->resize(eSize(400, 335));
    m_services->loadDeco();
    m_services->selected.connect(SigC::slot(*this, &eServiceSelector::serviceSelected));

    auto* si = eServiceInterface::getInstance();
    const auto& bouquets = si->bouquets();
    int current = 0;
    for (size_t b = 0; b < bouquets.size(); ++b) {
        m_bouquets->addEntry(bouquets[b].name, keyOf(b));
        for (const auto& ref : bouquets[b].services)
            if (ref == si->service && current == 0)
                current = static_cast<int>(b);
    }
    if (!bouquets.empty()) {
        m_bouquets->setCurrent(current);
        fillServices(current);
    }
    m_bouquets->selchanged.connect(SigC::slot(*this, &eServiceSelector::bouquetChanged));
    setFocus(m_services);
}

eServiceSelector::~eServiceSelector() = default;

void eServiceSelector::fillServices(int bouquet)
{
    auto* si = eServiceInterface::getInstance();
    const auto& services = si->bouquets()[static_cast<size_t>(bouquet)].services;
    m_services->beginAtomic();
    m_services->clearList();
    eListBoxEntryText* playing = nullptr;
    for (size_t i = 0; i < services.size(); ++i) {
        const auto* entry = si->find(services[i]);
        auto* row = new eListBoxEntryText(m_services, entry ? entry->name : services[i].toString(), keyOf(i));
        if (services[i] == si->service)
            playing = row;
    }
    m_services->endAtomic();
    if (playing)
        m_services->setCurrent(playing);
}

void eServiceSelector::bouquetChanged(eListBoxEntryText* entry)
{
    if (entry)
        fillServices(static_cast<int>(indexOf(entry->getKey())));
    setFocus(m_services);
}

void eServiceSelector::serviceSelected(eListBoxEntryText* entry)
{
    if (!entry)
        return;
    eListBoxEntryText* bouquet = m_bouquets->getCurrent();
    if (!bouquet)
        return;
    const auto& services = eServiceInterface::getInstance()->bouquets()[indexOf(bouquet->getKey())].services;
    m_chosen = services[indexOf(entry->getKey())];
    close(0);
}
