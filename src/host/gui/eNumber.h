#pragma once
#include "host/gui/eLabel.h"

#include <vector>

// A number field. Digits typed while it has the focus edit it: the first digit
// replaces the value, later ones append up to maxdigits. The value is clamped to
// [min, max] when editing ends (OK, or the focus leaves); OK also emits selected.
// Only len == 1 (a single number) is fully supported; more fields are kept and shown.
class eNumber : public eLabel {
public:
    eNumber(eWidget* parent, int len, int min, int max, int maxdigits, int* init, int isactive = 0,
            eWidget* descr = nullptr, int grabfocus = 1, const char* deco = "eNumber");

    int getNumber(int field = 0) const;
    void setNumber(int field, int value);
    void setNumber(int value) { setNumber(0, value); }
    bool isEditing() const { return m_editing; }
    int getMin() const { return m_min; }
    int getMax() const { return m_max; }

    SigC::Signal0<void> selected;
    SigC::Signal1<void, int> numberChanged;

    int eventHandler(const eWidgetEvent& event) override;
    void lostFocus() override;
    void redrawWidget(gPainter* painter, const eRect& area) override;
    void describe(host::JsonWriter& out) const override;

protected:
    const eString& displayText() const override { return m_display; }

private:
    void finishEditing();
    void refresh();
    std::vector<int> m_values;
    int m_min, m_max, m_maxDigits;
    int m_active;
    eWidget* m_descr;
    bool m_editing = false;
    int m_typed = 0; // digits typed since editing began
    eString m_display;
};
