#include "frame/eOrvalis.h"
#include "broadcast/getCanaliTemi.h"
#include "config/ConfigFile.h"
#include "config/eInfoSetup.h"
#include "frame/globals.h"
#include "host/gfx/eSkin.h"
#include "host/gui/eButton.h"
#include "host/gui/eLabel.h"
#include "host/gui/eMessageBox.h"
#include "host/gui/eStatusBar.h"
#include "host/service/eEPGCache.h"
#include "host/service/eServiceInterface.h"
#include "host/service/eSystemInfo.h"
#include "host/service/eTimerEditView.h"
#include "host/service/eTimerListView.h"
#include "host/service/eZapMain.h"
#include "offline/ChannelThemeFiles.h"
#include "ui/eChanProgramSel.h"
#include "ui/eChanThemeSel.h"
#include "ui/eSearch.h"

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <ctime>
#include <libintl.h>

namespace {
constexpr int kTuneFlags = 0x28;
constexpr int kAlignCentre = 2;
constexpr int kVerticallyCentred = 0x40;
} // namespace

eOrvalis::eOrvalis() : eWindow(1)
{
    LoadCfg();
    LastService = eServiceInterface::getInstance()->service;
    // An unset EPG service is not worth a tuning request.
    if (offlinelog == 0 && EPGService.valid() && EPGService != LastService)
        eZapMain::instance->playService(EPGService, kTuneFlags);
    CurrentTime();

    addActionMap(&i_shortcutActions->map);
    addActionMap(&i_cursorActions->map);

    setText(" Orvalis");
    cmove(ePoint(200, 120));
    cresize(eSize(320, 320));
    const int width = getClientSize().width();
    const int height = getClientSize().height();

    struct Legend {
        eLabel** label;
        const char* text;
        const char* colour;
    } legends[] = {
        {&themesLabel, "Themes", "std_dred"},
        {&channelsLabel, "Channels", "std_dgreen"},
        {&bouquetsLabel, "Bouquets", "std_dyellow"},
        {&searchLabel, "Search", "std_dblue"},
    };
    int y = 10;
    for (auto& l : legends) {
        eLabel* label = new eLabel(this, 0, 0, "eLabel");
        label->move(ePoint(10, y));
        label->resize(eSize(width - 20, 40));
        label->loadDeco();
        label->setText(l.text);
        label->setBackgroundColor(eSkin::getActive()->queryColor(l.colour));
        label->setAlign(kAlignCentre);
        label->setFlags(kVerticallyCentred);
        *l.label = label;
        y += 45;
    }

    dateLabel = new eLabel(this);
    dateLabel->move(ePoint(0, 190));
    dateLabel->resize(eSize(width, 30));
    eString date;
    dateLabel->setText(date.sprintf("%s", datattuale));
    dateLabel->setAlign(kAlignCentre);
    dateLabel->setFlags(kVerticallyCentred);

    setupButton = new eButton(this, nullptr, 1, "eButton");
    setupButton->move(ePoint(0, 225));
    setupButton->resize(eSize(width, 30));
    setupButton->setText("Setup");
    setupButton->loadDeco();
    setupButton->setHelpText("Orvalis setup");
    setupButton->selected.connect(SigC::slot(*this, &eOrvalis::setup));

    statusBar = new eStatusBar(this, "eStatusBar");
    statusBar->move(ePoint(0, height - 40));
    statusBar->resize(eSize(width, 40));
    statusBar->loadDeco();
    statusBar->setAlign(kAlignCentre);
}

eOrvalis::~eOrvalis() = default;

int eOrvalis::eventHandler(const eWidgetEvent& event)
{
    if (event.type == eWidgetEvent::evtAction) {
        if (event.action == &i_shortcutActions->red)
            findThemes();
        else if (event.action == &i_shortcutActions->green)
            findChannels();
        else if (event.action == &i_shortcutActions->yellow)
            findBouquets();
        else if (event.action == &i_shortcutActions->blue)
            findPrograms();
        else if (event.action == &i_shortcutActions->number0)
            showTimerList();
        else if (event.action == &i_cursorActions->cancel)
            leave();
    }
    return eWindow::eventHandler(event);
}

