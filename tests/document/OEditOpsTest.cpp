#include "document/OEditOps.h"

#include "document/ODiskFile.h"
#include "document/OMemFile.h"
#include "document/OTransferBuffer.h"
#include "platform/OProgress.h"
#include "platform/OScriptedPlatform.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"
#include "support/OFaultyFileIo.h"
#include "support/OTempDir.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using Bytes = std::vector<OByte>;

Bytes Random(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (OByte& b : out)
        b = static_cast<OByte>(rng());
    return out;
}

Bytes Slice(const Bytes& data, std::size_t from, std::size_t count) {
    return Bytes(data.begin() + static_cast<std::ptrdiff_t>(from),
                 data.begin() + static_cast<std::ptrdiff_t>(from + count));
}

// The file after the first `blocks` blocks of an in-place move, each read
// from the file as it then is: the state a failure leaves behind.
Bytes PartialMove(Bytes data, std::size_t from, std::size_t to, std::size_t length,
                  std::size_t block, std::size_t blocks) {
    const bool backward = from < to; // a grow moves last block first
    for (std::size_t i = 0; i < blocks && i * block < length; ++i) {
        const std::size_t left = length - i * block;
        const std::size_t n = std::min(block, left);
        const std::size_t s = backward ? from + left - n : from + i * block;
        const std::size_t t = backward ? to + left - n : to + i * block;
        const Bytes moving = Slice(data, s, n);
        if (data.size() < t + n) data.resize(t + n, 0);
        std::copy(moving.begin(), moving.end(), data.begin() + static_cast<std::ptrdiff_t>(t));
    }
    return data;
}

Bytes Moved(const Bytes& data, std::size_t from, std::size_t to, std::size_t length) {
    return PartialMove(data, from, to, length, length + 1, 1);
}

std::string ErrorText(const std::string& path, int code) {
    return path + ": " + SystemErrorText(code);
}

const std::string kDiskFull = "Disk full. Try again ?";

class EditOpsTest : public ::testing::Test {
protected:
    void TearDown() override {
        OTransferBuffer::SetLimitForTesting(0);
        OTransferBuffer::FailAllocationsForTesting(0);
    }
    void OpenFile(const Bytes& content) {
        file.Close();
        path = dir.Write("data.bin", content);
        ASSERT_TRUE(file.Open(path, OAccess::ReadWrite, ODisposition::OpenExisting));
        platform.Clear();
    }
    Bytes Content() const { return ReadWholeFile(path); }
    // The k-th read or write from now fails.
    void FailRead(int k, int code) {
        io.failReadAt = io.reads + k;
        io.readErrno = code;
    }
    void FailWrite(int k, int code) {
        io.failWriteAt = io.writes + k;
        io.writeErrno = code;
    }
    void NoFaults() { io.failReadAt = io.failWriteAt = 0; }

    OScriptedPlatform platform;
    OTempDir dir;
    OFaultyFileIo io;
    ODiskFile file{io};
    std::string path;
};

// ---- The transfer buffer ----------------------------------------------------

TEST_F(EditOpsTest, TransferBufferFollowsTheLengthUpTo16MiBAndKeepsItsBlock) {
    {
        OTransferBuffer small(100);
        EXPECT_TRUE(small.Valid());
        EXPECT_EQ(small.Size(), 100u);
    }
    OByte* kept = nullptr;
    {
        OTransferBuffer big(OOffset{1} << 40);
        EXPECT_EQ(big.Size(), 16777216u);
        kept = big.Data();
    }
    {
        OTransferBuffer unknown(0); // a quarter of the free memory, then capped
        EXPECT_EQ(unknown.Size(), 16777216u);
        EXPECT_EQ(unknown.Data(), kept);
    }
    {
        OTransferBuffer reused(5000);
        EXPECT_EQ(reused.Data(), kept);
        EXPECT_EQ(reused.Size(), 5000u);
    }
    OTransferBuffer::SetLimitForTesting(7);
    EXPECT_EQ(OTransferBuffer(5000).Size(), 7u);
    EXPECT_TRUE(platform.Messages().empty());
}

