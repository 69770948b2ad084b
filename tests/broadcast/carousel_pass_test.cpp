// The pass rule shared by the summary reader and the loggers: a pass read from any
// join point into a carousel with repeats has fed every distinct section on air
// once it reports the carousel come round.
#include "broadcast/CarouselPass.h"

#include <gtest/gtest.h>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using Carousel = std::vector<std::string>;

struct Reading {
    bool complete = false;
    long reads = 0;
    std::set<std::string> fresh; // sections the pass called new
    int freshCalls = 0;
};

// Reads the carousel round and round from the join point until the pass is complete.
Reading readFrom(const Carousel& c, size_t join, long limit = 100000)
{
    CarouselPass pass;
    Reading r;
    for (size_t i = join; !pass.complete() && r.reads < limit; ++i, ++r.reads) {
        const std::string& s = c[i % c.size()];
        if (pass.add(reinterpret_cast<const unsigned char*>(s.data()), static_cast<int>(s.size()))) {
            r.fresh.insert(s);
            ++r.freshCalls;
        }
    }
    r.complete = pass.complete();
    return r;
}

// Every join point: the pass ends, holds every distinct section, each called new once,
// and ends within two turns of the stream and the window that proves it.
void expectWholeFromEveryJoin(const Carousel& c, const char* what)
{
    const std::set<std::string> onAir(c.begin(), c.end());
    for (size_t join = 0; join < c.size(); ++join) {
        Reading r = readFrom(c, join);
        ASSERT_TRUE(r.complete) << what << " join " << join;
        EXPECT_EQ(r.fresh, onAir) << what << " join " << join;
        EXPECT_EQ(r.freshCalls, static_cast<int>(onAir.size())) << what << " join " << join;
        EXPECT_LE(r.reads, static_cast<long>(2 * c.size() + CarouselPass::kMaxWindow))
            << what << " join " << join;
    }
}

Carousel numbered(int n, const std::string& prefix = "s")
{
    Carousel c;
    for (int i = 0; i < n; ++i)
        c.push_back(prefix + std::to_string(i));
    return c;
}

TEST(CarouselPassTest, RepeatsInsideAPassDoNotEndIt)
{
    // The first section sent twice in a row, and the second sent again later.
    expectWholeFromEveryJoin({"a", "a", "b", "c", "d", "e", "f", "g"}, "repeated first");
    expectWholeFromEveryJoin({"a", "b", "c", "b", "d", "e", "b", "f", "g"}, "second sent three times");
    // A run of four sections sent twice: a join inside it must not end at its copy.
    expectWholeFromEveryJoin({"x", "a", "b", "c", "d", "y", "a", "b", "c", "d", "z", "w"}, "repeated run");
    // Sections of other tables and lengths in between.
    expectWholeFromEveryJoin({"title one", "t", "title two", std::string(4000, 'L'), "t", "title three", ""},
                             "other lengths");
    // Tiny carousels: fewer distinct sections than the window wants.
    expectWholeFromEveryJoin({"only"}, "one section");
    expectWholeFromEveryJoin({"a", "b", "a", "a"}, "two sections");
}

TEST(CarouselPassTest, AGeneratedWeekWithSummariesSentTwiceHalfAPassLater)
{
    // As a broadcaster repeats a share of its summaries: a copy half a pass after the first.
    for (int seed = 1; seed <= 6; ++seed) {
        std::mt19937 rng(seed);
        const int n = 300;
        Carousel base = numbered(n, "summary ");
        Carousel c(base.begin(), base.end());
        std::vector<std::pair<size_t, std::string>> copies;
        for (int i = 0; i < n; ++i)
            if (rng() % 100 < 30)
                copies.push_back({(i + n / 2) % n, base[i]});
        Carousel withCopies;
        for (int i = 0; i < n; ++i) {
            withCopies.push_back(base[i]);
            for (const auto& cp : copies)
                if (cp.first == static_cast<size_t>(i))
                    withCopies.push_back(cp.second);
        }
        expectWholeFromEveryJoin(withCopies, "generated");
    }
}

TEST(CarouselPassTest, ALoopedCaptureOfOneAndAHalfPassesIsReadWhole)
{
    // The capture ends half way through its second pass and starts again: from a
    // join in the repeated half the start comes back after half a pass.
    for (int n : {40, 301}) {
        Carousel pass = numbered(n);
        Carousel looped = pass;
        looped.insert(looped.end(), pass.begin(), pass.begin() + n / 2);
        expectWholeFromEveryJoin(looped, "looped");
    }
}

TEST(CarouselPassTest, AStreamThatNeverComesRoundNeverCompletes)
{
    CarouselPass pass;
    for (int i = 0; i < 5000; ++i) {
        const std::string s = "new " + std::to_string(i);
        EXPECT_TRUE(pass.add(reinterpret_cast<const unsigned char*>(s.data()), static_cast<int>(s.size())));
    }
    EXPECT_FALSE(pass.complete());
    EXPECT_EQ(pass.sections(), 5000);
    EXPECT_EQ(pass.distinct(), 5000u);
}

TEST(CarouselPassTest, ACarouselThatLosesItsFirstSectionIsNeverCalledWhole)
{
    // The first section read leaves the carousel: nothing proves a whole turn any
    // more, and the caller's bound ends the reading as an incomplete pass.
    Carousel first = numbered(40);
    Carousel later(first.begin() + 1, first.end());
    CarouselPass pass;
    auto feed = [&](const std::string& s) {
        pass.add(reinterpret_cast<const unsigned char*>(s.data()), static_cast<int>(s.size()));
    };
    for (const auto& s : first)
        feed(s);
    for (int round = 0; round < 20; ++round)
        for (const auto& s : later)
            feed(s);
    EXPECT_FALSE(pass.complete());
    EXPECT_EQ(pass.distinct(), first.size());
}

} // namespace
