#include "host/gui/eLabel.h"

#include "host/gfx/eTextPara.h"
#include "host/gfx/gPainter.h"
#include "host/gui/JsonWriter.h"

#include <algorithm>

eLabel::eLabel(eWidget* parent, int flags, int takefocus, const char* deco)
    : eDecoWidget(parent, takefocus, deco), m_flags(flags)
{
}

eLabel::~eLabel()
{
    dropLayout();
}

void eLabel::dropLayout()
{
    if (m_para) {
        m_para->destroy();
        m_para = nullptr;
    }
}

void eLabel::changed(int what)
{
    if (what == eWidgetEvent::changedText || what == eWidgetEvent::changedFont || what == eWidgetEvent::changedSize)
        dropLayout();
    // A new text is read from its start.
    if (what == eWidgetEvent::changedText)
        m_scrollLine = 0;
}

void eLabel::setAlign(int align)
{
    if (align == m_align)
        return;
    m_align = align;
    dropLayout();
    invalidate();
}

void eLabel::setFlags(int flags)
{
    m_flags = flags;
    dropLayout();
    invalidate();
}

void eLabel::setShortcutPixmap(const eString& color)
{
    m_shortcutPixmap = color;
    dropLayout();
    invalidate();
}

int eLabel::markerWidth() const
{
    return m_shortcutPixmap.empty() ? 0 : 20;
}

void eLabel::paintMarker(gPainter* painter, const eRect& rect) const
{
    if (m_shortcutPixmap.empty())
        return;
    const gColor c = eSkin::getActive()->queryColor("key." + m_shortcutPixmap);
    const int s = std::min(14, rect.height());
    const eRect key(rect.left(), rect.top() + (rect.height() - s) / 2, s, s);
    // A rounded key cap: the corners are left out.
    const uint32_t rgb = c.isValid() ? c.rgb() : 0x808080;
    painter->fillColor(eRect(key.left() + 1, key.top(), s - 2, s), rgb);
    painter->fillColor(eRect(key.left(), key.top() + 1, s, s - 2), rgb);
}

eRect eLabel::textRect() const
{
    const int pad = decoBorder() > 0 || hasDeco() ? eSkin::getActive()->queryValue("eWidget.padding", 4) : 0;
    eRect r = innerRect().inset(pad);
    if (!m_shortcutPixmap.empty())
        r = eRect(r.left() + markerWidth(), r.top(), r.width() - markerWidth(), r.height());
    return r;
}

eTextPara* eLabel::layout(const eRect& rect)
{
    if (!m_para) {
        m_para = new eTextPara(eRect(0, 0, rect.width(), rect.height()));
        m_para->setFont(getFont());
        m_para->renderString(displayText(), layoutFlags());
        static const int dirs[] = {eTextPara::dirLeft, eTextPara::dirRight, eTextPara::dirCenter, eTextPara::dirBlock};
        if (m_align > 0 && m_align < 4)
            m_para->realign(dirs[m_align]);
        m_para->getBoundBox();
    }
    return m_para;
}

void eLabel::paintText(gPainter* painter, const eRect& rect, const gColor& fore)
{
    if (rect.isEmpty())
        return;
    eTextPara* para = layout(rect);
    int y = 0;
    if (m_flags & flagVCenter) {
        const eRect& box = para->getBoundBox();
        y = (rect.height() - box.height()) / 2 - box.top();
    }
    y -= m_scrollLine * para->lineHeight();
    painter->setForegroundColor(fore);
    painter->clip(rect);
    painter->renderPara(*para, ePoint(rect.left(), rect.top() + y));
    painter->clippop();
}

int eLabel::lineCount()
{
    const eRect r = textRect();
    return r.isEmpty() ? 0 : layout(r)->lineCount();
}

int eLabel::visibleLines()
{
    const eRect r = textRect();
    if (r.isEmpty())
        return 0;
    const int h = layout(r)->lineHeight();
    return h > 0 ? std::max(1, r.height() / h) : 1;
}

void eLabel::setScrollLine(int line)
{
    line = std::min(line, lineCount() - visibleLines());
    line = std::max(line, 0);
    if (line == m_scrollLine)
        return;
    m_scrollLine = line;
    invalidate();
}

void eLabel::redrawWidget(gPainter* painter, const eRect& area)
{
    const eRect r = textRect();
    if (!m_shortcutPixmap.empty())
        paintMarker(painter, eRect(r.left() - markerWidth(), r.top(), markerWidth(), r.height()));
    paintText(painter, r, effectiveForeground());
}

void eLabel::describe(host::JsonWriter& out) const
{
    eDecoWidget::describe(out);
    out.field("align", m_align);
    out.field("flags", m_flags);
    if (!m_shortcutPixmap.empty())
        out.field("shortcutPixmap", std::string(m_shortcutPixmap));
    if (m_scrollLine > 0)
        out.field("scrollLine", m_scrollLine);
}
