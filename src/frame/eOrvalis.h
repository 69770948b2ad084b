#pragma once
#include "host/gui/eWindow.h"

class eButton;
class eLabel;
class eStatusBar;

// The main window: key legends for the four views, today's date, the Setup
// button. Opening loads the settings and tunes to the EPG service; the exit key
// tunes back and saves changed settings.
class eOrvalis : public eWindow {
public:
    eOrvalis();
    ~eOrvalis() override;
    int eventHandler(const eWidgetEvent& event) override;

private:
    void setup();
    void findThemes();
    void findChannels();
    void findBouquets();
    void findPrograms();
    void showTimerList();
    void leave();
    // Reads the channel and theme tables unless they are already held; the reader's code.
    int readTables();
    void reportTableError(int result, bool themes);
    // Reads the tables and reports a failure; true when a view may open.
    bool tablesReady(bool themes);

    eButton* setupButton;
    eLabel* themesLabel;
    eLabel* channelsLabel;
    eLabel* bouquetsLabel;
    eLabel* searchLabel;
    eLabel* dateLabel;
    eStatusBar* statusBar;
};
