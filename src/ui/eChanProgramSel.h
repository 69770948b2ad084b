#pragma once
#include "frame/globals.h"
#include "host/gui/eWindow.h"

class eButton;
class eComboBox;
class eListBoxEntryText;
class eListBoxLista1;
class eListBoxProgrammi;
struct TitleRecord;
template <class T> class eListBox;

// The programme list. FilterSearch picks the mode before construction:
//  0 themes:   left, the chosen theme and its sub-themes; right, a day of their programmes;
//  1 channels: left, the filtered channels; right, a day of the chosen channel;
//  3 search:   one full-width list of the week's titles that contain searchString.
// A broadcast day runs from 06:00 to 05:59 of the next calendar day. The list is filled by
// a titles reader: GetTitles from the air, GetTitlesOff from titles.gep (offlinelog 1).
//
// Where the members live: eChanProgramSel.cpp (window, days, left list, keys),
// eChanProgramSelTitles.cpp (GetTitles and the listing helpers both readers share),
// eChanProgramSelSummaries.cpp (progSummary, progTimer, GetSummaries and the summary view),
// eChanProgramSelOffline.cpp (GetTitlesOff, GetSummariesOff).
class eChanProgramSel : public eWindow {
public:
    eChanProgramSel();
    ~eChanProgramSel() override;

    void fillcomboday();
    void fillSubThemes();
    void fillChannels();
    void dayChanged(eListBoxEntryText* entry);
    void selectionChanged1(eListBoxLista1* row);
    void selected(eListBoxProgrammi* row);
    void selectionChanged(eListBoxProgrammi* row);
    void focusChanged(const eWidget* widget);
    int eventHandler(const eWidgetEvent& event) override;

    // Titles readers: 0, or -1 demux error, -2 read aborted, -3 (offline) file missing.
    int GetTitles();
    int GetTitlesOff();
    void progSummary();
    void progTimer();
    // Summaries reader from the air: fills bufferdatas' summaries in one carousel pass,
    // then shows the view on the requested row. 0, or -1 demux error, -2 nothing found.
    int GetSummaries(unsigned int id, eString title, eString when, eString channel, int index);
    // The same from summaries.gep: 0 after the view was shown, -3 when the file is missing.
    int GetSummariesOff(unsigned int id, eString title, eString when, eString channel, int index);
    // The summaries reader offlinelog selects, with the arguments of GetSummaries.
    int readSummaries(unsigned int id, const eString& title, const eString& when, const eString& channel, int index);
    // Hides this window while the summary view runs on the text; the list gets the focus back.
    void showSummary(const eString& summary, const eString& title, const eString& when, const eString& channel,
                     int index);

    // The reader offlinelog selects (the one "read titles" calls).
    int readTitles();

    // Listing steps shared by both titles readers.
    // Caption of the progress window for the current mode.
    eString progressCaption() const;
    // Begins the atomic update of evprogrs and clears it; the row number restarts at 0.
    void beginListing();
    enum class Listed { no, yes, stop };
    // Applies the mode's filters to a decoded record filed under `day` (0..7) and adds
    // its row; stop when a day or channel listing has reached another day. fullTitle,
    // when given, is the whole title where the record holds only its first bytes.
    Listed listRecord(const TitleRecord& record, int day, const eString* fullTitle = nullptr);
    // Where a listing begins: the day and hour to start from, and today's broadcast
    // weekday (the week's first day).
    struct ListingStart {
        int day;
        int hour;
        int today;
    };
    ListingStart listingStart() const;
    // Ends the atomic update, sets the window title and, in search mode, the labels.
    void finishListing();

    eListBox<eListBoxProgrammi>* evprogrs = nullptr;
    eListBox<eListBoxLista1>* events = nullptr;
    eButton* summaryLegend = nullptr;
    eButton* timerLegend = nullptr;
    eButton* lbdate = nullptr;
    eButton* themeLabel = nullptr;
    eComboBox* comboday = nullptr;

private:
    // The time rows are dated from: now, or the logging run's time offline.
    static time_t listBase();
    void setDateLabel(const struct tm& day);
    void setThemeLabel(const eString& theme);
    // The channel's service is known to the host with a name (asked once per listing).
    bool channelShown(int index);
    int m_rows = 0;        // row number of the next listed programme
    bool m_chosen = false; // a left-list row was chosen in this window
    bool m_known[kMaxChannels];  // per listing: the channel's service is known to the host
    bool m_looked[kMaxChannels]; // per listing: m_known holds the answer
};
