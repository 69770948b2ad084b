// The set is put in place whole or not at all, under the lock a logging run takes.
#include "import/OfflineSet.h"
#include "import/OfflineSetLock.h"
#include "ImportFixture.h"

#include <sys/stat.h>

using namespace importer;

namespace {

struct Set : importtest::TempFolder {
    OfflineSet set(const std::string& tag) const
    {
        OfflineSet s;
        s.directory = dir.string();
        for (size_t i = 0; i < 4; ++i)
            s.files[i] = tag + " " + OfflineSetWriter::kNames[i] + "\n";
        s.configFile = path("orvalis.cfg");
        s.config = tag + " cfg\n";
        return s;
    }
    std::string all() const
    {
        std::string out;
        for (const char* n : OfflineSetWriter::kNames)
            out += read(n);
        return out + read("orvalis.cfg");
    }
    // The names a reader opens, plus one for each set folder kept: one set is 6.
    size_t entries() const
    {
        size_t n = 0;
        for (const auto& e : std::filesystem::directory_iterator(dir)) {
            const std::string name = e.path().filename().string();
            n += name.rfind(".gep", 0) != 0 || name.rfind(".gep.set-", 0) == 0;
        }
        return n;
    }
};

} // namespace

TEST_F(Set, WholeOrNotAtAll)
{
    std::string error;
    ASSERT_TRUE(OfflineSetWriter::commit(set("one"), &error)) << error;
    EXPECT_EQ(all(), "one channels.gep\none themes.gep\none titles.gep\none summaries.gep\none cfg\n");

    // A folder where the titles file goes: nothing of the second set is put in place,
    // and no temporary file is left behind.
    std::filesystem::remove(path("titles.gep"));
    std::filesystem::create_directory(path("titles.gep"));
    EXPECT_FALSE(OfflineSetWriter::commit(set("two"), &error));
    EXPECT_NE(error.find("previous ones are kept"), std::string::npos) << error;
    EXPECT_EQ(read("channels.gep"), "one channels.gep\n");
    EXPECT_EQ(read("orvalis.cfg"), "one cfg\n");
    EXPECT_EQ(entries(), 6u);

    std::filesystem::remove(path("titles.gep"));
    ASSERT_TRUE(OfflineSetWriter::commit(set("three"), &error)) << error;
    EXPECT_EQ(all(), "three channels.gep\nthree themes.gep\nthree titles.gep\nthree summaries.gep\nthree cfg\n");
    EXPECT_EQ(entries(), 6u);
}

TEST_F(Set, ASecondWriterIsToldNotQueued)
{
    std::string error;
    OfflineSetLock first(dir.string());
    ASSERT_TRUE(first.held(&error)) << error;
    {
        OfflineSetLock second(dir.string());
        EXPECT_FALSE(second.held(&error));
        EXPECT_EQ(error, "another logging run or import is writing " + dir.string());
    }
    OfflineSetLock missing(path("no/such/folder"));
    EXPECT_FALSE(missing.held(&error));
    EXPECT_NE(error.find("cannot make the lock file"), std::string::npos) << error;
}
