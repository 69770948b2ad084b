#include "host/gfx/eRect.h"

#include <algorithm>

eRect eRect::operator&(const eRect& r) const
{
    const int l = std::max(m_x, r.m_x);
    const int t = std::max(m_y, r.m_y);
    const int rt = std::min(right(), r.right());
    const int b = std::min(bottom(), r.bottom());
    if (rt <= l || b <= t)
        return eRect();
    return eRect(l, t, rt - l, b - t);
}

eRect eRect::operator|(const eRect& r) const
{
    if (isEmpty())
        return r;
    if (r.isEmpty())
        return *this;
    const int l = std::min(m_x, r.m_x);
    const int t = std::min(m_y, r.m_y);
    const int rt = std::max(right(), r.right());
    const int b = std::max(bottom(), r.bottom());
    return eRect(l, t, rt - l, b - t);
}
