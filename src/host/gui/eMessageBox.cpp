#include "host/gui/eMessageBox.h"

#include "host/gfx/eTextPara.h"
#include "host/gfx/gPainter.h"
#include "host/gui/JsonWriter.h"
#include "host/gui/Screen.h"
#include "host/gui/eButton.h"
#include "host/gui/eLabel.h"

#include <algorithm>

namespace {

constexpr int kMargin = 15;
constexpr int kIcon = 36;
constexpr int kButtonW = 100;
constexpr int kButtonH = 34;
constexpr int kMaxTextW = 520;

struct ButtonDef {
    int bit;
    const char* text;
};
constexpr ButtonDef kButtons[] = {{eMessageBox::btYes, "Yes"}, {eMessageBox::btNo, "No"},
                                  {eMessageBox::btOK, "OK"}, {eMessageBox::btCancel, "Cancel"}};

struct IconDef {
    int bit;
    const char* name;
    const char* color;
    const char* glyph;
};
constexpr IconDef kIcons[] = {{eMessageBox::iconError, "error", "icon.error", "x"},
                              {eMessageBox::iconWarning, "warning", "icon.warning", "!"},
                              {eMessageBox::iconQuestion, "question", "icon.question", "?"},
                              {eMessageBox::iconInfo, "info", "icon.info", "i"}};

const IconDef* iconOf(int flags)
{
    for (const IconDef& i : kIcons)
        if (flags & i.bit)
            return &i;
    return nullptr;
}

} // namespace

eMessageBox::eMessageBox(eString message, eString caption, int flags, int def, int timeout)
    : eWindow(1), m_message(message), m_flags(flags), m_timeout(timeout)
{
    setText(caption);
    const gFont font = eSkin::getActive()->queryFont("eMessageBox");

    // Measure the text once to size the window around it.
    eTextPara* measure = new eTextPara(eRect(0, 0, kMaxTextW, 1000));
    measure->setFont(font);
    measure->renderString(message);
    const eRect box = measure->getBoundBox();
    const int lines = std::max(1, measure->lineCount());
    measure->destroy();
    const int lineH = calcFontHeight(font);
    const int textW = std::max(box.right(), 40) + 8;
    const int textH = std::max(lines * lineH, box.bottom()) + 8;

    const bool icon = iconOf(flags) != nullptr;
    const int textX = kMargin + (icon ? kIcon + kMargin : 0);
    int buttons = 0;
    for (const ButtonDef& b : kButtons)
        if (flags & b.bit)
            ++buttons;
    const int buttonsW = buttons * kButtonW + std::max(0, buttons - 1) * 10;
    const int clientW = std::max({textX + textW + kMargin, buttonsW + 2 * kMargin, 260});
    const int bodyH = std::max(textH, icon ? kIcon : 0);
    const int clientH = kMargin + bodyH + (buttons ? kMargin + kButtonH : 0) + kMargin;
    cresize(eSize(clientW, clientH));
    move(ePoint((host::kScreenWidth - getSize().width()) / 2, (host::kScreenHeight - getSize().height()) / 2));
    m_iconRect = icon ? eRect(kMargin, kMargin + (bodyH - kIcon) / 2, kIcon, kIcon) : eRect();

    m_text = new eLabel(this);
    m_text->setFont(font);
    m_text->move(ePoint(textX, kMargin + (bodyH - textH) / 2));
    m_text->resize(eSize(textW, textH));
    m_text->setText(message);

    int x = (clientW - buttonsW) / 2;
    eButton* focus = nullptr;
    for (const ButtonDef& b : kButtons) {
        if (!(flags & b.bit))
            continue;
        auto* button = new eButton(this);
        button->setText(b.text);
        button->move(ePoint(x, clientH - kMargin - kButtonH));
        button->resize(eSize(kButtonW, kButtonH));
        button->loadDeco();
        const int value = b.bit;
        button->selected.connect([this, value] { close(value); });
        m_buttons.emplace_back(button, value);
        if (!focus)
            focus = button;
        x += kButtonW + 10;
    }
    for (auto& [button, value] : m_buttons)
        if (value == def)
            focus = button;
    if (focus)
        setFocus(focus);
}

eMessageBox::~eMessageBox() = default;

int eMessageBox::focusedButton() const
{
    for (const auto& [button, value] : m_buttons)
        if (button->hasFocus())
            return value;
    return 0;
}

void eMessageBox::redrawWidget(gPainter* painter, const eRect& area)
{
    eWindow::redrawWidget(painter, area);
    const IconDef* icon = iconOf(m_flags);
    if (!icon)
        return;
    eSkin* skin = eSkin::getActive();
    // A filled disc with a sign, drawn row by row in the client area.
    const eRect r = m_iconRect.translated(getClientRect().topLeft());
    const uint32_t color = skin->queryColor(icon->color).rgb();
    const int rad = r.width() / 2;
    for (int dy = -rad; dy < rad; ++dy) {
        int half = 0;
        while ((half + 1) * (half + 1) + (dy + 0.5) * (dy + 0.5) <= rad * rad)
            ++half;
        painter->fillColor(eRect(r.left() + rad - half, r.top() + rad + dy, 2 * half, 1), color);
    }
    painter->setForegroundColor(skin->queryColor("icon.text"));
    painter->setFont(gFont("Nimbus Bold", 26));
    painter->renderText(r, icon->glyph, gPainter::RT_HALIGN_CENTER | gPainter::RT_VALIGN_CENTER);
}

void eMessageBox::describe(host::JsonWriter& out) const
{
    out.field("caption", std::string(getText()));
    out.field("message", std::string(m_message));
    const IconDef* icon = iconOf(m_flags);
    out.field("icon", icon ? icon->name : "");
    out.key("buttons");
    out.beginArray();
    for (const auto& [button, value] : m_buttons)
        out.value(std::string(button->getText()));
    out.endArray();
    int focused = focusedButton();
    const char* name = "";
    for (const ButtonDef& b : kButtons)
        if (b.bit == focused)
            name = b.text;
    out.field("focusedButton", name);
    out.field("timeout", m_timeout);
}
