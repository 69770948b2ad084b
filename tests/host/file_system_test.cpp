#include "host/platform/AtomicFile.h"
#include "host/platform/FileLock.h"
#include "host/platform/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string slurp(const std::string& file)
{
    std::ifstream in(file);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void put(const std::string& file, const std::string& text) { std::ofstream(file) << text; }

// A root and, beside it, a folder outside the root that must never change.
// Runs once with openat2 and once with the path walk of older kernels.
class RootBoundary : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/boxrootXXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_base = tmpl;
        m_root = m_base + "/root";
        m_outside = m_base + "/outside";
        ASSERT_EQ(mkdir(m_root.c_str(), 0755), 0);
        ASSERT_EQ(mkdir(m_outside.c_str(), 0755), 0);
        put(m_outside + "/precious", "keep me\n");
        host::setFileSystemRoot(m_root);
        host::detail::setResolveFallbackForced(GetParam());
    }
    void TearDown() override
    {
        host::detail::setResolveFallbackForced(false);
        host::setFileSystemRoot("");
        std::system(("chmod -R u+w " + m_base + "; rm -rf " + m_base).c_str());
    }
    std::string m_base, m_root, m_outside;
};

TEST_P(RootBoundary, SymbolicLinksInsideTheRootNeverLeadOutside)
{
    // A folder linked to an absolute path outside, a file linked there, and a link climbing with "..".
    ASSERT_TRUE(host::makeDirectories("/var/tuxbox"));
    ASSERT_EQ(symlink(m_outside.c_str(), (m_root + "/var/tuxbox/config").c_str()), 0);
    ASSERT_EQ(symlink((m_outside + "/precious").c_str(), (m_root + "/var/tuxbox/timers").c_str()), 0);
    ASSERT_EQ(symlink("../../../../../../..", (m_root + "/var/up").c_str()), 0);

    std::string error;
    EXPECT_FALSE(host::writeFileInRoot("/var/tuxbox/config/timers", "x\n", &error)); // the link's target folder, inside the root, does not exist
    ASSERT_TRUE(host::makeDirectories("/var/tuxbox/config")); // made where the link leads, inside the root
    EXPECT_TRUE(std::filesystem::is_directory(m_root + m_outside));
    ASSERT_TRUE(host::writeFileInRoot("/var/tuxbox/timers", "replaced\n", &error)) << error;
    EXPECT_EQ(slurp(m_outside + "/precious"), "keep me\n");
    EXPECT_EQ(slurp(m_root + m_outside + "/precious"), "replaced\n"); // the link's target, taken inside the root

    ASSERT_TRUE(host::makeDirectories("/var/up/" + m_outside.substr(1)));
    ASSERT_TRUE(host::writeFileInRoot("/var/up" + m_outside + "/precious", "climbed\n", &error)) << error;
    EXPECT_EQ(slurp(m_outside + "/precious"), "keep me\n");
    EXPECT_EQ(slurp(m_root + m_outside + "/precious"), "climbed\n");
    EXPECT_EQ(host::hostPath("/var/up/etc/passwd"), m_root + "/etc/passwd");

    // A link loop is an error, not a hang.
    ASSERT_EQ(symlink("loop", (m_root + "/loop").c_str()), 0);
    EXPECT_LT(host::openInRoot("/loop", O_RDONLY), 0);
    EXPECT_FALSE(host::writeFileInRoot("/loop", "x", &error));
}

TEST_P(RootBoundary, TemporaryFilesAreCreatedFreshAndPermissionsKept)
{
    ASSERT_TRUE(host::makeDirectories("/var/tuxbox/config"));
    std::string dir = m_root + "/var/tuxbox/config";
    // Leftovers of the old fixed temporary names, pointing outside.
    ASSERT_EQ(symlink((m_outside + "/precious").c_str(), (dir + "/timers.tmp").c_str()), 0);
    ASSERT_EQ(symlink((m_outside + "/precious").c_str(), (dir + "/.timers.tmp").c_str()), 0);
    put(dir + "/timers", "old\n");
    ASSERT_EQ(chmod((dir + "/timers").c_str(), 0640), 0);
    std::string error;
    ASSERT_TRUE(host::writeFileInRoot("/var/tuxbox/config/timers", "new\n", &error)) << error;
    EXPECT_EQ(slurp(dir + "/timers"), "new\n");
    EXPECT_EQ(slurp(m_outside + "/precious"), "keep me\n");
    struct stat st {};
    ASSERT_EQ(stat((dir + "/timers").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A FIFO in a file's place stays a FIFO (read-only files: see the timer editor's test).
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0644), 0);
    EXPECT_FALSE(host::writeFileInRoot("/var/tuxbox/config/fifo", "x", &error));
    ASSERT_EQ(lstat((dir + "/fifo").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    // An abandoned file leaves neither the target changed nor a temporary behind.
    {
        host::AtomicFile file;
        ASSERT_TRUE(file.openInRoot("/var/tuxbox/config/orvalis.cfg", &error)) << error;
        std::fputs("half", file.stream());
    }
    EXPECT_EQ(std::system(("test $(ls -A " + dir + " | wc -l) -eq 4").c_str()), 0); // timers, fifo, two leftovers
}

TEST_P(RootBoundary, ReadsRefuseSpecialAndOversizedFilesWithAReason)
{
    ASSERT_TRUE(host::makeDirectories("/etc"));
    ASSERT_EQ(mkfifo((m_root + "/etc/fifo").c_str(), 0644), 0); // no writer: a plain open would hang
    put(m_root + "/etc/big", std::string(2000, 'x'));
    put(m_root + "/etc/small", "ok\n");
    std::string data, error;
    EXPECT_FALSE(host::readRegularFile("/etc/fifo", &data, 1000, &error));
    EXPECT_NE(error.find("FIFO"), std::string::npos) << error;
    EXPECT_FALSE(host::readRegularFile("/etc", &data, 1000, &error));
    EXPECT_NE(error.find("folder"), std::string::npos) << error;
    EXPECT_FALSE(host::readRegularFile("/etc/big", &data, 1000, &error));
    EXPECT_NE(error.find("larger"), std::string::npos) << error;
    EXPECT_FALSE(host::readRegularFile("/etc/missing", &data, 1000, &error));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(host::readRegularHostFile("/dev/zero", &data, 1000, &error));
    EXPECT_NE(error.find("device"), std::string::npos) << error;
    ASSERT_TRUE(host::readRegularFile("/etc/small", &data, 1000, &error)) << error;
    EXPECT_EQ(data, "ok\n");
}

INSTANTIATE_TEST_SUITE_P(Resolution, RootBoundary, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "PathWalk" : "Openat2"; });

TEST(FileLockTest, AnotherHolderIsKeptOutUntilItEnds)
{
    char tmpl[] = "/tmp/boxlockXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    host::setFileSystemRoot(tmpl);
    int fd = open((std::string(tmpl) + "/lock").c_str(), O_RDWR | O_CREAT, 0644);
    {
        host::FileLock held("/lock");
        ASSERT_TRUE(held.locked());
        EXPECT_NE(flock(fd, LOCK_EX | LOCK_NB), 0);
    }
    EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    close(fd);
    host::setFileSystemRoot("");
    std::system((std::string("rm -rf ") + tmpl).c_str());
}

} // namespace