TEST_F(EditOpsTest, FailedAllocationsHalveDownTo256KiBThenSayOutOfMemory) {
    OTransferBuffer::FailAllocationsForTesting(3);
    EXPECT_EQ(OTransferBuffer(OOffset{1} << 30).Size(), 2097152u);
    OTransferBuffer::FailAllocationsForTesting(1);
    EXPECT_EQ(OTransferBuffer(600000).Size(), 300000u);
    EXPECT_TRUE(platform.Messages().empty());

    OTransferBuffer::FailAllocationsForTesting(1);
    EXPECT_FALSE(OTransferBuffer(500000).Valid()); // 250,000 is below the floor
    OTransferBuffer::FailAllocationsForTesting(6);
    EXPECT_FALSE(OTransferBuffer(OOffset{1} << 30).Valid());
    ASSERT_EQ(platform.Messages().size(), 2u);
    EXPECT_EQ(platform.Messages()[1].text, "Out of memory");
    EXPECT_EQ(platform.Messages()[1].icon, OIcon::Stop);
}

TEST_F(EditOpsTest, WithoutABufferEveryMoveFailsBeforeAnythingChanges) {
    const Bytes original = Random(1000, 1);
    OpenFile(original);
    OTransferBuffer::FailAllocationsForTesting(100);
    EXPECT_FALSE(DeleteRange(file, 10, 20));
    EXPECT_FALSE(ResizeRegion(file, 10, 20, 5));
    EXPECT_FALSE(ResizeRegion(file, 10, 5, 20));
    EXPECT_FALSE(InsertZeros(file, 10, 20));
    OTransferBuffer::FailAllocationsForTesting(0);
    EXPECT_EQ(Content(), original);
    EXPECT_EQ(io.writes, 0);
    EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>(4, "Out of memory"));
}

// ---- Against a model ----------------------------------------------------------

