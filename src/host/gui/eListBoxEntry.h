#pragma once
#include "host/eString.h"
#include "host/gfx/eRect.h"
#include "host/gfx/gColor.h"
#include "host/gui/eWidgetEvent.h"
#include "host/sigc.h"

class eListBoxBase;
class gPainter;

// One row of a list box. Created with new X(list, ...), it appends itself to the
// list, which deletes it when cleared or destroyed.
class eListBoxEntry : public SigC::Object {
public:
    explicit eListBoxEntry(eListBoxBase* list, const eString& helptext = eString(), int selectable = 3);
    virtual ~eListBoxEntry();
    eListBoxEntry(const eListBoxEntry&) = delete;
    eListBoxEntry& operator=(const eListBoxEntry&) = delete;

    virtual bool operator<(const eListBoxEntry&) const { return false; }
    virtual int eventHandler(const eWidgetEvent& event);
    // Draws the row into rect; state 1 is the current row of the focused list, 2 the
    // current row of a list without the focus, 0 any other row. Returns the row's text.
    virtual const eString& redraw(gPainter* rc, const eRect& rect, gColor coActiveB, gColor coActiveF,
                                  gColor coNormalB, gColor coNormalF, int state);
    virtual const eString& getText() const;

    static int getEntryHeight();
    // The row's text in a screen dump: getText(), else the text its last redraw returned.
    virtual eString describe() const;

    void setSelectable(int selectable) { m_selectable = selectable; }
    int isSelectable() const { return m_selectable; }
    const eString& getHelpText() const { return m_helptext; }
    void setHelpText(const eString& text) { m_helptext = text; }
    eListBoxBase* getListBox() const { return listbox; }

protected:
    // Paints the row's background, and the selection bar for the current row.
    void drawEntryRect(gPainter* rc, const eRect& rect, const gColor& coActiveB, const gColor& coActiveF,
                       const gColor& coNormalB, const gColor& coNormalF, int state);

    eListBoxBase* listbox;

private:
    friend class eListBoxBase;
    eString m_helptext;
    int m_selectable;
    eString m_shownText; // what the last redraw returned

};
