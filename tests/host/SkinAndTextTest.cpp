#include "host/eString.h"
#include "host/gfx/PngWriter.h"
#include "host/gfx/TextCodec.h"
#include "host/gfx/eRect.h"
#include "host/gfx/eSkin.h"
#include "host/gfx/eTextPara.h"
#include "host/gfx/gPixmap.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(EString, SprintfFormatsStringsOfAnyLength)
{
    eString s;
    const std::string longText(5000, 'x');
    s.sprintf("%s|%d|%02d", longText.c_str(), 42, 7);
    EXPECT_EQ(s.size(), 5000u + 6);
    EXPECT_EQ(s.substr(5000), "|42|07");
}

TEST(EString, UpperAndStrReplaceWorkInPlace)
{
    eString s("tg1 News");
    EXPECT_EQ(s.upper(), "TG1 NEWS");
    EXPECT_EQ(s, "TG1 NEWS");
    eString t("a-b-c--");
    EXPECT_EQ(t.strReplace("-", "+="), "a+=b+=c+=+=");
    eString u("aaa");
    EXPECT_EQ(u.strReplace("a", "aa"), "aaaaaa"); // replacement text is not searched again
}

TEST(TextCodec, ValidUtf8IsUtf8AndAnythingElseIsLatin9)
{
    EXPECT_EQ(host::decodeText("caf\xc3\xa9"), U"caf\u00e9");
    // The same letter as a single ISO 8859-15 byte.
    EXPECT_EQ(host::decodeText("caf\xe9"), U"caf\u00e9");
    // Where ISO 8859-15 differs from ISO 8859-1: the euro sign and friends.
    EXPECT_EQ(host::decodeText("5\xa4 \xbd\xbe"), U"5\u20ac \u0153\u0178");
    // One bad sequence makes the whole string Latin-9, valid-looking parts included.
    EXPECT_EQ(host::decodeText("\xc3\xa9\xff"), U"\u00c3\u00a9\u00ff");
    // Overlong forms and surrogates are not UTF-8.
    EXPECT_FALSE(host::isValidUtf8("\xc0\xaf"));
    EXPECT_FALSE(host::isValidUtf8("\xed\xa0\x80"));
    EXPECT_TRUE(host::isValidUtf8("\xf0\x9f\x93\xba"));
    EXPECT_EQ(host::encodeUtf8(host::decodeText("\xf0\x9f\x93\xba \xe2\x82\xac")), "\xf0\x9f\x93\xba \xe2\x82\xac");
}

TEST(Rect, IntersectionAndUnion)
{
    const eRect a(0, 0, 10, 10), b(5, 5, 10, 10), c(20, 20, 1, 1);
    EXPECT_EQ(a & b, eRect(5, 5, 5, 5));
    EXPECT_TRUE((a & c).isEmpty());
    EXPECT_EQ(a | c, eRect(0, 0, 21, 21));
    EXPECT_EQ(eRect() | b, b);
    EXPECT_TRUE(a.contains(ePoint(9, 9)));
    EXPECT_FALSE(a.contains(ePoint(10, 0)));
}

eTextPara* layout(const eString& text, int width, int dir = eTextPara::dirLeft)
{
    auto* p = new eTextPara(eRect(0, 0, width, 400));
    p->setFont(gFont("Nimbus", 20));
    p->renderString(text);
    if (dir != eTextPara::dirLeft)
        p->realign(dir);
    return p;
}

TEST(TextPara, WrapsInsideTheAreaAndBreaksAtNewlines)
{
    eTextPara* one = layout("Themes not found.", 600);
    EXPECT_EQ(one->lineCount(), 1);
    eTextPara* broken = layout("Themes not found.\nCheck EPG channel.\rThird", 600);
    EXPECT_EQ(broken->lineCount(), 3);
    eTextPara* wrapped = layout("a rather long programme summary that cannot fit on one line", 150);
    EXPECT_GT(wrapped->lineCount(), 2);
    EXPECT_LE(wrapped->getBoundBox().right(), 150);
    EXPECT_GE(wrapped->getBoundBox().left(), 0);
    const int lineH = calcFontHeight(gFont("Nimbus", 20));
    EXPECT_GT(wrapped->getBoundBox().height(), 2 * lineH);
    one->destroy();
    broken->destroy();
    wrapped->destroy();
}

