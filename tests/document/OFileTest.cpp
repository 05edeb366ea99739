#include "document/ODiskFile.h"
#include "document/OMemFile.h"
#include "platform/OScriptedPlatform.h"
#include "platform/OSystem.h"
#include "support/OFaultyFileIo.h"
#include "support/OTempDir.h"
#include "support/OTestData.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>

namespace {

using Bytes = OBytes;
using Strings = std::vector<std::string>;

Bytes B(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values)
        out.push_back(static_cast<OByte>(v));
    return out;
}

struct OwnerSpy final : OFileOwner {
    bool modified = false;
    std::string path;
    void SetModifiedFlag(bool m) override { modified = m; }
    void SetPathName(const std::string& p) override { path = p; }
};

// The contract of every file variant: a disk file, and a memory file loaded
// from the same path whose committed bytes stay in memory until saved.
template <class File> class FileTest : public ::testing::Test {
protected:
    static constexpr bool kMemory = std::is_same_v<File, OMemFile>;

    void OpenFile(const Bytes& content) {
        path = dir.Write("data.bin", content);
        ASSERT_TRUE(file.Open(path, OAccess::Read, ODisposition::OpenExisting));
        file.SetOwner(&owner);
        file.SetBackupHook([this](OFile&) { return ++backups > 0; });
    }
    Bytes Read(OOffset offset, std::size_t count) {
        Bytes buffer(count, 0xEE);
        buffer.resize(file.ReadAt(offset, buffer.data(), count));
        return buffer;
    }
    // Where committed bytes go: the disk, or the memory of an unsaved file.
    Bytes Committed() const {
        if constexpr (kMemory)
            return file.Data();
        else
            return ReadWholeFile(path);
    }

    OScriptedPlatform platform;
    OTempDir dir;
    OFaultyFileIo io;
    File file{io};
    OwnerSpy owner;
    std::string path;
    int backups = 0;
};

using Variants = ::testing::Types<ODiskFile, OMemFile>;
TYPED_TEST_SUITE(FileTest, Variants);

TYPED_TEST(FileTest, PendingBytesOverlayTheFileUntilCommittedAndAGapReadsAsZeros) {
    this->OpenFile(Iota(4));
    OFile& f = this->file;
    EXPECT_FALSE(f.IsWritable());
    ASSERT_TRUE(f.SetByte(2, 2, 0xAA));
    ASSERT_TRUE(f.SetByte(2, 0x55, 0xBB)); // the first old byte stays
    EXPECT_EQ(f.Pending().Find(2)->oldByte, 2);
    EXPECT_TRUE(f.IsWritable());
    ASSERT_TRUE(f.SetByte(6, 0, 0x66)); // past the end, leaving a gap
    ASSERT_TRUE(f.SetByte(5, 0, 0x55)); // retyped before it: the end stays
    EXPECT_EQ(f.LogicalSize(), 7);
    EXPECT_EQ(f.GetSize(), 4);
    EXPECT_EQ(this->Read(1, 16), B({1, 0xBB, 3, 0, 0x55, 0x66}));
    EXPECT_EQ(this->Committed(), Iota(4));
    EXPECT_FALSE(f.UndoByte(3));
    EXPECT_EQ(f.CommitPending(), 3u);
    EXPECT_EQ(this->Committed(), B({0, 1, 0xBB, 3, 0, 0x55, 0x66}));
    EXPECT_EQ(this->owner.modified, this->kMemory); // a memory file is still unsaved
    EXPECT_EQ(f.CommitPending(), 0u);               // nothing to write

    // Taking back the bytes typed past the end takes their gap back too:
    // what shows is what a save writes.
    ASSERT_TRUE(f.SetByte(1, 1, 0x11));
    ASSERT_TRUE(f.SetByte(9, 0, 0x99)); // a gap at 7 and 8
    ASSERT_TRUE(f.SetByte(8, 0, 0x88));
    ASSERT_TRUE(f.UndoByte(9));
    EXPECT_EQ(f.LogicalSize(), 9);
    ASSERT_TRUE(f.UndoByte(8));
    EXPECT_EQ(f.LogicalSize(), 7);
    f.CommitPending();
    EXPECT_EQ(this->Committed(), B({0, 0x11, 0xBB, 3, 0, 0x55, 0x66}));
}

