#include "host/gui/eTextInputField.h"

#include "host/gfx/FontEngine.h"
#include "host/gfx/TextCodec.h"
#include "host/gfx/eTextPara.h"
#include "host/gfx/gPainter.h"
#include "host/gui/JsonWriter.h"

#include <algorithm>

eTextInputField::eTextInputField(eWidget* parent, eLabel* descr, eWidget* helpWidget, const char* deco)
    : eLabel(parent, flagVCenter, 1, deco), m_descr(descr), m_helpWidget(helpWidget)
{
}

int eTextInputField::layoutFlags() const
{
    return eTextPara::RS_NOWRAP;
}

void eTextInputField::setMaxChars(int maxChars)
{
    m_maxChars = std::max(0, maxChars);
}

void eTextInputField::setUseableChars(const char* chars)
{
    m_useable = chars ? host::decodeText(chars) : std::u32string();
}

bool eTextInputField::allowed(char32_t c) const
{
    if (c < 0x20 || c == 0x7F)
        return false;
    return m_useable.empty() || m_useable.find(c) != std::u32string::npos;
}

void eTextInputField::changed(int what)
{
    if (what == eWidgetEvent::changedText && !m_internalSet)
        m_cursor = static_cast<int>(host::decodeText(getText()).size());
    eLabel::changed(what);
}

void eTextInputField::setEditing(bool on)
{
    if (on == m_editing)
        return;
    m_editing = on;
    if (on)
        m_cursor = static_cast<int>(host::decodeText(getText()).size());
    invalidate();
}

void eTextInputField::insertText(const std::string& utf8)
{
    std::u32string chars = host::decodeText(getText());
    int cursor = std::clamp(m_cursor, 0, static_cast<int>(chars.size()));
    for (char32_t c : host::decodeText(utf8)) {
        if (!allowed(c))
            continue;
        if (m_maxChars > 0 && static_cast<int>(chars.size()) >= m_maxChars)
            break;
        chars.insert(chars.begin() + cursor, c);
        ++cursor;
    }
    m_cursor = cursor;
    m_internalSet = true;
    setText(host::encodeUtf8(chars));
    m_internalSet = false;
    invalidate();
}

int eTextInputField::eventHandler(const eWidgetEvent& event)
{
    if (event.type == eWidgetEvent::evtText && event.text) {
        setEditing(true);
        insertText(*event.text);
        return 1;
    }
    if (event.type == eWidgetEvent::evtKey) {
        const eRCKey k = event.key;
        switch (k) {
        case eRCKey::Ok:
            if (m_editing) {
                setEditing(false);
                selected();
            } else {
                setEditing(true);
            }
            return 1;
        case eRCKey::Exit:
            if (!m_editing)
                return 0;
            setEditing(false);
            return 1;
        case eRCKey::Backspace: {
            setEditing(true);
            std::u32string chars = host::decodeText(getText());
            if (m_cursor > 0 && m_cursor <= static_cast<int>(chars.size())) {
                chars.erase(chars.begin() + (m_cursor - 1));
                --m_cursor;
                m_internalSet = true;
                setText(host::encodeUtf8(chars));
                m_internalSet = false;
            }
            invalidate();
            return 1;
        }
        case eRCKey::Left:
        case eRCKey::Right: {
            if (!m_editing)
                return 0;
            const int n = static_cast<int>(host::decodeText(getText()).size());
            m_cursor = std::clamp(m_cursor + (k == eRCKey::Left ? -1 : 1), 0, n);
            invalidate();
            return 1;
        }
        default:
            if (k <= eRCKey::Digit9 && m_editing) {
                insertText(std::string(1, static_cast<char>('0' + static_cast<int>(k))));
                return 1; // digits never leak out of a field being edited
            }
            return 0;
        }
    }
    if (event.type == eWidgetEvent::gotFocus) {
        if (m_descr)
            m_descr->setText(getHelpText());
        if (m_helpWidget)
            m_helpWidget->setText(getHelpText());
    }
    return eLabel::eventHandler(event);
}

void eTextInputField::lostFocus()
{
    setEditing(false);
}

void eTextInputField::redrawWidget(gPainter* painter, const eRect& area)
{
    eSkin* skin = eSkin::getActive();
    if (m_editing)
        painter->fillColor(innerRect(), skin->queryColor("eNumber.editing").rgb());
    const eRect r = textRect();
    eTextPara* para = layout(eRect(0, 0, 100000, r.height()));
    // Cursor position from the laid-out glyphs; scroll so that it stays in view.
    const auto& glyphs = para->glyphs();
    int cx = 0;
    if (m_cursor < static_cast<int>(glyphs.size()))
        cx = glyphs[m_cursor].x;
    else if (!glyphs.empty())
        cx = glyphs.back().x + glyphs.back().glyph->advance;
    const int shift = std::max(0, cx + 3 - r.width());
    const eRect& box = para->getBoundBox();
    const int y = (r.height() - box.height()) / 2 - box.top();
    const gColor fore = textColor();
    painter->setForegroundColor(fore);
    painter->clip(r);
    painter->renderPara(*para, ePoint(r.left() - shift, r.top() + y));
    if (m_editing)
        painter->fillColor(eRect(r.left() + cx - shift, r.top() + 2, 2, r.height() - 4),
                           skin->queryColor("eNumber.cursor").rgb());
    painter->clippop();
}

void eTextInputField::describe(host::JsonWriter& out) const
{
    eLabel::describe(out);
    out.field("editing", m_editing);
    out.field("cursor", m_cursor);
    out.field("maxChars", m_maxChars);
}
