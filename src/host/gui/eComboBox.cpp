#include "host/gui/eComboBox.h"

#include "host/gfx/gPainter.h"
#include "host/gui/JsonWriter.h"
#include "host/gui/Screen.h"
#include "host/gui/eWindow.h"

#include <cstdint>

// The list a combo box opens: a window with a frame and no title bar.
class eComboPopup : public eWindow {
public:
    eComboPopup() : eWindow(0) { recalcClientRect(); }
    void recalcClientRect() override
    {
        const int b = borderWidth();
        setClientRect(eRect(ePoint(), getSize()).inset(b));
    }
    void redrawWidget(gPainter*, const eRect&) override {}
    void eraseBackground(gPainter* painter, const eRect&) override
    {
        painter->fillColor(eRect(ePoint(), getSize()), eSkin::getActive()->queryColor("eWindow.frame").rgb());
    }
};

eComboBox::eComboBox(eWidget* parent, int openEntries, eLabel* descr, int takefocus, const char* deco)
    : eButton(parent, descr, takefocus, deco), m_popup(new eComboPopup()), m_openEntries(openEntries > 0 ? openEntries : 5)
{
    setAlign(alignLeft);
    m_list = new eListBox<eListBoxEntryText>(m_popup, nullptr, 1);
    m_list->loadDeco();
    m_list->selected.connect(sigc::mem_fun(*this, &eComboBox::picked));
}

eComboBox::~eComboBox()
{
    delete m_popup;
}

eListBoxEntryText* eComboBox::addEntry(const eString& text, void* key)
{
    auto* e = new eListBoxEntryText(m_list, text, key);
    dropLayout();
    invalidate();
    return e;
}

int eComboBox::setCurrent(int key)
{
    for (eListBoxEntry* e : m_list->entries()) {
        auto* t = static_cast<eListBoxEntryText*>(e);
        if (reinterpret_cast<intptr_t>(t->getKey()) == key)
            return setCurrent(t, false);
    }
    return -1;
}

int eComboBox::setCurrent(const eListBoxEntryText* entry, bool sendSignal)
{
    if (!m_list->setCurrent(entry))
        return -1;
    dropLayout();
    invalidate();
    if (sendSignal)
        selchanged(m_list->getCurrent());
    return 0;
}

eListBoxEntryText* eComboBox::getCurrent() const
{
    return m_list->getCurrent();
}

void eComboBox::clear()
{
    m_list->clearList();
    dropLayout();
    invalidate();
}

const eString& eComboBox::displayText() const
{
    static const eString none;
    const eListBoxEntryText* e = getCurrent();
    return e ? e->getText() : none;
}

void eComboBox::step(int delta)
{
    const int n = m_list->getCount();
    const int cur = m_list->getCurrentIndex();
    const int next = cur + delta;
    if (n == 0 || next < 0 || next >= n)
        return;
    setCurrent(m_list->getEntry(next), true);
}

void eComboBox::picked(eListBoxEntryText* entry)
{
    m_popup->close(entry ? 1 : -1);
}

void eComboBox::openPopup()
{
    if (m_open || m_list->getCount() == 0)
        return;
    const int before = m_list->getCurrentIndex();
    const int b = eWindow::borderWidth();
    const int rows = std::min(m_openEntries, m_list->getCount());
    const int listH = rows * m_list->getItemHeight() + 2;
    const eSize size(getSize().width(), listH + 2 * b);
    ePoint pos = getAbsolutePosition() + ePoint(0, getSize().height());
    if (pos.y() + size.height() > host::kScreenHeight)
        pos = getAbsolutePosition() - ePoint(0, size.height());
    if (pos.y() < 0)
        pos.setY(0);
    m_popup->move(pos);
    m_popup->resize(size);
    m_list->move(ePoint());
    m_list->resize(eSize(size.width() - 2 * b, listH));
    m_open = true;
    invalidate();
    m_popup->show();
    m_popup->setFocus(m_list);
    const int result = m_popup->exec();
    m_popup->hide();
    m_open = false;
    dropLayout();
    invalidate();
    if (result == 1 && m_list->getCurrent())
        selchanged(m_list->getCurrent());
    else
        m_list->setCurrentIndex(before);
}

int eComboBox::eventHandler(const eWidgetEvent& event)
{
    if (event.type == eWidgetEvent::evtKey) {
        switch (event.key) {
        case eRCKey::Ok:
            openPopup();
            return 1;
        case eRCKey::Left:
            step(-1);
            return 1;
        case eRCKey::Right:
            step(1);
            return 1;
        default:
            return 0;
        }
    }
    return eButton::eventHandler(event);
}

void eComboBox::activate()
{
    setFocus(this);
    openPopup();
}

void eComboBox::redrawWidget(gPainter* painter, const eRect& area)
{
    if (displayText() != m_laidOut) {
        dropLayout();
        m_laidOut = displayText();
    }
    const eRect r = textRect();
    const gColor fore = textColor();
    paintText(painter, eRect(r.left(), r.top(), r.width() - 14, r.height()), fore);
    // A small arrow at the right shows that the box opens.
    painter->setForegroundColor(eSkin::getActive()->queryColor("eComboBox.arrow"));
    const int cx = r.right() - 6, cy = r.top() + r.height() / 2 - 2;
    for (int i = 0; i < 5; ++i)
        painter->line(ePoint(cx - 4 + i, cy + i), ePoint(cx + 4 - i, cy + i));
}

void eComboBox::describe(host::JsonWriter& out) const
{
    eButton::describe(out);
    out.key("entries");
    out.beginArray();
    for (eListBoxEntry* e : m_list->entries())
        out.value(std::string(static_cast<eListBoxEntryText*>(e)->getText()));
    out.endArray();
    out.field("current", m_list->getCurrentIndex());
    out.field("currentText", std::string(displayText()));
    out.field("open", m_open);
    out.field("openEntries", m_openEntries);
}
