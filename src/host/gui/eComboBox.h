#pragma once
#include "host/gui/eButton.h"
#include "host/gui/eListBox.h"
#include "host/gui/eListBoxEntryText.h"

class eWindow;

// Shows its current entry; OK opens a popup list of openEntries rows in which OK
// picks and exit cancels. Left/right step through the entries without opening.
class eComboBox : public eButton {
public:
    eComboBox(eWidget* parent, int openEntries = 5, eLabel* descr = nullptr, int takefocus = 1,
              const char* deco = "eComboBox");
    ~eComboBox() override;

    eListBox<eListBoxEntryText>* getListBox() const { return m_list; }
    eListBoxEntryText* addEntry(const eString& text, void* key = nullptr);
    // Makes the entry with this key current (no signal); 0 when found, -1 otherwise.
    int setCurrent(int key);
    int setCurrent(const eListBoxEntryText* entry, bool sendSignal = false);
    eListBoxEntryText* getCurrent() const;
    int getCount() const { return m_list->getCount(); }
    void clear();
    bool isOpen() const { return m_open; }
    int getOpenEntries() const { return m_openEntries; }

    SigC::Signal1<void, eListBoxEntryText*> selchanged;

    int eventHandler(const eWidgetEvent& event) override;
    void activate() override;
    void redrawWidget(gPainter* painter, const eRect& area) override;
    void describe(host::JsonWriter& out) const override;

protected:
    const eString& displayText() const override;

private:
    void openPopup();
    void picked(eListBoxEntryText* entry);
    void step(int delta);

    eWindow* m_popup;
    eListBox<eListBoxEntryText>* m_list;
    int m_openEntries;
    bool m_open = false;
    eString m_laidOut; // the text the cached layout shows
};
