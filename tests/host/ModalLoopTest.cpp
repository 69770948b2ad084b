#include "FakeFrontend.h"

#include "host/gfx/gPixmap.h"
#include "host/gui/Screen.h"
#include "host/gui/eButton.h"
#include "host/gui/eLabel.h"
#include "host/gui/eWindow.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A window that opens a child on green and records what its exec returned.
class Opener : public eWindow {
public:
    Opener(int depth, std::vector<int>& results) : eWindow(1), m_depth(depth), m_results(results)
    {
        addActionMap(&i_shortcutActions->map);
        cmove(ePoint(100 + depth * 10, 100));
        cresize(eSize(200, 100));
    }
    int eventHandler(const eWidgetEvent& event) override
    {
        if (event.type == eWidgetEvent::evtAction) {
            if (event.action == &i_shortcutActions->green && m_depth < 3) {
                Opener child(m_depth + 1, m_results);
                child.show();
                m_results.push_back(child.exec());
                child.hide();
                return 1;
            }
            // 5 closes with a value that tells the depth, from inside the handler.
            if (event.action == &i_shortcutActions->number5) {
                close(5 + m_depth);
                return 1;
            }
        }
        return eWindow::eventHandler(event);
    }

private:
    int m_depth;
    std::vector<int>& m_results;
};

TEST(ModalLoop, NestedWindowsReturnTheirOwnResults)
{
    FakeFrontend fe;
    std::vector<int> inner;
    // Open depths 1, 2, 3; close 3 with 5 (8), 2 with exit, 1 with 5 (6); open 1 again,
    // exit it, and close the top with 5.
    fe.key(eRCKey::Green).key(eRCKey::Green).key(eRCKey::Green).key(eRCKey::Digit5).key(eRCKey::Exit);
    fe.key(eRCKey::Digit5).key(eRCKey::Green).key(eRCKey::Exit).key(eRCKey::Digit5);
    Opener top(0, inner);
    top.show();
    EXPECT_EQ(top.exec(), 5);
    EXPECT_EQ(inner, (std::vector<int>{8, -1, 6, -1}));
    EXPECT_EQ(fe.overrun, 0);
    EXPECT_EQ(fe.pending(), 0u);
}

TEST(ModalLoop, CloseOfAnOuterWindowWaitsForTheInnerLoop)
{
    FakeFrontend fe;
    eWindow outer(1), inner(1);
    outer.show();
    inner.show();
    int innerResult = 99;
    auto* b = new eButton(&outer);
    b->selected.connect([&] { innerResult = inner.exec(); });
    b->resize(eSize(50, 20));
    outer.setFocus(b);
    // OK runs inner's loop inside outer's; outer is closed while inner still runs.
    fe.key(eRCKey::Ok).then([&] { outer.close(3); }).key(eRCKey::Digit1).key(eRCKey::Exit);
    EXPECT_EQ(outer.exec(), 3);
    EXPECT_EQ(innerResult, -1);
}

TEST(ModalLoop, FirstCloseWinsAndCloseOutsideExecIsIgnored)
{
    FakeFrontend fe;
    eWindow w(1);
    w.close(7); // not running: nothing to end
    auto* b = new eButton(&w);
    b->resize(eSize(50, 20));
    b->selected.connect([&] {
        w.close(1);
        w.close(2);
    });
    w.show();
    fe.key(eRCKey::Ok);
    EXPECT_EQ(w.exec(), 1);
    EXPECT_FALSE(w.isExecuting());
}

