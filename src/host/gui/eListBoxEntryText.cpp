#include "host/gui/eListBoxEntryText.h"

#include "host/gfx/eSkin.h"
#include "host/gfx/eTextPara.h"
#include "host/gfx/gPainter.h"
#include "host/gui/eListBoxBase.h"

#include <cstdint>

eListBoxEntryText::eListBoxEntryText(eListBoxBase* lb, const eString& txt, void* key, int align,
                                     const eString& hlptxt, int keytype)
    : eListBoxEntry(lb, hlptxt), text(txt), key(key), align(align), keytype(keytype)
{
}

eListBoxEntryText::~eListBoxEntryText()
{
    if (para)
        para->destroy();
}

bool eListBoxEntryText::operator<(const eListBoxEntry& other) const
{
    const auto* o = dynamic_cast<const eListBoxEntryText*>(&other);
    if (!o)
        return false;
    const auto a = reinterpret_cast<uintptr_t>(key);
    const auto b = reinterpret_cast<uintptr_t>(o->key);
    if (keytype == 1 || a == b)
        return text < o->text;
    return a < b;
}

int eListBoxEntryText::getEntryHeight()
{
    return calcFontHeight(eSkin::getActive()->queryFont("eListBoxEntryText")) + 8;
}

void eListBoxEntryText::setText(const eString& t)
{
    text = t;
    if (para) {
        para->destroy();
        para = nullptr;
    }
    if (listbox)
        listbox->invalidateEntry(this);
}

const eString& eListBoxEntryText::redraw(gPainter* rc, const eRect& rect, gColor coActiveB, gColor coActiveF,
                                         gColor coNormalB, gColor coNormalF, int state)
{
    drawEntryRect(rc, rect, coActiveB, coActiveF, coNormalB, coNormalF, state);
    if (!para) {
        para = new eTextPara(eRect(0, 0, rect.width() - 10, rect.height()));
        para->setFont(eSkin::getActive()->queryFont("eListBoxEntryText"));
        para->renderString(text, eTextPara::RS_NOWRAP);
        if (align == 1)
            para->realign(eTextPara::dirRight);
        else if (align == 2)
            para->realign(eTextPara::dirCenter);
        const eRect& box = para->getBoundBox();
        yOffs = (rect.height() - box.height()) / 2 - box.top();
    }
    rc->renderPara(*para, ePoint(rect.left() + 5, rect.top() + yOffs));
    return text;
}
