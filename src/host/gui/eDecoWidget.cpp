#include "host/gui/eDecoWidget.h"

#include "host/gfx/gPainter.h"
#include "host/gui/JsonWriter.h"

#include <algorithm>

eDecoWidget::eDecoWidget(eWidget* parent, int takefocus, const char* deco)
    : eWidget(parent, takefocus), m_decoName(deco ? deco : "")
{
}

bool eDecoWidget::loadDeco()
{
    const eDecoration* d = eSkin::getActive()->queryDecoration(m_decoName);
    m_decoLoaded = d != nullptr;
    if (d)
        m_deco = *d;
    changed(eWidgetEvent::changedSize); // the text area moves inside the frame
    invalidate();
    return m_decoLoaded;
}

eRect eDecoWidget::innerRect() const
{
    return eRect(ePoint(), getSize()).inset(decoBorder());
}

void eDecoWidget::drawFrame(gPainter* painter) const
{
    if (!m_decoLoaded || m_deco.border <= 0)
        return;
    const bool focus = hasFocus() && m_deco.focusFrame.isValid();
    const gColor c = focus ? m_deco.focusFrame : m_deco.frame;
    if (!c.isValid())
        return;
    // The focus frame is drawn at least two pixels wide so that it stands out.
    const int b = focus ? std::max(2, m_deco.border) : m_deco.border;
    const int w = getSize().width(), h = getSize().height();
    const uint32_t rgb = c.rgb();
    painter->fillColor(eRect(0, 0, w, b), rgb);
    painter->fillColor(eRect(0, h - b, w, b), rgb);
    painter->fillColor(eRect(0, b, b, h - 2 * b), rgb);
    painter->fillColor(eRect(w - b, b, b, h - 2 * b), rgb);
}

void eDecoWidget::eraseBackground(gPainter* painter, const eRect& area)
{
    if (getBackgroundColor().isValid()) {
        painter->setBackgroundColor(getBackgroundColor());
        painter->fill(area);
    } else if (m_decoLoaded && m_deco.fill.isValid()) {
        painter->setBackgroundColor(m_deco.fill);
        painter->fill(area);
    }
    drawFrame(painter);
}

void eDecoWidget::describe(host::JsonWriter& out) const
{
    out.field("deco", m_decoLoaded ? std::string(m_decoName) : std::string());
}
