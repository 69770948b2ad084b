#pragma once
#include "host/gui/eWidget.h"

// A top-level window: a title bar over a client area in which the children sit.
// Always listens to the cursor, focus and shortcut maps besides those added to it.
class eWindow : public eWidget {
public:
    explicit eWindow(int takefocus = 0);
    ~eWindow() override;

    // Moves the window so that its client area starts at the screen point.
    void cmove(const ePoint& clientPosition);
    // Sizes the window so that its client area has this size.
    void cresize(const eSize& clientSize);
    eSize getClientSize() const { return getClientRect().size(); }

    // Exit closes with -1; focus up/left and down/right move the focus; a shortcut
    // action fires the widget with that shortcut. 1 when handled.
    int eventHandler(const eWidgetEvent& event) override;
    void recalcClientRect() override;
    void redrawWidget(gPainter* painter, const eRect& area) override;
    void eraseBackground(gPainter* painter, const eRect& area) override;

    static int titleHeight();
    static int borderWidth();

protected:
    void changed(int what) override;

private:
    class eTextPara* m_titlePara = nullptr;
};