// Seeded random typing, undo, commit and discard against a plain vector:
// one backup before the first change, the document modified while bytes
// are pending.
TYPED_TEST(FileTest, RandomTypingMatchesAModel) {
    std::mt19937 rng(TestSeed());
    Bytes stored = Iota(300);
    this->OpenFile(stored);
    OFile& f = this->file;
    Bytes shown = stored;
    std::map<OOffset, OByte> typedOld;
    for (int step = 0; step < 3000; ++step) {
        const int action = static_cast<int>(rng() % 100);
        const auto size = static_cast<OOffset>(shown.size());
        if (action < 80) {
            const auto offset = static_cast<OOffset>(rng() % (shown.size() + 1));
            const auto value = static_cast<OByte>(rng());
            const OByte old = offset < size ? shown[offset] : 0;
            ASSERT_TRUE(f.SetByte(offset, old, value));
            if (offset == size) shown.push_back(0);
            shown[offset] = value;
            typedOld.try_emplace(offset, old);
        } else if (action < 90) { // the last byte typed past the stored end
            if (size > static_cast<OOffset>(stored.size()) && typedOld.count(size - 1)) {
                ASSERT_TRUE(f.UndoByte(size - 1));
                shown.pop_back();
                typedOld.erase(size - 1);
            }
        } else if (action < 97) {
            ASSERT_EQ(f.CommitPending(), typedOld.size());
            stored = shown;
            typedOld.clear();
        } else {
            f.DiscardPending();
            shown = stored;
            typedOld.clear();
        }
        ASSERT_EQ(f.LogicalSize(), static_cast<OOffset>(shown.size()));
        ASSERT_EQ(f.HasPending(), !typedOld.empty());
        ASSERT_TRUE(typedOld.empty() || this->owner.modified);
        for (const auto& [offset, old] : typedOld)
            ASSERT_TRUE(f.IsChanged(offset) && f.Pending().Find(offset)->oldByte == old);
        const auto offset = static_cast<OOffset>(rng() % (shown.size() + 1));
        const auto count = static_cast<std::size_t>(rng() % 40);
        const auto end = std::min<std::size_t>(shown.size(), offset + count);
        ASSERT_EQ(this->Read(offset, count), Bytes(shown.begin() + offset, shown.begin() + end));
    }
    f.CommitPending();
    EXPECT_EQ(this->Committed(), shown);
    EXPECT_EQ(this->backups, 1);
}

TYPED_TEST(FileTest, SizesFollowSetSizeAndOffsetsNearTheLimitNeverOverflow) {
    this->OpenFile(Iota(32));
    OFile& f = this->file;
    ASSERT_TRUE(f.SetSize(4));
    ASSERT_TRUE(f.SetSize(6));
    EXPECT_EQ(f.GetSize(), 6);
    EXPECT_EQ(this->Read(2, 8), B({2, 3, 0, 0}));
    EXPECT_TRUE(this->Read(40, 8).empty());
    Bytes buffer(16);
    EXPECT_EQ(f.ReadAt(kOffsetMax - 3, buffer.data(), buffer.size()), 0u);
    EXPECT_FALSE(f.SetByte(kOffsetMax, 0, 1));
    EXPECT_FALSE(f.IsChanged(kOffsetMax));
    EXPECT_EQ(f.WriteAt(kOffsetMax - 3, buffer.data(), buffer.size()), 0u);
    EXPECT_EQ(LastError(), EFBIG);
}

using DiskFileTest = FileTest<ODiskFile>;

