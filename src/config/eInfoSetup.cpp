#include "config/eInfoSetup.h"
#include "config/ConfigFile.h"
#include "frame/globals.h"
#include "host/gfx/eSkin.h"
#include "host/gui/eButton.h"
#include "host/gui/eCheckbox.h"
#include "host/gui/eLabel.h"
#include "host/gui/eMessageBox.h"
#include "host/gui/eNumber.h"
#include "host/gui/eStatusBar.h"
#include "host/gui/eTextInputField.h"
#include "host/service/eServiceInterface.h"
#include "host/service/eZapMain.h"
#include "ui/eChanThemeSel.h"

#include <algorithm>
#include <clocale>
#include <libintl.h>
#include <vector>

namespace {
constexpr int kTuneFlags = 0x28;
constexpr int kClientWidth = 480;
constexpr int kClientHeight = 430;
constexpr int kNumberFlag = 1;
constexpr const char* kPathChars = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/";
constexpr int kMaxPathChars = 50;

// The name of the service the host knows for ref, or null when it knows none.
bool serviceName(const eServiceReference& ref, eString& name, eString* nsp = nullptr)
{
    eServiceInterface* services = eServiceInterface::getInstance();
    eService* record = services->addRef(ref);
    if (!record)
        return false;
    name = record->service_name;
    // Read before the record is released: it may not outlive removeRef.
    if (nsp && record->dvb)
        nsp->sprintf("%x", static_cast<unsigned>(record->dvb->dvb_namespace.get()));
    services->removeRef(ref);
    return true;
}
} // namespace

eInfoSetup::eInfoSetup() : eWindow(1)
{
    setText(" Setup/Info");
    cmove(ePoint(100, 90));
    cresize(eSize(kClientWidth, kClientHeight));
    const int w = getClientSize().width();
    const int h = getClientSize().height();
    // Positions follow the client area: x = w - 470 gives 10 at the usual width, and so on.
    auto at = [w, h](int x, int y) { return ePoint(w - (kClientWidth - x), h - (kClientHeight - y)); };

    auto number = [this](int value, int max, int digits, ePoint pos, const char* help, int width = 60) {
        eNumber* n = new eNumber(this, 1, 0, max, digits, &value, kNumberFlag, nullptr, 1, "eNumber");
        n->move(pos);
        n->resize(eSize(width, 30));
        n->setHelpText(help);
        n->loadDeco();
        return n;
    };
    auto label = [this](const char* text, ePoint pos, eSize size) {
        eLabel* l = new eLabel(this, 0, 0, "eLabel");
        l->move(pos);
        l->resize(size);
        l->setText(text);
        return l;
    };

    startOffsField = number(startOffs, 59, 2, at(10, 20), "Press OK and type start offset value in minutes.");
    startLabel = label("Timer Start Offset.", at(100, 23), eSize(280, 30));
    endOffsField = number(endOffs, 60, 2, at(10, 60), "Press OK and type end offset value in minutes.");
    endLabel = label("Timer End Offset.", at(100, 63), eSize(280, 30));
    // The field holds the magnitude; the sign box beside it holds the sign. Taken in
    // 64 bits and bound, so no setting can make it negate the smallest int.
    long long offset = localOffs;
    int magnitude = static_cast<int>(std::min<long long>(offset < 0 ? -offset : offset, kMaxLocalTimeOffset));
    // Five digits (UTC+14 is 50400 s) need a wider field; the sign box and label move aside.
    localOffsField = number(magnitude, kMaxLocalTimeOffset, 5, at(10, 120),
                            "Press OK and type local time offset value in seconds.", 80);
    localLabel = label("Local Time Offset (3600 > 1h)", at(123, 123), eSize(300, 30));

    signBox = new eCheckbox(this, 0, 1, false, "eCheckBox");
    signBox->move(at(93, 120));
    signBox->resize(eSize(20, 30));
    signBox->loadDeco();
    signBox->setCheck(localOffs < 0 ? 1 : 0);
    signBox->selected.connect(SigC::slot(*this, &eInfoSetup::checkLocal));
    checkLocal();

    pathLabel = label("Offline data path:", at(10, 175), eSize(300, 20));
    pathField = new eTextInputField(this, nullptr, nullptr, "eNumber");
    pathField->move(at(10, 200));
    pathField->resize(eSize(260, 35));
    pathField->setMaxChars(kMaxPathChars);
    pathField->setUseableChars(kPathChars);
    pathField->setText(offlinePath);
    pathField->setHelpText(" Press OK and type offline log data path.");
    pathField->loadDeco();

    offlineBox = new eCheckbox(this, offlinelog == 1 ? 1 : 0, 1, false, "eCheckBox");
    offlineBox->move(at(285, 203));
    offlineBox->resize(eSize(180, 30));
    offlineBox->setText("Use offline data.");
    offlineBox->loadDeco();
    offlineBox->selected.connect(SigC::slot(*this, &eInfoSetup::checkoffline));

    auto button = [this](const char* text, const char* key, ePoint pos, eSize size, const char* help) {
        eButton* b = new eButton(this, nullptr, 1, "eButton");
        b->move(pos);
        b->resize(size);
        b->setText(text);
        b->setShortcut(key);
        b->setShortcutPixmap(key);
        if (help)
            b->setHelpText(help);
        b->loadDeco();
        return b;
    };
    logButton = button("Log", "blue", at(10, 240), eSize(90, 30), "Start EPG log.");
    logButton->selected.connect(SigC::slot(*this, &eInfoSetup::loggaDati));
    filterButton = button("Filter", "yellow", at(180, 240), eSize(90, 30), "Set channels filter.");
    filterButton->selected.connect(SigC::slot(*this, &eInfoSetup::Filtro));
    serviceButton = button("", "red", at(10, 290), eSize(150, 30), "Change EPG channel");
    serviceButton->selected.connect(SigC::slot(*this, &eInfoSetup::showServiceSelector));
    saveButton = button("Save", "green", at(380, 290), eSize(90, 30), nullptr);
    saveButton->selected.connect(SigC::slot(*this, &eInfoSetup::SaveInfo));

    aboutLabel = label("Orvalis weekly programme guide\nFault reports: the project's issue tracker",
                       at(10, 330), eSize(460, 50));
    aboutLabel->setAlign(0);

    statusBar = new eStatusBar(this, "eStatusBar");
    statusBar->move(ePoint(0, h - 40));
    statusBar->resize(eSize(w, 40));
    statusBar->loadDeco();
    statusBar->setAlign(2);

    eString name;
    serviceButton->setText(serviceName(EPGService, name) ? name : eString("Unknown"));
    setFocus(startOffsField);
}

