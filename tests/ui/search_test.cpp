// The search window: the last-search table, its combo, and the "Empty string:" box.
#include "../host/FakeFrontend.h"

#include "frame/globals.h"
#include "host/gui/Screen.h"
#include "ui/eSearch.h"

#include <gtest/gtest.h>
#include <regex>

namespace {

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (auto& s : lastSearch)
            s.clear();
        nb_search = 0;
        editcfg = false;
        searchString.clear();
    }
    // Runs a search window on the script; the screen is dumped at every `look`.
    void run(FakeFrontend& fe)
    {
        eSearch search;
        search.show();
        search.exec();
        search.hide();
    }
};

TEST_F(SearchTest, AnEleventhTextDropsTheOldestAndNothingIsStoredPastTheTable)
{
    for (int k = 0; k < kMaxSearches; ++k)
        EXPECT_EQ(rememberSearch("T" + std::to_string(k)), k);
    EXPECT_EQ(nb_search, kMaxSearches);
    EXPECT_EQ(rememberSearch("NEW"), kMaxSearches - 1);
    EXPECT_EQ(nb_search, kMaxSearches);
    EXPECT_EQ(lastSearch[0], "T1");
    EXPECT_EQ(lastSearch[8], "T9");
    EXPECT_EQ(lastSearch[9], "NEW");
}

TEST_F(SearchTest, ABlankCanBeTypedBetweenWordsOtherSignsCannot)
{
    std::string typed;
    FakeFrontend fe;
    fe.text("news flash!").then([&] { typed = host::describeScreen(); }).key(eRCKey::Exit);
    run(fe);
    EXPECT_NE(typed.find("\"text\":\"news flash\""), std::string::npos) << typed;
}

TEST_F(SearchTest, AnEmptyTextGivesTheEmptyStringBoxAndNoSearch)
{
    std::string screenWithBox, screenAfter;
    FakeFrontend fe;
    fe.key(eRCKey::Green)
        .then([&] { screenWithBox = host::describeScreen(); })
        .key(eRCKey::Ok)
        .then([&] { screenAfter = host::describeScreen(); })
        .key(eRCKey::Exit);
    run(fe);
    EXPECT_NE(screenWithBox.find("\"caption\":\"Empty string:\""), std::string::npos);
    EXPECT_NE(screenWithBox.find("Insert a string and push go! button."), std::string::npos);
    // Back in the search window, unchanged: no combo, nothing stored.
    EXPECT_EQ(screenAfter.find("eMessageBox"), std::string::npos);
    EXPECT_NE(screenAfter.find(" Programs search:"), std::string::npos);
    EXPECT_EQ(nb_search, 0);
    EXPECT_FALSE(editcfg);
    EXPECT_EQ(FilterSearch, 3);
}

TEST_F(SearchTest, TheSummariesBoxOnlySaysItIsNotAvailable)
{
    std::string box, after;
    FakeFrontend fe;
    // Down from the input field: Start, the titles box, the summaries box.
    fe.key(eRCKey::Down).key(eRCKey::Down).key(eRCKey::Down).key(eRCKey::Ok)
        .then([&] { box = host::describeScreen(); })
        .key(eRCKey::Ok)
        .then([&] { after = host::describeScreen(); })
        .key(eRCKey::Exit);
    run(fe);
    EXPECT_NE(box.find("\"caption\":\"Message:\""), std::string::npos);
    EXPECT_NE(box.find("Search in summaries not implemented yet!"), std::string::npos);
    EXPECT_TRUE(std::regex_search(after, std::regex("\"text\":\"search in summaries\"(?:(?!\"class\").)*\"checked\":false")));
    EXPECT_TRUE(std::regex_search(after, std::regex("\"text\":\"search in titles\"(?:(?!\"class\").)*\"checked\":true")));
}

} // namespace
