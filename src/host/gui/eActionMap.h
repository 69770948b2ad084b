#pragma once
#include "host/gui/eAction.h"

#include <vector>

// A named set of actions. A window hears a key as the action its maps bind to it.
class eActionMap {
public:
    explicit eActionMap(const char* name) : m_name(name) {}
    eActionMap(const eActionMap&) = delete;
    eActionMap& operator=(const eActionMap&) = delete;

    void add(const eAction* action) { m_actions.push_back(action); }
    // The action bound to key, or null.
    const eAction* find(eRCKey key) const;
    const char* getName() const { return m_name; }
    const std::vector<const eAction*>& actions() const { return m_actions; }

private:
    const char* m_name;
    std::vector<const eAction*> m_actions;
};

// The three maps every window can listen to. Globals of pointer type, so that code
// compares event.action with &i_cursorActions->cancel and adds &i_cursorActions->map.
struct eShortcutActions {
    eShortcutActions();
    eAction number0, number1, number2, number3, number4, number5, number6, number7, number8, number9;
    eAction red, green, yellow, blue;
    eActionMap map;
};

struct eCursorActions {
    eCursorActions();
    eAction up, down, left, right, ok, cancel; // cancel is the exit key
    eActionMap map;
};

struct eFocusActions {
    eFocusActions();
    eAction up, down, left, right;
    eActionMap map;
};

extern eShortcutActions* i_shortcutActions;
extern eCursorActions* i_cursorActions;
extern eFocusActions* i_focusActions;
