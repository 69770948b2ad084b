#include "FakeFrontend.h"

#include "host/gfx/FontEngine.h"
#include "host/gfx/eSkin.h"
#include "host/gfx/eTextPara.h"
#include "host/gfx/gPainter.h"
#include "host/gfx/gPixmap.h"
#include "host/gui/Screen.h"
#include "host/gui/eLabel.h"
#include "host/gui/eListBox.h"
#include "host/gui/eListBoxEntryText.h"
#include "host/gui/eProgress.h"
#include "host/gui/eWindow.h"

#include <gtest/gtest.h>

namespace {

// Pixels of the area that differ from the colour c.
int pixelsNot(const gPixmap& pm, const eRect& area, uint32_t c)
{
    int n = 0;
    for (int y = area.top(); y < area.bottom(); ++y)
        for (int x = area.left(); x < area.right(); ++x)
            n += pm.pixel(x, y) != c;
    return n;
}

TEST(Painter, FillsOnlyInsideTheClipStack)
{
    gPixmap pm(40, 40, false, 0);
    gPainter p(pm);
    p.setOrigin(ePoint(10, 10));
    p.clip(eRect(0, 0, 10, 10)); // absolute 10..20
    p.clip(eRect(5, 5, 20, 20)); // narrows to 15..20
    p.fillColor(eRect(-10, -10, 100, 100), 0xFF0000);
    EXPECT_EQ(pixelsNot(pm, eRect(15, 15, 5, 5), 0xFF0000), 0);
    EXPECT_EQ(pixelsNot(pm, pm.rect(), 0), 25);
    p.clippop();
    p.fillColor(eRect(0, 0, 2, 2), 0x00FF00);
    EXPECT_EQ(pm.pixel(10, 10), 0x00FF00u);
    p.clippop();
    p.clippop(); // more pops than pushes leave the target's own clip
    p.fillColor(eRect(25, 25, 10, 10), 0x0000FF);
    EXPECT_EQ(pm.pixel(39, 39), 0x0000FFu);
}

TEST(Painter, BlitBlendsIconsByCoverage)
{
    gPixmap icon(2, 1, true, 0);
    icon.setPixel(0, 0, 0xFF000000u | 0xFFFFFF); // opaque white
    icon.setPixel(1, 0, 0x00FFFFFF);             // fully transparent
    gPixmap target(4, 1, false, 0x102030);
    gPainter p(target);
    p.blit(icon, ePoint(1, 0));
    EXPECT_EQ(target.pixel(1, 0), 0xFFFFFFu);
    EXPECT_EQ(target.pixel(2, 0), 0x102030u);
    // Outside the target nothing is written (and nothing crashes).
    p.blit(icon, ePoint(3, 0));
    p.blit(icon, ePoint(-1, 0));
    EXPECT_EQ(target.pixel(3, 0), 0xFFFFFFu);
}

TEST(Painter, TextIsDrawnInTheForegroundColourInsideItsArea)
{
    gPixmap pm(200, 40, false, 0);
    gPainter p(pm);
    eTextPara* para = new eTextPara(eRect(10, 5, 180, 30));
    para->setFont(gFont("Nimbus", 20));
    para->renderString("Themes");
    p.setForegroundColor(gColor::fromRGB(0xFFFFFF));
    p.renderPara(*para);
    EXPECT_GT(pixelsNot(pm, pm.rect(), 0), 50);
    EXPECT_EQ(pixelsNot(pm, eRect(0, 0, 10, 40), 0), 0); // nothing left of the area
    // Glyph cores are the exact foreground colour.
    bool fullCoverage = false;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
            fullCoverage |= pm.pixel(x, y) == 0xFFFFFFu;
    EXPECT_TRUE(fullCoverage);
    para->destroy();
}

TEST(Repaint, PaintingAgainLaysNothingOutAndRasterisesNoGlyph)
{
    FakeFrontend fe;
    eWindow w;
    w.setText(" Summary");
    w.cmove(ePoint(115, 150));
    w.cresize(eSize(430, 270));
    auto* label = new eLabel(&w);
    label->resize(eSize(410, 220));
    label->setText("A long summary that wraps onto more than one line of the label, with \xe0 and \xe9.");
    auto* list = new eListBox<eListBoxEntryText>(&w);
    list->move(ePoint(0, 220));
    list->resize(eSize(410, 40));
    new eListBoxEntryText(list, "row");
    w.show();
    host::refreshScreen();
    const uint64_t layouts = eTextPara::layoutCount();
    const uint64_t glyphs = host::FontEngine::instance().rasterised();
    for (int i = 0; i < 3; ++i) {
        w.invalidate();
        host::refreshScreen();
    }
    EXPECT_EQ(eTextPara::layoutCount(), layouts);
    EXPECT_EQ(host::FontEngine::instance().rasterised(), glyphs);
    // A new text is laid out once, when it is first painted.
    label->setText("Other text");
    EXPECT_EQ(eTextPara::layoutCount(), layouts);
    host::refreshScreen();
    EXPECT_EQ(eTextPara::layoutCount(), layouts + 1);
}

TEST(Repaint, WindowsStackInShowOrderAndHiddenOnesAreNotDrawn)
{
    FakeFrontend fe;
    eWindow back, front;
    back.cmove(ePoint(100, 100));
    back.cresize(eSize(200, 100));
    back.setBackgroundColor(gColor::fromRGB(0x0000AA));
    front.cmove(ePoint(150, 120));
    front.cresize(eSize(200, 100));
    front.setBackgroundColor(gColor::fromRGB(0xAA0000));
    back.show();
    front.show();
    host::refreshScreen();
    EXPECT_EQ(host::screen().pixel(160, 130), 0xAA0000u); // overlap: the later window
    EXPECT_EQ(host::screen().pixel(110, 110), 0x0000AAu);
    back.show(); // already shown: stays below
    host::refreshScreen();
    EXPECT_EQ(host::screen().pixel(160, 130), 0xAA0000u);
    front.hide();
    host::refreshScreen();
    EXPECT_EQ(host::screen().pixel(160, 130), 0x0000AAu);
    EXPECT_NE(host::screen().pixel(340, 200), 0xAA0000u);
}

TEST(Repaint, ANonModalProgressWindowAppearsWhileTheGuiThreadIsBusy)
{
    FakeFrontend fe;
    eWindow progressWindow(0);
    progressWindow.move(ePoint(120, 450));
    progressWindow.cresize(eSize(480, 30));
    eProgress bar(&progressWindow); // held by value, as a window member would be
    bar.move(ePoint(10, 10));
    bar.resize(eSize(460, 10));
    bar.setForegroundColor(gColor::fromRGB(0x00FF00));
    progressWindow.show();
    const ePoint c = progressWindow.getAbsoluteClientPosition();
    const int presented = fe.presented;
    for (int perc = 0; perc <= 100; perc += 50) {
        bar.setPerc(perc);
        host::refreshScreen(); // what the box does between blocking reads
        const int filled = 460 * perc / 100;
        if (filled > 0) {
            EXPECT_EQ(host::screen().pixel(c.x() + 10 + filled - 1, c.y() + 15), 0x00FF00u) << perc;
        }
        if (filled < 460) {
            EXPECT_NE(host::screen().pixel(c.x() + 10 + filled, c.y() + 15), 0x00FF00u) << perc;
        }
    }
    EXPECT_EQ(fe.presented, presented + 3);
}

TEST(Geometry, ClientAreaIsWhereCmoveAndCresizePutIt)
{
    eWindow w;
    w.cmove(ePoint(50, 100));
    w.cresize(eSize(620, 380));
    EXPECT_EQ(w.getAbsoluteClientPosition(), ePoint(50, 100));
    EXPECT_EQ(w.getClientSize(), eSize(620, 380));
    EXPECT_GT(w.getSize().height(), 380); // the title bar is outside the client area
    auto* child = new eLabel(&w);
    child->move(ePoint(143, 10));
    EXPECT_EQ(child->getAbsolutePosition(), ePoint(193, 110));
    // Moving the window keeps the client size; cmove again puts the client back.
    w.move(ePoint(0, 0));
    EXPECT_EQ(w.getClientSize(), eSize(620, 380));
    w.cmove(ePoint(50, 100));
    EXPECT_EQ(child->getAbsolutePosition(), ePoint(193, 110));
}

// Counts its destructions, to see who deletes whom.
class Tracked : public eLabel {
public:
    Tracked(eWidget* parent, int& deaths) : eLabel(parent), m_deaths(deaths) {}
    ~Tracked() override { ++m_deaths; }

private:
    int& m_deaths;
};

TEST(Ownership, ChildrenDieWithTheirParentAndMembersAreNotDeletedTwice)
{
    int deaths = 0;
    {
        eWindow w;
        Tracked member(&w, deaths);
        auto* child = new Tracked(&w, deaths);
        new Tracked(child, deaths); // a grandchild
    }
    EXPECT_EQ(deaths, 3);
    {
        eWindow w;
        auto* child = new Tracked(&w, deaths);
        delete child; // early: the window must forget it
        EXPECT_TRUE(w.getChildren().empty());
    }
    EXPECT_EQ(deaths, 4);
}

TEST(Ownership, DeletingARowTakesItOutOfItsList)
{
    eWindow w;
    auto* list = new eListBox<eListBoxEntryText>(&w);
    auto* a = new eListBoxEntryText(list, "a");
    auto* b = new eListBoxEntryText(list, "b");
    list->setCurrent(b);
    delete b;
    EXPECT_EQ(list->getCount(), 1);
    EXPECT_EQ(list->getCurrent(), a);
}

} // namespace
