// Number and value rules of configuration lines, at their boundaries.
#include "config/ConfigLine.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

namespace {

TEST(ConfigNumber, IntBoundariesAreExactAndBeyondThemSaturate)
{
    EXPECT_EQ(cfgline::parseNumber("2147483647"), INT_MAX);
    EXPECT_EQ(cfgline::parseNumber("2147483646"), INT_MAX - 1);
    EXPECT_EQ(cfgline::parseNumber("2147483648"), INT_MAX);
    EXPECT_EQ(cfgline::parseNumber("-2147483648"), INT_MIN);
    EXPECT_EQ(cfgline::parseNumber("-2147483647"), INT_MIN + 1);
    EXPECT_EQ(cfgline::parseNumber("-2147483649"), INT_MIN);
    EXPECT_EQ(cfgline::parseNumber(std::string(5000, '9')), INT_MAX);
    EXPECT_EQ(cfgline::parseNumber("-" + std::string(5000, '9')), INT_MIN);
    EXPECT_EQ(cfgline::parseNumber("0000000000000000000000042"), 42);
}

TEST(ConfigNumber, AtoiPrefixRules)
{
    EXPECT_EQ(cfgline::parseNumber(" \t\v\f\r\n17x"), 17);
    EXPECT_EQ(cfgline::parseNumber("+8"), 8);
    EXPECT_EQ(cfgline::parseNumber("-0"), 0);
    EXPECT_EQ(cfgline::parseNumber("+-3"), 0);
    EXPECT_EQ(cfgline::parseNumber("- 3"), 0);
    EXPECT_EQ(cfgline::parseNumber("-"), 0);
    EXPECT_EQ(cfgline::parseNumber(""), 0);
    EXPECT_EQ(cfgline::parseNumber("0x1F"), 0);
    EXPECT_EQ(cfgline::parseNumber("12,5"), 12);
    EXPECT_EQ(cfgline::parseNumber("\xA0" "5"), 0); // not white space in the C locale
}

TEST(ConfigNumberList, FieldsSplitAtCommasAndTheLastRepeats)
{
    int out[4] = {-1, -1, -1, -1};
    cfgline::parseNumberList("1,2,3,4,5", out, 4);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[3], 4);

    cfgline::parseNumberList("9, 8", out, 4);
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(out[1], 8);
    EXPECT_EQ(out[2], 8);
    EXPECT_EQ(out[3], 8);

    cfgline::parseNumberList("", out, 4);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[3], 0);
}

TEST(ConfigLineValue, FromTheFirstEqualsToTheNewline)
{
    EXPECT_EQ(cfgline::lineValue("a=b=c\n"), "b=c");
    EXPECT_EQ(cfgline::lineValue("a=b"), "b");
    EXPECT_EQ(cfgline::lineValue("no equals\n"), "no equals");
    EXPECT_EQ(cfgline::lineValue("a=\n"), "");
    EXPECT_EQ(cfgline::lineValue("\n"), "");
    EXPECT_EQ(cfgline::valueAfter(">x>y\n", '>'), "x>y");
    EXPECT_EQ(cfgline::valueAfter("x>\n", '>'), "");
}

TEST(ConfigLineRead, LinesOfAnyLengthAndTheLastWithoutNewline)
{
    FILE* f = tmpfile();
    ASSERT_NE(f, nullptr);
    std::string longLine(70000, 'a');
    fputs((longLine + "\nshort\nlast").c_str(), f);
    fputc('\0', f);
    fputs("hidden", f);
    rewind(f);

    std::string line;
    ASSERT_TRUE(cfgline::readWholeLine(f, line));
    EXPECT_EQ(line, longLine + "\n");
    ASSERT_TRUE(cfgline::readWholeLine(f, line));
    EXPECT_EQ(line, "short\n");
    ASSERT_TRUE(cfgline::readWholeLine(f, line));
    EXPECT_EQ(line, "last"); // the NUL ends the text of the line
    EXPECT_FALSE(cfgline::readWholeLine(f, line));
    fclose(f);
}

} // namespace
