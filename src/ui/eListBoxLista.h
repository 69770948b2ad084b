#pragma once
#include "host/gfx/gFont.h"
#include "host/gui/eListBox.h"

class eTextPara;
class gPixmap;

// A theme row of the theme window: folder icon and the theme's name.
class eListBoxLista : public eListBoxEntry {
public:
    eListBoxLista(eListBox<eListBoxLista>* list, eString text, int id, eString service);
    ~eListBoxLista() override;

    // The list font's height + 5; the first call fixes the font (listaP) and the icon.
    static int getEntryHeight();
    const eString& redraw(gPainter* painter, const eRect& rect, gColor activeBack, gColor activeFore,
                          gColor normalBack, gColor normalFore, int state) override;
    // The row's text for screen dumps, drawn or not.
    eString describe() const override { return text; }

    static gFont DescrFont;
    static gPixmap* icona;

    int yOffs = 0;
    eTextPara* para = nullptr;
    eString text;
    int id;          // theme slot of temalist
    eString service; // nullService for themes
};