// Thousands of mixed edits on a disk file and a memory file, with buffers of
// 7 to 64 bytes so every move takes many blocks in either direction; after
// each step both files must equal their byte vectors.
TEST_F(EditOpsTest, RandomEditsMatchAVectorModel) {
    unsigned seed = std::random_device{}();
    if (const char* fixed = std::getenv("QUORVALIS_EDIT_SEED"))
        seed = static_cast<unsigned>(std::stoul(fixed));
    std::printf("RandomEditsMatchAVectorModel seed %u (QUORVALIS_EDIT_SEED)\n", seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    auto pick = [&rng](std::size_t low, std::size_t high) { // inclusive
        return std::uniform_int_distribution<std::size_t>(low, high)(rng);
    };

    OpenFile(Random(300, seed));
    OMemFile mem{io};
    ASSERT_TRUE(mem.Open("", OAccess::ReadWrite, ODisposition::CreateAlways));
    std::vector<Bytes> models{Content(), Random(200, seed + 1)};
    ASSERT_TRUE(WriteBlock(models[1].data(), mem, 0, models[1].size()));
    OFile* files[2] = {&file, &mem};
    auto contentOf = [&](int i) { return i == 0 ? Content() : mem.Data(); };

    for (int step = 0; step < 4000; ++step) {
        OTransferBuffer::SetLimitForTesting(pick(7, 64));
        const int i = static_cast<int>(pick(0, 1));
        OFile& f = *files[i];
        Bytes& m = models[static_cast<std::size_t>(i)];
        const std::size_t size = m.size();
        const auto at = [](std::size_t v) { return static_cast<OOffset>(v); };
        std::string op;
        bool ok = true;
        // Shrink more often once a file is large, so sizes stay bounded.
        const std::size_t kind = size > 700 && pick(0, 1) == 0 ? 0 : pick(0, 7);
        switch (kind) {
        case 0: {
            const std::size_t off = pick(0, size);
            const std::size_t len = pick(0, std::min<std::size_t>(size - off, 120));
            op = "DeleteRange " + std::to_string(off) + " " + std::to_string(len);
            ok = DeleteRange(f, at(off), at(len));
            m.erase(m.begin() + at(off), m.begin() + at(off + len));
            break;
        }
        case 1: {
            const std::size_t off = pick(0, size);
            const std::size_t oldLen = pick(0, std::min<std::size_t>(size - off, 60));
            const std::size_t newLen = pick(0, oldLen + 60);
            op = "ResizeRegion " + std::to_string(off) + " " + std::to_string(oldLen) + " " +
                 std::to_string(newLen);
            const Bytes region = Random(newLen, static_cast<unsigned>(step));
            ok = ResizeRegion(f, at(off), at(oldLen), at(newLen)) &&
                 WriteBlock(region.data(), f, at(off), newLen);
            m.erase(m.begin() + at(off), m.begin() + at(off + oldLen));
            m.insert(m.begin() + at(off), region.begin(), region.end());
            break;
        }
        case 2: {
            const std::size_t off = pick(0, size);
            const std::size_t count = pick(1, 80);
            op = "InsertZeros " + std::to_string(off) + " " + std::to_string(count);
            ok = InsertZeros(f, at(off), at(count));
            m.insert(m.begin() + at(off), count, OByte{0});
            break;
        }
        case 3: { // to the other file; a source that ends early copies less
            Bytes& other = models[static_cast<std::size_t>(1 - i)];
            const std::size_t from = pick(0, size + 5);
            const std::size_t len = pick(0, 150);
            const std::size_t to = pick(0, other.size() + 5);
            op = "CopyRange across " + std::to_string(from) + " " + std::to_string(to) + " " +
                 std::to_string(len);
            OTransferBuffer buffer(at(len));
            ok =
                CopyRange(buffer, f, at(from), *files[1 - i], at(to), at(len), ids::IDS_NONE, true);
            const std::size_t n = from < size ? std::min(len, size - from) : 0;
            if (n > 0) {
                if (other.size() < to + n) other.resize(to + n, 0);
                std::copy_n(m.begin() + at(from), n, other.begin() + at(to));
            }
            break;
        }
        case 4:
        case 5: { // within one file: down, or up past the source; up over it is refused
            const std::size_t from = pick(0, size);
            const std::size_t len = pick(0, std::min<std::size_t>(size - from, 150));
            const std::size_t to = kind == 4 ? pick(from, from + len + 5) : pick(0, from);
            op = "CopyRange within " + std::to_string(from) + " " + std::to_string(to) + " " +
                 std::to_string(len);
            OTransferBuffer buffer(at(len));
            const bool overlapsAbove = to > from && len > to - from;
            ok = CopyRange(buffer, f, at(from), f, at(to), at(len), ids::IDS_COPY_MB, false) !=
                 overlapsAbove;
            if (!overlapsAbove) m = Moved(m, from, to, len);
            break;
        }
        case 6: { // typed bytes, then saved or thrown away
            std::map<std::size_t, OByte> typed;
            for (std::size_t k = pick(1, 5); k > 0; --k) {
                const std::size_t off = pick(0, m.size() + 2);
                const auto value = static_cast<OByte>(rng());
                ok = ok && f.SetByte(at(off), off < m.size() ? m[off] : 0, value);
                typed[off] = value;
            }
            const bool commit = pick(0, 1) == 1;
            op = commit ? "SetByte and CommitPending" : "SetByte and DiscardPending";
            if (commit) {
                ok = ok && f.CommitPending() != 0;
                for (const auto& [off, value] : typed) {
                    if (m.size() <= off) m.resize(off + 1, 0);
                    m[off] = value;
                }
            } else {
                f.DiscardPending();
            }
            break;
        }
        default: { // out of range: refused, nothing changes
            op = "out-of-range arguments";
            ok = !DeleteRange(f, at(size + 1), 0) && !DeleteRange(f, 0, at(size + 1)) &&
                 !ResizeRegion(f, at(size), 1, 0) && !InsertZeros(f, at(size + 1), 1) &&
                 !InsertZeros(f, 0, -1);
            break;
        }
        }
        SCOPED_TRACE("step " + std::to_string(step) + ": " + op + " on " +
                     (i == 0 ? "disk" : "memory") + " file");
        ASSERT_TRUE(ok);
        ASSERT_TRUE(platform.Messages().empty()) << platform.Messages()[0].text;
        for (int j = 0; j < 2; ++j) {
            ASSERT_FALSE(files[j]->HasPending());
            ASSERT_EQ(files[j]->GetSize(), static_cast<OOffset>(models[j].size()));
            ASSERT_EQ(contentOf(j), models[j]) << "file " << j;
        }
        platform.Clear();
    }
}

// ---- Blocks, direction, progress and status ------------------------------------

TEST_F(EditOpsTest, AMovePumpsOncePerBlockAndShowsTheBytesDone) {
    const Bytes original = Random(120, 2);
    OpenFile(original);
    OTransferBuffer::SetLimitForTesting(10);
    // Between blocks the views repaint: they read the file, and nothing may
    // edit it meanwhile.
    int runningPumps = 0;
    platform.OnPump([&] {
        OByte row[7];
        file.ReadAt(113, row, sizeof row);
        runningPumps += LongOperationRunning() ? 1 : 0;
    });
    ASSERT_TRUE(DeleteRange(file, 10, 15)); // a tail of 95 bytes
    platform.OnPump(nullptr);
    EXPECT_EQ(runningPumps, 10);
    Bytes expected = original;
    expected.erase(expected.begin() + 10, expected.begin() + 25);
    EXPECT_EQ(Content(), expected);
    EXPECT_EQ(platform.PumpCount(), 10);
    ASSERT_EQ(platform.ProgressWindows().size(), 1u);
    const auto& window = platform.ProgressWindows()[0];
    EXPECT_EQ(window.low, 0);
    EXPECT_EQ(window.high, 94);
    EXPECT_FALSE(window.cancelEnabled);
    EXPECT_EQ(window.positions, (std::vector<OOffset>{10, 20, 30, 40, 50, 60, 70, 80, 90, 95}));
    EXPECT_TRUE(platform.StatusHistory().empty()); // tails up to 1 MiB say nothing
    EXPECT_FALSE(LongOperationRunning());
}

TEST_F(EditOpsTest, GrowingMovesBackwardAndShrinkingForward) {
    const Bytes original = Random(100, 3);
    OTransferBuffer::SetLimitForTesting(8);
    struct Case {
        OOffset offset, oldLength, newLength;
        bool backward;
    };
    for (const Case c : {Case{10, 2, 5, true}, Case{80, 2, 40, true}, Case{80, 2, 20, true},
                         Case{10, 5, 2, false}}) {
        OpenFile(original);
        io.writeOffsets.clear();
        ASSERT_TRUE(ResizeRegion(file, c.offset, c.oldLength, c.newLength));
        const auto tail = static_cast<std::size_t>(100 - c.offset - c.oldLength);
        Bytes expected = Moved(original, static_cast<std::size_t>(c.offset + c.oldLength),
                               static_cast<std::size_t>(c.offset + c.newLength), tail);
        expected.resize(static_cast<std::size_t>(100 + c.newLength - c.oldLength));
        EXPECT_EQ(Content(), expected);
        const auto& w = io.writeOffsets;
        ASSERT_GE(w.size(), 2u);
        if (c.backward)
            EXPECT_TRUE(std::is_sorted(w.rbegin(), w.rend())) << c.offset;
        else
            EXPECT_TRUE(std::is_sorted(w.begin(), w.end())) << c.offset;
    }
}

TEST_F(EditOpsTest, DeletingTheLastBytesOnlyTruncates) {
    const Bytes original = Random(50, 4);
    OpenFile(original);
    ASSERT_TRUE(DeleteRange(file, 40, 10));
    EXPECT_EQ(Content(), Slice(original, 0, 40));
    EXPECT_TRUE(platform.ProgressWindows().empty());
    EXPECT_EQ(platform.PumpCount(), 0);
    EXPECT_EQ(io.reads + io.writes, 0);
}

TEST_F(EditOpsTest, ResizingToTheSameLengthDoesNothingAtAll) {
    const Bytes original = Random(50, 5);
    path = dir.Write("data.bin", original);
    ASSERT_TRUE(file.Open(path, OAccess::Read, ODisposition::OpenExisting));
    int backups = 0;
    file.SetBackupHook([&backups](OFile&) { return ++backups > 0; });
    ASSERT_TRUE(ResizeRegion(file, 10, 7, 7));
    EXPECT_FALSE(file.IsWritable()); // not even made writable
    EXPECT_EQ(backups, 0);
    EXPECT_EQ(io.reads + io.writes + io.truncates + io.fallocates, 0);
    EXPECT_TRUE(platform.ProgressWindows().empty());
    ASSERT_TRUE(DeleteRange(file, 10, 0));
    EXPECT_EQ(backups, 0);
}

TEST_F(EditOpsTest, TheMoveTextShowsWholeMegabytesOnlyAboveOneMegabyte) {
    platform.SetText("Ready");
    struct Case {
        OOffset tail;
        std::vector<std::string> history;
    };
    for (const Case& c : {Case{1048576, {}}, Case{1048577, {"Move 1 Mb ...", "Ready"}},
                          Case{2621440, {"Move 2 Mb ...", "Ready"}}}) {
        const Bytes original = Random(static_cast<std::size_t>(c.tail) + 3, 6);
        OpenFile(original);
        ASSERT_TRUE(DeleteRange(file, 0, 3));
        EXPECT_EQ(Content(), Slice(original, 3, static_cast<std::size_t>(c.tail)));
        EXPECT_EQ(platform.StatusHistory(), c.history);
    }
}

TEST_F(EditOpsTest, TailsOfSeveralGigabytesShiftTheProgressPositions) {
    // A failing first read stops each move at once; the window is what counts.
    struct Case {
        OOffset tail;
        unsigned shift;
    };
    for (const Case c :
         {Case{(OOffset{1} << 31) - 1, 0}, Case{OOffset{3} << 30, 1}, Case{OOffset{5} << 30, 2}}) {
        file.Close();
        path = dir.Sparse("huge.bin", c.tail + 10);
        ASSERT_TRUE(file.Open(path, OAccess::ReadWrite, ODisposition::OpenExisting));
        platform.Clear();
        FailRead(1, EIO);
        EXPECT_FALSE(DeleteRange(file, 0, 10));
        EXPECT_EQ(file.GetSize(), c.tail + 10);
        EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>{ErrorText(path, EIO)});
        ASSERT_EQ(platform.ProgressWindows().size(), 1u);
        const auto& window = platform.ProgressWindows()[0];
        EXPECT_EQ(window.high, c.tail - 1);
        EXPECT_EQ(OProgressScale(window.low, window.high).shift, c.shift) << c.tail;
        EXPECT_EQ(window.positions, std::vector<OOffset>{16777216});
        ASSERT_EQ(platform.StatusHistory().size(), 2u); // shown, then restored
        EXPECT_EQ(platform.StatusHistory()[0],
                  "Move " + std::to_string(c.tail / 1048576) + " Mb ...");
    }
}

