#pragma once
#include "host/gui/eListBox.h"
#include "host/gui/eListBoxEntryText.h"
#include "host/gui/eWindow.h"
#include "host/service/eServiceReference.h"

class eComboBox;
class eListBoxEntryText;

// The bouquet service selector: a bouquet (blue steps through them, or the
// combo), its services below; OK on a service closes with 0 and chosen() is it.
class eServiceSelector : public eWindow {
public:
    eServiceSelector();
    ~eServiceSelector() override;
    const eServiceReference& chosen() const { return m_chosen; }

private:
    void fillServices(int bouquet);
    void bouquetChanged(eListBoxEntryText* entry);
    void serviceSelected(eListBoxEntryText* entry);

    eComboBox* m_bouquets;
    eListBox<eListBoxEntryText>* m_services;
    eServiceReference m_chosen;
};
