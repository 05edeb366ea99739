#include "platform/OAtomicFile.h"

#include "platform/OSystem.h"
#include "support/OFaultyFileIo.h"
#include "support/OTempDir.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Mode = OAtomicFile::Mode;

class AtomicFileTest : public ::testing::Test {
protected:
    std::set<std::string> Names() const { return dir.Names(); }
    static struct stat Stat(const std::string& path) {
        struct stat info {};
        EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
        return info;
    }
    static bool Replace(const std::string& path, const std::string& text, mode_t mode = 0600,
                        Mode rule = Mode::KeepTarget, OFileIo& io = OFileIo::System()) {
        OAtomicFile out(io);
        return out.Begin(path, mode, rule) && out.Write(text.data(), text.size()) && out.Commit();
    }

    OTempDir dir;
};

TEST_F(AtomicFileTest, ModeIsTheTargetsOrTheAskedOne) {
    const mode_t mask = ::umask(022);
    struct Case {
        mode_t existing; // 0: no file yet
        mode_t asked;
        Mode rule;
        mode_t expected;
    };
    const Case cases[] = {
        {0640, 0600, Mode::KeepTarget, 0640}, {04750, 0600, Mode::KeepTarget, 04750},
        {0, 0600, Mode::KeepTarget, 0600},    {0, 0666, Mode::KeepTarget, 0644},
        {0644, 0600, Mode::Given, 0600},      {0, 0666, Mode::Given, 0666},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::oct << c.existing << " " << c.asked);
        const std::string path = dir.File("f");
        std::filesystem::remove(path);
        ino_t before = 0;
        if (c.existing != 0) {
            dir.Write("f", "old");
            ASSERT_EQ(::chmod(path.c_str(), c.existing), 0);
            before = Stat(path).st_ino;
        }
        ASSERT_TRUE(Replace(path, "new", c.asked, c.rule));
        EXPECT_EQ(ReadText(path), "new");
        EXPECT_EQ(Stat(path).st_mode & 07777, c.expected);
        EXPECT_NE(Stat(path).st_ino, before); // renamed into place, not written over
        EXPECT_EQ(Names(), std::set<std::string>{"f"});
    }
    ::umask(mask);
}

TEST_F(AtomicFileTest, ReplacedFileKeepsItsOwner) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file away";
    const std::string path = dir.Write("f", "old");
    ASSERT_EQ(::chown(path.c_str(), 1234, 5678), 0);
    ASSERT_TRUE(Replace(path, "new"));
    EXPECT_EQ(Stat(path).st_uid, 1234u);
    EXPECT_EQ(Stat(path).st_gid, 5678u);
}

TEST_F(AtomicFileTest, LinkStaysALinkAndItsTargetIsReplaced) {
    ASSERT_EQ(::mkdir(dir.File("sub").c_str(), 0755), 0);
    const std::string real = dir.Write("sub/real", "old");
    ASSERT_EQ(::symlink("sub/real", dir.File("hop").c_str()), 0);
    ASSERT_EQ(::symlink(dir.File("hop").c_str(), dir.File("link").c_str()), 0);
    ASSERT_EQ(::symlink("sub/made", dir.File("dangling").c_str()), 0);

    ASSERT_TRUE(Replace(dir.File("link"), "new"));
    EXPECT_EQ(ReadText(real), "new");
    ASSERT_TRUE(Replace(dir.File("dangling"), "made"));
    EXPECT_EQ(ReadText(dir.File("sub/made")), "made");
    for (const char* name : {"hop", "link", "dangling"})
        EXPECT_TRUE(S_ISLNK(Stat(dir.File(name)).st_mode)) << name;
    EXPECT_EQ(Names(), (std::set<std::string>{"sub", "hop", "link", "dangling"}));

    ASSERT_EQ(::symlink("loop", dir.File("loop").c_str()), 0);
    errno = 0;
    EXPECT_FALSE(Replace(dir.File("loop"), "x"));
    EXPECT_EQ(errno, ELOOP);
}

// Refused before anything is written, also for root, which passes access().
TEST_F(AtomicFileTest, TargetsThatMayNotBeWrittenAreRefused) {
    const std::string readOnly = dir.Write("ro", "old");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    ASSERT_EQ(::mkdir(dir.File("dir").c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
    const std::string plain = dir.Write("plain", "x");
    const std::pair<std::string, int> cases[] = {
        {readOnly, EACCES},
        {dir.File("dir"), EISDIR},
        {dir.File("fifo"), kErrorNotRegularFile},
        {dir.File("none/f"), ENOENT},
        {plain + "/f", ENOTDIR},
    };
    for (const auto& [path, expected] : cases) {
        OAtomicFile out;
        errno = 0;
        EXPECT_FALSE(out.Begin(path, 0600)) << path;
        EXPECT_EQ(errno, expected) << path;
        EXPECT_EQ(out.Fd(), -1);
    }
    EXPECT_EQ(ReadText(readOnly), "old");
    EXPECT_EQ(Names(), (std::set<std::string>{"ro", "dir", "fifo", "plain"}));

    // The program's own file (a backup of a read-only original) is replaced.
    OAtomicFile own;
    ASSERT_TRUE(own.Begin(readOnly, 0444, OAtomicFile::Mode::Given));
    ASSERT_TRUE(own.Write("new", 3) && own.Commit());
    EXPECT_EQ(ReadText(readOnly), "new");
}

TEST_F(AtomicFileTest, HardLinkedTargetIsWrittenInPlace) {
    const std::string path = dir.Write("a", "old content");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(::link(path.c_str(), dir.File("b").c_str()), 0);
    const ino_t before = Stat(path).st_ino;
    ASSERT_TRUE(Replace(path, "new", 0600, Mode::KeepTarget));
    EXPECT_EQ(ReadText(dir.File("b")), "new");
    EXPECT_EQ(Stat(path).st_ino, before);
    EXPECT_EQ(Stat(path).st_nlink, 2u);
    EXPECT_EQ(Stat(path).st_mode & 07777, 0640u);
    EXPECT_EQ(Names(), (std::set<std::string>{"a", "b"}));
}

// A failed write, an explicit Abort and an object dropped before Commit all
// leave the old file and nothing beside it; the failure's errno survives.
TEST_F(AtomicFileTest, FailureOrAbortLeavesTheOldFile) {
    const std::string path = dir.Write("f", "old");
    for (int how = 0; how < 3; ++how) {
        SCOPED_TRACE(how);
        OFaultyFileIo io;
        io.failWriteAt = 2;
        io.writeErrno = EIO;
        {
            OAtomicFile out(io);
            ASSERT_TRUE(out.Begin(path, 0600));
            ASSERT_TRUE(out.Write("abc", 3));
            if (how == 0) {
                EXPECT_FALSE(out.Write("def", 3));
                EXPECT_EQ(errno, EIO);
                EXPECT_EQ(out.Fd(), -1);
                EXPECT_FALSE(out.Commit());
            } else if (how == 1) {
                out.Abort();
                EXPECT_FALSE(out.Commit());
                EXPECT_EQ(errno, EBADF);
            }
        }
        EXPECT_EQ(ReadText(path), "old");
        EXPECT_EQ(Names(), std::set<std::string>{"f"});
    }
}

} // namespace
