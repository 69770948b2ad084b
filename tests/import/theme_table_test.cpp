// The theme table from categories: most used first, 16 themes of 15 sub-themes
// (the last 14), names of 15 bytes, and what does not fit goes where it is said.
#include "import/ThemeTable.h"

#include <gtest/gtest.h>

using namespace importer;

namespace {
using Cats = std::vector<std::string>;

void uses(ThemeTable& t, const Cats& c, int n)
{
    for (int i = 0; i < n; ++i)
        t.count(c);
}
} // namespace

TEST(ThemeTable, MostUsedFirstWithTheirSubThemes)
{
    ThemeTable t;
    uses(t, {"Film", "Commedia"}, 3);
    uses(t, {"Sport"}, 5);
    uses(t, {"Film", "Giallo"}, 4);
    uses(t, {}, 1);
    Report report;
    t.place("g.xml", report);
    EXPECT_TRUE(report.notes.empty());
    ASSERT_EQ(t.groups(), 3);
    EXPECT_EQ(t.names()[0], "Film"); // 7 programmes
    EXPECT_EQ(t.names()[1], "Giallo");
    EXPECT_EQ(t.names()[2], "Commedia");
    EXPECT_EQ(t.names()[16], "Sport");
    EXPECT_EQ(t.names()[32], "Other"); // the programme without a category
    EXPECT_EQ(t.slotOf({"Film", "Commedia"}), 2);
    EXPECT_EQ(t.slotOf({"Film"}), 0);
    EXPECT_EQ(t.slotOf({"Film", "Film"}), 0);
    EXPECT_EQ(t.slotOf({"Sport", "Tennis"}), 16); // a sub-theme never counted: its theme
    EXPECT_EQ(t.slotOf({}), 32);
}

TEST(ThemeTable, WhatDoesNotFitIsReportedAndFiledAbove)
{
    ThemeTable t;
    for (int g = 0; g < 18; ++g)
        uses(t, {"Theme " + std::to_string(g)}, 100 - g);
    // The last theme to get a place has room for 14 sub-themes; give one of the big ones 16.
    for (int s = 0; s < 16; ++s)
        uses(t, {"Theme 0", "Sub " + std::to_string(s)}, 20 - s);
    Report report;
    t.place("g.xml", report);
    ASSERT_EQ(t.groups(), 16);
    // Themes 15, 16 and 17 are the least used: Other takes them in (85+84+83 programmes).
    EXPECT_EQ(t.names()[0], "Theme 0");
    EXPECT_EQ(t.names()[16], "Other");
    EXPECT_EQ(t.slotOf({"Theme 17"}), 16);
    EXPECT_EQ(t.slotOf({"Theme 14"}), 15 * 16);
    EXPECT_EQ(t.names()[1], "Sub 0");
    EXPECT_EQ(t.names()[15], "Sub 14");
    EXPECT_EQ(t.slotOf({"Theme 0", "Sub 15"}), 0);
    ASSERT_EQ(report.notes.size(), 4u);
    EXPECT_EQ(report.notes[0], "g.xml: theme \"Theme 15\" (85 programmes) does not fit among the 16 themes; its "
                               "programmes are filed under Other");
    EXPECT_EQ(report.notes[3], "g.xml: sub-theme \"Sub 15\" of \"Theme 0\" (5 programmes) does not fit; its "
                               "programmes are filed under \"Theme 0\"");
}

TEST(ThemeTable, TheLastGroupHoldsFourteenSubThemes)
{
    ThemeTable t;
    for (int g = 0; g < 15; ++g)
        uses(t, {"T" + std::to_string(g)}, 100 - g);
    for (int s = 0; s < 15; ++s)
        uses(t, {"T15", "S" + std::to_string(s)}, 1);
    Report report;
    t.place("g.xml", report);
    EXPECT_EQ(t.names()[240], "T15");
    EXPECT_EQ(t.names()[254], "S13");
    EXPECT_EQ(t.slotOf({"T15", "S14"}), 240);
    EXPECT_EQ(report.notes.size(), 1u);
}

TEST(ThemeTable, NamesAreCutToFifteenBytesAtACharacter)
{
    ThemeTable t;
    uses(t, {"Documentarioo\xC3\xA9\xE2\x82\xAC"}, 3); // fits ISO 8859-15: sent as a broadcaster sends it
    uses(t, {"Documentarioo\xCE\xA9\xCE\xA9"}, 2);      // Greek stays UTF-8: 17 bytes, cut before the last letter
    t.count({"Intrattenimento leggero"});
    Report report;
    t.place("g.xml", report);
    EXPECT_EQ(t.names()[0], "Documentarioo\xE9\xA4");
    EXPECT_EQ(t.names()[16], "Documentarioo\xCE\xA9");
    EXPECT_EQ(t.names()[32], "Intrattenimento");
    EXPECT_EQ(t.slotOf({"Intrattenimento leggero"}), 32);
}
