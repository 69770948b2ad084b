#include "ui/eSearch.h"
#include "frame/globals.h"
#include "host/gfx/eSkin.h"
#include "host/gui/eButton.h"
#include "host/gui/eCheckbox.h"
#include "host/gui/eComboBox.h"
#include "host/gui/eLabel.h"
#include "host/gui/eMessageBox.h"
#include "host/gui/eStatusBar.h"
#include "host/gui/eTextInputField.h"
#include "ui/eChanProgramSel.h"

#include <cstdint>

namespace {
void* keyOf(int k) { return reinterpret_cast<void*>(static_cast<intptr_t>(k)); }

gColor red() { return eSkin::getActive()->queryColor("std_dred"); }

void inform(const char* text, const char* caption)
{
    eMessageBox box(text, caption, eMessageBox::btOK | eMessageBox::iconInfo, eMessageBox::btOK, 0);
    box.show();
    box.exec();
    box.hide();
}

eCheckbox* checkBox(eWidget* parent, int y, const char* text, const char* help)
{
    eCheckbox* c = new eCheckbox(parent, 0, 1, false, "eCheckBox");
    c->move(ePoint(10, y));
    c->resize(eSize(220, 30));
    c->setText(text);
    c->setHelpText(help);
    return c;
}
} // namespace

int rememberSearch(const eString& text)
{
    if (nb_search < 0)
        nb_search = 0;
    if (nb_search >= kMaxSearches) {
        for (int k = 1; k < kMaxSearches; ++k)
            lastSearch[k - 1] = lastSearch[k];
        nb_search = kMaxSearches - 1;
    }
    lastSearch[nb_search] = text;
    return nb_search++;
}

eSearch::eSearch() : eWindow(0)
{
    setText(" Programs search:");
    cmove(ePoint(100, 100));
    cresize(eSize(520, 250));
    const int W = getClientSize().width();
    const int H = getClientSize().height();

    inputField = new eTextInputField(this, nullptr, nullptr, "eNumber");
    inputField->move(ePoint(10, 10));
    inputField->resize(eSize(W - 20, 35));
    inputField->setHelpText(" Press OK and insert search string.");
    inputField->setMaxChars(50);
    inputField->setText("");
    // Letters, digits and the blank between words ("news flash").
    inputField->setUseableChars("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ");
    inputField->loadDeco();

    startButton = new eButton(this, nullptr, 1, "eButton");
    startButton->move(ePoint(W - 110, H - 190));
    startButton->resize(eSize(100, 30));
    startButton->setShortcut("green");
    startButton->setShortcutPixmap("green");
    startButton->setHelpText(" Search");
    startButton->setText("Start");
    startButton->loadDeco();
    startButton->selected.connect(SigC::slot(*this, &eSearch::gosearch));

    titlesCheck = checkBox(this, 50, "search in titles", " Find string in Titles.");
    titlesCheck->setCheck(1);
    summariesCheck = checkBox(this, 80, "search in summaries", " Find string in Summaries.");
    summariesCheck->selected.connect(SigC::slot(*this, &eSearch::message));

    combofav = new eComboBox(this, 8, nullptr, 1, "eComboBox");
    combofav->move(ePoint(W - 210, H - 100));
    combofav->resize(eSize(200, 35));
    combofav->setShortcut("red");
    combofav->setName("combofav");
    combofav->setBackgroundColor(red());
    combofav->loadDeco();

    lastSearchCaption = new eLabel(this, 0, 0, "eLabel");
    lastSearchCaption->move(ePoint(W - 325, H - 100));
    lastSearchCaption->resize(eSize(110, 35));
    lastSearchCaption->setText("LastSearch:");
    lastSearchCaption->setFlags(0x40);
    // In the default font the caption wraps inside its 110 pixels.
    lastSearchCaption->setFont(eSkin::getActive()->queryFont("epg.description"));
    lastSearchCaption->loadDeco();

    statusBar = new eStatusBar(this, "eStatusBar");
    statusBar->move(ePoint(0, H - 50));
    statusBar->resize(eSize(W, 50));
    statusBar->loadDeco();

    fillCombo();
    combofav->hide();
    combofav->selchanged.connect(SigC::slot(*this, &eSearch::favChanged));
    lastSearchCaption->hide();
    if (combofav->getCount() > 0) {
        combofav->show();
        lastSearchCaption->show();
    }
    setFocus(inputField);
    eWidget::focusChanged.connect(SigC::slot(*this, &eSearch::focusChanged));
}

eSearch::~eSearch() = default;

void eSearch::fillCombo()
{
    combofav->clear();
    for (int k = 0; k < nb_search && k < kMaxSearches; ++k) {
        combofav->addEntry(lastSearch[k], keyOf(k));
        combofav->setCurrent(k);
    }
}

void eSearch::gosearch()
{
    searchString = inputField->getText();
    searchString.upper();
    FilterSearch = 3;
    if (searchString.empty()) {
        inform("Insert a string and push go! button.", "Empty string:");
        return;
    }
    hide();
    bool known = false;
    for (int k = 0; k < nb_search && k < kMaxSearches; ++k) {
        lastSearch[k].upper();
        if (lastSearch[k] == searchString) {
            combofav->setCurrent(k);
            known = true;
        }
    }
    if (!known) {
        const bool full = nb_search >= kMaxSearches;
        const int k = rememberSearch(searchString);
        editcfg = true;
        // Dropping the oldest text renumbers the others, and the keys are their places.
        if (full)
            fillCombo();
        else
            combofav->addEntry(searchString, keyOf(k));
        combofav->setCurrent(k);
        combofav->show();
        lastSearchCaption->show();
    }
    runList();
    show();
    setFocus(inputField);
    combofav->setBackgroundColor(red());
}

void eSearch::message()
{
    inform("Search in summaries not implemented yet!", "Message:");
    summariesCheck->setCheck(0);
}

void eSearch::favChanged(eListBoxEntryText* entry)
{
    if (!entry)
        return;
    if (eListBoxEntryText* current = combofav->getCurrent())
        inputField->setText(current->getText());
    setFocus(startButton);
    combofav->setBackgroundColor(red());
}

void eSearch::focusChanged(const eWidget* widget)
{
    if (widget && widget->getName() != "combofav")
        combofav->setBackgroundColor(red());
}

void eSearch::runList()
{
    eChanProgramSel list;
    list.show();
    list.exec();
    list.hide();
}