// ---- Failures ------------------------------------------------------------------------

// Every read and every write of a move fails once in turn: the operation
// returns false with the one right message, the blocks before it have moved,
// and the file is never cut or grown past what was written.
TEST_F(EditOpsTest, AFailingReadOrWriteStopsTheMoveWithoutCuttingTheFile) {
    const Bytes original = Random(300, 7);
    struct Case {
        const char* name;
        OOffset offset, oldLength, newLength; // newLength 0: DeleteRange
        std::size_t blocks;
    };
    const Case cases[] = {{"delete", 50, 30, 0, 14},
                          {"shrink", 50, 30, 5, 14},
                          {"grow backward", 50, 10, 25, 15},
                          {"grow past the tail", 250, 10, 80, 3}};
    enum Fault { ReadEio, WriteEio, WriteFullNo };
    for (const Case& c : cases) {
        for (Fault fault : {ReadEio, WriteEio, WriteFullNo}) {
            for (std::size_t k = 1; k <= c.blocks; ++k) {
                SCOPED_TRACE(std::string(c.name) + " fault " + std::to_string(fault) + " at " +
                             std::to_string(k));
                OpenFile(original);
                OTransferBuffer::SetLimitForTesting(16);
                const int at = static_cast<int>(k);
                if (fault == ReadEio) FailRead(at, EIO);
                if (fault == WriteEio) FailWrite(at, EIO);
                if (fault == WriteFullNo) FailWrite(at, ENOSPC);
                const bool result = c.newLength == 0
                                        ? DeleteRange(file, c.offset, c.oldLength)
                                        : ResizeRegion(file, c.offset, c.oldLength, c.newLength);
                NoFaults();
                EXPECT_FALSE(result);
                const std::string message = fault == WriteFullNo ? kDiskFull : ErrorText(path, EIO);
                EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>{message});
                const auto from = static_cast<std::size_t>(c.offset + c.oldLength);
                const auto to = static_cast<std::size_t>(c.offset + c.newLength);
                EXPECT_EQ(Content(), PartialMove(original, from, to, 300 - from, 16, k - 1));
                EXPECT_FALSE(LongOperationRunning());
            }
        }
    }
}

