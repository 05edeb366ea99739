#include "document/ODiskFile.h"
#include "document/OMemFile.h"
#include "platform/OScriptedPlatform.h"
#include "platform/OSystem.h"
#include "support/OFaultyFileIo.h"
#include "support/OTempDir.h"

#include <cerrno>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<OByte> Bytes(std::initializer_list<int> values) {
    std::vector<OByte> out;
    for (int v : values)
        out.push_back(static_cast<OByte>(v));
    return out;
}

std::vector<OByte> Iota(std::size_t n) {
    std::vector<OByte> out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<OByte>(i);
    return out;
}

struct OwnerSpy final : OFileOwner {
    bool modified = false;
    std::string path;
    void SetModifiedFlag(bool m) override { modified = m; }
    void SetPathName(const std::string& p) override { path = p; }
};

class DiskFileTest : public ::testing::Test {
protected:
    void OpenFile(std::vector<OByte> content) {
        path = dir.Write("data.bin", content);
        ASSERT_TRUE(file.Open(path, OAccess::Read, ODisposition::OpenExisting));
        file.SetOwner(&owner);
        file.SetBackupHook([this](OFile&) {
            ++backups;
            return backupSucceeds;
        });
    }
    std::vector<OByte> Read(OOffset offset, std::size_t count) {
        std::vector<OByte> buffer(count, 0xEE);
        buffer.resize(file.ReadAt(offset, buffer.data(), count));
        return buffer;
    }

    OScriptedPlatform platform;
    OTempDir dir;
    OFaultyFileIo io;
    ODiskFile file{io};
    OwnerSpy owner;
    std::string path;
    int backups = 0;
    bool backupSucceeds = true;
};

TEST_F(DiskFileTest, PendingBytesOverlayTheFileUntilCommitted) {
    OpenFile(Iota(10));
    EXPECT_FALSE(file.IsWritable());
    ASSERT_TRUE(file.SetByte(3, 3, 0xAA));
    ASSERT_TRUE(file.SetByte(3, 0x55, 0xBB)); // the first old byte stays
    EXPECT_EQ(backups, 1);                    // only the first change backs up and reopens
    EXPECT_TRUE(file.IsWritable());
    EXPECT_TRUE(owner.modified);
    EXPECT_EQ(file.Pending().Find(3)->oldByte, 3);
    EXPECT_EQ(Read(2, 3), Bytes({2, 0xBB, 4}));
    EXPECT_EQ(ReadWholeFile(path), Iota(10)); // nothing on disk yet
    EXPECT_TRUE(file.IsChanged(3));
    EXPECT_FALSE(file.IsChanged(4));
    EXPECT_EQ(file.LogicalSize(), 10);
}

TEST_F(DiskFileTest, TypingAtTheEndGrowsTheLogicalSize) {
    OpenFile(Iota(10));
    ASSERT_TRUE(file.SetByte(10, 0, 0xA0));
    EXPECT_EQ(file.LogicalSize(), 11);
    EXPECT_EQ(file.GetSize(), 10);
    EXPECT_EQ(Read(8, 3), Bytes({8, 9, 0xA0}));  // full count though the disk read was short
    EXPECT_EQ(Read(8, 16), Bytes({8, 9, 0xA0})); // never past the logical end
    ASSERT_TRUE(file.SetByte(11, 0, 0xA1));
    // Retyping an earlier appended byte keeps the later ones.
    ASSERT_TRUE(file.SetByte(10, 0, 0xB0));
    EXPECT_EQ(file.LogicalSize(), 12);
    EXPECT_TRUE(file.UndoByte(11));
    EXPECT_EQ(file.LogicalSize(), 11);
    EXPECT_FALSE(file.UndoByte(11));
    EXPECT_TRUE(file.UndoByte(10));
    EXPECT_FALSE(file.HasPending());
    EXPECT_FALSE(owner.modified);
    EXPECT_EQ(file.LogicalSize(), 10);
}

TEST_F(DiskFileTest, GapBeforeATypedByteReadsAsZerosAndIsWrittenSo) {
    OpenFile(Iota(4));
    ASSERT_TRUE(file.SetByte(6, 0, 0x66));
    EXPECT_EQ(Read(2, 5), Bytes({2, 3, 0, 0, 0x66}));
    EXPECT_EQ(file.CommitPending(), 1u);
    EXPECT_EQ(ReadWholeFile(path), Bytes({0, 1, 2, 3, 0, 0, 0x66}));
}

