#pragma once
#include "host/gui/eListBox.h"
#include "host/gui/eListBoxEntryText.h"

class gPixmap;

// A channel of the filter editor with a check mark; OK on the row toggles the mark.
class eListBoxEntryMck : public eListBoxEntryText {
public:
    eListBoxEntryMck(eListBox<eListBoxEntryMck>* list, const eString& text, void* key, int align,
                     const eString& helpText, int keyType);
    ~eListBoxEntryMck() override;

    const eString& redraw(gPainter* painter, const eRect& rect, gColor activeBack, gColor activeFore,
                          gColor normalBack, gColor normalFore, int state) override;
    // Stores the mark and repaints the row when it changes.
    void setCheck(bool c);
    bool getCheck() const { return checkState; }
    // The channel name and its mark ("[x]" ticked, "[ ]" not) for screen dumps.
    eString describe() const override;
    // The list's selected signal: toggles the mark when e is this row.
    void LBSelected(eListBoxEntry* e);

    gPixmap* pm;
    bool checkState = false;
};
