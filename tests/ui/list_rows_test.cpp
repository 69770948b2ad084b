// The row classes: columns, the cut channel name, the right-aligned duration, the
// search-mode indent, the check mark and their once-only layout; and row text at any
// list font: every column keeps to its width (long texts shortened with an ellipsis),
// time and duration grow with the font, and all rows share one baseline.
#include "frame/globals.h"
#include "host/gfx/eTextPara.h"
#include "host/gfx/gPainter.h"
#include "host/gfx/gPixmap.h"
#include "host/service/eServiceInterface.h"
#include "ui/RowText.h"
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
    // A night hour kept with its broadcast day (25) shows as the clock does.
    auto* night = new eListBoxProgrammi(&list, 2, 25, 30, "", "Notte", 60, kChannel, 1, 1);
    draw(*night, pm);
    EXPECT_EQ(night->describe(), "01:30 | Notte |  | 60");
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
    if (eListBoxProgrammi::icona) {
        EXPECT_FALSE(ink(pm, eRect(5, 0, 20, pm.height())).empty());
    }
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
    if (eListBoxLista::icona) { // blitted at x 5; its first column may be transparent
        EXPECT_LE(all.front(), 8);
    }
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

// Rows of the area holding any lit pixel.
std::vector<int> inkRows(const gPixmap& pm, const eRect& area)
{
    std::vector<int> ys;
    for (int y = area.top(); y < area.bottom(); ++y)
        for (int x = area.left(); x < area.right(); ++x)
            if (pm.pixel(x, y) != 0) {
                ys.push_back(y);
                break;
            }
    return ys;
}

class RowFit : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        eServiceInterface::Entry e;
        e.ref = eServiceReference(eString(kChannel));
        e.name = "Canale Lunghissimo";
        eServiceInterface::getInstance()->addService(e);
        FilterSearch = 0;
        m_saved = eListBoxProgrammi::DescrFont;
        m_savedLeft = eListBoxLista1::DescrFont;
        eListBoxProgrammi::DescrFont = eListBoxLista1::DescrFont = gFont("Nimbus", GetParam());
    }
    void TearDown() override
    {
        eListBoxProgrammi::DescrFont = m_saved;
        eListBoxLista1::DescrFont = m_savedLeft;
        eServiceInterface::getInstance()->clear();
    }
    int rowHeight() const { return calcFontHeight(eListBoxProgrammi::DescrFont) + 5; }
    eListBox<eListBoxProgrammi> list{nullptr, nullptr, 0};
    gFont m_saved, m_savedLeft;
};

TEST_P(RowFit, NoColumnRunsIntoTheNext)
{
    const gFont& font = eListBoxProgrammi::DescrFont;
    const int width = 460;
    const auto c = eListBoxProgrammi::columns(font, width);
    EXPECT_GE(c.timeWidth, ui::textWidth("10:15", font));
    EXPECT_GE(c.durationWidth, ui::textWidth("125", font));
    EXPECT_LT(c.timeX + c.timeWidth, c.titleX);
    EXPECT_LT(c.titleX + c.titleWidth, c.channelX);
    EXPECT_LT(c.channelX + c.channelWidth, c.durationX);
    EXPECT_LE(c.durationX + c.durationWidth, width);

    gPixmap pm(width, rowHeight());
    auto* row = new eListBoxProgrammi(&list, 2, 10, 15, "", "Il ritorno del pistoler", 125, kChannel, 1, 0);
    draw(*row, pm);
    auto gapEmpty = [&](int from, int to) { return ink(pm, eRect(from, 0, to - from, pm.height())).empty(); };
    EXPECT_TRUE(gapEmpty(c.timeX + c.timeWidth, c.titleX));
    EXPECT_TRUE(gapEmpty(c.titleX + c.titleWidth, c.channelX));
    EXPECT_TRUE(gapEmpty(c.channelX + c.channelWidth, c.durationX));
    // The whole time shows: its ink reaches as far as the text is wide.
    auto time = ink(pm, eRect(c.timeX, 0, c.timeWidth, pm.height()));
    ASSERT_FALSE(time.empty());
    EXPECT_GE(time.back() - c.timeX + 2, ui::textWidth("10:15", font) - 1);
}

TEST_P(RowFit, TheLeftColumnShortensLongNamesAndKeepsOffTheBorder)
{
    eListBoxLista1 shortName(nullptr, "Rai 1", 1, kChannel);
    eListBoxLista1 longName(nullptr, "Canale Lunghissimo Davvero", 2, kChannel);
    gPixmap pm(140, rowHeight());
    draw(longName, pm);
    auto xs = ink(pm, pm.rect());
    ASSERT_FALSE(xs.empty());
    EXPECT_LE(xs.back(), 140 - 4);
    EXPECT_EQ(longName.describe(), "Canale Lunghissimo Davvero"); // the row keeps its name
    draw(shortName, pm);
    EXPECT_FALSE(ink(pm, pm.rect()).empty());
}

TEST_P(RowFit, AllRowsShareOneBaseline)
{
    gPixmap pm(460, rowHeight());
    auto* capitals = new eListBoxProgrammi(&list, 2, 10, 0, "", "TOTAL", 30, kChannel, 1, 0);
    auto* descenders = new eListBoxProgrammi(&list, 2, 10, 0, "", "gypsy quay", 30, kChannel, 1, 1);
    draw(*capitals, pm);
    const auto c = eListBoxProgrammi::columns(eListBoxProgrammi::DescrFont, 460);
    const eRect title(c.titleX, 0, c.titleWidth, pm.height());
    const int capitalsBottom = inkRows(pm, title).back();
    draw(*descenders, pm);
    EXPECT_EQ(capitals->yOffs, descenders->yOffs); // the ink of each row does not move it
    // Descenders hang below the capitals' baseline instead of lifting the line.
    EXPECT_GT(inkRows(pm, title).back(), capitalsBottom);
}

INSTANTIATE_TEST_SUITE_P(ListFonts, RowFit, ::testing::Values(17, 22, 26));

TEST(FitText, ShortTextStaysLongTextEndsInAnEllipsisWithinTheWidth)
{
    const gFont font("Nimbus", 20);
    EXPECT_EQ(ui::fitText("Rai 1", font, 200), "Rai 1");
    const eString cut = ui::fitText("Cinéma Classique en noir et blanc", font, 120);
    EXPECT_LE(ui::textWidth(cut, font), 120);
    EXPECT_EQ(cut.substr(cut.size() - 3), "\xE2\x80\xA6"); // U+2026
    EXPECT_EQ(cut.substr(0, 3), "Cin");
    // Broadcast text in ISO 8859-15 is read as such and given back as UTF-8.
    EXPECT_EQ(ui::fitText("Cin\xE9ma", font, 500), "Cin\xE9ma");
    EXPECT_EQ(ui::fitText("Cin\xE9ma Classique en noir et blanc", font, 120).substr(0, 5), "Cin\xC3\xA9");
    EXPECT_EQ(ui::fitText("Anything", font, 0), "");
}

} // namespace
