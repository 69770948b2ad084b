#include "ui/eListBoxProgrammi.h"
#include "frame/globals.h"
#include "host/gfx/eSkin.h"
#include "host/gfx/TextCodec.h"
#include "host/gfx/eTextPara.h"
#include "host/gfx/gPainter.h"
#include "host/gfx/gPixmap.h"
#include "ui/RowText.h"

#include <algorithm>
#include <utility>

gFont eListBoxProgrammi::DescrFont;
gPixmap* eListBoxProgrammi::icona = nullptr;

namespace {
constexpr int kIconX = 5;
constexpr int kSearchIndent = 39;
constexpr size_t kChannelChars = 14;

void destroy(eTextPara*& para)
{
    if (para)
        para->destroy();
    para = nullptr;
}
} // namespace

eListBoxProgrammi::Columns eListBoxProgrammi::columns(const gFont& font, int width)
{
    // At the default font the columns stand at 2, 60, 265 and 400 (duration up to
    // 440); the full-width search list gives title and channel its extra room. A
    // larger font widens the time and duration columns to their widest text; title
    // and channel share what is left, and no column reaches into the next.
    constexpr int kGap = 6;
    constexpr int kWideRow = 520;
    Columns c;
    c.timeX = 2;
    c.timeWidth = std::max(40, ui::textWidth("00:00", font) + 2);
    c.durationWidth = std::max(40, ui::textWidth("000", font) + 2);
    const int edge = width > kWideRow ? width - 12 : std::min(440, width - 2);
    const int right = std::max(c.timeX + c.timeWidth, edge);
    c.durationX = right - c.durationWidth;
    c.titleX = std::max(60, c.timeX + c.timeWidth + kGap);
    const int free = std::max(0, c.durationX - kGap - c.titleX);
    c.titleWidth = free * 200 / 334;
    c.channelX = c.titleX + c.titleWidth + 5;
    c.channelWidth = std::max(0, c.durationX - kGap - c.channelX);
    return c;
}

eListBoxProgrammi::eListBoxProgrammi(eListBox<eListBoxProgrammi>* list, int wday, int hour, int min, eString theme,
                                     eString title, int duration, eString service, int summaryId, int index)
    : eListBoxEntry(list, eString(), 3), wday(wday), hour(hour), min(min), theme(std::move(theme)),
      title(std::move(title)), duration(duration), service(std::move(service)), summaryId(summaryId), index(index)
{
}

eListBoxProgrammi::~eListBoxProgrammi()
{
    destroy(paraTime);
    destroy(paraChannel);
    destroy(paraTitle);
    destroy(paraDuration);
}

int eListBoxProgrammi::getEntryHeight()
{
    if (DescrFont.pointSize == 0) {
        DescrFont = listaG;
        icona = eSkin::getActive()->queryImage("sselect_folder");
    }
    return calcFontHeight(DescrFont) + 5;
}

eString eListBoxProgrammi::timeText() const
{
    eString s;
    // Offline files may keep the night's hours with their broadcast day as 24-29:
    // the clock shows them as 00-05.
    return s.sprintf("%02d:%02d", hour % 24, min);
}

eString eListBoxProgrammi::durationText() const
{
    eString s;
    return s.sprintf("%02d", duration);
}

eString eListBoxProgrammi::columnText() const
{
    // Search and theme views name the channel, the channel view names the theme.
    if (FilterSearch == 0 || FilterSearch == 3)
        return ui::firstChars(ui::serviceName(service), kChannelChars);
    if (FilterSearch == 1)
        return ui::firstChars(theme, kChannelChars);
    return eString();
}

void eListBoxProgrammi::layout(int rowWidth, int rowHeight)
{
    thirdColumn = columnText();
    m_columns = columns(DescrFont, rowWidth);
    const Columns& c = m_columns;
    paraTime = ui::layoutRowText(timeText(), DescrFont, c.timeWidth, rowHeight, &yOffs);
    paraTitle = ui::layoutRowText(title, DescrFont, c.titleWidth, rowHeight, nullptr);
    paraChannel = ui::layoutRowText(thirdColumn, DescrFont, c.channelWidth, rowHeight, nullptr);
    paraDuration = ui::layoutRowText(durationText(), DescrFont, c.durationWidth, rowHeight, nullptr, true);
}

const eString& eListBoxProgrammi::redraw(gPainter* painter, const eRect& rect, gColor activeBack,
                                         gColor activeFore, gColor normalBack, gColor normalFore, int state)
{
    drawEntryRect(painter, rect, activeBack, activeFore, normalBack, normalFore, state);
    int x0 = rect.left();
    if (FilterSearch > 1) {
        if (icona)
            painter->blit(*icona, ePoint(rect.left() + kIconX, rect.top() + (rect.height() - icona->height()) / 2),
                          eRect(), gPainter::BT_ALPHATEST);
        x0 += kSearchIndent;
    }
    if (!paraTime)
        layout(rect.right() - x0, rect.height());
    const int y = rect.top() + yOffs;
    // Each column is clipped to its own width, so a long title never runs into the channel.
    auto paint = [&](eTextPara* para, int x, int width) {
        painter->clip(eRect(x0 + x, rect.top(), width, rect.height()));
        painter->renderPara(*para, ePoint(x0 + x, y));
        painter->clippop();
    };
    const Columns& c = m_columns;
    paint(paraTime, c.timeX, c.timeWidth);
    paint(paraTitle, c.titleX, c.titleWidth);
    paint(paraChannel, c.channelX, c.channelWidth);
    paint(paraDuration, c.durationX, c.durationWidth);
    return service;
}

eString eListBoxProgrammi::describe() const
{
    // Air text may be UTF-8 or ISO 8859-15 column by column: the line is made UTF-8 whole.
    auto utf8 = [](const eString& s) { return host::encodeUtf8(host::decodeText(s)); };
    eString s;
    return s.sprintf("%s | %s | %s | %s", timeText().c_str(), utf8(title).c_str(),
                     utf8(paraTime ? thirdColumn : columnText()).c_str(), durationText().c_str());
}
