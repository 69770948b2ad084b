#pragma once
#include "host/gui/eWindow.h"

class eButton;
class eCheckbox;
class eLabel;
class eNumber;
class eStatusBar;
class eTextInputField;
namespace offline {
class LogFileSet;
}

// The setup dialog: timer margins, local time offset and its sign, the offline
// path and mode, the EPG service, the channel filter, Save, and the offline
// logging run (Log). Field edits reach the settings only through Save.
class eInfoSetup : public eWindow {
public:
    eInfoSetup();
    ~eInfoSetup() override;

    // The logging run of the Log button and the "Use offline data." action.
    void loggaDati();
    void checkoffline();

    // The offline writers: 0 when their files are complete, -1 otherwise. Each
    // writes to the temporary names of the run; loggaDati puts them in place.
    int loggaCanaliTemi();
    int loggaTitoli();
    int loggaTrame();

private:
    void SaveInfo();
    void checkLocal();
    void Filtro();
    void showServiceSelector();
    void setStatus(const char* text, const char* background);
    // Tunes to the EPG service; with none set, tells the user so instead and returns false.
    bool tuneToEpgService();

    eTextInputField* pathField;
    eNumber* localOffsField;
    eNumber* startOffsField;
    eNumber* endOffsField;
    eLabel* startLabel;
    eLabel* endLabel;
    eLabel* localLabel;
    eLabel* aboutLabel;
    eLabel* pathLabel;
    eCheckbox* signBox;
    eCheckbox* offlineBox;
    eButton* saveButton;
    eButton* logButton;
    eButton* filterButton;
    eButton* serviceButton;
    eStatusBar* statusBar;
    offline::LogFileSet* m_run = nullptr; // the files of the logging run in progress
};