TEST_F(DiskFileTest, CommitWritesRunsInAscendingOrderAndKeepsWhatFailed) {
    OpenFile(Iota(100));
    Bytes expected = Iota(100);
    expected.push_back(0);
    for (OOffset o : {90, 5, 50, 6, 7, 100}) {
        ASSERT_TRUE(file.SetByte(o, expected[o], 0xF0));
        expected[o] = 0xF0;
    }
    io.writeOffsets.clear();
    EXPECT_EQ(file.CommitPending(), 6u);
    EXPECT_EQ(io.writeOffsets, (std::vector<off_t>{5, 50, 90, 100})); // adjacent bytes: one write

    // The second write fails: the first stays written, the rest pending.
    // Then a full disk asks, and Yes writes again.
    ASSERT_TRUE(file.SetByte(2, 2, expected[2] = 0xA2));
    ASSERT_TRUE(file.SetByte(12, 12, expected[12] = 0xAC));
    io.failWriteAt = io.writes + 2;
    io.writeErrno = EIO;
    EXPECT_EQ(file.CommitPending(), 0u);
    EXPECT_FALSE(file.IsChanged(2));
    EXPECT_TRUE(file.IsChanged(12));
    EXPECT_TRUE(owner.modified);
    platform.Answer(OAnswer::Yes);
    io.failWriteAt = io.writes + 1;
    io.writeErrno = ENOSPC;
    EXPECT_EQ(file.CommitPending(), 1u);
    EXPECT_EQ(platform.MessageTexts(),
              (Strings{path + ": Input/output error", "Disk full. Try again ?"}));
    EXPECT_EQ(ReadWholeFile(path), expected);
    EXPECT_FALSE(owner.modified);
}

// A file that cannot be reopened for writing, or that another file has
// replaced under its name, stays readable as it was and is not written.
// Regression: every key tried again and made another backup first.
TEST_F(DiskFileTest, UnwritableOrReplacedFilesAreNotWrittenThrough) {
    OpenFile(Iota(4));
    io.failWritableOpenErrno = EACCES;
    EXPECT_FALSE(file.SetByte(0, 0, 0xFF));
    EXPECT_FALSE(file.SetByte(1, 1, 0xFF));
    EXPECT_EQ(backups, 1);
    platform.Clear();
    EXPECT_FALSE(file.SetByte(0, 0, 0xFF));
    io.failWritableOpenErrno = 0;
    const std::string other = dir.Write("other.bin", std::string("other"));
    ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
    EXPECT_FALSE(file.SetByte(0, 0, 0xFF));
    ASSERT_EQ(platform.MessageTexts().size(), 2u);
    EXPECT_EQ(platform.MessageTexts()[0], path + ": Permission denied");
    EXPECT_NE(platform.MessageTexts()[1].find("replaced or removed"), std::string::npos);
    EXPECT_EQ(ReadText(path), "other");
    EXPECT_FALSE(file.IsWritable());
    EXPECT_FALSE(file.HasPending());
    EXPECT_EQ(Read(0, 8), Iota(4)); // still shows what it opened
}

// Regressions: a size that could not be read counted as 0, and a write then
// "grew" the file to its own end, cutting everything behind it; a read that
// failed under a typed byte returned zeros for the bytes it never read.
TEST_F(DiskFileTest, ShrunkVanishedAndUnreadableFilesShowNothingBeyondTheirData) {
    OpenFile(Iota(64));
    ASSERT_TRUE(file.SetByte(3, 3, 0x55));
    io.failReadAt = io.reads + 1;
    EXPECT_TRUE(Read(0, 8).empty());
    EXPECT_EQ(LastError(), EIO);
    file.DiscardPending();
    io.failFStatErrno = EIO;
    const OByte byte = 0xAB;
    EXPECT_EQ(file.WriteAt(8, &byte, 1), 0u);
    EXPECT_EQ(platform.MessageTexts(), Strings{"Filesize getting error"});
    io.failFStatErrno = 0;
    EXPECT_EQ(ReadWholeFile(path), Iota(64));
    ASSERT_EQ(::truncate(path.c_str(), 10), 0);
    EXPECT_EQ(file.GetSize(), 10);
    EXPECT_EQ(Read(5, 16), B({5, 6, 7, 8, 9}));
    ASSERT_EQ(::unlink(path.c_str()), 0);
    EXPECT_EQ(Read(0, 2), B({0, 1}));
}

