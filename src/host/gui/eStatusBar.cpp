#include "host/gui/eStatusBar.h"

#include "host/gui/JsonWriter.h"

eStatusBar::eStatusBar(eWidget* parent, const char* deco) : eLabel(parent, flagVCenter, 0, deco)
{
    setFont(eSkin::getActive()->queryFont("eStatusBar"));
    setForegroundColor(eSkin::getActive()->queryColor("eStatusBar.foreground"));
    getTLW()->focusChanged.connect(sigc::mem_fun(*this, &eStatusBar::focusMoved));
}

void eStatusBar::changed(int what)
{
    if (what == eWidgetEvent::changedText)
        m_ownText = true;
    eLabel::changed(what);
}

void eStatusBar::focusMoved(const eWidget*)
{
    m_ownText = false;
    dropLayout();
    invalidate();
}

int eStatusBar::eventHandler(const eWidgetEvent& event)
{
    if (event.type == eWidgetEvent::childChangedHelpText && !m_ownText) {
        dropLayout();
        invalidate();
        return 1;
    }
    return eLabel::eventHandler(event);
}

const eString& eStatusBar::displayText() const
{
    static const eString none;
    if (m_ownText)
        return getText();
    const eWidget* focus = getFocus();
    return focus ? focus->getHelpText() : none;
}

void eStatusBar::describe(host::JsonWriter& out) const
{
    eLabel::describe(out);
    out.field("shows", std::string(displayText()));
    out.field("showsHelpText", !m_ownText);
}
