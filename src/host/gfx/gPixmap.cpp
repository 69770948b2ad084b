#include "host/gfx/gPixmap.h"

#include <algorithm>

gPixmap::gPixmap(int width, int height, bool hasAlpha, uint32_t fill)
    : m_width(std::max(0, width)), m_height(std::max(0, height)), m_hasAlpha(hasAlpha),
      m_pixels(static_cast<size_t>(m_width) * m_height, fill)
{
}