TEST_F(EditOpsTest, YesToDiskFullWritesTheBlockAgain) {
    const Bytes original = Random(300, 8);
    OpenFile(original);
    OTransferBuffer::SetLimitForTesting(16);
    FailWrite(3, ENOSPC);
    platform.Answer(OAnswer::Yes);
    ASSERT_TRUE(ResizeRegion(file, 50, 10, 25));
    ASSERT_EQ(platform.Messages().size(), 1u);
    EXPECT_EQ(platform.Messages()[0].text, kDiskFull);
    EXPECT_EQ(platform.Messages()[0].buttons, OButtons::YesNo);
    EXPECT_EQ(Content(), Moved(original, 60, 75, 240));
}

TEST_F(EditOpsTest, AFailingTruncationIsReportedAndKeepsTheMovedTail) {
    const Bytes original = Random(300, 9);
    OpenFile(original);
    io.failTruncateErrno = EIO;
    EXPECT_FALSE(DeleteRange(file, 50, 30));
    io.failTruncateErrno = 0;
    EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>{ErrorText(path, EIO)});
    EXPECT_EQ(Content(), Moved(original, 80, 50, 220));
}

TEST_F(EditOpsTest, AGrowingFileIsReservedBeforeAnyByteMoves) {
    const Bytes original = Random(300, 10);
    OTransferBuffer::SetLimitForTesting(16);

    // Disk full, No: nothing read, nothing written, same size.
    OpenFile(original);
    io.fallocateFailures = 2;
    io.fallocateErrno = ENOSPC;
    const int reads = io.reads;
    EXPECT_FALSE(ResizeRegion(file, 50, 10, 25));
    EXPECT_FALSE(InsertZeros(file, 50, 1000)); // asks again, No again
    EXPECT_EQ(platform.MessageTexts(), (std::vector<std::string>{kDiskFull, kDiskFull}));
    EXPECT_EQ(io.reads, reads);
    EXPECT_EQ(io.writes, 0);
    EXPECT_EQ(Content(), original);
    EXPECT_TRUE(platform.StatusHistory().empty());
    EXPECT_EQ(io.fallocates, 2);

    // Disk full, Yes: reserved on the second try, then moved.
    OpenFile(original);
    io.fallocateFailures = 1;
    platform.Answer(OAnswer::Yes);
    ASSERT_TRUE(ResizeRegion(file, 50, 10, 25));
    EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>{kDiskFull});
    EXPECT_EQ(Content(), Moved(original, 60, 75, 240));

    // Any other error: reported, nothing changed.
    OpenFile(original);
    io.fallocateFailures = 1;
    io.fallocateErrno = EIO;
    EXPECT_FALSE(ResizeRegion(file, 50, 10, 25));
    EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>{ErrorText(path, EIO)});
    EXPECT_EQ(Content(), original);

    // A file too large for the filesystem fails the same way, untouched.
    OpenFile(original);
    EXPECT_FALSE(ResizeRegion(file, 0, 0, OOffset{1} << 62));
    EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>{ErrorText(path, EFBIG)});
    EXPECT_EQ(Content(), original);
}

