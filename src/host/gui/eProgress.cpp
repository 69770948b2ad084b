#include "host/gui/eProgress.h"

#include "host/gfx/gPainter.h"
#include "host/gui/JsonWriter.h"

#include <algorithm>

eProgress::eProgress(eWidget* parent, int takefocus) : eDecoWidget(parent, takefocus, "eProgress") {}

void eProgress::setPerc(int percent)
{
    percent = std::clamp(percent, 0, 100);
    if (percent == m_perc)
        return;
    m_perc = percent;
    invalidate();
}

void eProgress::redrawWidget(gPainter* painter, const eRect& area)
{
    eSkin* skin = eSkin::getActive();
    const eRect inner = innerRect();
    if (!getBackgroundColor().isValid())
        painter->fillColor(inner, skin->queryColor("eProgress.background").rgb());
    const gColor fore = getForegroundColor().isValid() ? getForegroundColor() : skin->queryColor("eProgress.foreground");
    painter->fillColor(eRect(inner.left(), inner.top(), inner.width() * m_perc / 100, inner.height()), fore.rgb());
}

void eProgress::describe(host::JsonWriter& out) const
{
    eDecoWidget::describe(out);
    out.field("percent", m_perc);
}
