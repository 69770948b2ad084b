#include "ui/eChanThemeSel.h"
#include "broadcast/getCanaliTemi.h"
#include "offline/ChannelThemeFiles.h"
#include "frame/globals.h"
#include "host/gui/eButton.h"
#include "host/gui/eListBox.h"
#include "host/service/eTimerListView.h"
#include "ui/RowText.h"
#include "ui/eChanProgramSel.h"
#include "ui/eListBoxEntryMck.h"
#include "ui/eListBoxLista.h"

#include <algorithm>
#include <cstdint>

eChanThemeSel::eChanThemeSel() : eWindow(1)
{
    addActionMap(&i_shortcutActions->map);
    addActionMap(&i_cursorActions->map);
    setText(" EPG Themes");
    move(ePoint(100, 100));
    if (!isFilter) {
        cresize(eSize(300, 300));
        const eSize client = getClientSize();
        themeList = new eListBox<eListBoxLista>(this, nullptr, 1, eListBoxLista::getEntryHeight(), "eListBox");
        themeList->setName("eventh");
        themeList->move(ePoint(10, 10));
        themeList->resize(eSize(client.width() - 20, client.height() - 10));
        themeList->loadDeco();
        themeList->selected.connect(SigC::slot(*this, &eChanThemeSel::entrySelected));
        fillThemes();
        setFocus(themeList);
        return;
    }
    cresize(eSize(300, 380));
    const eSize client = getClientSize();
    filterList = new eListBox<eListBoxEntryMck>(this, nullptr, 1, 0, "eListBox");
    filterList->setName("eventsi");
    filterList->move(ePoint(10, 10));
    filterList->resize(eSize(client.width() - 20, client.height() - 60));
    filterList->loadDeco();
    // Bound before any row exists, so this runs before a row toggles its own tick.
    filterList->selected.connect(SigC::slot(*this, &eChanThemeSel::entryChecked));
    setText(" Channels Filter");
    ok = new eButton(this, nullptr, 1, "eButton");
    ok->move(ePoint(client.width() - 110, client.height() - 45));
    ok->resize(eSize(100, 35));
    ok->setText("Ok");
    ok->setShortcut("green");
    ok->setShortcutPixmap("green");
    ok->loadDeco();
    ok->selected.connect(SigC::slot(*this, &eWidget::accept));
    // The result is not examined: the list shows whatever the tables hold.
    if (!readThCh) {
        if (offlinelog == 1)
            getCanaliTemiOff();
        else
            getCanaliTemi();
    }
    fillFilterChannels();
    setFocus(filterList);
}

eChanThemeSel::~eChanThemeSel() = default;

void eChanThemeSel::fillThemes()
{
    themeList->beginAtomic();
    themeList->clearList();
    for (int g = 0; g < nb_themes; ++g) {
        const int slot = (g % kThemeGroups) * kGroupSlots;
        eString name;
        name.sprintf("%.16s", temalist[slot].name);
        new eListBoxLista(themeList, name, slot, nullService);
    }
    themeList->endAtomic();
}

void eChanThemeSel::fillFilterChannels()
{
    filterList->beginAtomic();
    filterList->clearList();
    const int n = std::min(nb_channels, kMaxChannels);
    for (int i = 0; i < n; ++i) {
        eString name = ui::serviceName(channel_paths[i]);
        if (name.empty())
            name = "undefined";
        auto* row = new eListBoxEntryMck(filterList, name, reinterpret_cast<void*>(static_cast<intptr_t>(i)), 0,
                                         eString(), 0);
        row->setCheck(channFilter[i] == "1");
    }
    filterList->endAtomic();
}

void eChanThemeSel::entryChecked(eListBoxEntryMck* row)
{
    if (!row) {
        reject();
        return;
    }
    const intptr_t k = reinterpret_cast<intptr_t>(row->getKey());
    if (k >= 0 && k < kMaxChannels)
        channFilter[k] = row->checkState ? "0" : "1"; // the row flips its tick right after this
}

void eChanThemeSel::entrySelected(eListBoxLista* row)
{
    if (!row)
        return;
    const int s = row->id;
    ItemSelect = s;
    selService = row->service;
    startTh = s;
    // A count the table cannot hold never widens the range past the theme's group.
    const int room = std::min(kGroupSlots, kThemeRecords - s);
    endTh = s + std::max(1, std::min(temalist[s].count, room)) - 1;
    hide();
    {
        eChanProgramSel programmes;
        programmes.show();
        programmes.exec();
        programmes.hide();
        show();
        setFocus(themeList);
    }
}

int eChanThemeSel::eventHandler(const eWidgetEvent& event)
{
    if (event.type == eWidgetEvent::evtAction && event.action == &i_shortcutActions->number0) {
        hide();
        {
            eTimerListView timers;
            timers.show();
            timers.exec();
            timers.hide();
            show();
        }
        return 1;
    }
    return eWindow::eventHandler(event);
}
