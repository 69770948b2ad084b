#include "host/gfx/eTextPara.h"

#include "host/gfx/FontEngine.h"
#include "host/gfx/TextCodec.h"

#include <algorithm>
#include <atomic>

namespace {
std::atomic<uint64_t> g_layouts{0};
}

eTextPara::eTextPara(const eRect& area) : m_area(area) {}

void eTextPara::destroy()
{
    if (--m_refs <= 0)
        delete this;
}

uint64_t eTextPara::layoutCount()
{
    return g_layouts.load();
}

void eTextPara::setFont(const gFont& font)
{
    m_font = font;
}

int eTextPara::renderString(const eString& text, int flags)
{
    ++g_layouts;
    m_glyphs.clear();
    m_lineWidths.clear();
    m_origX.clear();
    m_hardBreak.clear();
    m_bboxValid = false;

    auto& engine = host::FontEngine::instance();
    host::FontEngine::Face* face = engine.face(m_font);
    const host::FontMetrics metrics = engine.metrics(face);
    m_lineHeight = metrics.height;
    const bool wrap = !(flags & RS_NOWRAP) && m_area.width() > 0;
    const int maxWidth = m_area.width();

    const std::u32string chars = host::decodeText(text);
    int line = 0;
    int x = 0;
    size_t lineStart = 0;  // first glyph of the current line
    size_t breakAt = 0;    // glyph index after the last space on this line (0: none)
    bool haveBreak = false;
    char32_t prev = 0;

    auto newLine = [&](bool hard) {
        m_hardBreak.push_back(hard);
        ++line;
        x = 0;
        lineStart = m_glyphs.size();
        haveBreak = false;
        prev = 0;
    };

    for (size_t i = 0; i < chars.size(); ++i) {
        const char32_t c = chars[i];
        if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < chars.size() && chars[i + 1] == '\n')
                ++i;
            newLine(true);
            continue;
        }
        const char32_t shown = c == '\t' ? U' ' : c;
        const host::Glyph* g = engine.glyph(face, shown);
        if (prev)
            x += engine.kerning(face, prev, shown);
        const bool space = shown == U' ';
        if (wrap && !space && x + g->advance > maxWidth && m_glyphs.size() > lineStart) {
            if (haveBreak && breakAt > lineStart && breakAt < m_glyphs.size()) {
                // Carry the word begun after the last space onto a new line.
                const int shift = m_glyphs[breakAt].x;
                std::vector<Placed> carried(m_glyphs.begin() + breakAt, m_glyphs.end());
                m_glyphs.resize(breakAt);
                newLine(false);
                for (Placed p : carried) {
                    p.x -= shift;
                    p.line = line;
                    p.y = metrics.ascender + line * m_lineHeight;
                    m_glyphs.push_back(p);
                    x = p.x + p.glyph->advance;
                }
            } else {
                newLine(false);
            }
        }
        if (space && x == 0 && line > 0 && !m_hardBreak.empty() && !m_hardBreak.back())
            continue; // a wrapped line does not start with blanks
        m_glyphs.push_back({g, x, metrics.ascender + line * m_lineHeight, line});
        x += g->advance;
        prev = shown;
        if (space) {
            haveBreak = true;
            breakAt = m_glyphs.size();
        }
    }
    m_hardBreak.push_back(true);
    m_lines = line + 1;

    m_lineWidths.assign(m_lines, 0);
    for (const Placed& p : m_glyphs) {
        m_origX.push_back(p.x);
        if (p.glyph->width > 0 || p.glyph->advance > 0) {
            const bool isSpace = p.glyph->width == 0;
            if (!isSpace)
                m_lineWidths[p.line] = std::max(m_lineWidths[p.line], p.x + p.glyph->advance);
        }
    }
    return 0;
}

void eTextPara::realign(int dir)
{
    m_bboxValid = false;
    if (m_glyphs.empty())
        return;
    const int width = m_area.width();
    // Spaces per line, for block alignment.
    std::vector<int> spaces(m_lines, 0);
    for (const Placed& p : m_glyphs)
        if (p.glyph->width == 0 && m_lineWidths[p.line] > p.x)
            ++spaces[p.line];
    std::vector<int> seen(m_lines, 0);
    for (size_t i = 0; i < m_glyphs.size(); ++i) {
        Placed& p = m_glyphs[i];
        const int free = std::max(0, width - m_lineWidths[p.line]);
        int x = m_origX[i];
        switch (dir) {
        case dirRight: x += free; break;
        case dirCenter: x += free / 2; break;
        case dirBlock:
            if (!m_hardBreak[p.line] && spaces[p.line] > 0)
                x += free * seen[p.line] / spaces[p.line];
            break;
        default: break;
        }
        if (dir == dirBlock && p.glyph->width == 0 && m_lineWidths[p.line] > m_origX[i])
            ++seen[p.line];
        p.x = x;
    }
}

void eTextPara::calc_bbox()
{
    eRect box;
    for (const Placed& p : m_glyphs) {
        if (p.glyph->width <= 0 || p.glyph->height <= 0)
            continue;
        box |= eRect(p.x + p.glyph->left, p.y - p.glyph->top, p.glyph->width, p.glyph->height);
    }
    m_bbox = box;
    m_bboxValid = true;
}

const eRect& eTextPara::getBoundBox()
{
    if (!m_bboxValid)
        calc_bbox();
    return m_bbox;
}
