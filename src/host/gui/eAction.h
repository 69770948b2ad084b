#pragma once
#include "host/gui/eRCKey.h"

// One named action of an action map, bound to a key of the remote control. Windows
// compare the action pointer of an event with the actions of the global maps.
class eAction {
public:
    eAction(const char* name, eRCKey key) : m_name(name), m_key(key) {}
    eAction(const eAction&) = delete;
    eAction& operator=(const eAction&) = delete;
    const char* getName() const { return m_name; }
    eRCKey getKey() const { return m_key; }

private:
    const char* m_name;
    eRCKey m_key;
};
