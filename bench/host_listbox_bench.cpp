// Painting cost of the toolkit's list box: a full screen with a 2000-row list, and
// scrolling it by one page. Rows lay out their text once; the counters show that
// scrolling over rows already seen does no layout and rasterises no glyph.
#include "host/gfx/FontEngine.h"
#include "host/gfx/eTextPara.h"
#include "host/gui/Screen.h"
#include "host/gui/eListBox.h"
#include "host/gui/eListBoxEntryText.h"
#include "host/gui/eWindow.h"

#include "ListScrolling.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

namespace {

struct Screenful {
    Screenful()
    {
        window.setText(" EPG Channels");
        window.move(ePoint(0, 0));
        window.resize(eSize(host::kScreenWidth, host::kScreenHeight));
        list = new eListBox<eListBoxEntryText>(&window);
        list->move(ePoint(10, 10));
        list->resize(eSize(window.getClientSize().width() - 20, window.getClientSize().height() - 20));
        list->loadDeco();
        list->beginAtomic();
        for (int i = 0; i < 2000; ++i)
            new eListBoxEntryText(list, eString().sprintf("%02d:%02d  Programme number %d of the week", (i / 4) % 24, (i % 4) * 15, i),
                                  reinterpret_cast<void*>(static_cast<intptr_t>(i)));
        list->endAtomic();
        window.show();
        host::refreshScreen();
    }
    // Pages through the whole list once, so that every row has laid out its text.
    void visitAllRows()
    {
        for (int i = 0; i < list->getCount() / list->visibleRows() + 1; ++i) {
            list->moveSelection(eListBoxBase::dirPageDown);
            host::refreshScreen();
        }
        list->moveSelection(eListBoxBase::dirFirst);
        host::refreshScreen();
    }
    eWindow window{1};
    eListBox<eListBoxEntryText>* list;
};

void BM_DrawFullScreen(benchmark::State& state)
{
    Screenful s;
    for (auto _ : state) {
        s.window.invalidate();
        host::refreshScreen();
    }
    state.counters["rows"] = s.list->getCount();
}
BENCHMARK(BM_DrawFullScreen)->Unit(benchmark::kMicrosecond);

void BM_ScrollOnePage(benchmark::State& state)
{
    Screenful s;
    scrollByPages(state, s);
}
BENCHMARK(BM_ScrollOnePage)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
