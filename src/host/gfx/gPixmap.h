#pragma once
#include "host/gfx/eRect.h"
#include "host/gfx/eSize.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A 32-bit surface, 0x00RRGGBB per pixel. A pixmap made with alpha (icons) keeps
// coverage in the top byte, and blitting it blends onto the target.
class gPixmap {
public:
    gPixmap() = default;
    gPixmap(int width, int height, bool hasAlpha = false, uint32_t fill = 0);

    int width() const { return m_width; }
    int height() const { return m_height; }
    eSize size() const { return eSize(m_width, m_height); }
    eRect rect() const { return eRect(0, 0, m_width, m_height); }
    bool hasAlpha() const { return m_hasAlpha; }
    int stride() const { return m_width; }

    uint32_t* data() { return m_pixels.data(); }
    const uint32_t* data() const { return m_pixels.data(); }
    uint32_t* line(int y) { return m_pixels.data() + static_cast<size_t>(y) * m_width; }
    const uint32_t* line(int y) const { return m_pixels.data() + static_cast<size_t>(y) * m_width; }
    uint32_t pixel(int x, int y) const { return line(y)[x]; }
    void setPixel(int x, int y, uint32_t v)
    {
        if (x >= 0 && y >= 0 && x < m_width && y < m_height)
            line(y)[x] = v;
    }

private:
    int m_width = 0;
    int m_height = 0;
    bool m_hasAlpha = false;
    std::vector<uint32_t> m_pixels;
};
