#pragma once
#include "host/gui/eWindow.h"

class eButton;
class eListBoxEntryMck;
class eListBoxLista;
template <class T> class eListBox;

// Two windows in one, chosen by isFilter at construction:
//  theme mode (0): the broadcaster's themes; OK opens the programme list for a theme
//                  and all its sub-themes;
//  filter mode (1): every channel of the table with a tick; OK flips the tick and
//                  channFilter at once.
class eChanThemeSel : public eWindow {
public:
    eChanThemeSel();
    ~eChanThemeSel() override;

    void fillThemes();
    void fillFilterChannels();
    void entrySelected(eListBoxLista* row);
    void entryChecked(eListBoxEntryMck* row);
    int eventHandler(const eWidgetEvent& event) override;

    eButton* ok = nullptr;                           // filter mode only
    eListBox<eListBoxEntryMck>* filterList = nullptr; // filter mode only
    eListBox<eListBoxLista>* themeList = nullptr;     // theme mode only
};
