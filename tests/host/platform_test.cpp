#include "host/platform/DeviceRegistry.h"
#include "host/platform/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TEST(FileSystem, ReceiverPathsStayInsideTheRoot)
{
    host::setFileSystemRoot("/srv/box/");
    EXPECT_EQ(host::hostPath("/var/tuxbox/plugins/orvalis.cfg"), "/srv/box/var/tuxbox/plugins/orvalis.cfg");
    EXPECT_EQ(host::hostPath("/hdd/orvalis/"), "/srv/box/hdd/orvalis/");
    EXPECT_EQ(host::hostPath("/../../etc/passwd"), "/srv/box/etc/passwd");
    EXPECT_EQ(host::hostPath("/hdd/../../../etc"), "/srv/box/etc");
    EXPECT_EQ(host::hostPath("relative/./x//y"), "/srv/box/relative/x/y");
    EXPECT_EQ(host::hostPath("/"), "/srv/box");
    host::setFileSystemRoot("");
    EXPECT_EQ(host::hostPath("/a/../b"), "/b");
}

TEST(FileSystem, AtomicWriteReplacesWholeFilesAndMakesFolders)
{
    char tmpl[] = "/tmp/boxfsXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    host::setFileSystemRoot(tmpl);
    ASSERT_TRUE(host::makeDirectories("/var/tuxbox/plugins"));
    std::string file = host::hostPath("/var/tuxbox/plugins/x.cfg");
    ASSERT_TRUE(host::writeFileAtomically(file, "first version, longer\n"));
    ASSERT_TRUE(host::writeFileAtomically(file, "second\n"));
    std::ifstream in(file);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(all, "second\n");
    EXPECT_NE(access((file + ".tmp").c_str(), F_OK), 0);
    EXPECT_FALSE(host::writeFileAtomically(host::hostPath("/no/such/dir/f"), "x"));
    host::setFileSystemRoot("");
    std::system((std::string("rm -rf ") + tmpl).c_str());
}

class CountingFile : public host::DeviceFile {
public:
    explicit CountingFile(int* reads) : m_reads(reads) {}
    int ioctl(unsigned long request, void*) override { return request == 1 ? 0 : (errno = EINVAL, -1); }
    ssize_t read(void*, size_t n) override
    {
        ++*m_reads;
        return static_cast<ssize_t>(n);
    }
    int* m_reads;
};

TEST(DeviceRegistry, OpensRegisteredNodesOnlyAndRunsTheBlockingHookBeforeReads)
{
    int reads = 0, hooks = 0;
    host::registerDevice("/dev/test0", [&](int) { return std::make_unique<CountingFile>(&reads); });
    host::setBlockingHook([&] {
        EXPECT_EQ(hooks, reads); // the hook runs before the read it precedes
        ++hooks;
    });
    EXPECT_EQ(host::devOpen("/dev/test1", 0), -1);
    EXPECT_EQ(errno, ENOENT);
    int fd = host::devOpen("/dev/test0", 0);
    ASSERT_GE(fd, 0);
    char buf[4];
    EXPECT_EQ(host::devRead(fd, buf, 4), 4);
    EXPECT_EQ(host::devIoctl(fd, 1), 0);
    EXPECT_EQ(host::devIoctl(fd, 2), -1);
    EXPECT_EQ(hooks, 1);
    EXPECT_EQ(host::devClose(fd), 0);
    EXPECT_EQ(host::devClose(fd), -1);
    EXPECT_EQ(errno, EBADF);
    EXPECT_EQ(host::devRead(fd, buf, 4), -1);
    host::setBlockingHook({});
    host::unregisterDevice("/dev/test0");
}

} // namespace
