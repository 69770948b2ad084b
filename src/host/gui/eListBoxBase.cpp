#include "host/gui/eListBoxBase.h"

#include "host/gfx/gPainter.h"
#include "host/gui/JsonWriter.h"
#include "host/gui/eLabel.h"
#include "host/gui/eListBoxEntry.h"

#include <algorithm>

namespace {
constexpr int kScrollbar = 4;
}

eListBoxBase::eListBoxBase(eWidget* parent, eLabel* descr, int takefocus, int itemHeight, const char* deco)
    : eDecoWidget(parent, takefocus, deco), m_descr(descr), m_itemHeight(std::max(1, itemHeight))
{
}

eListBoxBase::~eListBoxBase()
{
    m_clearing = true;
    for (eListBoxEntry* e : m_entries) {
        e->listbox = nullptr;
        delete e;
    }
    m_entries.clear();
}

void eListBoxBase::beginAtomic()
{
    ++m_atomic;
}

void eListBoxBase::endAtomic()
{
    if (m_atomic > 0 && --m_atomic == 0)
        invalidate();
}

void eListBoxBase::clearList()
{
    m_clearing = true;
    std::vector<eListBoxEntry*> old;
    old.swap(m_entries);
    for (eListBoxEntry* e : old) {
        e->listbox = nullptr;
        delete e;
    }
    m_clearing = false;
    m_current = -1;
    m_top = 0;
    if (!m_atomic)
        invalidate();
}

void eListBoxBase::append(eListBoxEntry* entry)
{
    m_entries.push_back(entry);
    const int index = getCount() - 1;
    if (m_current < 0)
        m_current = 0;
    if (!m_atomic && index < m_top + visibleRows())
        invalidateEntry(index);
}

void eListBoxBase::remove(eListBoxEntry* entry)
{
    if (m_clearing)
        return;
    const int index = indexOf(entry);
    if (index < 0)
        return;
    m_entries.erase(m_entries.begin() + index);
    entry->listbox = nullptr;
    if (m_current >= getCount())
        m_current = getCount() - 1;
    m_top = std::clamp(m_top, 0, std::max(0, getCount() - visibleRows()));
    if (!m_atomic)
        invalidate();
}

int eListBoxBase::indexOf(const eListBoxEntry* entry) const
{
    auto it = std::find(m_entries.begin(), m_entries.end(), entry);
    return it == m_entries.end() ? -1 : static_cast<int>(it - m_entries.begin());
}

void eListBoxBase::sort()
{
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [](const eListBoxEntry* a, const eListBoxEntry* b) { return *a < *b; });
    if (!m_atomic)
        invalidate();
}

void eListBoxBase::recalcClientRect()
{
    eDecoWidget::recalcClientRect();
    m_top = std::clamp(m_top, 0, std::max(0, getCount() - visibleRows()));
}

int eListBoxBase::visibleRows() const
{
    return std::max(1, innerRect().height() / m_itemHeight);
}

eRect eListBoxBase::rowRect(int row) const
{
    const eRect inner = innerRect();
    const int bar = getCount() > visibleRows() ? kScrollbar + 1 : 0;
    return eRect(inner.left(), inner.top() + (row - m_top) * m_itemHeight, inner.width() - bar, m_itemHeight);
}

void eListBoxBase::invalidateEntry(int index)
{
    if (m_atomic || index < m_top || index >= m_top + visibleRows())
        return;
    invalidate(rowRect(index));
}

void eListBoxBase::invalidateEntry(const eListBoxEntry* entry)
{
    invalidateEntry(indexOf(entry));
}

void eListBoxBase::invalidateCurrent()
{
    invalidateEntry(m_current);
}

eListBoxEntry* eListBoxBase::getCurrentEntry() const
{
    return m_current >= 0 && m_current < getCount() ? m_entries[m_current] : nullptr;
}

void eListBoxBase::scrollToCurrent()
{
    const int rows = visibleRows();
    const int oldTop = m_top;
    if (m_current < m_top)
        m_top = m_current;
    else if (m_current >= m_top + rows)
        m_top = m_current - rows + 1;
    m_top = std::clamp(m_top, 0, std::max(0, getCount() - rows));
    if (m_top != oldTop && !m_atomic)
        invalidate();
}

void eListBoxBase::currentChanged(int old, bool sendSignal)
{
    if (old == m_current)
        return;
    const int oldTop = m_top;
    scrollToCurrent();
    if (oldTop == m_top) {
        invalidateEntry(old);
        invalidateEntry(m_current);
    }
    if (m_descr)
        if (eListBoxEntry* e = getCurrentEntry())
            m_descr->setText(e->getHelpText());
    if (sendSignal)
        emitSelChanged(getCurrentEntry());
}

