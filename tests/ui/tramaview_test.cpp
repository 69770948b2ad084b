// The summary view: paging through bufferdatas with left and right, and its markers.
#include "frame/globals.h"
#include "host/gui/eLabel.h"
#include "ui/eTramaview.h"

#include <gtest/gtest.h>

namespace {

class TramaviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 3; ++i) {
            bufferdatas[i].title = "title" + std::to_string(i);
            bufferdatas[i].channel = "channel" + std::to_string(i);
            bufferdatas[i].when = "Mon 2" + std::to_string(i) + ":00";
            bufferdatas[i].summary = "summary" + std::to_string(i);
        }
        nb_buffer = 3;
    }
    static eLabel* labelWith(eTramaview& v, const std::string& text)
    {
        for (eWidget* w : v.getChildren())
            if (w->getText() == text)
                return dynamic_cast<eLabel*>(w);
        return nullptr;
    }
    static void press(eTramaview& v, const eAction& a) { v.eventHandler(eWidgetEvent(eWidgetEvent::evtAction, &a)); }
    // Markers as shown: "<>" both, "<" only previous, ">" only next, "" none.
    static std::string markers(eTramaview& v)
    {
        return std::string(labelWith(v, "<")->isShown() ? "<" : "") + (labelWith(v, ">")->isShown() ? ">" : "");
    }
};

TEST_F(TramaviewTest, OneRowShowsNoMarkersAndARowPastTheTableIsShownAlone)
{
    nb_buffer = 1;
    {
        eTramaview v("s", "t", "w", "c", 0);
        EXPECT_EQ(markers(v), "");
        press(v, i_focusActions->right);
        press(v, i_focusActions->left);
        EXPECT_EQ(v.getText(), "t");
        EXPECT_EQ(pos_buffer, 0);
    }
    nb_buffer = 2400; // more rows than the table has records
    bufferdatas[kMaxRows - 1].title = "row 1999";
    bufferdatas[kMaxRows - 2].title = "row 1998";
    eTramaview v("far", "row 2400", "w", "c", 2400);
    EXPECT_TRUE(labelWith(v, "far"));
    EXPECT_EQ(markers(v), "");
    // Paging would put another programme's summary under this one's title: none.
    press(v, i_focusActions->left);
    press(v, i_focusActions->right);
    EXPECT_EQ(v.getText(), "row 2400");
    EXPECT_TRUE(labelWith(v, "far"));
}

TEST_F(TramaviewTest, UpAndDownScrollALongSummaryLeftAndRightStillPage)
{
    std::string plot;
    for (int i = 0; i < 60; ++i)
        plot += "Line " + std::to_string(i) + " of a long plot that goes on and on.\n";
    bufferdatas[1].summary = plot;
    eTramaview v(plot, "title1", "w", "c", 1);
    eLabel* summary = labelWith(v, plot);
    ASSERT_NE(summary, nullptr);
    const int lines = summary->lineCount();
    const int visible = summary->visibleLines();
    ASSERT_GT(lines, visible); // the box holds only part of it
    press(v, i_focusActions->down);
    EXPECT_EQ(summary->getScrollLine(), visible - 1);
    for (int i = 0; i < 100; ++i)
        press(v, i_focusActions->down);
    EXPECT_EQ(summary->getScrollLine(), lines - visible); // the last line shows at the bottom
    press(v, i_focusActions->up);
    EXPECT_EQ(summary->getScrollLine(), lines - visible - (visible - 1));
    // Paging shows the next record from its first line.
    press(v, i_focusActions->right);
    EXPECT_EQ(v.getText(), "title2");
    EXPECT_EQ(summary->getScrollLine(), 0);
    EXPECT_EQ(pos_buffer, 2);
    press(v, i_focusActions->up); // a short text does not move
    EXPECT_EQ(summary->getScrollLine(), 0);
}

} // namespace
