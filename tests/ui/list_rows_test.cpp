// The four row classes: their columns, the cut channel name, the right-aligned
// duration, the search-mode indent, the check mark and their cached layout.
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

constexpr uint32_t kBack = 0x000000;
const char* kLongChannel = "1:0:1:10:01:01:820000:0:0:0:";

// Columns of the area holding any pixel other than the background.
std::vector<int> inkColumns(const gPixmap& pm, const eRect& area)
{
    std::vector<int> xs;
    for (int x = area.left(); x < area.right(); ++x)
        for (int y = area.top(); y < area.bottom(); ++y)
            if (pm.pixel(x, y) != kBack) {
                xs.push_back(x);
                break;
            }
    return xs;
}

class Rows : public ::testing::Test {
protected:
    void SetUp() override
    {
        eServiceInterface::Entry e;
        e.ref = eServiceReference(eString(kLongChannel));
        e.name = "Rete Cinema Classici HD";
        eServiceInterface::getInstance()->addService(e);
        FilterSearch = 0;
    }
    void TearDown() override
    {
        eServiceInterface::getInstance()->clear();
        FilterSearch = 0;
    }
    // Draws a row as a non-current row on a black pixmap as wide as the list.
    template <class Row>
    void draw(Row& row, gPixmap& pm)
    {
        gPainter p(pm);
        p.fillColor(pm.rect(), kBack);
        row.redraw(&p, eRect(0, 0, pm.width(), pm.height()), gColor::fromRGB(0x2040A0), gColor::fromRGB(0xFFFFFF), gColor(),
                   gColor::fromRGB(0xFFFFFF), 0);
    }
    eListBox<eListBoxProgrammi> list{nullptr, nullptr, 0};
};

TEST_F(Rows, ProgrammeColumnsShowTimeTitleCutChannelAndDuration)
{
    auto* row = new eListBoxProgrammi(&list, 2, 7, 5, "Film", "Cinema paradiso", 5, kLongChannel, 0x1234, 0);
    gPixmap pm(480, list.getItemHeight());
    draw(*row, pm);
    EXPECT_EQ(row->describe(), "07:05 | Cinema paradiso | Rete Cinema Cl | 05");
    gPainter again(pm);
    EXPECT_EQ(row->redraw(&again, pm.rect(), gColor(), gColor::fromRGB(0xFFFFFF), gColor(), gColor::fromRGB(0xFFFFFF), 0),
              kLongChannel); // the row's text is its service reference
    draw(*row, pm);
    // The duration hugs the right edge of its 40-pixel block at x 400.
    auto ink = inkColumns(pm, eRect(400, 0, 40, pm.height()));
    ASSERT_FALSE(ink.empty());
    EXPECT_GE(ink.front(), 415);
    EXPECT_GE(ink.back(), 432);
    auto longer = new eListBoxProgrammi(&list, 2, 23, 59, "Film", "Epic", 125, kLongChannel, 1, 1);
    draw(*longer, pm);
    EXPECT_EQ(longer->describe(), "23:59 | Epic | Rete Cinema Cl | 125");
    EXPECT_EQ(eServiceInterface::getInstance()->outstandingRefs(), 0);
}

TEST_F(Rows, ThirdColumnFollowsTheModeOfTheFirstDrawing)
{
    FilterSearch = 1;
    auto* byChannel = new eListBoxProgrammi(&list, 2, 20, 30, "Documentaries and", "News", 30, kLongChannel, 1, 0);
    FilterSearch = 2;
    auto* other = new eListBoxProgrammi(&list, 2, 20, 30, "Film", "News", 30, kLongChannel, 1, 1);
    gPixmap pm(480, list.getItemHeight());
    FilterSearch = 1;
    draw(*byChannel, pm);
    EXPECT_EQ(byChannel->describe(), "20:30 | News | Documentaries  | 30");
    FilterSearch = 0; // later drawings keep the first layout
    draw(*byChannel, pm);
    EXPECT_EQ(byChannel->describe(), "20:30 | News | Documentaries  | 30");
    FilterSearch = 2;
    draw(*other, pm);
    EXPECT_EQ(other->describe(), "20:30 | News |  | 30");
}