TEST(Focus, UpDownMoveInCreationOrderAndWrap)
{
    FakeFrontend fe;
    eWindow w(1);
    w.cresize(eSize(300, 200));
    auto* a = new eButton(&w);
    a->setName("a");
    new eLabel(&w); // does not take the focus
    auto* b = new eButton(&w);
    b->setName("b");
    auto* hidden = new eButton(&w);
    hidden->hide();
    auto* c = new eButton(&w);
    c->setName("c");
    std::vector<eString> seen;
    w.focusChanged.connect([&](const eWidget* f) { seen.push_back(f ? f->getName() : eString("-")); });
    w.show();
    EXPECT_EQ(w.getFocus(), a);
    fe.key(eRCKey::Down).key(eRCKey::Down).key(eRCKey::Down).key(eRCKey::Up).key(eRCKey::Left).key(eRCKey::Right).key(eRCKey::Exit);
    w.exec();
    // The first focusable widget gets the focus when the window shows.
    EXPECT_EQ(seen, (std::vector<eString>{"a", "b", "c", "a", "c", "b", "c"}));
}

TEST(Focus, HidingTheFocusedWidgetMovesTheFocusOn)
{
    FakeFrontend fe;
    eWindow w(1);
    auto* a = new eButton(&w);
    auto* b = new eButton(&w);
    w.show();
    w.setFocus(a);
    a->hide();
    EXPECT_EQ(w.getFocus(), b);
    EXPECT_FALSE(a->isVisible());
}

TEST(Keys, ShortcutFiresItsWidgetFromAnywhereInTheWindow)
{
    FakeFrontend fe;
    eWindow w(1);
    auto* first = new eButton(&w);
    auto* save = new eButton(&w);
    save->setShortcut("green");
    int fired = 0;
    save->selected.connect([&] {
        ++fired;
        w.close(0);
    });
    w.show();
    EXPECT_EQ(w.getFocus(), first);
    fe.key(eRCKey::Red).key(eRCKey::Green);
    EXPECT_EQ(w.exec(), 0);
    EXPECT_EQ(fired, 1);
}

// Records the actions it hears, then hands them on.
class Listener : public eWindow {
public:
    Listener() : eWindow(1) {}
    int eventHandler(const eWidgetEvent& e) override
    {
        if (e.type == eWidgetEvent::evtAction)
            heard.push_back(e.action);
        return eWindow::eventHandler(e);
    }
    std::vector<const eAction*> heard;
};

TEST(Keys, WhatTheFocusedWidgetLeavesBecomesActionsOfTheMaps)
{
    FakeFrontend fe;
    Listener w;
    w.addActionMap(&i_shortcutActions->map);
    w.addActionMap(&i_cursorActions->map);
    auto* b = new eButton(&w); // takes OK itself
    int pressed = 0;
    b->selected.connect([&] { ++pressed; });
    w.show();
    fe.key(eRCKey::Ok).key(eRCKey::Red).key(eRCKey::Digit0).key(eRCKey::Up).key(eRCKey::Exit);
    EXPECT_EQ(w.exec(), -1);
    EXPECT_EQ(pressed, 1);
    // Up is first the cursor map's (not handled by the window), then the focus map's.
    const std::vector<const eAction*> expected{&i_shortcutActions->red, &i_shortcutActions->number0,
                                               &i_cursorActions->up, &i_focusActions->up,
                                               &i_cursorActions->cancel};
    EXPECT_EQ(w.heard, expected);
}

TEST(Screen, RefreshPaintsOnlyWhenSomethingChanged)
{
    FakeFrontend fe;
    host::refreshScreen();
    const int before = fe.presented;
    host::refreshScreen();
    EXPECT_EQ(fe.presented, before);
    eWindow w;
    w.move(ePoint(100, 100));
    w.cresize(eSize(100, 50));
    w.setBackgroundColor(gColor::fromRGB(0x123456));
    w.show();
    host::refreshScreen();
    EXPECT_EQ(fe.presented, before + 1);
    const ePoint c = w.getAbsoluteClientPosition();
    EXPECT_EQ(host::screen().pixel(c.x() + 5, c.y() + 5), 0x123456u);
    w.hide();
    host::refreshScreen();
    EXPECT_NE(host::screen().pixel(c.x() + 5, c.y() + 5), 0x123456u);
}

} // namespace