TEST_F(EditOpsTest, WithoutReservationsTheNewLastByteIsWrittenFirst) {
    const Bytes original = Random(300, 11);
    OTransferBuffer::SetLimitForTesting(16);
    OpenFile(original);
    io.fallocateFailures = 1;
    io.fallocateErrno = EOPNOTSUPP;
    io.writeOffsets.clear();
    ASSERT_TRUE(ResizeRegion(file, 50, 10, 25));
    ASSERT_FALSE(io.writeOffsets.empty());
    EXPECT_EQ(io.writeOffsets[0], 314);
    EXPECT_EQ(Content(), Moved(original, 60, 75, 240));

    // When the move then fails before a block lands, the byte goes again.
    OpenFile(original);
    io.fallocateFailures = 1;
    FailRead(1, EIO);
    EXPECT_FALSE(ResizeRegion(file, 50, 10, 25));
    NoFaults();
    EXPECT_EQ(Content(), original);

    // A full disk there asks too; No leaves the file as it was.
    OpenFile(original);
    io.fallocateFailures = 1;
    FailWrite(1, ENOSPC);
    EXPECT_FALSE(ResizeRegion(file, 50, 10, 25));
    NoFaults();
    EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>{kDiskFull});
    EXPECT_EQ(Content(), original);
}

