#include "host/gui/eWidget.h"

#include "host/gfx/eSkin.h"
#include "host/gfx/gPainter.h"
#include "host/gui/eDesktop.h"

#include <algorithm>

eWidget::eWidget(eWidget* parent, int takefocus)
    : m_parent(parent), m_takeFocus(takefocus), m_shown(parent != nullptr)
{
    if (m_parent)
        m_parent->m_children.push_back(this);
}

eWidget::~eWidget()
{
    if (m_shown && isVisible())
        invalidate();
    // Children remove themselves from m_children as they go.
    while (!m_children.empty())
        delete m_children.back();
    eWidget* tlw = getTLW();
    if (tlw != this && tlw->m_focus == this)
        tlw->m_focus = nullptr;
    if (m_parent) {
        auto& siblings = m_parent->m_children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    } else {
        eDesktop::instance().widgetDestroyed(this);
    }
}

eWidget* eWidget::getTLW()
{
    eWidget* w = this;
    while (w->m_parent)
        w = w->m_parent;
    return w;
}

const eWidget* eWidget::getTLW() const
{
    const eWidget* w = this;
    while (w->m_parent)
        w = w->m_parent;
    return w;
}

ePoint eWidget::getAbsolutePosition() const
{
    return m_parent ? m_parent->getAbsoluteClientPosition() + m_position : m_position;
}

ePoint eWidget::getAbsoluteClientPosition() const
{
    return getAbsolutePosition() + m_clientRect.topLeft();
}

void eWidget::move(const ePoint& position)
{
    if (position == m_position)
        return;
    invalidate();
    m_position = position;
    invalidate();
    changed(eWidgetEvent::changedPosition);
}

void eWidget::resize(const eSize& size)
{
    if (size == m_size)
        return;
    invalidate();
    m_size = size;
    recalcClientRect();
    invalidate();
    changed(eWidgetEvent::changedSize);
}

void eWidget::recalcClientRect()
{
    m_clientRect = eRect(ePoint(), m_size);
}

void eWidget::setText(const eString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    changed(eWidgetEvent::changedText);
    invalidate();
}

void eWidget::setHelpText(const eString& text)
{
    m_helpText = text;
    eWidget* tlw = getTLW();
    if (tlw->m_focus == this)
        tlw->broadcast(eWidgetEvent(eWidgetEvent::childChangedHelpText)); // for the status bar
}

void eWidget::broadcast(const eWidgetEvent& e)
{
    for (eWidget* c : std::vector<eWidget*>(m_children)) {
        c->event(e);
        c->broadcast(e);
    }
}

void eWidget::setShortcut(const eString& keyName)
{
    m_shortcut = keyName;
}

void eWidget::setFont(const gFont& font)
{
    m_font = font;
    changed(eWidgetEvent::changedFont);
    invalidate();
}

const gFont& eWidget::getFont() const
{
    if (m_font.isValid())
        return m_font;
    static thread_local gFont fallback;
    fallback = eSkin::getActive()->queryFont("global.normal");
    return fallback;
}

void eWidget::setBackgroundColor(const gColor& color)
{
    m_backgroundColor = color;
    changed(eWidgetEvent::changedBackgroundColor);
    invalidate();
}

void eWidget::setForegroundColor(const gColor& color)
{
    m_foregroundColor = color;
    changed(eWidgetEvent::changedForegroundColor);
    invalidate();
}

gColor eWidget::effectiveForeground() const
{
    if (m_foregroundColor.isValid())
        return m_foregroundColor;
    return eSkin::getActive()->queryColor("global.foreground");
}

gColor eWidget::textColor() const
{
    if (hasFocus() && !m_foregroundColor.isValid())
        return eSkin::getActive()->queryColor("global.focusText");
    return effectiveForeground();
}

void eWidget::changed(int) {}

// ---- focus -------------------------------------------------------------------

bool eWidget::isFocusable() const
{
    return m_takeFocus && m_parent && isVisible();
}

void eWidget::collectFocusable(std::vector<eWidget*>& out) const
{
    for (eWidget* c : m_children) {
        if (!c->m_shown)
            continue;
        if (c->isFocusable())
            out.push_back(c);
        c->collectFocusable(out);
    }
}

eWidget* eWidget::nextFocusable(eWidget* from, int direction) const
{
    std::vector<eWidget*> all;
    getTLW()->collectFocusable(all);
    if (all.empty())
        return nullptr;
    auto it = std::find(all.begin(), all.end(), from);
    if (it == all.end())
        return direction >= 0 ? all.front() : all.back();
    const int n = static_cast<int>(all.size());
    const int i = static_cast<int>(it - all.begin());
    return all[((i + direction) % n + n) % n];
}

void eWidget::setFocus(eWidget* widget)
{
    eWidget* tlw = getTLW();
    if (tlw != this) {
        tlw->setFocus(widget);
        return;
    }
    if (widget && widget->getTLW() != this)
        return;
    eWidget* old = m_focus;
    if (old == widget)
        return;
    m_focus = widget;
    if (old) {
        old->event(eWidgetEvent(eWidgetEvent::lostFocus));
        old->invalidate();
    }
    if (widget) {
        widget->event(eWidgetEvent(eWidgetEvent::gotFocus));
        widget->invalidate();
    }
    focusChanged(widget);
}

