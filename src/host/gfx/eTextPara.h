#pragma once
#include "host/eString.h"
#include "host/gfx/eRect.h"
#include "host/gfx/gFont.h"

#include <cstdint>
#include <vector>

namespace host {
struct Glyph;
}

// A block of text laid out once inside an area, then painted as often as needed from
// cached glyph bitmaps. Reference counted: created with new, released with destroy().
class eTextPara {
public:
    enum { dirLeft, dirRight, dirCenter, dirBlock };
    // renderString flags: text wraps unless RS_NOWRAP is given (RS_WRAP is accepted
    // for code that asks for wrapping explicitly).
    enum { RS_WRAP = 1, RS_NOWRAP = 0x100 };

    explicit eTextPara(const eRect& area);

    void grab() { ++m_refs; }
    void destroy(); // drops one reference; the last one deletes the block

    void setFont(const gFont& font);
    const gFont& getFont() const { return m_font; }
    // Lays the text out: word wrap at the area's width, '\n' and '\r' break lines.
    // Valid UTF-8 is read as UTF-8, anything else as ISO 8859-15.
    int renderString(const eString& text, int flags = 0);
    void realign(int dir);
    void calc_bbox();
    // Bounding box of the laid-out glyphs, relative to the area's origin.
    const eRect& getBoundBox();
    const eRect& getArea() const { return m_area; }
    int lineCount() const { return m_lines; }
    // Distance of two lines' baselines in the block's font.
    int lineHeight() const { return m_lineHeight; }

    struct Placed {
        const host::Glyph* glyph;
        int x, y; // pen position (baseline) relative to the area origin
        int line;
    };
    const std::vector<Placed>& glyphs() const { return m_glyphs; }

    // Number of layouts done by every eTextPara since start: painting must not add to it.
    static uint64_t layoutCount();

private:
    ~eTextPara() = default;
    eRect m_area;
    gFont m_font;
    int m_refs = 1;
    int m_lines = 0;
    int m_lineHeight = 0;
    bool m_bboxValid = false;
    eRect m_bbox;
    std::vector<Placed> m_glyphs;
    std::vector<int> m_lineWidths;
    std::vector<int> m_origX;      // left-aligned positions, kept for realign
    std::vector<bool> m_hardBreak; // per line: ended by a line break, not by wrapping
};
