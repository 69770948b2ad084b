#pragma once
#include "host/eString.h"

#include <cstdint>

// A colour as the widgets hold it: an entry of the box's palette. Entries made from a
// skin colour keep the skin name, so a screen dump can say which colour is in effect,
// and reloading the skin recolours every widget that holds one.
class gColor {
public:
    gColor() = default; // "no colour": the widget inherits or stays transparent
    explicit gColor(int paletteIndex) : m_index(paletteIndex) {}

    // An unnamed entry for a plain 0x00RRGGBB value (equal values share one entry).
    static gColor fromRGB(uint32_t rgb);
    // The named entry, created black when the name is new.
    static gColor named(const eString& name);

    bool isValid() const { return m_index >= 0; }
    int index() const { return m_index; }
    uint32_t rgb() const;        // 0x00RRGGBB; black for "no colour"
    const eString& name() const; // skin name, empty when unnamed

    bool operator==(const gColor& o) const { return m_index == o.m_index; }
    bool operator!=(const gColor& o) const { return m_index != o.m_index; }

    // Sets the value of a named entry (used when a skin loads).
    static void define(const eString& name, uint32_t rgb);

private:
    int m_index = -1;
};
