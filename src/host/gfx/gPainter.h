#pragma once
#include "host/eString.h"
#include "host/gfx/eRect.h"
#include "host/gfx/gColor.h"
#include "host/gfx/gFont.h"

#include <vector>

class gPixmap;
class eTextPara;

// Draws into a pixmap at an origin, clipped to a stack of rectangles. Coordinates
// given to the drawing calls are relative to the origin (the widget being painted).
class gPainter {
public:
    enum { BT_ALPHATEST = 1 };
    // renderText flags
    enum { RT_HALIGN_LEFT = 0, RT_HALIGN_RIGHT = 1, RT_HALIGN_CENTER = 2, RT_HALIGN_BLOCK = 4,
           RT_VALIGN_CENTER = 8, RT_WRAP = 16 };

    explicit gPainter(gPixmap& target);

    void setOrigin(const ePoint& origin) { m_origin = origin; }
    const ePoint& origin() const { return m_origin; }

    void setForegroundColor(const gColor& c) { m_fore = c; }
    void setBackgroundColor(const gColor& c) { m_back = c; }
    const gColor& foregroundColor() const { return m_fore; }
    const gColor& backgroundColor() const { return m_back; }
    void setFont(const gFont& f) { m_font = f; }
    const gFont& font() const { return m_font; }

    // Fills with the background colour.
    void fill(const eRect& rect);
    void fillColor(const eRect& rect, uint32_t rgb);
    // Narrows the clip to rect (intersected with the current clip); clippop undoes it.
    void clip(const eRect& rect);
    void clippop();
    // The current clip, relative to the origin.
    eRect clipRect() const;

    void renderPara(eTextPara& para, ePoint offset = ePoint());
    // Lays the text out on the fly (a one-off: windows cache their paragraphs instead).
    void renderText(const eRect& rect, const eString& text, int flags = 0);
    void blit(const gPixmap& pixmap, ePoint pos, eRect clip = eRect(), int flags = 0);
    void line(ePoint from, ePoint to);

private:
    eRect absClip() const { return m_clips.back(); }
    gPixmap& m_target;
    ePoint m_origin;
    std::vector<eRect> m_clips; // absolute
    gColor m_fore;
    gColor m_back;
    gFont m_font;
};
