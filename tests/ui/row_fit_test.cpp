// Row text at any list font: every column keeps to its width (long texts shortened
// with an ellipsis), the time and duration columns grow with the font, and all rows
// of a list share one baseline whatever letters they hold.
#include "frame/globals.h"
#include "host/gfx/gPainter.h"
#include "host/gfx/gPixmap.h"
#include "host/service/eServiceInterface.h"
#include "ui/RowText.h"
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

template <class Row>
void draw(Row& row, gPixmap& pm)
{
    gPainter p(pm);
    p.fillColor(pm.rect(), 0);
    const gColor white = gColor::fromRGB(0xFFFFFF);
    row.redraw(&p, pm.rect(), gColor(), white, gColor(), white, 0);
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
