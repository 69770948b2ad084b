#pragma once
#include "host/gfx/gFont.h"
#include "host/gui/eListBox.h"

class eTextPara;
class gPixmap;

// One programme: start time, title, channel (or theme in the channel view), duration.
// The four columns are laid out on the first drawing and only painted afterwards, so a
// row keeps the mode (FilterSearch) of its first drawing.
class eListBoxProgrammi : public eListBoxEntry {
public:
    eListBoxProgrammi(eListBox<eListBoxProgrammi>* list, int wday, int hour, int min, eString theme, eString title,
                      int duration, eString service, int summaryId, int index);
    ~eListBoxProgrammi() override;

    // The list font's height + 5; the first call fixes the font (listaG) and the icon.
    static int getEntryHeight();
    // Returns the row's service reference text.
    const eString& redraw(gPainter* painter, const eRect& rect, gColor activeBack, gColor activeFore,
                          gColor normalBack, gColor normalFore, int state) override;
    // "HH:MM | title | channel or theme | duration" for screen dumps.
    eString describe() const override;

    static gFont DescrFont;
    static gPixmap* icona;

    int yOffs = 0;
    eTextPara* paraTime = nullptr;
    eTextPara* paraChannel = nullptr;
    eTextPara* paraTitle = nullptr;
    eTextPara* paraDuration = nullptr;
    int wday;
    int hour, min;
    eString theme;
    eString title;
    int duration;
    eString service;
    int summaryId;
    int index;

    // Where the four columns go in a row of that width (from the columns' start).
    struct Columns {
        int timeX, timeWidth, titleX, titleWidth, channelX, channelWidth, durationX, durationWidth;
    };
    static Columns columns(const gFont& font, int width);

private:
    void layout(int rowWidth, int rowHeight);
    Columns m_columns{};
    eString timeText() const;
    eString durationText() const;
    eString columnText() const;
    eString thirdColumn; // what the channel/theme column shows, fixed at the first drawing
};
