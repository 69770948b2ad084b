#pragma once
#include "host/gui/eLabel.h"

// Shows the help text of its window's focused widget, unless a text was set more
// recently than the focus last changed; then that text, until the focus moves.
class eStatusBar : public eLabel {
public:
    explicit eStatusBar(eWidget* parent, const char* deco = "eStatusBar");

    int eventHandler(const eWidgetEvent& event) override;
    void describe(host::JsonWriter& out) const override;
    bool showsHelpText() const { return !m_ownText; }

protected:
    const eString& displayText() const override;
    void changed(int what) override;

private:
    void focusMoved(const eWidget* focus);
    bool m_ownText = false;
    bool m_settingHelp = false;
    eString m_shown;
};
