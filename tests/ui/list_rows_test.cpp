// The row classes: columns, the cut channel name, the right-aligned duration, the
// search-mode indent, the check mark and their once-only layout.
#include "frame/globals.h"
#include "host/gfx/eTextPara.h"
#include "host/gfx/gPainter.h"
#include "host/gfx/gPixmap.h"
#include "host/service/eServiceInterface.h"
#include "ui/eListBoxEntryMck.h"
#include "ui/eListBoxLista.h"
#include "ui/eListBoxLista1.h"
#include "ui/eListBoxProgrammi.h"

#include <gtest/gtest.h>

namespace {

const char* kChannel = "1:0:1:10:01:01:820000:0:0:0:";

// Columns of the area holding any pixel that is not black.
std::vector<int> ink(const gPixmap& pm, const eRect& area)
{
    std::vector<int> xs;
    for (int x = area.left(); x < area.right(); ++x)
        for (int y = area.top(); y < area.bottom(); ++y)
            if (pm.pixel(x, y) != 0) {
                xs.push_back(x);
                break;
            }
    return xs;
}

template <class Row>
void draw(Row& row, gPixmap& pm)
{
    gPainter p(pm);
    p.fillColor(pm.rect(), 0);
    const gColor white = gColor::fromRGB(0xFFFFFF);
    row.redraw(&p, pm.rect(), gColor(), white, gColor(), white, 0);
}

class Rows : public ::testing::Test {
protected:
    void SetUp() override
    {
        eServiceInterface::Entry e;
        e.ref = eServiceReference(eString(kChannel));
        e.name = "Rete Cinema Classici HD";
        eServiceInterface::getInstance()->addService(e);
        FilterSearch = 0;
    }
    void TearDown() override
    {
        eServiceInterface::getInstance()->clear();
        FilterSearch = 0;
    }
    eListBox<eListBoxProgrammi> list{nullptr, nullptr, 0};
};

TEST_F(Rows, ProgrammeColumnsAndTheModeOfTheFirstDrawing)
{
    gPixmap pm(480, list.getItemHeight());
    auto* row = new eListBoxProgrammi(&list, 2, 7, 5, "Documentaries and", "Cinema paradiso", 5, kChannel, 1, 0);
    draw(*row, pm);
    EXPECT_EQ(row->describe(), "07:05 | Cinema paradiso | Rete Cinema Cl | 05");
    // The duration hugs the right edge of its 40-pixel block at x 400.
    auto d = ink(pm, eRect(400, 0, 40, pm.height()));
    ASSERT_FALSE(d.empty());
    EXPECT_GE(d.front(), 415);
    EXPECT_GE(d.back(), 432);
    FilterSearch = 1; // later drawings keep the first layout
    draw(*row, pm);
    EXPECT_EQ(row->describe(), "07:05 | Cinema paradiso | Rete Cinema Cl | 05");

    auto* byChannel = new eListBoxProgrammi(&list, 2, 23, 59, "Documentaries and", "Epic", 125, kChannel, 1, 1);
    draw(*byChannel, pm);
    EXPECT_EQ(byChannel->describe(), "23:59 | Epic | Documentaries  | 125");
    EXPECT_EQ(eServiceInterface::getInstance()->outstandingRefs(), 0);
}

TEST_F(Rows, SearchModeIndentsTheColumnsForTheIcon)
{
    gPixmap pm(520, list.getItemHeight());
    auto* plain = new eListBoxProgrammi(&list, 2, 10, 0, "", "X", 1, "", 1, 0);
    draw(*plain, pm);
    ASSERT_FALSE(ink(pm, eRect(0, 0, 10, pm.height())).empty()); // time at x 2
    FilterSearch = 3;
    auto* found = new eListBoxProgrammi(&list, 2, 10, 0, "", "X", 1, "", 1, 1);
    draw(*found, pm);
    if (eListBoxProgrammi::icona)
        EXPECT_FALSE(ink(pm, eRect(5, 0, 20, pm.height())).empty());
    auto time = ink(pm, eRect(35, 0, 60, pm.height()));
    ASSERT_FALSE(time.empty());
    EXPECT_GE(time.front(), 39 + 2);
}

TEST_F(Rows, ThemeRowsDrawIconAndTextAndLayOutOnce)
{
    eListBoxLista::getEntryHeight();
    eListBoxLista theme(nullptr, "Cinema", 16, nullService);
    eListBoxLista1 sub(nullptr, "Western", 17, nullService);
    gPixmap pm(280, 30);
    draw(theme, pm);
    auto all = ink(pm, pm.rect());
    ASSERT_FALSE(all.empty());
    if (eListBoxLista::icona) // blitted at x 5; its first column may be transparent
        EXPECT_LE(all.front(), 8);
    EXPECT_TRUE(ink(pm, eRect(32, 0, 6, 30)).empty()); // the gap before the text at 39
    draw(sub, pm);
    const uint64_t before = eTextPara::layoutCount();
    for (int i = 0; i < 3; ++i) {
        draw(theme, pm);
        draw(sub, pm);
    }
    EXPECT_EQ(eTextPara::layoutCount(), before);
    EXPECT_EQ(sub.describe(), "Western");
}

TEST_F(Rows, TheFirstHeightQueryFixesTheFont)
{
    const int first = eListBoxLista1::getEntryHeight();
    const gFont saved = listaG;
    EXPECT_EQ(eListBoxLista1::DescrFont, saved);
    EXPECT_EQ(first, calcFontHeight(saved) + 5);
    listaG = gFont("Nimbus", 40);
    EXPECT_EQ(eListBoxLista1::getEntryHeight(), first);
    listaG = saved;
}

TEST(FilterRow, OkTogglesTheMarkOfItsOwnRowOnly)
{
    eListBox<eListBoxEntryMck> list(nullptr, nullptr, 0);
    auto* row = new eListBoxEntryMck(&list, "Rete Uno", reinterpret_cast<void*>(3), 0, "", 0);
    auto* other = new eListBoxEntryMck(&list, "Rete Due", reinterpret_cast<void*>(4), 0, "", 0);
    gPixmap pm(280, 30);
    list.selected(row);
    EXPECT_EQ(row->describe(), "Rete Uno [x]");
    EXPECT_FALSE(other->checkState);
    draw(*row, pm);
    if (row->pm) {
        auto mark = ink(pm, eRect(200, 0, 80, 30));
        ASSERT_FALSE(mark.empty());
        EXPECT_GE(mark.front(), 280 - row->pm->width() - 10);
    }
    list.selected(row);
    EXPECT_EQ(row->describe(), "Rete Uno [ ]");
    draw(*row, pm);
    EXPECT_TRUE(ink(pm, eRect(200, 0, 80, 30)).empty());
}

} // namespace
