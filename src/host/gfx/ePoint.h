#pragma once

// A point in pixels; x grows to the right, y downwards.
class ePoint {
public:
    ePoint() = default;
    ePoint(int x, int y) : m_x(x), m_y(y) {}
    int x() const { return m_x; }
    int y() const { return m_y; }
    void setX(int x) { m_x = x; }
    void setY(int y) { m_y = y; }
    ePoint operator+(const ePoint& o) const { return ePoint(m_x + o.m_x, m_y + o.m_y); }
    ePoint operator-(const ePoint& o) const { return ePoint(m_x - o.m_x, m_y - o.m_y); }
    ePoint& operator+=(const ePoint& o) { m_x += o.m_x; m_y += o.m_y; return *this; }
    ePoint& operator-=(const ePoint& o) { m_x -= o.m_x; m_y -= o.m_y; return *this; }
    bool operator==(const ePoint& o) const { return m_x == o.m_x && m_y == o.m_y; }
    bool operator!=(const ePoint& o) const { return !(*this == o); }

private:
    int m_x = 0;
    int m_y = 0;
};
