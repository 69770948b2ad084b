#pragma once
// Small helpers the row classes share.
#include "host/eString.h"
#include "host/gfx/eRect.h"
#include "host/gfx/gFont.h"

class eTextPara;

namespace ui {

// A one-line text block of the given width (half a row high) in the font, shortened
// with an ellipsis when it is wider; the caller owns it. When yOffs is given it
// receives the offset that centres the font's line in the row: the same for every
// row of a list, so all rows share one baseline whatever letters they hold.
eTextPara* layoutRowText(const eString& text, const gFont& font, int width, int rowHeight, int* yOffs,
                         bool alignRight = false);
// Pixels from the pen's start to the right edge of the text's last glyph, in the font.
int textWidth(const eString& text, const gFont& font);
// text when it fits width, otherwise its longest start that fits with "..." (one
// ellipsis character) after it. Broadcast text in ISO 8859-15 comes back as UTF-8.
eString fitText(const eString& text, const gFont& font, int width);
// The first n characters of text: UTF-8 sequences stay whole, other bytes count one each.
eString firstChars(const eString& text, size_t n);
// Name of the service of a reference text, or empty when the host has no record; the
// record is released again.
eString serviceName(const eString& reference);

} // namespace ui