void eOrvalis::leave()
{
    if (eServiceInterface::getInstance()->service != LastService)
        eZapMain::instance->playService(LastService, kTuneFlags);
    std::string why;
    if (editcfg && !WriteCfg(&why)) {
        // Said while the window is still there: the user must not leave believing the settings were kept.
        eString text = "The settings could not be saved (" + eString(why) + ").\nThe previous settings file is kept.";
        eMessageBox box(text, "Message:", eMessageBox::btOK | eMessageBox::iconError, eMessageBox::btOK, 0);
        box.show();
        box.exec();
        box.hide();
    }
    close(0);
}

void eOrvalis::showTimerList()
{
    hide();
    {
        eTimerListView timers;
        timers.show();
        timers.exec();
        timers.hide();
    }
    show();
}

int eOrvalis::readTables()
{
    if (readThCh)
        return 0;
    return offlinelog == 1 ? getCanaliTemiOff() : getCanaliTemi();
}

void eOrvalis::reportTableError(int result, bool themes)
{
    const char* text = "";
    switch (result) {
    case -1:
        text = "Can't open DEMUX device.";
        break;
    case -2:
        // With no EPG channel set, the box found no service that sends the tables.
        if (!EPGService.valid())
            text = "The stream carries no guide.\nSet the EPG channel in Setup.";
        else
            text = themes ? "Themes not found.\nCheck EPG channel." : "Channels not found.\nCheck EPG channel.";
        break;
    case -3:
        text = themes ? "Themes data file not found.\nUpdate EPG." : "Channels data file not found.\nUpdate EPG.";
        break;
    }
    int icon = themes ? eMessageBox::iconError : eMessageBox::iconWarning;
    eMessageBox box(text, "LOG Error:", eMessageBox::btOK | icon, eMessageBox::btOK, 0);
    box.show();
    box.exec();
    box.hide();
}

bool eOrvalis::tablesReady(bool themes)
{
    int r = readTables();
    if (r < 0)
        reportTableError(r, themes);
    return r == 0;
}

void eOrvalis::findThemes()
{
    if (!tablesReady(true))
        return;
    FilterSearch = 0;
    hide();
    {
        eChanThemeSel themes;
        themes.show();
        themes.exec();
        themes.hide();
    }
    show();
}

void eOrvalis::findChannels()
{
    if (!tablesReady(false))
        return;
    FilterSearch = 1;
    hide();
    {
        eChanProgramSel channels;
        channels.show();
        channels.exec();
        channels.hide();
    }
    show();
}

void eOrvalis::findBouquets()
{
    hide();
    eZapMain::instance->showServiceSelector(3, 1);
    auto* si = eServiceInterface::getInstance();
    const eServiceReference chosen = si->service;
    eString description = dcgettext(nullptr, "no description is available", LC_MESSAGES);
    if (eService* record = si->addRef(chosen)) {
        const eString serviceName = record->service_name;
        si->removeRef(chosen);
        // The timer runs from now to the end of the running event. Without one the
        // editor still opens, with no length: the user chose the service to set a timer
        // on it and gives the length himself (the editor refuses a timer without one).
        time_t now = timeSource();
        struct tm local;
        localtime_r(&now, &local);
        const time_t start = mktime(&local);
        int duration = 0;
        if (EITEvent* event = eEPGCache::instance->lookupEvent(chosen, 0, false)) {
            eString shortText;
            LocalEventData().getLocalData(event, &description, &shortText, nullptr);
            if (!shortText.empty() && shortText != description)
                description += " - " + shortText;
            // In whole minutes, as the editor keeps it, up to the event's end.
            const int64_t end = static_cast<int64_t>(event->start_time) + event->duration;
            const int64_t left = std::clamp<int64_t>(end - start, 0, event->duration);
            duration = static_cast<int>((left + 59) / 60 * 60);
            delete event;
        }

        eServiceReference reference = chosen;
        reference.setDescription(serviceName + "/" + description);
        EITEvent proposal;
        proposal.event_id = -1;
        proposal.start_time = start;
        proposal.duration = duration;
        proposal.running_status = -1;
        proposal.free_CA_mode = -1;
        eTimerEditView editor(proposal, eSystemInfo::getInstance()->getDefaultTimerType(), reference);
        editor.show();
        editor.exec();
        editor.hide();
    }
    show();
}

void eOrvalis::findPrograms()
{
    readTables();
    FilterSearch = 3;
    hide();
    {
        eSearch search;
        search.show();
        search.exec();
        search.hide();
    }
    show();
}

void eOrvalis::setup()
{
    hide();
    {
        eInfoSetup dialog;
        dialog.show();
        dialog.exec();
        dialog.hide();
    }
    show();
}
