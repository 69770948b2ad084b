#include "host/gui/eCheckbox.h"

#include "host/gfx/gPainter.h"
#include "host/gfx/gPixmap.h"
#include "host/gui/JsonWriter.h"

namespace {
constexpr int kBox = 18;
constexpr int kGap = 8;
} // namespace

eCheckbox::eCheckbox(eWidget* parent, int checked, int takefocus, bool swapTxtPixmap, const char* deco)
    : eButton(parent, nullptr, takefocus, deco), m_checked(checked ? 1 : 0), m_swap(swapTxtPixmap)
{
    setAlign(alignLeft);
}

void eCheckbox::setCheck(int c)
{
    c = c ? 1 : 0;
    if (c == m_checked)
        return;
    m_checked = c;
    invalidate();
}

void eCheckbox::toggle()
{
    setCheck(!m_checked);
    selected();
    checked(m_checked);
}

int eCheckbox::eventHandler(const eWidgetEvent& event)
{
    if (event.type == eWidgetEvent::evtKey && event.key == eRCKey::Ok) {
        toggle();
        return 1;
    }
    return eButton::eventHandler(event);
}

void eCheckbox::activate()
{
    toggle();
}

void eCheckbox::redrawWidget(gPainter* painter, const eRect& area)
{
    eSkin* skin = eSkin::getActive();
    const eRect inner = innerRect();
    const int s = std::min(kBox, inner.height());
    const int bx = m_swap ? inner.right() - s - 2 : inner.left() + 2;
    const eRect box(bx, inner.top() + (inner.height() - s) / 2, s, s);
    painter->fillColor(box, skin->queryColor("eButton.frame").rgb());
    painter->fillColor(box.inset(1), skin->queryColor("eCheckBox.box").rgb());
    if (m_checked) {
        if (gPixmap* tick = skin->queryImage("eListBoxEntryCheck"))
            painter->blit(*tick, ePoint(box.left() + (s - tick->width()) / 2, box.top() + (s - tick->height()) / 2));
        else
            painter->fillColor(box.inset(4), skin->queryColor("eCheckBox.tick").rgb());
    }
    const int used = s + 2 + kGap;
    const eRect text = m_swap ? eRect(inner.left() + 4, inner.top(), inner.width() - used - 4, inner.height())
                              : eRect(inner.left() + used, inner.top(), inner.width() - used, inner.height());
    const gColor fore = textColor();
    paintText(painter, text, fore);
}

void eCheckbox::describe(host::JsonWriter& out) const
{
    eButton::describe(out);
    out.field("checked", m_checked != 0);
}
