#include "host/gui/eDesktop.h"

#include "host/gfx/eSkin.h"
#include "host/gfx/gPainter.h"
#include "host/gui/Screen.h"
#include "host/gui/eWidget.h"

#include <algorithm>

eDesktop& eDesktop::instance()
{
    static eDesktop desktop;
    return desktop;
}

eDesktop::eDesktop() : m_screen(host::kScreenWidth, host::kScreenHeight)
{
    m_dirty = m_screen.rect();
}

bool eDesktop::isStacked(const eWidget* window) const
{
    return std::find(m_windows.begin(), m_windows.end(), window) != m_windows.end();
}

void eDesktop::windowShown(eWidget* window)
{
    m_windows.erase(std::remove(m_windows.begin(), m_windows.end(), window), m_windows.end());
    m_windows.push_back(window);
}

void eDesktop::windowHidden(eWidget* window)
{
    m_windows.erase(std::remove(m_windows.begin(), m_windows.end(), window), m_windows.end());
}

void eDesktop::widgetDestroyed(eWidget* widget)
{
    windowHidden(widget);
    // A window destroyed while its loop runs can no longer be closed by anyone.
    for (Frame* f : m_frames)
        if (f->window == widget && !f->done) {
            f->done = true;
            f->result = -1;
        }
}

void eDesktop::invalidate(const eRect& screenArea)
{
    m_dirty |= screenArea & m_screen.rect();
}

bool eDesktop::refresh()
{
    if (m_dirty.isEmpty())
        return false;
    const eRect dirty = m_dirty;
    m_dirty = eRect();
    gPainter painter(m_screen);
    const gColor back = eSkin::getActive()->queryColor("desktop.background");
    painter.fillColor(dirty, back.isValid() ? back.rgb() : 0x0A0F1E);
    // Painting may lay out a window that changes itself; copy the stack first.
    const std::vector<eWidget*> windows = m_windows;
    for (eWidget* w : windows)
        if (w->isShown())
            w->paint(painter, dirty);
    if (host::Frontend* fe = host::frontend())
        fe->present({m_screen.data(), m_screen.width(), m_screen.height(), m_screen.stride()});
    return true;
}

int eDesktop::exec(eWidget* window)
{
    Frame frame{window, 0, false};
    m_frames.push_back(&frame);
    struct Pop {
        std::vector<Frame*>& frames;
        Frame* f;
        ~Pop() { frames.erase(std::remove(frames.begin(), frames.end(), f), frames.end()); }
    } pop{m_frames, &frame};

    window->event(eWidgetEvent(eWidgetEvent::execBegin));
    while (!frame.done) {
        refresh();
        host::Frontend* fe = host::frontend();
        if (!fe) {
            // Nobody can press a key: a modal loop would never end.
            frame.result = -1;
            break;
        }
        const host::InputEvent input = fe->nextInput();
        dispatch(input);
    }
    window->event(eWidgetEvent(eWidgetEvent::execDone));
    return frame.result;
}

bool eDesktop::close(eWidget* window, int result)
{
    for (auto it = m_frames.rbegin(); it != m_frames.rend(); ++it)
        if ((*it)->window == window && !(*it)->done) {
            (*it)->done = true;
            (*it)->result = result;
            return true;
        }
    return false;
}

bool eDesktop::isExecuting(const eWidget* window) const
{
    for (const Frame* f : m_frames)
        if (f->window == window && !f->done)
            return true;
    return false;
}

bool eDesktop::frameDone(const eWidget* window) const
{
    for (auto it = m_frames.rbegin(); it != m_frames.rend(); ++it)
        if ((*it)->window == window)
            return (*it)->done;
    return false;
}

eWidget* eDesktop::activeWindow() const
{
    for (auto it = m_frames.rbegin(); it != m_frames.rend(); ++it)
        if (!(*it)->done)
            return (*it)->window;
    return m_windows.empty() ? nullptr : m_windows.back();
}

bool eDesktop::dispatch(const host::InputEvent& input)
{
    eWidget* window = activeWindow();
    if (!window)
        return false;
    eWidget* focus = window->getFocus();
    if (focus && !focus->isVisible())
        focus = nullptr;
    if (input.kind == host::InputEvent::Kind::Text) {
        if (!focus)
            return false;
        eWidgetEvent ev(eWidgetEvent::evtText);
        ev.text = &input.text;
        return focus->event(ev) != 0;
    }
    if (focus) {
        eWidgetEvent ev(eWidgetEvent::evtKey);
        ev.key = input.key;
        if (focus->event(ev))
            return true;
    }
    // What the focused widget left becomes actions of the window's maps, in the order
    // they were added, then the maps every window has.
    std::vector<const eActionMap*> maps(window->getActionMaps().begin(), window->getActionMaps().end());
    for (const eActionMap* m : {&i_cursorActions->map, &i_focusActions->map, &i_shortcutActions->map})
        if (std::find(maps.begin(), maps.end(), m) == maps.end())
            maps.push_back(m);
    for (const eActionMap* m : maps) {
        const eAction* action = m->find(input.key);
        if (!action)
            continue;
        if (window->event(eWidgetEvent(eWidgetEvent::evtAction, action)))
            return true;
        if (frameDone(window))
            return true; // the handler closed its window: the key is spent
    }
    return false;
}

namespace host {

void refreshScreen()
{
    eDesktop::instance().refresh();
}

const gPixmap& screen()
{
    return eDesktop::instance().screen();
}

bool dispatchInput(const InputEvent& input)
{
    return eDesktop::instance().dispatch(input);
}

} // namespace host
