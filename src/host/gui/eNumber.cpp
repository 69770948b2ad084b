#include "host/gui/eNumber.h"

#include "host/gfx/gPainter.h"
#include "host/gui/JsonWriter.h"

#include <algorithm>

eNumber::eNumber(eWidget* parent, int len, int min, int max, int maxdigits, int* init, int isactive,
                 eWidget* descr, int grabfocus, const char* deco)
    : eLabel(parent, flagVCenter, grabfocus, deco), m_values(std::max(1, len), 0), m_min(min), m_max(max),
      m_maxDigits(std::clamp(maxdigits, 1, 9)), m_active(isactive), m_descr(descr)
{
    setAlign(alignCenter);
    if (init)
        for (size_t i = 0; i < m_values.size(); ++i)
            m_values[i] = std::clamp(init[i], m_min, m_max);
    refresh();
}

int eNumber::getNumber(int field) const
{
    if (field < 0 || field >= static_cast<int>(m_values.size()))
        return 0;
    return m_values[field];
}

void eNumber::setNumber(int field, int value)
{
    if (field < 0 || field >= static_cast<int>(m_values.size()))
        return;
    m_values[field] = std::clamp(value, m_min, m_max);
    m_editing = false;
    refresh();
}

void eNumber::refresh()
{
    eString text;
    for (size_t i = 0; i < m_values.size(); ++i) {
        if (i)
            text += '.';
        text += std::to_string(m_values[i]);
    }
    if (text != m_display) {
        m_display = text;
        dropLayout();
    }
    invalidate();
}

void eNumber::finishEditing()
{
    if (!m_editing)
        return;
    m_editing = false;
    m_values[0] = std::clamp(m_values[0], m_min, m_max);
    refresh();
    numberChanged(m_values[0]);
}

int eNumber::eventHandler(const eWidgetEvent& event)
{
    if (event.type == eWidgetEvent::evtKey) {
        const eRCKey k = event.key;
        if (k <= eRCKey::Digit9) {
            const int digit = static_cast<int>(k) - static_cast<int>(eRCKey::Digit0);
            if (!m_editing) {
                m_editing = true;
                m_typed = 0;
                m_values[0] = 0;
            }
            // Digits are appended while editing; unclamped until editing ends.
            m_values[0] = m_values[0] * 10 + digit;
            if (++m_typed >= m_maxDigits)
                finishEditing();
            else
                refresh();
            return 1;
        }
        if (k == eRCKey::Backspace && m_editing) {
            m_values[0] /= 10;
            if (m_typed > 0)
                --m_typed;
            refresh();
            return 1;
        }
        if (k == eRCKey::Ok) {
            finishEditing();
            selected();
            return 1;
        }
        return 0;
    }
    if (event.type == eWidgetEvent::gotFocus && m_descr && m_descr != this)
        m_descr->setText(getHelpText());
    return eLabel::eventHandler(event);
}

void eNumber::lostFocus()
{
    finishEditing();
}

void eNumber::redrawWidget(gPainter* painter, const eRect& area)
{
    eSkin* skin = eSkin::getActive();
    if (m_editing)
        painter->fillColor(innerRect(), skin->queryColor("eNumber.editing").rgb());
    const gColor fore = textColor();
    paintText(painter, textRect(), fore);
}

void eNumber::describe(host::JsonWriter& out) const
{
    eLabel::describe(out);
    out.field("value", m_values[0]);
    if (m_values.size() > 1) {
        out.key("values");
        out.beginArray();
        for (int v : m_values)
            out.value(v);
        out.endArray();
    }
    out.field("min", m_min);
    out.field("max", m_max);
    out.field("maxDigits", m_maxDigits);
    out.field("editing", m_editing);
}
