#pragma once
// Small helpers the row classes share.
#include "host/eString.h"
#include "host/gfx/eRect.h"
#include "host/gfx/gFont.h"

class eTextPara;

namespace ui {

// A one-line text block of the given width (half a row high) in the font; the caller
// owns it. When yOffs is given it receives the offset that centres the text in the row.
eTextPara* layoutRowText(const eString& text, const gFont& font, int width, int rowHeight, int* yOffs,
                         bool alignRight = false);
// The first n characters of text: UTF-8 sequences stay whole, other bytes count one each.
eString firstChars(const eString& text, size_t n);
// Name of the service of a reference text, or empty when the host has no record; the
// record is released again.
eString serviceName(const eString& reference);

} // namespace ui