TEST_F(DiskFileTest, CommitWritesInAscendingOrderAndClearsPending) {
    OpenFile(Iota(100));
    for (OOffset o : {90, 5, 50, 6, 7, 100})
        ASSERT_TRUE(file.SetByte(o, static_cast<OByte>(o), static_cast<OByte>(0xF0)));
    io.writeOffsets.clear();
    EXPECT_EQ(file.CommitPending(), 6u);
    // Adjacent changes go out as one write.
    EXPECT_EQ(io.writeOffsets, (std::vector<off_t>{5, 50, 90, 100}));
    auto expected = Iota(100);
    for (int o : {90, 5, 50, 6, 7})
        expected[o] = 0xF0;
    expected.push_back(0xF0);
    EXPECT_EQ(ReadWholeFile(path), expected);
    EXPECT_FALSE(file.HasPending());
    EXPECT_FALSE(owner.modified);
    EXPECT_EQ(file.CommitPending(), 0u); // nothing to write
}

TEST_F(DiskFileTest, FailedCommitKeepsWhatWasNotWritten) {
    OpenFile(Iota(20));
    ASSERT_TRUE(file.SetByte(2, 2, 0xA2));
    ASSERT_TRUE(file.SetByte(12, 12, 0xAC));
    io.writes = 0;
    io.failWriteAt = 2;
    io.writeErrno = EIO;
    EXPECT_EQ(file.CommitPending(), 0u);
    ASSERT_EQ(platform.MessageTexts().size(), 1u);
    EXPECT_EQ(platform.MessageTexts()[0], path + ": Input/output error");
    EXPECT_FALSE(file.IsChanged(2));
    EXPECT_TRUE(file.IsChanged(12)); // a later save can still write it
    EXPECT_TRUE(owner.modified);
    EXPECT_EQ(file.CommitPending(), 1u);
    auto expected = Iota(20);
    expected[2] = 0xA2;
    expected[12] = 0xAC;
    EXPECT_EQ(ReadWholeFile(path), expected);
}

TEST_F(DiskFileTest, FullDiskDuringCommitAsksAndRetries) {
    OpenFile(Iota(8));
    ASSERT_TRUE(file.SetByte(1, 1, 0xA1));
    io.writes = 0;
    io.failWriteAt = 1;
    platform.Answer(OAnswer::Yes);
    EXPECT_EQ(file.CommitPending(), 1u);
    EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>{"Disk full. Try again ?"});
    EXPECT_EQ(ReadWholeFile(path)[1], 0xA1);
}

TEST_F(DiskFileTest, ReopenForWriteFailureLeavesTheFileReadable) {
    OpenFile(Iota(8));
    io.failWritableOpenErrno = EACCES;
    EXPECT_FALSE(file.SetByte(0, 0, 0xFF));
    EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>{path + ": Permission denied"});
    EXPECT_FALSE(file.IsWritable());
    EXPECT_FALSE(file.HasPending());
    EXPECT_EQ(Read(0, 8), Iota(8));
}

// Regression: a size that could not be read counted as 0, and a write then
// "grew" the file to its own end, cutting everything behind it.
TEST_F(DiskFileTest, WriteWithAnUnknownSizeDoesNotCutTheFile) {
    OpenFile(Iota(64));
    ASSERT_TRUE(file.EnsureWritable());
    io.failFStatErrno = EIO;
    const OByte byte = 0xAB;
    EXPECT_EQ(file.WriteAt(8, &byte, 1), 0u);
    EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>{"Filesize getting error"});
    io.failFStatErrno = 0;
    EXPECT_EQ(ReadWholeFile(path), Iota(64));
}

TEST_F(DiskFileTest, BackupFailureAsksWhetherToGoOn) {
    OpenFile(Iota(4));
    backupSucceeds = false;
    EXPECT_FALSE(file.SetByte(0, 0, 1)); // unanswered: No
    EXPECT_EQ(platform.Messages().at(0).text, "Backup failed, continue ?");
    EXPECT_EQ(platform.Messages().at(0).buttons, OButtons::YesNo);
    EXPECT_FALSE(file.IsWritable());
    platform.Answer(OAnswer::Yes);
    EXPECT_TRUE(file.SetByte(0, 0, 1));
    EXPECT_TRUE(file.IsWritable());
}

