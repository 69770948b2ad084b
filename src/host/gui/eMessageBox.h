#pragma once
#include "host/gui/eWindow.h"

#include <vector>

class eButton;
class eLabel;

// A centred window with a message, an icon and a row of buttons; exec returns the
// button pressed (btOK ...), or -1 for exit.
class eMessageBox : public eWindow {
public:
    enum {
        btOK = 1, btCancel = 2, btYes = 4, btNo = 8,
        iconInfo = 16, iconWarning = 32, iconQuestion = 64, iconError = 128
    };

    eMessageBox(eString message, eString caption, int flags = btOK, int def = btOK, int timeout = 0);
    ~eMessageBox() override;

    const eString& getMessage() const { return m_message; }
    int getFlags() const { return m_flags; }
    int getTimeout() const { return m_timeout; }
    // The button value the focused button stands for (0 when none).
    int focusedButton() const;

    void redrawWidget(gPainter* painter, const eRect& area) override;
    void describe(host::JsonWriter& out) const override;

private:
    eString m_message;
    int m_flags;
    int m_timeout;
    eLabel* m_text;
    std::vector<std::pair<eButton*, int>> m_buttons;
    eRect m_iconRect;
};
