#include "ui/eListBoxLista.h"
#include "frame/globals.h"
#include "host/gfx/eSkin.h"
#include "host/gfx/eTextPara.h"
#include "host/gfx/gPainter.h"
#include "host/gfx/gPixmap.h"
#include "ui/RowText.h"

#include <utility>

gFont eListBoxLista::DescrFont;
gPixmap* eListBoxLista::icona = nullptr;

namespace {
constexpr int kIconX = 5;
constexpr int kTextX = 39;
} // namespace

eListBoxLista::eListBoxLista(eListBox<eListBoxLista>* list, eString text, int id, eString service)
    : eListBoxEntry(list, eString(), 3), text(std::move(text)), id(id), service(std::move(service))
{
}

eListBoxLista::~eListBoxLista()
{
    if (para)
        para->destroy();
}

int eListBoxLista::getEntryHeight()
{
    if (DescrFont.pointSize == 0) {
        DescrFont = listaP;
        icona = eSkin::getActive()->queryImage("sselect_folder");
    }
    return calcFontHeight(DescrFont) + 5;
}

const eString& eListBoxLista::redraw(gPainter* painter, const eRect& rect, gColor activeBack, gColor activeFore,
                                     gColor normalBack, gColor normalFore, int state)
{
    drawEntryRect(painter, rect, activeBack, activeFore, normalBack, normalFore, state);
    if (icona)
        painter->blit(*icona, ePoint(rect.left() + kIconX, rect.top() + (rect.height() - icona->height()) / 2),
                      eRect(), gPainter::BT_ALPHATEST);
    if (!para)
        // Up to the row's right edge, less a margin that keeps the last letter off the border.
        para = ui::layoutRowText(text, DescrFont, rect.width() - kTextX - 4, rect.height(), &yOffs);
    painter->renderPara(*para, ePoint(rect.left() + kTextX, rect.top() + yOffs));
    return text;
}
