#pragma once
#include "host/gui/eWindow.h"

class eButton;
class eCheckbox;
class eComboBox;
class eLabel;
class eListBoxEntryText;
class eStatusBar;
class eTextInputField;

// The search window: a text to look for in the week's titles, and the last texts
// searched for. Start opens the programme list in search mode.
class eSearch : public eWindow {
public:
    eSearch();
    ~eSearch() override;

private:
    void gosearch();
    void message();
    void favChanged(eListBoxEntryText* entry);
    void focusChanged(const eWidget* widget);
    void fillCombo();
    // Runs the programme list window in search mode.
    void runList();

    eTextInputField* inputField;
    eCheckbox* titlesCheck;
    eCheckbox* summariesCheck;
    eStatusBar* statusBar;
    eLabel* lastSearchCaption;
    eButton* startButton;
    eComboBox* combofav;
};

// Stores a new search text in lastSearch and returns its index. With the table full
// the oldest text is dropped and the others move down one place.
int rememberSearch(const eString& text);
