#pragma once
#include "host/gui/eButton.h"

// A tick box with a text. OK (or the shortcut) toggles, then emits selected and checked.
class eCheckbox : public eButton {
public:
    eCheckbox(eWidget* parent, int checked = 0, int takefocus = 1, bool swapTxtPixmap = false,
              const char* deco = "eCheckBox");

    void setCheck(int checked);
    int isChecked() const { return m_checked; }

    SigC::Signal1<void, int> checked;

    int eventHandler(const eWidgetEvent& event) override;
    void activate() override;
    void redrawWidget(gPainter* painter, const eRect& area) override;
    void describe(host::JsonWriter& out) const override;

private:
    void toggle();
    int m_checked;
    bool m_swap;
};
