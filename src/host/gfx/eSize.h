#pragma once

// A width and height in pixels.
class eSize {
public:
    eSize() = default;
    eSize(int w, int h) : m_w(w), m_h(h) {}
    int width() const { return m_w; }
    int height() const { return m_h; }
    void setWidth(int w) { m_w = w; }
    void setHeight(int h) { m_h = h; }
    bool isEmpty() const { return m_w <= 0 || m_h <= 0; }
    eSize operator+(const eSize& o) const { return eSize(m_w + o.m_w, m_h + o.m_h); }
    eSize operator-(const eSize& o) const { return eSize(m_w - o.m_w, m_h - o.m_h); }
    bool operator==(const eSize& o) const { return m_w == o.m_w && m_h == o.m_h; }
    bool operator!=(const eSize& o) const { return !(*this == o); }

private:
    int m_w = 0;
    int m_h = 0;
};
