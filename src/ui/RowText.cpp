#include "ui/RowText.h"

#include "host/gfx/FontEngine.h"
#include "host/gfx/TextCodec.h"
#include "host/gfx/eTextPara.h"
#include "host/service/eServiceInterface.h"
#include "host/service/eServiceReference.h"

#include <algorithm>
#include <vector>

namespace ui {

namespace {

constexpr char32_t kEllipsis = 0x2026;

// Pen position after each character of s (index i: after i characters) and the right
// edge of the ink of the first i characters.
struct Measure {
    std::vector<int> pen;
    std::vector<int> ink;
};

Measure measure(const std::u32string& s, const gFont& font)
{
    Measure m;
    m.pen.assign(s.size() + 1, 0);
    m.ink.assign(s.size() + 1, 0);
    host::FontEngine& fonts = host::FontEngine::instance();
    host::FontEngine::Face* face = fonts.face(font);
    if (!face)
        return m;
    int pen = 0, ink = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (i > 0)
            pen += fonts.kerning(face, s[i - 1], s[i]);
        if (const host::Glyph* g = fonts.glyph(face, s[i])) {
            if (g->width > 0)
                ink = std::max(ink, pen + g->left + g->width);
            pen += g->advance;
        }
        m.pen[i + 1] = pen;
        m.ink[i + 1] = std::max(ink, pen);
    }
    return m;
}

} // namespace

int textWidth(const eString& text, const gFont& font)
{
    const std::u32string s = host::decodeText(text);
    return measure(s, font).ink.back();
}

eString fitText(const eString& text, const gFont& font, int width)
{
    const std::u32string s = host::decodeText(text);
    const Measure m = measure(s, font);
    if (m.ink.back() <= width)
        return text;
    const int ellipsis = textWidth(host::encodeUtf8(std::u32string(1, kEllipsis)), font);
    size_t n = s.size();
    while (n > 0 && m.pen[n] + ellipsis > width)
        --n;
    // No blank just before the ellipsis.
    while (n > 0 && s[n - 1] == U' ')
        --n;
    std::u32string cut = s.substr(0, n);
    if (m.pen[n] + ellipsis <= width)
        cut += kEllipsis;
    return host::encodeUtf8(cut);
}

eTextPara* layoutRowText(const eString& text, const gFont& font, int width, int rowHeight, int* yOffs,
                         bool alignRight)
{
    auto* para = new eTextPara(eRect(0, 0, width, rowHeight / 2));
    para->setFont(font);
    // One line per column, shortened to its width: never wrapped, never into the next.
    para->renderString(fitText(text, font, width), eTextPara::RS_NOWRAP);
    if (alignRight)
        para->realign(eTextPara::dirRight);
    if (yOffs) {
        // The font's line, not this text's ink, is centred: one baseline for all rows.
        host::FontEngine& fonts = host::FontEngine::instance();
        if (host::FontEngine::Face* face = fonts.face(font)) {
            const host::FontMetrics metrics = fonts.metrics(face);
            *yOffs = (rowHeight - (metrics.ascender + metrics.descender)) / 2;
        } else {
            const eRect& box = para->getBoundBox();
            *yOffs = (rowHeight - box.height()) / 2 - box.top();
        }
    }
    return para;
}

eString firstChars(const eString& text, size_t n)
{
    if (!host::isValidUtf8(text))
        return text.left(n);
    size_t pos = 0;
    for (size_t count = 0; pos < text.size() && count < n; ++count) {
        ++pos;
        while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80)
            ++pos;
    }
    return text.left(pos);
}

eString serviceName(const eString& reference)
{
    eServiceReference ref(reference);
    eServiceInterface* services = eServiceInterface::getInstance();
    eService* service = services->addRef(ref);
    if (!service)
        return eString();
    eString name = service->service_name;
    services->removeRef(ref);
    return name;
}

} // namespace ui
