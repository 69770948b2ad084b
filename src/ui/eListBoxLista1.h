#pragma once
#include "host/gfx/gFont.h"
#include "host/gui/eListBox.h"

class eTextPara;

// A row of the programme window's left column: a sub-theme or a channel.
class eListBoxLista1 : public eListBoxEntry {
public:
    eListBoxLista1(eListBox<eListBoxLista1>* list, eString text, int id, eString service);
    ~eListBoxLista1() override;

    // The list font's height + 5; the first call fixes the font (listaG).
    static int getEntryHeight();
    const eString& redraw(gPainter* painter, const eRect& rect, gColor activeBack, gColor activeFore,
                          gColor normalBack, gColor normalFore, int state) override;
    // The row's text for screen dumps, drawn or not.
    eString describe() const override { return text; }

    static gFont DescrFont;

    int yOffs = 0;
    eTextPara* para = nullptr;
    eString text;
    int id;          // theme slot (sub-themes) or service id (channels)
    eString service; // the channel's reference text; nullService for sub-themes
};