eInfoSetup::~eInfoSetup() = default;

void eInfoSetup::SaveInfo()
{
    startOffs = startOffsField->getNumber();
    endOffs = endOffsField->getNumber();
    localOffs = signBox->isChecked() ? -localOffsField->getNumber() : localOffsField->getNumber();
    offlinelog = offlineBox->isChecked() ? 1 : 0;
    offlinePath = pathField->getText();
    editcfg = true;
    if (offlinelog == 0 && EPGService != LastService && EPGService != eServiceInterface::getInstance()->service)
        tuneToEpgService();
    close(0);
}

bool eInfoSetup::tuneToEpgService()
{
    if (!EPGService.valid()) {
        // Tuning to the invalid reference would leave the receiver playing nothing.
        eMessageBox box("No EPG service is set.\nChoose it with the red button.", "Message:",
                        eMessageBox::btOK | eMessageBox::iconWarning, eMessageBox::btOK, 0);
        box.show();
        box.exec();
        box.hide();
        return false;
    }
    eZapMain::instance->playService(EPGService, kTuneFlags);
    return true;
}

void eInfoSetup::checkLocal()
{
    eString help;
    if (signBox->isChecked())
        help.sprintf("CurrValue=%d (for positive value UNcheck it.)", -localOffsField->getNumber());
    else
        help.sprintf("CurrValue=%d (for negative value check it.)", localOffsField->getNumber());
    signBox->setHelpText(help);
}

void eInfoSetup::showServiceSelector()
{
    // Left without choosing: the service being watched is not a choice.
    if (!eZapMain::instance->showServiceSelector(3, 1))
        return;
    const eServiceReference current = eServiceInterface::getInstance()->service;
    eString name, nsp = nsp_curr;
    if (!serviceName(current, name, &nsp)) {
        serviceButton->setText(eString(dcgettext(nullptr, "unknown", LC_MESSAGES)));
    } else {
        serviceButton->setText(name);
        EPGService = current;
        nsp_curr = nsp;
        editcfg = true;
    }
    readThCh = false;
}

void eInfoSetup::Filtro()
{
    std::vector<eString> before(channFilter, channFilter + kMaxChannels);
    isFilter = true;
    hide();
    {
        eChanThemeSel filter;
        filter.show();
        filter.exec();
        filter.hide();
    }
    show();
    isFilter = false;
    // A changed filter must reach the configuration file even when nothing else changed.
    if (!std::equal(before.begin(), before.end(), channFilter))
        editcfg = true;
}
