#include "FakeFrontend.h"

#include "host/gfx/eTextPara.h"
#include "host/gui/Screen.h"
#include "host/gui/eListBox.h"
#include "host/gui/eListBoxEntryText.h"
#include "host/gui/eWindow.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// A row that counts its redraws and says which row it is.
class CountingRow : public eListBoxEntry {
public:
    CountingRow(eListBox<CountingRow>* list, int n) : eListBoxEntry(list), n(n) {}
    static int getEntryHeight() { return 20; }
    const eString& redraw(gPainter* rc, const eRect& rect, gColor ab, gColor af, gColor nb, gColor nf, int state) override
    {
        ++draws;
        lastState = state;
        drawEntryRect(rc, rect, ab, af, nb, nf, state);
        label = eString().sprintf("row %d", n);
        return label;
    }
    int n;
    int draws = 0;
    int lastState = -1;
    eString label;
};

struct ListFixture : ::testing::Test {
    ListFixture()
    {
        window.cmove(ePoint(100, 100));
        window.cresize(eSize(300, 220));
        list = new eListBox<CountingRow>(&window);
        list->move(ePoint(0, 0));
        list->resize(eSize(300, 200)); // 200 / 20 = 10 rows
        for (int i = 0; i < 25; ++i)
            rows.push_back(new CountingRow(list, i));
        list->selchanged.connect([this](CountingRow* r) { changed.push_back(r ? r->n : -1); });
        list->selected.connect([this](CountingRow* r) { chosen.push_back(r ? r->n : -1); });
        window.show();
    }
    int current() const { return list->getCurrent() ? list->getCurrent()->n : -1; }

    FakeFrontend fe;
    eWindow window{1};
    eListBox<CountingRow>* list;
    std::vector<CountingRow*> rows;
    std::vector<int> changed, chosen;
};

TEST_F(ListFixture, UpDownMoveOneRowAndWrapAtTheEnds)
{
    EXPECT_EQ(list->visibleRows(), 10);
    EXPECT_EQ(current(), 0);
    fe.key(eRCKey::Up).key(eRCKey::Down).key(eRCKey::Down).key(eRCKey::Exit);
    window.exec();
    EXPECT_EQ(changed, (std::vector<int>{24, 0, 1}));
    EXPECT_EQ(current(), 1);
    EXPECT_EQ(list->getTop(), 0);
}

TEST_F(ListFixture, UpDownPassOverRowsThatCannotBeSelected)
{
    rows[1]->setSelectable(0);
    rows[2]->setSelectable(0);
    fe.key(eRCKey::Down).key(eRCKey::Up).key(eRCKey::Exit);
    window.exec();
    EXPECT_EQ(changed, (std::vector<int>{3, 0}));
}

TEST_F(ListFixture, LeftRightPageAndStopAtTheEnds)
{
    fe.key(eRCKey::Right).key(eRCKey::Right).key(eRCKey::Right).key(eRCKey::Left).key(eRCKey::Exit);
    window.exec();
    EXPECT_EQ(changed, (std::vector<int>{10, 20, 24, 14}));
    EXPECT_EQ(current(), 14);
    // The current row is always in view.
    EXPECT_LE(list->getTop(), 14);
    EXPECT_GT(list->getTop() + list->visibleRows(), 14);
}

TEST_F(ListFixture, OkEmitsSelectedAndExitClosesTheWindow)
{
    fe.key(eRCKey::Down).key(eRCKey::Ok).key(eRCKey::Exit);
    EXPECT_EQ(window.exec(), -1);
    EXPECT_EQ(chosen, (std::vector<int>{1}));
}

TEST_F(ListFixture, OkOnAnEmptyListEmitsNull)
{
    list->beginAtomic();
    list->clearList();
    list->endAtomic();
    EXPECT_EQ(list->getCount(), 0);
    EXPECT_EQ(list->getCurrent(), nullptr);
    fe.key(eRCKey::Ok).key(eRCKey::Exit);
    window.exec();
    EXPECT_EQ(chosen, (std::vector<int>{-1}));
}

TEST_F(ListFixture, SetCurrentScrollsWithoutSignalUnlessAsked)
{
    list->setCurrent(rows[17]);
    EXPECT_EQ(current(), 17);
    EXPECT_TRUE(changed.empty());
    EXPECT_LE(list->getTop(), 17);
    EXPECT_GT(list->getTop() + list->visibleRows(), 17);
    list->setCurrent(rows[3], true);
    EXPECT_EQ(changed, (std::vector<int>{3}));
}

TEST_F(ListFixture, OnlyVisibleRowsAreDrawnAndTheCurrentOneShowsTheFocus)
{
    host::refreshScreen();
    for (int i = 0; i < 25; ++i)
        EXPECT_EQ(rows[i]->draws > 0, i < 10) << "row " << i;
    EXPECT_EQ(rows[0]->lastState, 1);
    EXPECT_EQ(rows[1]->lastState, 0);
    // After a page down only the new page is drawn.
    for (CountingRow* r : rows)
        r->draws = 0;
    fe.key(eRCKey::Right).then([] { host::refreshScreen(); }).key(eRCKey::Exit);
    window.exec();
    for (int i = 0; i < 25; ++i)
        EXPECT_EQ(rows[i]->draws > 0, i >= 10 && i < 20) << "row " << i;
}

TEST_F(ListFixture, TakeRemovesWithoutDeletingAndClearDeletes)
{
    CountingRow* r = rows[5];
    list->take(r);
    EXPECT_EQ(list->getCount(), 24);
    EXPECT_EQ(r->getListBox(), nullptr);
    delete r; // ours now; must not touch the list
    int seen = 0;
    list->forEachEntry([&](CountingRow* e) { seen += e->n == 5; });
    EXPECT_EQ(seen, 0);
}

TEST(ListBoxEntryText, OrdersByUnsignedKeyThenText)
{
    eWindow w;
    eListBox<eListBoxEntryText> list(&w);
    auto* big = new eListBoxEntryText(&list, "b", reinterpret_cast<void*>(static_cast<intptr_t>(-1)));
    auto* small = new eListBoxEntryText(&list, "z", reinterpret_cast<void*>(1));
    auto* sameKeyA = new eListBoxEntryText(&list, "a", reinterpret_cast<void*>(1));
    EXPECT_TRUE(*small < *big);   // -1 is the largest key unsigned
    EXPECT_TRUE(*sameKeyA < *small); // equal keys: by text
    eListBox<eListBoxEntryText> other(&w);
    auto* byText = new eListBoxEntryText(&other, "c", reinterpret_cast<void*>(0), 0, "", 1);
    EXPECT_FALSE(*byText < *big); // keytype 1: by text, and "c" > "b"
    list.sort();
    EXPECT_EQ(list.getEntry(0)->getText(), "a");
    EXPECT_EQ(list.getEntry(2)->getText(), "b");
}

} // namespace
