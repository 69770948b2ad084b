#pragma once
#include "host/gui/eLabel.h"

// A label that takes the focus; OK on it, or its shortcut key, emits selected.
class eButton : public eLabel {
public:
    eButton(eWidget* parent, eLabel* descr = nullptr, int takefocus = 1, const char* deco = "eButton");

    SigC::Signal0<void> selected;

    int eventHandler(const eWidgetEvent& event) override;
    void activate() override;
    void redrawWidget(gPainter* painter, const eRect& area) override;
    void eraseBackground(gPainter* painter, const eRect& area) override;

protected:
    eLabel* m_descr;
};
