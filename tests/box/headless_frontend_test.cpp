// Screenshots of a key script land in their folder even when it has to be made first.
#include "box/HeadlessFrontend.h"
#include "box/KeyScript.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

struct ShotFolder : ::testing::Test {
    void SetUp() override
    {
        char tmpl[] = "/tmp/orvalis-shots-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        base = tmpl;
    }
    void TearDown() override { fs::remove_all(base); }
    fs::path base;
};

} // namespace

TEST_F(ShotFolder, MissingFoldersAreCreatedAndTheShotIsWritten)
{
    std::string error;
    auto steps = box::parseKeyScript("shot:first", &error);
    ASSERT_TRUE(steps && steps->size() == 1u) << error;
    const fs::path dir = base / "a" / "b";
    box::HeadlessFrontend frontend(*steps, dir.string(), "");
    ASSERT_TRUE(frontend.ok(&error)) << error;
    EXPECT_TRUE(fs::is_directory(dir));

    uint32_t pixels[4] = {0xff0000ff, 0xff00ff00, 0xffff0000, 0xffffffff};
    frontend.present(host::FrameView{pixels, 2, 2, 2});
    frontend.nextInput();
    EXPECT_TRUE(frontend.scriptCompleted());
    EXPECT_GT(fs::file_size(dir / "first.png"), 8u);
}

TEST_F(ShotFolder, AFileInTheWayIsAnErrorNotASilentLoss)
{
    std::ofstream(base / "taken") << "x";
    box::HeadlessFrontend frontend({}, (base / "taken").string(), "");
    std::string error;
    EXPECT_FALSE(frontend.ok(&error));
    EXPECT_NE(error.find("screenshot folder"), std::string::npos) << error;
}