void eWidget::focusLeaving(eWidget* w)
{
    // w (or the branch it heads) is going away: hand the focus on.
    eWidget* tlw = getTLW();
    eWidget* f = tlw->m_focus;
    if (!f)
        return;
    for (eWidget* p = f; p; p = p->m_parent)
        if (p == w) {
            eWidget* next = tlw->nextFocusable(f, 1);
            tlw->setFocus(next == f ? nullptr : next);
            return;
        }
}

// ---- visibility and painting ---------------------------------------------------

bool eWidget::isVisible() const
{
    for (const eWidget* w = this; w; w = w->m_parent)
        if (!w->m_shown)
            return false;
    return true;
}

void eWidget::show()
{
    if (m_shown && (m_parent || eDesktop::instance().isStacked(this)))
        return;
    willShow();
    m_shown = true;
    event(eWidgetEvent(eWidgetEvent::willShow));
    eWidget* tlw = getTLW();
    if (!m_parent)
        eDesktop::instance().windowShown(this);
    if (tlw->isVisible() && (!tlw->m_focus || !tlw->m_focus->isFocusable()))
        tlw->setFocus(tlw->nextFocusable(nullptr, 1));
    invalidate();
}

void eWidget::hide()
{
    if (!m_shown)
        return;
    invalidate();
    willHide();
    event(eWidgetEvent(eWidgetEvent::willHide));
    m_shown = false;
    if (!m_parent)
        eDesktop::instance().windowHidden(this);
    else
        getTLW()->focusLeaving(this);
}

void eWidget::invalidate()
{
    invalidate(eRect(ePoint(), m_size));
}

void eWidget::invalidate(const eRect& area)
{
    if (!isVisible())
        return;
    eRect abs = area.translated(getAbsolutePosition());
    for (const eWidget* p = m_parent; p; p = p->m_parent)
        abs &= p->m_clientRect.translated(p->getAbsolutePosition());
    if (!abs.isEmpty())
        eDesktop::instance().invalidate(abs);
}

void eWidget::paint(gPainter& painter, const eRect& absClip)
{
    const eRect abs(getAbsolutePosition(), m_size);
    const eRect visible = abs & absClip;
    if (visible.isEmpty())
        return;
    painter.setOrigin(abs.topLeft());
    const eRect area = visible.translated(ePoint() - abs.topLeft());
    painter.clip(area);
    eraseBackground(&painter, area);
    redrawWidget(&painter, area);
    painter.clippop();
    const eRect client = m_clientRect.translated(abs.topLeft()) & visible;
    if (client.isEmpty())
        return;
    for (eWidget* c : std::vector<eWidget*>(m_children))
        if (c->m_shown)
            c->paint(painter, client);
}

void eWidget::eraseBackground(gPainter* painter, const eRect& area)
{
    if (m_backgroundColor.isValid()) {
        painter->setBackgroundColor(m_backgroundColor);
        painter->fill(area);
    }
}

void eWidget::redrawWidget(gPainter*, const eRect&) {}

// ---- events --------------------------------------------------------------------

int eWidget::event(const eWidgetEvent& e)
{
    if (eventFilter(e))
        return 1;
    return eventHandler(e);
}

int eWidget::eventFilter(const eWidgetEvent&)
{
    return 0;
}

int eWidget::eventHandler(const eWidgetEvent& e)
{
    switch (e.type) {
    case eWidgetEvent::gotFocus:
        gotFocus();
        return 1;
    case eWidgetEvent::lostFocus:
        lostFocus();
        return 1;
    default:
        return 0;
    }
}

void eWidget::willShow() {}
void eWidget::willHide() {}
void eWidget::setPalette() {}
void eWidget::keyDown(int) {}
void eWidget::keyUp(int) {}
void eWidget::gotFocus() {}
void eWidget::lostFocus() {}
void eWidget::activate()
{
    setFocus(this);
}

int eWidget::setProperty(const eString& prop, const eString& value)
{
    if (prop == "text")
        setText(value);
    else if (prop == "name")
        setName(value);
    else if (prop == "helptext")
        setHelpText(value);
    else if (prop == "shortcut")
        setShortcut(value);
    else
        return -1;
    return 0;
}

// ---- modal loop ------------------------------------------------------------------

int eWidget::exec()
{
    return eDesktop::instance().exec(this);
}

void eWidget::close(int result)
{
    eDesktop::instance().close(this, result);
}

bool eWidget::isExecuting() const
{
    return eDesktop::instance().isExecuting(this);
}

void eWidget::addActionMap(eActionMap* map)
{
    if (map && std::find(m_actionMaps.begin(), m_actionMaps.end(), map) == m_actionMaps.end())
        m_actionMaps.push_back(map);
}

void eWidget::removeActionMap(eActionMap* map)
{
    m_actionMaps.erase(std::remove(m_actionMaps.begin(), m_actionMaps.end(), map), m_actionMaps.end());
}
