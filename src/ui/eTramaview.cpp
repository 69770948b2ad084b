#include "ui/eTramaview.h"
#include "frame/globals.h"
#include "host/gui/eButton.h"
#include "host/gui/eLabel.h"

#include <algorithm>

namespace {
eLabel* footLabel(eWidget* parent, int x, int y, int w, int align, const eString& text)
{
    eLabel* l = new eLabel(parent, 0, 0, "eLabel");
    l->move(ePoint(x, y));
    l->resize(eSize(w, 30));
    l->setAlign(align);
    l->setText(text);
    return l;
}
} // namespace

eTramaview::eTramaview(eString summary, eString title, eString when, eString channel, int n) : eWindow(0)
{
    addActionMap(&i_focusActions->map);
    cmove(ePoint(115, 150));
    cresize(eSize(430, 270));
    setText(title);
    const int W = getClientSize().width();
    const int H = getClientSize().height();

    summaryLabel = new eLabel(this, 0, 0, "eLabel");
    summaryLabel->move(ePoint(10, 10));
    summaryLabel->resize(eSize(W - 20, H - 50));
    summaryLabel->loadDeco();
    summaryLabel->setText(summary);
    summaryLabel->setFont(listaP);

    line = new eButton(this, nullptr, 1, "eButton");
    line->move(ePoint(W - 430, H - 40));
    line->resize(eSize(430, 5));
    line->loadDeco();

    whenLabel = footLabel(this, W - 420, H - 30, 200, eLabel::alignLeft, when);
    channelLabel = footLabel(this, W - 210, H - 30, 200, eLabel::alignRight, channel);
    previousMarker = footLabel(this, W / 2 - 80, H - 30, 40, eLabel::alignRight, "<");
    nextMarker = footLabel(this, W / 2 + 40, H - 30, 40, eLabel::alignLeft, ">");

    // A row past the table has no record: it is shown alone, without paging, so no
    // other programme's summary comes under its title.
    m_alone = n < 0 || n >= records();
    pos_buffer = m_alone ? 0 : n;
    updateMarkers();
}

eTramaview::~eTramaview() = default;

void eTramaview::showRecord(int n)
{
    const BufferData& r = bufferdatas[n];
    setText(r.title);
    channelLabel->setText(r.channel);
    whenLabel->setText(r.when);
    summaryLabel->setText(r.summary);
}

int eTramaview::records() { return nb_buffer < kMaxRows ? nb_buffer : kMaxRows; }

void eTramaview::updateMarkers()
{
    if (!m_alone && pos_buffer > 0)
        previousMarker->show();
    else
        previousMarker->hide();
    if (!m_alone && pos_buffer < records() - 1)
        nextMarker->show();
    else
        nextMarker->hide();
}

int eTramaview::eventHandler(const eWidgetEvent& event)
{
    if (event.type == eWidgetEvent::evtAction) {
        const int last = records() - 1;
        const eAction* a = event.action;
        if (a == &i_focusActions->left) {
            if (!m_alone && pos_buffer > 0 && pos_buffer <= last)
                showRecord(--pos_buffer);
            updateMarkers();
        } else if (a == &i_focusActions->right) {
            if (!m_alone && pos_buffer < last)
                showRecord(++pos_buffer);
            updateMarkers();
        } else if (a == &i_focusActions->up || a == &i_focusActions->down) {
            // A long summary scrolls by a page less one line, so the reader keeps his place.
            const int page = std::max(1, summaryLabel->visibleLines() - 1);
            summaryLabel->setScrollLine(summaryLabel->getScrollLine() + (a == &i_focusActions->up ? -page : page));
            return 1;
        }
    }
    return eWindow::eventHandler(event);
}
