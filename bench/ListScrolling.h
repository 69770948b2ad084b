#pragma once
// Scrolls a full screen's list by a page per iteration and reports the text layouts
// and glyph rasterisations the scrolling cost: a scrolled page should cost neither.
#include "host/gfx/FontEngine.h"
#include "host/gfx/eTextPara.h"
#include "host/gui/Screen.h"
#include "host/gui/eListBoxBase.h"

#include <benchmark/benchmark.h>

#include <cstdint>

// Screen: has visitAllRows() and a `list` pointer to its list box.
template <class Screen>
void scrollByPages(benchmark::State& state, Screen& s)
{
    const uint64_t firstPass = eTextPara::layoutCount();
    s.visitAllRows();
    const uint64_t layoutsOnFirstPass = eTextPara::layoutCount() - firstPass;
    const uint64_t layouts = eTextPara::layoutCount();
    const uint64_t glyphs = host::FontEngine::instance().rasterised();
    for (auto _ : state) {
        if (s.list->getCurrentIndex() + s.list->visibleRows() >= s.list->getCount())
            s.list->moveSelection(eListBoxBase::dirFirst);
        else
            s.list->moveSelection(eListBoxBase::dirPageDown);
        host::refreshScreen();
    }
    state.counters["layoutsFirstPass"] = static_cast<double>(layoutsOnFirstPass);
    state.counters["layoutsWhileScrolling"] = static_cast<double>(eTextPara::layoutCount() - layouts);
    state.counters["glyphsRasterisedWhileScrolling"] =
        static_cast<double>(host::FontEngine::instance().rasterised() - glyphs);
}
