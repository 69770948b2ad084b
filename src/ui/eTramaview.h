#pragma once
#include "host/gui/eWindow.h"

class eButton;
class eLabel;

// The summary view: one programme's summary with its time and channel. Left and
// right page through the records of bufferdatas; "<" and ">" show that there is more.
// Up and down scroll a summary longer than the box.
class eTramaview : public eWindow {
public:
    eTramaview(eString summary, eString title, eString when, eString channel, int n);
    ~eTramaview() override;
    int eventHandler(const eWidgetEvent& event) override;

private:
    void showRecord(int n);
    void updateMarkers();
    // Records that can be paged through: nb_buffer, at most the table's size.
    static int records();

    bool m_alone = false; // the row has no record: no paging
    eLabel* summaryLabel;
    eLabel* whenLabel;
    eLabel* channelLabel;
    eButton* line;
    eLabel* previousMarker;
    eLabel* nextMarker;
};