TEST_F(DiskFileTest, ReplacedFileIsNotWrittenThrough) {
    OpenFile(Iota(4));
    const std::string other = dir.Write("other.bin", std::string("other"));
    ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
    EXPECT_FALSE(file.SetByte(0, 0, 0xFF));
    ASSERT_EQ(platform.MessageTexts().size(), 1u);
    EXPECT_NE(platform.MessageTexts()[0].find("replaced or removed"), std::string::npos);
    EXPECT_EQ(ReadText(path), "other");
    EXPECT_EQ(Read(0, 4), Iota(4)); // still shows what it opened
}

TEST_F(DiskFileTest, ShrunkVanishedAndUnreadableFilesShowNothingBeyondTheirData) {
    OpenFile(Iota(64));
    ASSERT_EQ(::truncate(path.c_str(), 10), 0);
    EXPECT_EQ(file.GetSize(), 10);
    EXPECT_EQ(Read(5, 16), Bytes({5, 6, 7, 8, 9}));
    EXPECT_TRUE(Read(32, 16).empty());
    ASSERT_EQ(::unlink(path.c_str()), 0);
    EXPECT_EQ(Read(0, 2), Bytes({0, 1}));
    io.reads = 0;
    io.failReadAt = 1;
    EXPECT_TRUE(Read(0, 4).empty());
    EXPECT_EQ(LastError(), EIO);
}

TEST_F(DiskFileTest, HugeSparseFileAndOffsetsNearTheLimit) {
    constexpr OOffset kSize = OOffset{100} << 30;
    path = dir.Sparse("huge.bin", kSize);
    ASSERT_TRUE(file.Open(path, OAccess::Read, ODisposition::OpenExisting));
    EXPECT_EQ(file.GetSize(), kSize);
    EXPECT_EQ(Read(kSize - 4, 16), std::vector<OByte>(4, 0));
    ASSERT_TRUE(file.SetByte(kSize - 1, 0, 0x7F));
    EXPECT_EQ(Read(kSize - 2, 2), Bytes({0, 0x7F}));
    // Offsets near 2^63 must not overflow anywhere.
    std::vector<OByte> buffer(16);
    EXPECT_EQ(file.ReadAt(kOffsetMax - 3, buffer.data(), buffer.size()), 0u);
    EXPECT_FALSE(file.SetByte(kOffsetMax, 0, 1));
    EXPECT_EQ(file.WriteAt(kOffsetMax - 3, buffer.data(), buffer.size()), 0u);
    EXPECT_FALSE(file.IsChanged(kOffsetMax));
}

TEST_F(DiskFileTest, OnlyRegularFilesAndDevicesOpen) {
    EXPECT_FALSE(file.Open(dir.Path(), OAccess::Read, ODisposition::OpenExisting));
    EXPECT_EQ(LastError(), EISDIR);
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ODiskFile other;
    // O_RDONLY on a FIFO without a writer would block: open it non-blocking
    // by giving it a writer first.
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    EXPECT_FALSE(other.Open(fifo, OAccess::Read, ODisposition::OpenExisting));
    EXPECT_EQ(SystemErrorText(-1), "Not a regular file or block device");
    ::close(writer);
    EXPECT_FALSE(file.Open(dir.File("missing"), OAccess::Read, ODisposition::OpenExisting));
    EXPECT_EQ(SystemErrorText(-1), "No such file or directory");
}

// Seeded random typing, undo, commit and discard against a plain vector.
TEST_F(DiskFileTest, RandomTypingMatchesAModel) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    std::vector<OByte> disk = Iota(300);
    OpenFile(disk);
    std::vector<OByte> shown = disk;
    std::map<OOffset, OByte> typedOld;
    for (int step = 0; step < 3000; ++step) {
        const int action = static_cast<int>(rng() % 100);
        if (action < 80) {
            const auto offset = static_cast<OOffset>(rng() % (shown.size() + 1));
            const auto value = static_cast<OByte>(rng());
            const OByte old = offset < static_cast<OOffset>(shown.size()) ? shown[offset] : 0;
            ASSERT_TRUE(file.SetByte(offset, old, value));
            if (offset == static_cast<OOffset>(shown.size()))
                shown.push_back(value);
            else
                shown[offset] = value;
            typedOld.try_emplace(offset, old);
        } else if (action < 90 && !typedOld.empty()) {
            // Undo the last byte typed past the disk's end, which shrinks the file.
            const auto last = static_cast<OOffset>(shown.size()) - 1;
            if (last >= static_cast<OOffset>(disk.size()) && typedOld.count(last)) {
                ASSERT_TRUE(file.UndoByte(last));
                shown.pop_back();
                typedOld.erase(last);
            }
        } else if (action < 97) {
            if (file.HasPending()) {
                ASSERT_EQ(file.CommitPending(), typedOld.size());
            }
            disk = shown;
            typedOld.clear();
        } else {
            file.DiscardPending();
            shown = disk;
            typedOld.clear();
        }
        ASSERT_EQ(file.LogicalSize(), static_cast<OOffset>(shown.size()));
        const auto offset = static_cast<OOffset>(rng() % (shown.size() + 1));
        const auto count = static_cast<std::size_t>(rng() % 40);
        const auto expectedEnd = std::min<std::size_t>(shown.size(), offset + count);
        ASSERT_EQ(Read(offset, count),
                  std::vector<OByte>(shown.begin() + offset,
                                     shown.begin() + static_cast<long>(expectedEnd)));
    }
    if (file.HasPending()) file.CommitPending();
    EXPECT_EQ(ReadWholeFile(path), shown);
}

