#include "ui/eListBoxEntryMck.h"
#include "host/gfx/eSkin.h"
#include "host/gfx/gPainter.h"
#include "host/gfx/gPixmap.h"

namespace {
constexpr int kRightMargin = 10;
}

eListBoxEntryMck::eListBoxEntryMck(eListBox<eListBoxEntryMck>* list, const eString& text, void* key, int align,
                                   const eString& helpText, int keyType)
    : eListBoxEntryText(list, text, key, align, helpText, keyType),
      pm(eSkin::getActive()->queryImage("eListBoxEntryCheck"))
{
    setSelectable(1);
    if (list)
        list->selected.connect(SigC::slot(*this, &eListBoxEntryMck::LBSelected));
}

eListBoxEntryMck::~eListBoxEntryMck() = default;

const eString& eListBoxEntryMck::redraw(gPainter* painter, const eRect& rect, gColor activeBack, gColor activeFore,
                                        gColor normalBack, gColor normalFore, int state)
{
    const eString& shown =
        eListBoxEntryText::redraw(painter, rect, activeBack, activeFore, normalBack, normalFore, state);
    if (pm && checkState) {
        const int x = rect.right() - pm->width() - kRightMargin;
        painter->clip(eRect(x, rect.top(), rect.right() - x, rect.height()));
        painter->blit(*pm, ePoint(x, rect.top() + (rect.height() - pm->height()) / 2), eRect(),
                      gPainter::BT_ALPHATEST);
        painter->clippop();
    }
    return shown;
}

void eListBoxEntryMck::setCheck(bool c)
{
    if (c == checkState)
        return;
    checkState = c;
    if (listbox)
        listbox->invalidateEntry(this);
}

void eListBoxEntryMck::LBSelected(eListBoxEntry* e)
{
    if (e == this)
        setCheck(!checkState);
}

eString eListBoxEntryMck::describe() const
{
    return text + (checkState ? " [x]" : " [ ]");
}