TEST_F(Rows, SearchModeIndentsTheColumnsForTheIcon)
{
    gPixmap pm(520, list.getItemHeight());
    auto* plain = new eListBoxProgrammi(&list, 2, 10, 0, "", "X", 1, "", 1, 0);
    draw(*plain, pm);
    auto plainInk = inkColumns(pm, eRect(0, 0, 60, pm.height()));
    ASSERT_FALSE(plainInk.empty());
    EXPECT_LT(plainInk.front(), 10); // time starts at x 2

    FilterSearch = 3;
    auto* found = new eListBoxProgrammi(&list, 2, 10, 0, "", "X", 1, "", 1, 1);
    draw(*found, pm);
    if (eListBoxProgrammi::icona) {
        EXPECT_FALSE(inkColumns(pm, eRect(5, 0, 20, pm.height())).empty()); // the folder icon
    }
    auto timeInk = inkColumns(pm, eRect(35, 0, 60, pm.height()));
    ASSERT_FALSE(timeInk.empty());
    EXPECT_GE(timeInk.front(), 39 + 2);
    EXPECT_EQ(found->describe().substr(0, 8), "10:00 | ");
}

TEST_F(Rows, LayoutHappensOnceAndTheDestructorReleasesTheBlocks)
{
    auto* row = new eListBoxProgrammi(&list, 2, 7, 5, "Film", "Title", 90, kLongChannel, 1, 0);
    auto* theme = new eListBoxLista(nullptr, "Cinema", 16, nullService);
    auto* sub = new eListBoxLista1(nullptr, "Western", 17, nullService);
    gPixmap pm(480, 30);
    draw(*row, pm);
    draw(*theme, pm);
    draw(*sub, pm);
    const uint64_t before = eTextPara::layoutCount();
    for (int i = 0; i < 5; ++i) {
        draw(*row, pm);
        draw(*theme, pm);
        draw(*sub, pm);
    }
    EXPECT_EQ(eTextPara::layoutCount(), before);
    EXPECT_FALSE(inkColumns(pm, pm.rect()).empty());
    delete theme;
    delete sub;
}

TEST_F(Rows, ThemeRowDrawsIconThenTextAt39)
{
    auto* theme = new eListBoxLista(nullptr, "Cinema", 16, nullService);
    eListBoxLista::getEntryHeight();
    gPixmap pm(280, 30);
    draw(*theme, pm);
    auto ink = inkColumns(pm, pm.rect());
    ASSERT_FALSE(ink.empty());
    if (eListBoxLista::icona) { // blitted at x 5; its first column may be transparent
        EXPECT_GE(ink.front(), 5);
        EXPECT_LE(ink.front(), 8);
    }
    EXPECT_FALSE(inkColumns(pm, eRect(39, 0, 60, 30)).empty());
    EXPECT_TRUE(inkColumns(pm, eRect(32, 0, 6, 30)).empty()); // the gap between icon and text
    EXPECT_EQ(theme->text, "Cinema");
    delete theme;
}

TEST_F(Rows, EntryHeightFontIsFixedByTheFirstQuery)
{
    const int first = eListBoxLista1::getEntryHeight();
    EXPECT_EQ(eListBoxLista1::DescrFont, listaG);
    const gFont saved = listaG;
    listaG = gFont("Nimbus", 40);
    EXPECT_EQ(eListBoxLista1::getEntryHeight(), first);
    EXPECT_EQ(eListBoxLista1::DescrFont, saved);
    listaG = saved;
    EXPECT_EQ(first, calcFontHeight(saved) + 5);
}

TEST(FilterRow, OkTogglesTheMarkAndRedrawsTheRow)
{
    eListBox<eListBoxEntryMck> list(nullptr, nullptr, 0);
    auto* row = new eListBoxEntryMck(&list, "Rete Uno", reinterpret_cast<void*>(3), 0, "", 0);
    auto* other = new eListBoxEntryMck(&list, "Rete Due", reinterpret_cast<void*>(4), 0, "", 0);
    EXPECT_FALSE(row->checkState);
    EXPECT_EQ(row->isSelectable(), 1);
    list.selected(row);
    EXPECT_TRUE(row->checkState);
    EXPECT_FALSE(other->checkState);
    EXPECT_EQ(row->describe(), "Rete Uno [x]");

    gPixmap pm(280, 30);
    gPainter p(pm);
    auto drawMark = [&] {
        p.fillColor(pm.rect(), kBack);
        row->redraw(&p, pm.rect(), gColor(), gColor::fromRGB(0xFFFFFF), gColor(), gColor::fromRGB(0xFFFFFF), 0);
        return inkColumns(pm, eRect(200, 0, 80, 30));
    };
    if (row->pm) {
        auto ink = drawMark();
        ASSERT_FALSE(ink.empty());
        EXPECT_GE(ink.front(), 280 - row->pm->width() - 10);
        EXPECT_LE(ink.back(), 279);
    }
    list.selected(row);
    EXPECT_FALSE(row->checkState);
    EXPECT_EQ(row->describe(), "Rete Uno [ ]");
    if (row->pm)
        EXPECT_TRUE(drawMark().empty());
    row->setCheck(false); // no change: nothing to do
    EXPECT_FALSE(row->checkState);
}

} // namespace