class MemFileTest : public ::testing::Test {
protected:
    OScriptedPlatform platform;
    OTempDir dir;
    OFaultyFileIo io;
    OMemFile file{io};
    OwnerSpy owner;

    void SetUp() override {
        file.SetOwner(&owner);
        ASSERT_TRUE(file.Open("", OAccess::Read, ODisposition::OpenExisting));
        const auto content = Iota(32);
        ASSERT_TRUE(file.EnsureWritable());
        ASSERT_EQ(file.WriteAt(0, content.data(), content.size()), content.size());
    }
};

TEST_F(MemFileTest, SaveAsksForANameAndWritesEverything) {
    EXPECT_TRUE(owner.modified);
    ASSERT_TRUE(file.SetByte(32, 0, 0xEE));
    EXPECT_FALSE(file.Commit()); // the name dialog was cancelled
    const std::string target = dir.File("saved.bin");
    platform.AnswerSaveFileName(target);
    ASSERT_TRUE(file.Commit());
    auto expected = Iota(32);
    expected.push_back(0xEE);
    EXPECT_EQ(ReadWholeFile(target), expected);
    EXPECT_EQ(owner.path, target);
    EXPECT_FALSE(owner.modified);
    EXPECT_EQ(file.Path(), target);
    // Saved again under the same name without asking.
    const OByte more = 1;
    file.WriteAt(0, &more, 1);
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadWholeFile(target)[0], 1);
}

TEST_F(MemFileTest, FullDiskRetriesOrFailsWithoutTouchingTheOldFile) {
    const std::string target = dir.Write("saved.bin", std::string("old content"));
    io.writes = 0;
    io.failWriteAt = 1;
    platform.AnswerSaveFileName(target);
    platform.Answer(OAnswer::No);
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(
        platform.MessageTexts(),
        (std::vector<std::string>{"Disk full. Try again ?", target + ": No space left on device"}));
    EXPECT_EQ(ReadText(target), "old content");
    EXPECT_TRUE(file.Path().empty());
    EXPECT_TRUE(owner.modified);

    platform.Clear();
    io.writes = 0;
    io.failWriteAt = 1;
    platform.AnswerSaveFileName(target);
    platform.Answer(OAnswer::Yes);
    EXPECT_TRUE(file.Commit());
    EXPECT_EQ(ReadWholeFile(target), Iota(32));
}

// Regression: saving over a file made read-only replaced it.
TEST_F(MemFileTest, SaveOverAReadOnlyFileIsRefused) {
    const std::string target = dir.Write("saved.bin", std::string("old content"));
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    platform.AnswerSaveFileName(target);
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>{target + ": Permission denied"});
    EXPECT_EQ(ReadText(target), "old content");
    EXPECT_TRUE(owner.modified);
}

TEST_F(MemFileTest, ReadsAndSizesFollowTheVector) {
    std::vector<OByte> buffer(8);
    EXPECT_EQ(file.ReadAt(28, buffer.data(), 8), 4u);
    EXPECT_EQ(file.ReadAt(40, buffer.data(), 8), 0u);
    ASSERT_TRUE(file.SetSize(4));
    EXPECT_EQ(file.GetSize(), 4);
    ASSERT_TRUE(file.SetSize(6));
    EXPECT_EQ(file.ReadAt(0, buffer.data(), 8), 6u);
    EXPECT_EQ(buffer[5], 0);
}

} // namespace
