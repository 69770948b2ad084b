#pragma once
#include "host/gui/eRCKey.h"

#include <string>

class eAction;
class eWidget;

// What a widget's eventHandler receives.
struct eWidgetEvent {
    enum eventType {
        invalid = 0,
        changedText = 1,
        changedFont = 2,
        changedForegroundColor = 3,
        changedBackgroundColor = 4,
        changedSize = 5,
        changedPosition = 6,
        childChangedHelpText = 7,
        gotFocus = 8,
        lostFocus = 9,
        willShow = 10,
        willHide = 11,
        execBegin = 12,
        execDone = 13,
        wantClose = 14,
        evtAction = 0xf,  // an action of one of the window's action maps
        evtShortcut = 0x10, // the widget's shortcut key was pressed in its window
        evtKey = 0x11,    // a remote key, offered to the focused widget first
        evtText = 0x12,   // typed text (UTF-8), offered to the focused widget
    };

    explicit eWidgetEvent(int type, int parameter = 0) : type(type), parameter(parameter) {}
    eWidgetEvent(int type, const eAction* action) : type(type), action(action) {}

    int type;
    int parameter = 0;
    const eAction* action = nullptr;
    eRCKey key = eRCKey::Exit;         // evtKey
    const std::string* text = nullptr; // evtText
};