TEST_F(EditOpsTest, OutOfRangeArgumentsChangeNothing) {
    const Bytes original = Random(100, 12);
    OpenFile(original);
    const OOffset big = kOffsetMax;
    EXPECT_FALSE(DeleteRange(file, -1, 5));
    EXPECT_FALSE(DeleteRange(file, 5, -1));
    EXPECT_FALSE(DeleteRange(file, 101, 0));
    EXPECT_FALSE(DeleteRange(file, 50, 51));
    EXPECT_FALSE(DeleteRange(file, 50, big));
    EXPECT_FALSE(DeleteRange(file, big, big));
    EXPECT_FALSE(ResizeRegion(file, -1, 0, 5));
    EXPECT_FALSE(ResizeRegion(file, 0, -1, 5));
    EXPECT_FALSE(ResizeRegion(file, 0, 5, -1));
    EXPECT_FALSE(ResizeRegion(file, 99, 2, 5));
    EXPECT_FALSE(ResizeRegion(file, big, 1, 5));
    EXPECT_FALSE(InsertZeros(file, 10, 0));
    EXPECT_FALSE(InsertZeros(file, 10, -5));
    EXPECT_FALSE(InsertZeros(file, -1, 5));
    EXPECT_FALSE(InsertZeros(file, 101, 5));
    OTransferBuffer buffer(10);
    EXPECT_FALSE(CopyRange(buffer, file, -1, file, 0, 5, ids::IDS_NONE, false));
    EXPECT_FALSE(CopyRange(buffer, file, 0, file, -1, 5, ids::IDS_NONE, false));
    EXPECT_FALSE(CopyRange(buffer, file, 0, file, 10, -5, ids::IDS_NONE, false));
    EXPECT_FALSE(CopyRange(buffer, file, big - 2, file, 0, 5, ids::IDS_NONE, false));
    EXPECT_FALSE(CopyRange(buffer, file, 0, file, big - 2, 5, ids::IDS_NONE, false));
    EXPECT_TRUE(platform.Messages().empty());
    // Growing past the largest offset is said plainly.
    EXPECT_FALSE(ResizeRegion(file, 0, 0, big));
    EXPECT_FALSE(InsertZeros(file, 100, big - 50));
    EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>(2, ErrorText(path, EFBIG)));
    EXPECT_EQ(Content(), original);
    EXPECT_EQ(io.writes + io.truncates + io.fallocates, 0);
}

// ---- Copies between files ---------------------------------------------------------

TEST_F(EditOpsTest, CopyRangeBetweenFilesEndsEarlyAsSuccessButNeverOnAReadError) {
    const Bytes source = Random(100, 13);
    OpenFile(source);
    ODiskFile target{io};
    const std::string targetPath = dir.Write("target.bin", Bytes{1, 2, 3});
    ASSERT_TRUE(target.Open(targetPath, OAccess::ReadWrite, ODisposition::OpenExisting));
    OTransferBuffer::SetLimitForTesting(8);
    {
        OTransferBuffer buffer(500);
        ASSERT_TRUE(CopyRange(buffer, file, 60, target, 1, 500, ids::IDS_COPY_MB, true));
    }
    Bytes expected{1};
    expected.insert(expected.end(), source.begin() + 60, source.end());
    EXPECT_EQ(ReadWholeFile(targetPath), expected);
    EXPECT_TRUE(platform.Messages().empty());

    FailRead(3, EIO);
    {
        OTransferBuffer buffer(50);
        EXPECT_FALSE(CopyRange(buffer, file, 0, target, 0, 50, ids::IDS_NONE, true));
    }
    NoFaults();
    EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>{ErrorText(path, EIO)});

    platform.Clear();
    platform.CancelAtProgressStep(2);
    {
        OTransferBuffer buffer(50);
        EXPECT_FALSE(CopyRange(buffer, file, 0, target, 0, 50, ids::IDS_NONE, true));
    }
    platform.CancelAtProgressStep(0);
    EXPECT_TRUE(platform.Messages().empty()); // the dialog asked, not the copy
    EXPECT_EQ(Slice(ReadWholeFile(targetPath), 0, 8), Slice(source, 0, 8));
}

