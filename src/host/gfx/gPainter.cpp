#include "host/gfx/gPainter.h"

#include "host/gfx/FontEngine.h"
#include "host/gfx/eTextPara.h"
#include "host/gfx/gPixmap.h"

#include <algorithm>
#include <cstdlib>

namespace {

inline uint32_t blend(uint32_t dst, uint32_t src, unsigned a)
{
    if (a >= 255)
        return src & 0xFFFFFF;
    if (a == 0)
        return dst;
    const unsigned inv = 255 - a;
    const uint32_t rb = (((src & 0xFF00FF) * a + (dst & 0xFF00FF) * inv) >> 8) & 0xFF00FF;
    const uint32_t g = (((src & 0x00FF00) * a + (dst & 0x00FF00) * inv) >> 8) & 0x00FF00;
    return rb | g;
}

} // namespace

gPainter::gPainter(gPixmap& target) : m_target(target)
{
    m_clips.push_back(target.rect());
}

void gPainter::clip(const eRect& rect)
{
    m_clips.push_back(rect.translated(m_origin) & m_clips.back());
}

void gPainter::clippop()
{
    if (m_clips.size() > 1)
        m_clips.pop_back();
}

eRect gPainter::clipRect() const
{
    return m_clips.back().translated(ePoint() - m_origin);
}

void gPainter::fill(const eRect& rect)
{
    if (m_back.isValid())
        fillColor(rect, m_back.rgb());
}

void gPainter::fillColor(const eRect& rect, uint32_t rgb)
{
    const eRect r = rect.translated(m_origin) & absClip();
    for (int y = r.top(); y < r.bottom(); ++y)
        std::fill_n(m_target.line(y) + r.left(), r.width(), rgb & 0xFFFFFF);
}

void gPainter::renderPara(eTextPara& para, ePoint offset)
{
    const eRect clipR = absClip();
    if (clipR.isEmpty())
        return;
    const uint32_t fore = m_fore.isValid() ? m_fore.rgb() : 0xFFFFFF;
    const ePoint base = m_origin + offset + para.getArea().topLeft();
    for (const eTextPara::Placed& p : para.glyphs()) {
        const host::Glyph* g = p.glyph;
        if (g->width <= 0)
            continue;
        const eRect gr(base.x() + p.x + g->left, base.y() + p.y - g->top, g->width, g->height);
        const eRect vis = gr & clipR;
        if (vis.isEmpty())
            continue;
        for (int y = vis.top(); y < vis.bottom(); ++y) {
            const uint8_t* src = g->coverage.data() + static_cast<size_t>(y - gr.top()) * g->width - gr.left();
            uint32_t* dst = m_target.line(y);
            for (int x = vis.left(); x < vis.right(); ++x)
                dst[x] = blend(dst[x], fore, src[x]);
        }
    }
}

void gPainter::renderText(const eRect& rect, const eString& text, int flags)
{
    eTextPara* para = new eTextPara(rect);
    para->setFont(m_font.isValid() ? m_font : gFont("Nimbus", 20));
    para->renderString(text, (flags & RT_WRAP) ? 0 : eTextPara::RS_NOWRAP);
    if (flags & RT_HALIGN_BLOCK)
        para->realign(eTextPara::dirBlock);
    else if ((flags & 3) == RT_HALIGN_RIGHT)
        para->realign(eTextPara::dirRight);
    else if ((flags & 3) == RT_HALIGN_CENTER)
        para->realign(eTextPara::dirCenter);
    ePoint offset;
    if (flags & RT_VALIGN_CENTER) {
        const eRect& box = para->getBoundBox();
        offset = ePoint(0, (rect.height() - box.height()) / 2 - box.top());
    }
    clip(rect);
    renderPara(*para, offset);
    clippop();
    para->destroy();
}

void gPainter::blit(const gPixmap& pixmap, ePoint pos, eRect clipArea, int flags)
{
    eRect target(m_origin + pos, pixmap.size());
    eRect vis = target & absClip();
    if (!clipArea.isEmpty())
        vis &= clipArea.translated(m_origin);
    if (vis.isEmpty())
        return;
    for (int y = vis.top(); y < vis.bottom(); ++y) {
        const uint32_t* src = pixmap.line(y - target.top()) - target.left();
        uint32_t* dst = m_target.line(y);
        if (pixmap.hasAlpha()) {
            for (int x = vis.left(); x < vis.right(); ++x)
                dst[x] = blend(dst[x], src[x], src[x] >> 24);
        } else if (flags & BT_ALPHATEST) {
            // Black is see-through for plain pixmaps blitted with the alpha test.
            for (int x = vis.left(); x < vis.right(); ++x)
                if (src[x] & 0xFFFFFF)
                    dst[x] = src[x];
        } else {
            std::copy(src + vis.left(), src + vis.right(), dst + vis.left());
        }
    }
}

void gPainter::line(ePoint from, ePoint to)
{
    const uint32_t fore = m_fore.isValid() ? m_fore.rgb() : 0xFFFFFF;
    const eRect c = absClip();
    int x0 = from.x() + m_origin.x(), y0 = from.y() + m_origin.y();
    const int x1 = to.x() + m_origin.x(), y1 = to.y() + m_origin.y();
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        if (c.contains(ePoint(x0, y0)))
            m_target.line(y0)[x0] = fore;
        if (x0 == x1 && y0 == y1)
            break;
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x0 += sx; }
        if (e2 <= dx) { err += dx; y0 += sy; }
    }
}
