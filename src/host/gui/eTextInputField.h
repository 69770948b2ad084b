#pragma once
#include "host/gui/eLabel.h"

// A one-line text field. OK enters and leaves edit mode; typing while it has the
// focus enters edit mode and inserts at the cursor; characters outside the allowed
// set, or beyond the maximum, are dropped. Exit while editing only leaves edit mode.
class eTextInputField : public eLabel {
public:
    eTextInputField(eWidget* parent, eLabel* descr = nullptr, eWidget* helpWidget = nullptr,
                    const char* deco = "eNumber");

    void setMaxChars(int maxChars);
    int getMaxChars() const { return m_maxChars; }
    void setUseableChars(const char* chars);
    bool isEditing() const { return m_editing; }
    int cursorPosition() const { return m_cursor; }

    SigC::Signal0<void> selected; // edit mode left with OK

    int eventHandler(const eWidgetEvent& event) override;
    void lostFocus() override;
    void redrawWidget(gPainter* painter, const eRect& area) override;
    void describe(host::JsonWriter& out) const override;

protected:
    void changed(int what) override;
    int layoutFlags() const override; // one line, no wrapping

private:
    bool allowed(char32_t c) const;
    void insertText(const std::string& utf8);
    void setEditing(bool on);
    int m_maxChars = 0; // 0: no limit
    std::u32string m_useable; // empty: everything printable
    eLabel* m_descr;
    eWidget* m_helpWidget;
    bool m_editing = false;
    int m_cursor = 0; // in characters
    bool m_internalSet = false;
};
