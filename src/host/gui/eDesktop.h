#pragma once
// The screen's window stack, its dirty area and the modal loops. Internal to the
// toolkit: widgets talk to it, programs use Screen.h.
#include "host/gfx/eRect.h"
#include "host/gfx/gPixmap.h"
#include "host/gui/Frontend.h"

#include <vector>

class eWidget;

class eDesktop {
public:
    static eDesktop& instance();

    // Top-level windows in show order (the last is on top).
    const std::vector<eWidget*>& windows() const { return m_windows; }
    bool isStacked(const eWidget* window) const;
    void windowShown(eWidget* window);
    void windowHidden(eWidget* window);
    void widgetDestroyed(eWidget* widget);

    void invalidate(const eRect& screenArea);
    bool isDirty() const { return !m_dirty.isEmpty(); }
    // Paints the dirty area and presents the frame; false when nothing was dirty.
    bool refresh();
    gPixmap& screen() { return m_screen; }

    int exec(eWidget* window);
    bool close(eWidget* window, int result);
    bool isExecuting(const eWidget* window) const;
    // The window keys go to: the innermost modal one, else the top-most shown one.
    eWidget* activeWindow() const;
    bool dispatch(const host::InputEvent& input);

private:
    eDesktop();
    struct Frame {
        eWidget* window;
        int result;
        bool done;
    };
    bool frameDone(const eWidget* window) const;

    gPixmap m_screen;
    eRect m_dirty;
    std::vector<eWidget*> m_windows;
    std::vector<Frame*> m_frames;
};
