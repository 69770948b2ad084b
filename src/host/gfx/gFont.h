#pragma once
#include "host/eString.h"

// A font request: family name as the skin knows it and a size in pixels.
class gFont {
public:
    gFont() = default;
    gFont(const eString& family, int pointSize) : family(family), pointSize(pointSize) {}

    eString family;
    int pointSize = 0;

    bool isValid() const { return pointSize > 0; }
    bool operator==(const gFont& o) const { return pointSize == o.pointSize && family == o.family; }
    bool operator!=(const gFont& o) const { return !(*this == o); }
};

// Line height of the font in pixels (ascender + descender).
int calcFontHeight(const gFont& font);
