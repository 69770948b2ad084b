#include "host/gui/eListBoxEntry.h"

#include "host/gfx/eSkin.h"
#include "host/gfx/gPainter.h"
#include "host/gui/eListBoxBase.h"

eListBoxEntry::eListBoxEntry(eListBoxBase* list, const eString& helptext, int selectable)
    : listbox(list), m_helptext(helptext), m_selectable(selectable)
{
    if (listbox)
        listbox->append(this);
}

eListBoxEntry::~eListBoxEntry()
{
    if (listbox)
        listbox->remove(this);
}

int eListBoxEntry::eventHandler(const eWidgetEvent&)
{
    return 0;
}

const eString& eListBoxEntry::getText() const
{
    static const eString empty;
    return empty;
}

eString eListBoxEntry::describe() const
{
    const eString& t = getText();
    return t.empty() ? m_shownText : t;
}

int eListBoxEntry::getEntryHeight()
{
    return calcFontHeight(eSkin::getActive()->queryFont("eListBoxEntryText")) + 8;
}

const eString& eListBoxEntry::redraw(gPainter* rc, const eRect& rect, gColor coActiveB, gColor coActiveF,
                                     gColor coNormalB, gColor coNormalF, int state)
{
    drawEntryRect(rc, rect, coActiveB, coActiveF, coNormalB, coNormalF, state);
    return getText();
}

void eListBoxEntry::drawEntryRect(gPainter* rc, const eRect& rect, const gColor& coActiveB, const gColor& coActiveF,
                                  const gColor& coNormalB, const gColor& coNormalF, int state)
{
    if (state == 1 || state == 2) {
        const gColor bar = state == 1 ? coActiveB : eSkin::getActive()->queryColor("eListBox.inactive");
        rc->setBackgroundColor(bar);
        rc->fill(rect);
        rc->setForegroundColor(coActiveF);
    } else {
        if (coNormalB.isValid()) {
            rc->setBackgroundColor(coNormalB);
            rc->fill(rect);
        }
        rc->setForegroundColor(coNormalF);
    }
    rc->setBackgroundColor(state ? coActiveB : coNormalB);
}