TEST_F(DiskFileTest, OnlyRegularFilesAndDevicesOpenAndAHugeSparseFileIsTypedAtItsEnd) {
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // O_RDONLY on a FIFO without a writer would block: give it a writer first.
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    const std::pair<std::string, std::string> cases[] = {
        {dir.Path(), "Is a directory"},
        {fifo, "Not a regular file or block device"},
        {dir.File("missing"), "No such file or directory"}};
    for (const auto& [target, text] : cases) {
        EXPECT_FALSE(file.Open(target, OAccess::Read, ODisposition::OpenExisting)) << target;
        EXPECT_EQ(SystemErrorText(-1), text);
    }
    ::close(writer);
    constexpr OOffset kSize = OOffset{100} << 30;
    path = dir.Sparse("huge.bin", kSize);
    ASSERT_TRUE(file.Open(path, OAccess::Read, ODisposition::OpenExisting));
    EXPECT_EQ(file.GetSize(), kSize);
    ASSERT_TRUE(file.SetByte(kSize - 1, 0, 0x7F));
    EXPECT_EQ(Read(kSize - 3, 16), B({0, 0, 0x7F}));
}

// An unnamed memory file saves under a name asked for, through a whole new
// file, then under the same name without asking. A failure (a full disk not
// retried; regression: a file made read-only was replaced) leaves the old
// file and the document modified.
TEST(MemFileTest, SaveAsksForANameWritesEverythingAndAFailureLeavesTheOldFile) {
    OScriptedPlatform platform;
    OTempDir dir;
    OFaultyFileIo io;
    OMemFile file{io};
    OwnerSpy owner;
    file.SetOwner(&owner);
    ASSERT_TRUE(file.Open("", OAccess::Read, ODisposition::OpenExisting));
    ASSERT_TRUE(file.EnsureWritable());
    ASSERT_EQ(file.WriteAt(0, Iota(32).data(), 32), 32u);
    ASSERT_TRUE(file.SetByte(32, 0, 0xEE));
    EXPECT_TRUE(owner.modified);
    const std::string target = dir.Write("saved.bin", std::string("old content"));
    struct Case {
        int writeErrno;
        mode_t mode;
        bool yes;
        Strings messages;
    };
    const Case cases[] = {
        {ENOSPC, 0644, false, {"Disk full. Try again ?", target + ": No space left on device"}},
        {0, 0444, false, {target + ": Permission denied"}},
        {ENOSPC, 0644, true, {"Disk full. Try again ?"}}};
    EXPECT_FALSE(file.Commit()); // the name dialog was cancelled
    for (const Case& c : cases) {
        platform.Clear();
        ASSERT_EQ(::chmod(target.c_str(), c.mode), 0);
        io.failWriteAt = c.writeErrno ? io.writes + 1 : 0;
        io.writeErrno = c.writeErrno;
        platform.AnswerSaveFileName(target);
        if (c.yes) platform.Answer(OAnswer::Yes);
        EXPECT_EQ(file.Commit(), c.yes);
        EXPECT_EQ(platform.MessageTexts(), c.messages);
        EXPECT_EQ(owner.modified, !c.yes);
        EXPECT_TRUE(c.yes || ReadText(target) == "old content");
        EXPECT_EQ(file.Path().empty(), !c.yes);
    }
    Bytes expected = Iota(32);
    expected.push_back(0xEE);
    EXPECT_EQ(ReadWholeFile(target), expected);
    EXPECT_EQ(owner.path, target);
    EXPECT_EQ(file.Path(), target);
    const OByte more = 1;
    file.WriteAt(0, &more, 1);
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadWholeFile(target)[0], 1);
}

} // namespace