TEST(TextPara, RealignMovesLinesAndKeepsTheLayoutCount)
{
    eTextPara* left = layout("05", 40);
    eTextPara* right = layout("05", 40, eTextPara::dirRight);
    eTextPara* centre = layout("05", 40, eTextPara::dirCenter);
    const eRect l = left->getBoundBox(), r = right->getBoundBox(), c = centre->getBoundBox();
    EXPECT_EQ(l.width(), r.width());
    EXPECT_GT(r.left(), l.left());
    EXPECT_LE(r.right(), 40);
    EXPECT_GT(c.left(), l.left());
    EXPECT_LT(c.left(), r.left());
    const uint64_t before = eTextPara::layoutCount();
    right->realign(eTextPara::dirLeft);
    EXPECT_EQ(right->getBoundBox(), l);
    EXPECT_EQ(eTextPara::layoutCount(), before);
    for (eTextPara* p : {left, right, centre})
        p->destroy();
}

TEST(TextPara, DestroyHonoursGrab)
{
    eTextPara* p = layout("x", 40);
    p->grab();
    p->destroy(); // still held once
    EXPECT_EQ(p->lineCount(), 1);
    p->destroy();
}

void expectAllNames(const eSkin& skin)
{
    for (const char* c : {"std_dred", "std_dgreen", "std_dyellow", "std_dblue", "std_green", "std_white",
                          "global.background", "global.foreground", "global.focus", "eListBox.selected",
                          "desktop.background", "eWindow.titleBar"}) {
        const gColor color = skin.queryColor(c);
        EXPECT_TRUE(color.isValid()) << c;
        EXPECT_EQ(color.name(), c);
    }
    for (const char* f : {"epg.description", "lcd.menu.title", "global.normal", "global.title"}) {
        EXPECT_TRUE(skin.hasFont(f)) << f;
        EXPECT_GT(skin.queryFont(f).pointSize, 8) << f;
    }
    const gPixmap* folder = skin.queryImage("sselect_folder");
    const gPixmap* tick = skin.queryImage("eListBoxEntryCheck");
    ASSERT_NE(folder, nullptr);
    ASSERT_NE(tick, nullptr);
    EXPECT_TRUE(folder->hasAlpha() && tick->hasAlpha());
    EXPECT_LE(folder->height(), 24);
    EXPECT_LE(tick->height(), 24);
    for (const char* d : {"eLabel", "eButton", "eStatusBar", "eNumber", "eCheckBox", "eComboBox", "eListBox", "eWindow"})
        EXPECT_NE(skin.queryDecoration(d), nullptr) << d;
    EXPECT_EQ(skin.badLines(), 0);
}

TEST(Skin, BuiltInDefaultDefinesEveryNameTheWindowsUse)
{
    eSkin builtIn;
    expectAllNames(builtIn);
    EXPECT_EQ(builtIn.queryImage("nothing"), nullptr);
    EXPECT_FALSE(builtIn.queryColor("nothing").isValid());
}

TEST(Skin, DefaultSkinFileLoads)
{
    eSkin skin;
    ASSERT_TRUE(skin.loadFile(std::string(ORVALIS_SOURCE_DIR) + "/data/skins/default.skin"));
    expectAllNames(skin);
    EXPECT_FALSE(skin.loadFile(std::string(ORVALIS_SOURCE_DIR) + "/data/skins/missing.skin"));
}

TEST(Skin, ImagesCanBePngFilesBesideTheSkin)
{
    const std::string dir = ::testing::TempDir();
    uint32_t pixels[2 * 3] = {0x112233, 0x445566, 0x778899, 0xAABBCC, 0xDDEEFF, 0x000001};
    ASSERT_TRUE(host::writePng(dir + "/icon.png", {pixels, 2, 3, 2}));
    eSkin skin;
    skin.loadText("[images]\nsselect_folder = icon.png\nmissing = nothere.png\n", dir);
    const gPixmap* icon = skin.queryImage("sselect_folder");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->width(), 2);
    EXPECT_EQ(icon->height(), 3);
    EXPECT_EQ(icon->pixel(1, 1), 0xFFAABBCCu); // opaque, same colour
    EXPECT_EQ(skin.queryImage("missing"), nullptr);
    EXPECT_EQ(skin.badLines(), 1);
}

TEST(Skin, EditsOverrideAndBadLinesAreCounted)
{
    eSkin skin;
    skin.loadText("[colors]\nstd_dred = #010203\nbroken line\nstd_white = nonsense\n[fonts]\nepg.description = Nimbus, x\n");
    EXPECT_EQ(skin.queryColor("std_dred").rgb(), 0x010203u);
    EXPECT_EQ(skin.badLines(), 3);
    // Unknown families fall back to Nimbus Sans.
    EXPECT_EQ(skin.fontFile("NoSuchFamily"), skin.fontFile("Nimbus"));
    EXPECT_NE(skin.fontFile("Nimbus").find("NimbusSans-Regular.otf"), std::string::npos);
    eSkin::getActive()->loadText("[colors]\nstd_dred = #8c1c1c\n"); // the palette is shared: put it back
}

} // namespace
