#include "ui/eListBoxProgrammi.h"
#include "frame/globals.h"
#include "host/gfx/eSkin.h"
#include "host/gfx/TextCodec.h"
#include "host/gfx/eTextPara.h"
#include "host/gfx/gPainter.h"
#include "host/gfx/gPixmap.h"
#include "ui/RowText.h"

#include <utility>

gFont eListBoxProgrammi::DescrFont;
gPixmap* eListBoxProgrammi::icona = nullptr;

namespace {
constexpr int kIconX = 5;
constexpr int kSearchIndent = 39;
constexpr int kTimeX = 2, kTimeWidth = 40;
constexpr int kTitleX = 60, kTitleWidth = 200;
constexpr int kChannelX = 265, kChannelWidth = 150;
constexpr int kDurationX = 400, kDurationWidth = 40;
constexpr size_t kChannelChars = 14;

void destroy(eTextPara*& para)
{
    if (para)
        para->destroy();
    para = nullptr;
}
} // namespace

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
    return s.sprintf("%02d:%02d", hour, min);
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

void eListBoxProgrammi::layout(int rowHeight)
{
    thirdColumn = columnText();
    paraTime = ui::layoutRowText(timeText(), DescrFont, kTimeWidth, rowHeight, &yOffs);
    paraTitle = ui::layoutRowText(title, DescrFont, kTitleWidth, rowHeight, nullptr);
    paraChannel = ui::layoutRowText(thirdColumn, DescrFont, kChannelWidth, rowHeight, nullptr);
    paraDuration = ui::layoutRowText(durationText(), DescrFont, kDurationWidth, rowHeight, nullptr, true);
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
        layout(rect.height());
    const int y = rect.top() + yOffs;
    // Each column is clipped to its own width, so a long title never runs into the channel.
    auto paint = [&](eTextPara* para, int x, int width) {
        painter->clip(eRect(x0 + x, rect.top(), width, rect.height()));
        painter->renderPara(*para, ePoint(x0 + x, y));
        painter->clippop();
    };
    paint(paraTime, kTimeX, kTimeWidth);
    paint(paraTitle, kTitleX, kTitleWidth);
    paint(paraChannel, kChannelX, kChannelWidth);
    paint(paraDuration, kDurationX, kDurationWidth);
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