bool eListBoxBase::setCurrentEntry(const eListBoxEntry* entry, bool sendSignal)
{
    const int index = indexOf(entry);
    if (index < 0)
        return false;
    const int old = m_current;
    m_current = index;
    currentChanged(old, sendSignal);
    return true;
}

void eListBoxBase::setCurrentIndex(int index, bool sendSignal)
{
    if (index < 0 || index >= getCount())
        return;
    const int old = m_current;
    m_current = index;
    currentChanged(old, sendSignal);
}

void eListBoxBase::moveSelection(int dir)
{
    const int n = getCount();
    if (n == 0)
        return;
    const int rows = visibleRows();
    const int old = m_current;
    int cur = std::max(0, m_current);
    switch (dir) {
    case dirUp:
    case dirDown:
        // One row on, wrapping, passing over rows that cannot be selected.
        for (int step = 0; step < n; ++step) {
            cur = dir == dirUp ? (cur > 0 ? cur - 1 : n - 1) : (cur < n - 1 ? cur + 1 : 0);
            if (m_entries[cur]->isSelectable())
                break;
        }
        break;
    case dirPageUp:
        cur = std::max(0, cur - rows);
        m_top = std::max(0, m_top - rows);
        break;
    case dirPageDown:
        cur = std::min(n - 1, cur + rows);
        m_top = std::min(std::max(0, n - rows), m_top + rows);
        break;
    case dirFirst: cur = 0; break;
    case dirLast: cur = n - 1; break;
    default: break;
    }
    m_current = cur;
    if ((dir == dirPageUp || dir == dirPageDown) && !m_atomic)
        invalidate(); // the whole page changes
    currentChanged(old, true);
}

int eListBoxBase::eventHandler(const eWidgetEvent& event)
{
    if (event.type == eWidgetEvent::evtKey) {
        switch (event.key) {
        case eRCKey::Ok:
            emitSelected(getCurrentEntry()); // null on an empty list
            return 1;
        case eRCKey::Up:
        case eRCKey::Down:
        case eRCKey::Left:
        case eRCKey::Right:
            if (getCount() == 0)
                return 0; // nothing to move: let the window move the focus
            moveSelection(event.key == eRCKey::Up ? dirUp
                          : event.key == eRCKey::Down ? dirDown
                          : event.key == eRCKey::Left ? dirPageUp : dirPageDown);
            return 1;
        default:
            break;
        }
        if (eListBoxEntry* e = getCurrentEntry())
            return e->eventHandler(event);
        return 0;
    }
    return eDecoWidget::eventHandler(event);
}

void eListBoxBase::gotFocus()
{
    invalidateCurrent();
    if (m_descr)
        if (eListBoxEntry* e = getCurrentEntry())
            m_descr->setText(e->getHelpText());
}

void eListBoxBase::lostFocus()
{
    invalidateCurrent();
}

void eListBoxBase::redrawWidget(gPainter* painter, const eRect& area)
{
    eSkin* skin = eSkin::getActive();
    const gColor activeB = skin->queryColor("eListBox.selected");
    const gColor activeF = skin->queryColor("eListBox.selectedText");
    const gColor normalB = getBackgroundColor().isValid() ? getBackgroundColor() : skin->queryColor("eListBox.background");
    const gColor normalF = effectiveForeground();
    const bool focused = hasFocus();
    const int rows = visibleRows();
    const int last = std::min(getCount(), m_top + rows);
    for (int i = m_top; i < last; ++i) {
        const eRect r = rowRect(i);
        if (!r.intersects(area))
            continue;
        const int state = i == m_current ? (focused ? 1 : 2) : 0;
        painter->clip(r);
        eListBoxEntry* e = m_entries[i];
        e->m_shownText = e->redraw(painter, r, activeB, activeF, normalB, normalF, state);
        painter->clippop();
    }
    if (getCount() > rows) {
        const eRect inner = innerRect();
        const eRect track(inner.right() - kScrollbar, inner.top(), kScrollbar, inner.height());
        const int h = std::max(8, track.height() * rows / getCount());
        const int y = (track.height() - h) * m_top / std::max(1, getCount() - rows);
        painter->fillColor(eRect(track.left(), track.top() + y, kScrollbar, h), skin->queryColor("eListBox.scrollbar").rgb());
    }
}

void eListBoxBase::describe(host::JsonWriter& out) const
{
    eDecoWidget::describe(out);
    out.field("count", getCount());
    out.field("current", m_current);
    out.field("top", m_top);
    out.field("visibleRows", visibleRows());
    out.field("itemHeight", m_itemHeight);
    out.field("flags", m_flags);
    out.key("rows");
    out.beginArray();
    for (const eListBoxEntry* e : m_entries)
        out.value(std::string(e->describe()));
    out.endArray();
}
