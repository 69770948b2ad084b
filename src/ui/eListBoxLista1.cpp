#include "ui/eListBoxLista1.h"
#include "frame/globals.h"
#include "host/gfx/eTextPara.h"
#include "host/gfx/gPainter.h"
#include "ui/RowText.h"

#include <utility>

gFont eListBoxLista1::DescrFont;

eListBoxLista1::eListBoxLista1(eListBox<eListBoxLista1>* list, eString text, int id, eString service)
    : eListBoxEntry(list, eString(), 3), text(std::move(text)), id(id), service(std::move(service))
{
}

eListBoxLista1::~eListBoxLista1()
{
    if (para)
        para->destroy();
}

int eListBoxLista1::getEntryHeight()
{
    if (DescrFont.pointSize == 0)
        DescrFont = listaG;
    return calcFontHeight(DescrFont) + 5;
}

const eString& eListBoxLista1::redraw(gPainter* painter, const eRect& rect, gColor activeBack, gColor activeFore,
                                      gColor normalBack, gColor normalFore, int state)
{
    drawEntryRect(painter, rect, activeBack, activeFore, normalBack, normalFore, state);
    if (!para)
        // Up to the row's right edge, less a margin that keeps the last letter off the border.
        para = ui::layoutRowText(text, DescrFont, rect.width() - 4, rect.height(), &yOffs);
    painter->clip(rect);
    painter->renderPara(*para, ePoint(rect.left(), rect.top() + yOffs));
    painter->clippop();
    return text;
}
