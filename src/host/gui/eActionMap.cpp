#include "host/gui/eActionMap.h"

const eAction* eActionMap::find(eRCKey key) const
{
    for (const eAction* a : m_actions)
        if (a->getKey() == key)
            return a;
    return nullptr;
}

eShortcutActions::eShortcutActions()
    : number0("number0", eRCKey::Digit0), number1("number1", eRCKey::Digit1), number2("number2", eRCKey::Digit2),
      number3("number3", eRCKey::Digit3), number4("number4", eRCKey::Digit4), number5("number5", eRCKey::Digit5),
      number6("number6", eRCKey::Digit6), number7("number7", eRCKey::Digit7), number8("number8", eRCKey::Digit8),
      number9("number9", eRCKey::Digit9), red("red", eRCKey::Red), green("green", eRCKey::Green),
      yellow("yellow", eRCKey::Yellow), blue("blue", eRCKey::Blue), map("shortcut")
{
    for (const eAction* a : {&number0, &number1, &number2, &number3, &number4, &number5, &number6, &number7,
                             &number8, &number9, &red, &green, &yellow, &blue})
        map.add(a);
}

eCursorActions::eCursorActions()
    : up("up", eRCKey::Up), down("down", eRCKey::Down), left("left", eRCKey::Left), right("right", eRCKey::Right),
      ok("ok", eRCKey::Ok), cancel("cancel", eRCKey::Exit), map("cursor")
{
    for (const eAction* a : {&up, &down, &left, &right, &ok, &cancel})
        map.add(a);
}

eFocusActions::eFocusActions()
    : up("up", eRCKey::Up), down("down", eRCKey::Down), left("left", eRCKey::Left), right("right", eRCKey::Right),
      map("focus")
{
    for (const eAction* a : {&up, &down, &left, &right})
        map.add(a);
}

namespace {
eShortcutActions g_shortcut;
eCursorActions g_cursor;
eFocusActions g_focus;
} // namespace

eShortcutActions* i_shortcutActions = &g_shortcut;
eCursorActions* i_cursorActions = &g_cursor;
eFocusActions* i_focusActions = &g_focus;
