// The keyboard table shared by the window, the page and the documentation, and
// the small parts of the browser display.
#include "box/display/FrameStore.h"
#include "box/display/KeyboardMap.h"
#include "box/display/ListenAddress.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <set>
#include <sstream>

namespace {

using namespace std::chrono_literals;

TEST(KeyboardMap, EveryRemoteKeyHasExactlyOneKeyboardKey)
{
    std::set<std::string_view> keyboard;
    std::multiset<int> remote;
    for (const box::KeyBinding& b : box::KeyboardMap::bindings()) {
        EXPECT_TRUE(keyboard.insert(b.keyboardKey).second) << "bound twice: " << b.keyboardKey;
        remote.insert(static_cast<int>(b.remoteKey));
    }
    for (int k = 0; k <= static_cast<int>(eRCKey::Backspace); ++k)
        EXPECT_EQ(remote.count(k), 1u) << rcKeyName(static_cast<eRCKey>(k));
    EXPECT_EQ(box::KeyboardMap::remoteKeyFor("F3"), eRCKey::Yellow);
    EXPECT_EQ(box::KeyboardMap::remoteKeyFor("a"), std::nullopt);
    EXPECT_EQ(box::KeyboardMap::remoteKeyFor("f3"), std::nullopt);
}

TEST(KeyboardMap, DocumentationListsExactlyTheTable)
{
    std::ifstream doc(std::string(ORVALIS_SOURCE_DIR) + "/docs/keys.md");
    ASSERT_TRUE(doc) << "docs/keys.md is missing";
    std::set<std::pair<std::string, std::string>> documented;
    std::string line;
    while (std::getline(doc, line)) {
        // Table rows: | `F1` | `red` |
        if (line.rfind("| `", 0) != 0)
            continue;
        std::vector<std::string> cells;
        for (size_t at = line.find('`'); at != std::string::npos; at = line.find('`', at + 1)) {
            size_t end = line.find('`', at + 1);
            if (end == std::string::npos)
                break;
            cells.push_back(line.substr(at + 1, end - at - 1));
            at = end;
        }
        ASSERT_EQ(cells.size(), 2u) << line;
        documented.insert({cells[0], cells[1]});
    }
    std::set<std::pair<std::string, std::string>> table;
    for (const box::KeyBinding& b : box::KeyboardMap::bindings())
        table.insert({std::string(b.keyboardKey), rcKeyName(b.remoteKey)});
    EXPECT_EQ(documented, table);
}

TEST(KeyboardMap, PageGetsTheSameTable)
{
    std::string js = box::KeyboardMap::toJavaScript();
    EXPECT_EQ(js.rfind("const KEYMAP = {", 0), 0u);
    for (const box::KeyBinding& b : box::KeyboardMap::bindings())
        EXPECT_NE(js.find("\"" + std::string(b.keyboardKey) + "\": \"" + rcKeyName(b.remoteKey) + "\""),
                  std::string::npos)
            << b.keyboardKey;
}

TEST(ListenAddress, ParsesHostAndPort)
{
    auto a = box::ListenAddress::parse("127.0.0.1:8080");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->host, "127.0.0.1");
    EXPECT_EQ(a->port, 8080);
    auto v6 = box::ListenAddress::parse("[::1]:0");
    ASSERT_TRUE(v6);
    EXPECT_EQ(v6->host, "::1");
    EXPECT_EQ(v6->port, 0);
    EXPECT_EQ(v6->url(4321), "http://[::1]:4321/");
    EXPECT_EQ(box::ListenAddress::parse("0.0.0.0:80")->url(80), "http://127.0.0.1:80/");

    for (const char* bad : {"", "8080", ":8080", "127.0.0.1:", "127.0.0.1:65536", "127.0.0.1:80x",
                            "::1:8080", "[::1:8080", "a b:1", "host:123456"})
        EXPECT_FALSE(box::ListenAddress::parse(bad)) << bad;
}

TEST(FrameStore, CountsOnlyChangedFramesAndEncodesTheLatest)
{
    box::FrameStore store(4, 2);
    EXPECT_EQ(store.generation(), 0u);
    // A 4x2 picture inside rows of 6 pixels; the padding must not matter.
    std::vector<uint32_t> pixels = {1, 2, 3, 4, 99, 99, 5, 6, 7, 8, 99, 99};
    host::FrameView view{pixels.data(), 4, 2, 6};
    EXPECT_EQ(store.store(view), 1u);
    pixels[4] = pixels[5] = 42;
    EXPECT_EQ(store.store(view), 1u) << "padding changed, picture did not";
    pixels[7] = 60;
    EXPECT_EQ(store.store(view), 2u);

    uint64_t shown = 0;
    auto png = store.png(&shown);
    EXPECT_EQ(shown, 2u);
    ASSERT_TRUE(png);
    EXPECT_EQ(store.png(nullptr), png) << "encoded once per generation";

    EXPECT_EQ(store.waitNewer(1, 0ms), 2u);
    EXPECT_EQ(store.waitNewer(2, 20ms), 2u);
    store.stop();
    EXPECT_EQ(store.waitNewer(2, 10s), 2u) << "stop() wakes waiters at once";
}

} // namespace
