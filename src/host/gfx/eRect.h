#pragma once
#include "host/gfx/ePoint.h"
#include "host/gfx/eSize.h"

// An axis-aligned rectangle; right() and bottom() are exclusive (left + width, top + height).
class eRect {
public:
    eRect() = default;
    eRect(int x, int y, int w, int h) : m_x(x), m_y(y), m_w(w), m_h(h) {}
    eRect(const ePoint& p, const eSize& s) : m_x(p.x()), m_y(p.y()), m_w(s.width()), m_h(s.height()) {}

    int left() const { return m_x; }
    int top() const { return m_y; }
    int right() const { return m_x + m_w; }
    int bottom() const { return m_y + m_h; }
    int x() const { return m_x; }
    int y() const { return m_y; }
    int width() const { return m_w; }
    int height() const { return m_h; }
    ePoint topLeft() const { return ePoint(m_x, m_y); }
    eSize size() const { return eSize(m_w, m_h); }
    bool isEmpty() const { return m_w <= 0 || m_h <= 0; }
    bool isValid() const { return !isEmpty(); }

    bool contains(const ePoint& p) const
    {
        return p.x() >= m_x && p.y() >= m_y && p.x() < right() && p.y() < bottom();
    }
    bool contains(const eRect& r) const
    {
        return !r.isEmpty() && r.m_x >= m_x && r.m_y >= m_y && r.right() <= right() && r.bottom() <= bottom();
    }
    bool intersects(const eRect& r) const { return !(*this & r).isEmpty(); }

    void moveBy(int dx, int dy) { m_x += dx; m_y += dy; }
    void moveTo(const ePoint& p) { m_x = p.x(); m_y = p.y(); }
    eRect translated(const ePoint& d) const { return eRect(m_x + d.x(), m_y + d.y(), m_w, m_h); }
    // Shrinks every side by n pixels (grows for negative n).
    eRect inset(int n) const { return eRect(m_x + n, m_y + n, m_w - 2 * n, m_h - 2 * n); }

    // Intersection; empty when the two do not overlap.
    eRect operator&(const eRect& r) const;
    // Smallest rectangle holding both; an empty operand is ignored.
    eRect operator|(const eRect& r) const;
    eRect& operator&=(const eRect& r) { return *this = *this & r; }
    eRect& operator|=(const eRect& r) { return *this = *this | r; }
    bool operator==(const eRect& r) const
    {
        return m_x == r.m_x && m_y == r.m_y && m_w == r.m_w && m_h == r.m_h;
    }
    bool operator!=(const eRect& r) const { return !(*this == r); }

private:
    int m_x = 0;
    int m_y = 0;
    int m_w = 0;
    int m_h = 0;
};
