// The setup dialog's offline logging run and its offline check box.
#include "config/eInfoSetup.h"
#include "frame/globals.h"
#include "host/gfx/eSkin.h"
#include "host/gui/eCheckbox.h"
#include "host/gui/eMessageBox.h"
#include "host/gui/eStatusBar.h"
#include "host/gui/eTextInputField.h"
#include "host/platform/DeviceRegistry.h"
#include "host/service/eServiceInterface.h"
#include "host/service/eZapMain.h"
#include "offline/ChannelThemeFiles.h"
#include "offline/LogFileSet.h"
#include "offline/SummariesFile.h"
#include "offline/TitlesFile.h"

#include <algorithm>
#include <unistd.h>

namespace {
constexpr int kTuneFlags = 0x28;

// The plug-in's debug print: it prints nothing.
void eDebug(const char*) {}

// What the writers change that describes the files: restored when the run's files are not put in place.
struct FileFigures {
    int positions[8];
    int titles;
    int summaries;
    void save()
    {
        std::copy(sizeposition, sizeposition + 8, positions);
        titles = nb_titles;
        summaries = nb_summaries;
    }
    void restore() const
    {
        std::copy(positions, positions + 8, sizeposition);
        nb_titles = titles;
        nb_summaries = summaries;
    }
};
} // namespace

void eInfoSetup::setStatus(const char* text, const char* background)
{
    eSkin* skin = eSkin::getActive();
    statusBar->setBackgroundColor(skin->queryColor(background));
    statusBar->setForegroundColor(skin->queryColor("std_white"));
    eString s;
    statusBar->setText(s.sprintf("%s", text));
}

void eInfoSetup::loggaDati()
{
    offlinePath = offline::withTrailingSlash(pathField->getText());
    const std::string dir = offlinePath;

    if (!offline::offlineDirectoryExists(dir)) {
        eString text;
        setStatus(text.sprintf("Creating directory: %s", dir.c_str()).c_str(), "std_dblue");
        bool made = offline::makeOfflineDirectory(dir);
        // The pause blocks the GUI thread: let the screen show the text first.
        host::runBlockingHook();
        sleep(2);
        // Green says the folder is there; a failure stays on red, and the run reports it after the question.
        if (made)
            setStatus(dir.c_str(), "std_green");
        else
            setStatus(text.sprintf("Cannot create directory: %s", dir.c_str()).c_str(), "std_dred");
    }

    if (EPGService != LastService && !tuneToEpgService())
        return;

    eMessageBox question("Press YES to start", "EPG log:", eMessageBox::btYes | eMessageBox::btNo, eMessageBox::btNo, 0);
    question.show();
    int answer = question.exec();
    question.hide();
    if (answer != eMessageBox::btYes)
        return;

    if (!offline::offlineDirectoryExists(dir)) {
        eDebug("Error when reading data directory");
        eMessageBox error("Error when reading data directory", "error", eMessageBox::btOK, eMessageBox::btOK, 0);
        error.show();
        error.exec();
        error.hide();
        return;
    }

    FileFigures before;
    before.save();
    offline::LogFileSet files(dir);
    files.removeLeftovers();
    m_run = &files;
    // Each text is painted before its writer blocks: the box repaints while the demux is read.
    bool ok = false;
    setStatus("Logging Channels and Themes...", "std_dred");
    if (loggaCanaliTemi() == 0) {
        setStatus("Logging Titles...", "std_dred");
        if (loggaTitoli() == 0) {
            setStatus("Logging Summaries...", "std_dred");
            ok = loggaTrame() == 0 && files.commit();
        }
    }
    m_run = nullptr;
    if (ok) {
        setStatus("Done!", "std_dgreen");
        logDate = static_cast<int>(time(nullptr));
    } else {
        // The previous files stay in place, so must the figures that describe them.
        before.restore();
    }

    if (eServiceInterface::getInstance()->service != LastService)
        eZapMain::instance->playService(LastService, kTuneFlags);
    editcfg = true;
}

void eInfoSetup::checkoffline()
{
    if (offlineBox->isChecked())
        return;
    if (EPGService != LastService)
        tuneToEpgService();
}

int eInfoSetup::loggaCanaliTemi() { return m_run ? offline::logChannelsThemes(*m_run) : -1; }

int eInfoSetup::loggaTitoli() { return m_run ? offline::logTitles(*m_run) : -1; }

int eInfoSetup::loggaTrame() { return m_run ? offline::logSummaries(*m_run) : -1; }
