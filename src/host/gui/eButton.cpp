#include "host/gui/eButton.h"

#include "host/gfx/gPainter.h"

eButton::eButton(eWidget* parent, eLabel* descr, int takefocus, const char* deco)
    : eLabel(parent, flagVCenter, takefocus, deco), m_descr(descr)
{
    setAlign(alignCenter);
}

int eButton::eventHandler(const eWidgetEvent& event)
{
    if (event.type == eWidgetEvent::evtKey && event.key == eRCKey::Ok) {
        selected();
        return 1;
    }
    if (event.type == eWidgetEvent::gotFocus && m_descr)
        m_descr->setText(getHelpText());
    return eLabel::eventHandler(event);
}

void eButton::activate()
{
    selected();
}

void eButton::eraseBackground(gPainter* painter, const eRect& area)
{
    eLabel::eraseBackground(painter, area);
    if (!hasFocus())
        return;
    const gColor focus = eSkin::getActive()->queryColor("global.focus");
    if (getBackgroundColor().isValid()) {
        // A coloured legend keeps its colour and shows the focus as a bright frame.
        const int w = getSize().width(), h = getSize().height();
        const uint32_t rgb = eSkin::getActive()->queryColor("global.focusText").rgb();
        painter->fillColor(eRect(0, 0, w, 2), rgb);
        painter->fillColor(eRect(0, h - 2, w, 2), rgb);
        painter->fillColor(eRect(0, 2, 2, h - 4), rgb);
        painter->fillColor(eRect(w - 2, 2, 2, h - 4), rgb);
    } else {
        painter->fillColor(innerRect(), focus.rgb());
    }
}

void eButton::redrawWidget(gPainter* painter, const eRect& area)
{
    const eRect r = textRect();
    paintMarker(painter, eRect(r.left() - markerWidth(), r.top(), markerWidth(), r.height()));
    const gColor fore = textColor();
    paintText(painter, r, fore);
}
