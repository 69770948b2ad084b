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

TEST_F(TramaviewTest, OneRowShowsNoMarkersAndARowPastTheTablePagesFromTheLastRecord)
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
    nb_buffer = kMaxRows;
    eTramaview v("far", "row 2400", "w", "c", 2400);
    EXPECT_EQ(pos_buffer, kMaxRows - 1);
    EXPECT_TRUE(labelWith(v, "far"));
    EXPECT_EQ(markers(v), "<");
    press(v, i_focusActions->right);
    EXPECT_EQ(pos_buffer, kMaxRows - 1);
    press(v, i_focusActions->left);
    EXPECT_EQ(pos_buffer, kMaxRows - 2);
}

} // namespace