// ---- InsertZeros ----------------------------------------------------------------------

TEST_F(EditOpsTest, InsertZerosOpensAGapAndFillsIt) {
    const Bytes original = Random(200, 14);
    platform.SetText("Ready");
    OpenFile(original);
    OTransferBuffer::SetLimitForTesting(16);
    ASSERT_TRUE(InsertZeros(file, 30, 5));
    Bytes expected = original;
    expected.insert(expected.begin() + 30, 5, OByte{0});
    EXPECT_EQ(Content(), expected);
    EXPECT_EQ(platform.StatusHistory(),
              (std::vector<std::string>{"Inserting 5 bytes ..", "Ready"}));
    ASSERT_EQ(platform.ProgressWindows().size(), 2u); // the move, then the fill
    const auto& fill = platform.ProgressWindows()[1];
    EXPECT_EQ(fill.low, 30);
    EXPECT_EQ(fill.high, 35);
    EXPECT_TRUE(fill.cancelEnabled);
    EXPECT_EQ(fill.positions, std::vector<OOffset>{35});
    EXPECT_FALSE(platform.ProgressWindows()[0].cancelEnabled);
}

TEST_F(EditOpsTest, CancelledZeroFillKeepsTheLengthAndSaysWhatIsNotZeroed) {
    constexpr std::size_t kMiB = 1048576;
    const Bytes original = Random(6 * kMiB, 15);
    OpenFile(original);
    platform.SetText("Ready");
    // One step for the move of the 5 MiB tail, then 4 + 4 + 2 MiB of zeros:
    // the second zero block is cancelled.
    platform.CancelAtProgressStep(3);
    ASSERT_TRUE(InsertZeros(file, kMiB, 10 * kMiB));
    Bytes expected = Moved(original, kMiB, 11 * kMiB, 5 * kMiB);
    std::fill_n(expected.begin() + kMiB, 4 * kMiB, OByte{0});
    EXPECT_EQ(Content(), expected);
    EXPECT_EQ(platform.Text(), "Insert stopped: 6291456 bytes of the gap were not zeroed");
    EXPECT_TRUE(platform.Messages().empty());
    ASSERT_EQ(platform.ProgressWindows().size(), 2u);
    EXPECT_EQ(platform.ProgressWindows()[1].positions, (std::vector<OOffset>{5 * kMiB, 9 * kMiB}));

    // A failed zero write is reported and counted the same way.
    platform.CancelAtProgressStep(0);
    const Bytes small = Random(300, 17);
    OpenFile(small);
    OTransferBuffer::SetLimitForTesting(64);
    FailWrite(5, EIO); // after the four blocks of the 200-byte tail
    ASSERT_TRUE(InsertZeros(file, 100, 50));
    NoFaults();
    EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>{ErrorText(path, EIO)});
    EXPECT_EQ(platform.Text(), "Insert stopped: 50 bytes of the gap were not zeroed");
    EXPECT_EQ(Content(), Moved(small, 100, 150, 200));
}

// ---- The memory variant -------------------------------------------------------------

TEST_F(EditOpsTest, TheMemoryVariantMovesTheSameWay) {
    OMemFile mem;
    ASSERT_TRUE(mem.Open("", OAccess::ReadWrite, ODisposition::CreateAlways));
    Bytes model = Random(500, 16);
    ASSERT_TRUE(WriteBlock(model.data(), mem, 0, model.size()));
    OTransferBuffer::SetLimitForTesting(9);

    ASSERT_TRUE(DeleteRange(mem, 100, 50));
    model.erase(model.begin() + 100, model.begin() + 150);
    EXPECT_EQ(mem.Data(), model);

    ASSERT_TRUE(ResizeRegion(mem, 20, 10, 70));
    model = Moved(model, 30, 90, 420);
    EXPECT_EQ(mem.Data(), model);

    ASSERT_TRUE(InsertZeros(mem, 400, 33));
    model.insert(model.begin() + 400, 33, OByte{0});
    EXPECT_EQ(mem.Data(), model);

    ASSERT_TRUE(ResizeRegion(mem, 0, 200, 1));
    model.erase(model.begin() + 1, model.begin() + 200);
    EXPECT_EQ(mem.Data(), model);
    EXPECT_TRUE(platform.Messages().empty());
}

} // namespace
