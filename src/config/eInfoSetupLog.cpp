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
#include <memory>
#include <unistd.h>

namespace {
constexpr int kTuneFlags = 0x28;

// The plug-in's debug print: it prints nothing.
void eDebug(const char*) {}

// What the writers change: the tables they fill and the figures that describe the
// files. A run whose files are not put in place gives all of it back, so that the
// settings saved later (counts, day offsets, the channel filter cut to the channel
// count) still describe the files that are there.
struct RunState {
    int channels, themes, titles, summaries;
    int positions[8];
    int ids[kMaxChannels];
    eString paths[kMaxChannels];
    TemaEntry themeTable[kThemeRecords];
    bool tablesRead;
    void save()
    {
        channels = nb_channels;
        themes = nb_themes;
        titles = nb_titles;
        summaries = nb_summaries;
        std::copy(sizeposition, sizeposition + 8, positions);
        std::copy(channel_ids, channel_ids + kMaxChannels, ids);
        std::copy(channel_paths, channel_paths + kMaxChannels, paths);
        std::copy(temalist, temalist + kThemeRecords, themeTable);
        tablesRead = readThCh;
    }
    void restore() const
    {
        nb_channels = channels;
        nb_themes = themes;
        nb_titles = titles;
        nb_summaries = summaries;
        std::copy(positions, positions + 8, sizeposition);
        std::copy(ids, ids + kMaxChannels, channel_ids);
        std::copy(paths, paths + kMaxChannels, channel_paths);
        std::copy(themeTable, themeTable + kThemeRecords, temalist);
        readThCh = tablesRead;
    }
};

void showError(const eString& text, const char* caption)
{
    eMessageBox box(text, caption, eMessageBox::btOK | eMessageBox::iconError, eMessageBox::btOK, 0);
    box.show();
    box.exec();
    box.hide();
}
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

    // One run at a time in a directory, whichever box starts it.
    offline::LogFileSet files(dir);
    std::string busy;
    if (!files.lock(&busy)) {
        showError(busy, "error");
        return;
    }
    files.removeLeftovers();
    auto before = std::make_unique<RunState>();
    before->save();
    m_run = &files;
    // Each text is painted before its writer blocks: the box repaints while the demux is read.
    bool written = false, ok = false;
    setStatus("Logging Channels and Themes...", "std_dred");
    if (loggaCanaliTemi() == 0) {
        setStatus("Logging Titles...", "std_dred");
        if (loggaTitoli() == 0) {
            setStatus("Logging Summaries...", "std_dred");
            written = loggaTrame() == 0;
            ok = written && files.commit();
        }
    }
    m_run = nullptr;
    if (ok) {
        setStatus("Done!", "std_dgreen");
        logDate = static_cast<int>(time(nullptr));
    } else {
        // The previous files stay in place, so must everything that describes them.
        before->restore();
        showError(written ? "The new offline files could not be put in place.\nThe previous files are kept."
                          : "No whole pass of the EPG tables could be read.\nThe previous offline files are kept.",
                  "EPG log:");
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
