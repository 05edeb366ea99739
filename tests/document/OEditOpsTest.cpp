#include "document/OEditOps.h"

#include "document/ODiskFile.h"
#include "document/OMemFile.h"
#include "document/OMoveJournal.h"
#include "document/OTransferBuffer.h"
#include "platform/OFormat.h"
#include "platform/OProgress.h"
#include "platform/OScriptedPlatform.h"
#include "platform/OStateDir.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"
#include "support/OFaultyFileIo.h"
#include "support/OTempDir.h"
#include "support/OTestData.h"

#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <tuple>
#include <unistd.h>

namespace {

using Bytes = OBytes;
using Strings = std::vector<std::string>;

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
        const Bytes moving(data.begin() + static_cast<std::ptrdiff_t>(s),
                           data.begin() + static_cast<std::ptrdiff_t>(s + n));
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

// Where a change of file keeps its journal; empty for a memory file.
std::string JournalOf(const OFile& file) {
    OMoveJournal::Identity identity;
    if (!JournalIdentity(file, identity)) return {};
    return StateDirectory() + OMoveJournal::FileName(identity);
}

// A progress window as one comparable line: "low-high c: positions".
std::string Window(OOffset low, OOffset high, bool cancel, const std::vector<OOffset>& positions) {
    std::string text = std::to_string(low) + "-" + std::to_string(high) + (cancel ? " c:" : ":");
    for (OOffset p : positions)
        text += " " + std::to_string(p);
    return text;
}

// One fault per operation, armed before it starts: the k-th read or write
// from then fails, or the k-th progress step asks to cancel.
enum Fault {
    kNone,
    kReadEio,
    kWriteEio,
    kWriteFullNo,
    kWriteFullYes,
    kReserveFullNo,
    kReserveFullYes,
    kReserveEio,
    kTruncateEio,
    kNoBuffer,
    kCancel,
    kFaults
};

// What one operation must do: its result, the bytes, the messages in order,
// its progress windows and status texts.
struct OExpected {
    bool ok = true;
    Bytes content;
    Strings messages;
    Strings windows;
    Strings status;
    int unpumped = 0;        // positions shown after the last block, without a pump
    bool unfinished = false; // the tail left partly moved: the journal stays
};

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
    // Arms fault: the k-th read or write from now fails, or the k-th
    // progress step asks to cancel.
    void Arm(Fault fault, int k) {
        const bool write = fault >= kWriteEio && fault <= kWriteFullYes;
        const bool reserve = fault >= kReserveFullNo && fault <= kReserveEio;
        if (fault == kReadEio) io.failReadAt = io.reads + k;
        if (write) io.failWriteAt = io.writes + k;
        io.readErrno = EIO;
        io.writeErrno = fault == kWriteEio ? EIO : ENOSPC;
        if (reserve) io.fallocateFailures = 1;
        if (reserve) io.fallocateErrno = fault == kReserveEio ? EIO : ENOSPC;
        if (fault == kTruncateEio) io.failTruncateErrno = EIO;
        if (fault == kNoBuffer) OTransferBuffer::FailAllocationsForTesting(100);
        if (fault == kCancel) platform.CancelAtProgressStep(k);
        if (fault == kWriteFullYes || fault == kReserveFullYes) platform.Answer(OAnswer::Yes);
    }
    void Disarm() {
        io.failReadAt = io.failWriteAt = io.fallocateFailures = io.failTruncateErrno = 0;
        OTransferBuffer::FailAllocationsForTesting(0);
        platform.CancelAtProgressStep(0);
    }
    Strings Windows() const {
        Strings out;
        for (const auto& w : platform.ProgressWindows())
            out.push_back(Window(w.low, w.high, w.cancelEnabled, w.positions));
        return out;
    }

    OScriptedPlatform platform;
    OTempDir dir;
    OFaultyFileIo io;
    ODiskFile file{io};
    std::string path;
};

// A structural edit: [off, off + oldLen) becomes newLen bytes (zeros filled
// in when insert), the tail moving in blocks of at most limit bytes, with
// fault striking at k. unreservable: the file system cannot reserve, so a
// grow writes its new last byte first. shown: the status text before.
OExpected ExpectResize(const Bytes& m, std::size_t off, std::size_t oldLen, std::size_t newLen,
                       bool insert, std::size_t limit, Fault fault, std::size_t k,
                       bool unreservable, const std::string& path, const std::string& shown) {
    OExpected e;
    const std::size_t size = m.size(), from = off + oldLen, to = off + newLen, tail = size - from;
    const std::size_t block = std::min(limit, tail);
    const bool grows = newLen > oldLen;
    const std::size_t blocks = tail == 0 || newLen == oldLen ? 0 : (tail + block - 1) / block;
    const std::size_t before = unreservable && grows ? 1 : 0; // writes before the first block
    const std::string eio = ErrorText(path, EIO);
    e.content = Moved(m, from, to, tail);
    e.content.resize(size - oldLen + newLen, 0);
    std::size_t landed = blocks; // blocks begun, each shown
    bool fills = insert;
    bool filled = insert;
    const std::size_t distance = grows ? newLen - oldLen : oldLen - newLen;
    const auto fail = [&](std::size_t b, const std::string& text) { // block b fails
        e.unfinished = b > 1;
        e.ok = fills = false;
        e.content = PartialMove(m, from, to, tail, block, b - 1);
        e.messages = {text};
        landed = b;
    };
    switch (fault) {
    case kReadEio:
        if (k <= blocks) fail(k, eio);
        break;
    case kWriteEio:
    case kWriteFullNo:
    case kWriteFullYes: {
        if (k > before + blocks + (insert ? 1 : 0)) break; // never reached
        const std::string text = fault == kWriteEio ? eio : kDiskFull;
        e.messages = {text};
        if (fault == kWriteFullYes) break; // answered Yes: written again
        if (k <= before) {
            fail(1, text);
            landed = 0;
        } else if (k <= before + blocks) {
            fail(k - before, text);
            // A failed write may have reached its own source, not yet moved.
            e.unfinished =
                e.unfinished || std::min(block, tail - (k - before - 1) * block) > distance;
        } else {
            filled = false;
        }
        break;
    }
    case kReserveFullNo:
    case kReserveFullYes:
    case kReserveEio:
        if (!grows) break;
        e.messages = {fault == kReserveEio ? eio : kDiskFull};
        if (fault != kReserveFullYes) {
            fail(1, e.messages.front());
            landed = 0;
        }
        break;
    case kTruncateEio: // the tail has moved, the file keeps its length
        if (newLen == oldLen) break;
        e.unfinished = blocks > 0;            // not brought back, or not cut
        if (grows && blocks > 0 && !before) { // the first block grows the file, cut back
            fail(1, eio);
            e.unfinished = true;
            e.messages.push_back(eio);
            break;
        }
        e.ok = fills = false;
        e.content = Moved(m, from, to, tail);
        if (before) e.content.resize(size - oldLen + newLen, 0);
        e.messages = {eio};
        break;
    case kNoBuffer:
        if (blocks == 0) break;
        fail(1, "Out of memory");
        landed = 0;
        break;
    case kCancel: // only the zero fill may be cancelled
        filled = k > blocks + 1;
        break;
    default:
        break;
    }
    if (landed > 0) {
        std::vector<OOffset> positions;
        for (std::size_t j = 1; j <= landed; ++j)
            positions.push_back(static_cast<OOffset>(std::min(tail, j * block)));
        e.windows.push_back(Window(0, static_cast<OOffset>(tail), false, positions));
    }
    if (fills) {
        const auto end = static_cast<OOffset>(off + newLen);
        e.windows.push_back(Window(static_cast<OOffset>(off), end, true, {end}));
        e.status = {"Inserting " + std::to_string(newLen) + " bytes ..", shown};
        if (filled) {
            std::fill_n(e.content.begin() + static_cast<std::ptrdiff_t>(off), newLen, OByte{0});
        } else { // the gap keeps what the move left there
            e.status.push_back("Insert stopped: " + std::to_string(newLen) +
                               " bytes of the gap were not zeroed");
        }
    }
    return e;
}

// Thousands of mixed edits on a disk file and a memory file, with buffers of
// 7 to 64 bytes so every move takes many blocks in either direction, and a
// fault in a third of them: after each step the result, both files, the
// messages, the progress windows and the status texts must be what the
// vector model says. The views read the file between blocks.
TEST_F(EditOpsTest, RandomEditsAndFaultsMatchAVectorModel) {
    const unsigned seed = TestSeed();
    std::mt19937 rng(seed);
    auto pick = [&rng](std::size_t low, std::size_t high) { // inclusive
        return std::uniform_int_distribution<std::size_t>(low, high)(rng);
    };

    platform.SetText("Ready");
    OpenFile(RandomBytes(300, seed));
    OMemFile mem{io};
    ASSERT_TRUE(mem.Open("", OAccess::ReadWrite, ODisposition::CreateAlways));
    std::vector<Bytes> models{Content(), RandomBytes(200, seed + 1)};
    ASSERT_TRUE(WriteBlock(models[1].data(), mem, 0, models[1].size()));
    OFile* files[2] = {&file, &mem};
    auto contentOf = [&](int i) { return i == 0 ? Content() : mem.Data(); };
    OFile* edited = nullptr;
    bool pumpReads = true;
    int runningPumps = 0;
    platform.OnPump([&] {
        OByte row[7];
        if (pumpReads) edited->ReadAt(3, row, sizeof row);
        runningPumps += LongOperationRunning() ? 1 : 0;
    });

    for (int step = 0; step < 4000; ++step) {
        const std::size_t limit = pick(7, 64);
        OTransferBuffer::SetLimitForTesting(limit);
        const int i = static_cast<int>(pick(0, 1));
        OFile& f = *files[i];
        edited = &f;
        Bytes& m = models[static_cast<std::size_t>(i)];
        const std::size_t size = m.size();
        const auto at = [](std::size_t v) { return static_cast<OOffset>(v); };
        // Shrink more often once a file is large, so sizes stay bounded.
        const std::size_t kind = size > 700 && pick(0, 1) == 0 ? 0 : pick(0, 7);
        const bool faulty = pick(0, 2) == 0;
        const auto fault = static_cast<Fault>(faulty ? pick(1, kFaults - 1) : 0);
        const std::size_t k = pick(1, pick(0, 3) == 0 ? 150 : 8);
        const std::string before = platform.Text();
        const int ioBefore = io.writes + io.truncates + io.fallocates;
        OExpected e;
        std::string op;
        bool ok = true;
        pumpReads = fault != kReadEio;
        runningPumps = 0;
        io.writeOffsets.clear();
        if (kind <= 2) { // DeleteRange, ResizeRegion, InsertZeros
            const std::size_t off = pick(0, size);
            const std::size_t oldLen =
                kind == 2 ? 0 : pick(0, std::min<std::size_t>(size - off, 60));
            const std::size_t newLen = kind == 0   ? 0
                                       : kind == 2 ? pick(1, 80)
                                                   : pick(0, oldLen + 60);
            const Fault used = i == 0 || fault == kNoBuffer || fault == kCancel ? fault : kNone;
            const bool unreservable =
                i == 0 && (used < kReserveFullNo || used > kReserveEio) && pick(0, 3) == 0;
            op = Format("%zu %zu %zu %zu fault %d at %zu%s", kind, off, oldLen, newLen, used, k,
                        unreservable ? " unreservable" : "");
            e = ExpectResize(m, off, oldLen, newLen, kind == 2, limit, used, k, unreservable,
                             f.Path(), before);
            if (unreservable) {
                io.fallocateFailures = 1;
                io.fallocateErrno = EOPNOTSUPP;
            }
            const std::string journal = JournalOf(f);
            if (e.unfinished && i == 0)
                e.messages.push_back(
                    FormatId(ids::IDS_MOVE_UNFINISHED, f.Path().c_str(), journal.c_str()));
            Arm(used, static_cast<int>(k));
            ok = kind == 0   ? DeleteRange(f, at(off), at(oldLen))
                 : kind == 1 ? ResizeRegion(f, at(off), at(oldLen), at(newLen))
                             : InsertZeros(f, at(off), at(newLen));
            Disarm();
            // The journal stays exactly when the tail was left partly moved;
            // the model goes on from the bytes as they are.
            ASSERT_EQ(::unlink(journal.c_str()) == 0, e.unfinished && i == 0) << op;
            if (ok && unreservable && newLen > oldLen) { // the new last byte went first
                ASSERT_EQ(io.writeOffsets.at(0), at(size - oldLen + newLen - 1)) << op;
            }
            if (ok && kind == 1) { // the region's new content
                const Bytes region = RandomBytes(newLen, static_cast<unsigned>(step));
                ASSERT_TRUE(WriteBlock(region.data(), f, at(off), newLen));
                std::copy(region.begin(), region.end(), e.content.begin() + at(off));
            }
            m = e.content;
        } else if (kind <= 5) { // CopyRange to the other file, or within this one
            const bool across = kind == 3;
            Bytes& target = models[static_cast<std::size_t>(across ? 1 - i : i)];
            const std::size_t from = pick(0, across ? size + 5 : size);
            const std::size_t len = pick(0, across ? 150 : std::min<std::size_t>(size - from, 150));
            // Within one file: down, or up past the source; up over it is refused.
            const std::size_t to = !across
                                       ? (kind == 4 ? pick(from, from + len + 5) : pick(0, from))
                                       : pick(0, target.size() + 5);
            const bool refused = !across && to > from && len > to - from;
            // Faults of the disk file: a read of it as the source, a write as the target.
            const bool disk = fault == kReadEio ? i == 0 : i == 1;
            const bool diskFault = fault >= kReadEio && fault <= kWriteFullYes;
            const Fault used = across && (fault == kCancel || (disk && diskFault)) ? fault : kNone;
            op = Format("CopyRange %s %zu %zu %zu fault %d at %zu", across ? "across" : "within",
                        from, to, len, used, k);
            // The copy as CopyBlocks runs it: a short read ends it, the k-th
            // progress step, read or write may stop it. A disk read short of
            // what it asked reads again to be sure of the end.
            const std::size_t block = len == 0 ? limit : std::min(len, limit);
            const std::string eio = ErrorText(files[0]->Path(), EIO);
            Bytes source = m;
            std::vector<OOffset> positions;
            std::size_t moved = 0, reads = 0, writes = 0;
            e.ok = !refused;
            while (e.ok && moved < len) {
                positions.push_back(at(std::min(len, moved + block)));
                if (used == kCancel && positions.size() >= k) {
                    e.ok = false;
                    break;
                }
                const std::size_t left = from + moved < size ? size - from - moved : 0;
                const std::size_t wanted = std::min(block, len - moved);
                const std::size_t n = std::min(wanted, left);
                reads += n > 0 && n < wanted ? 2 : 1;
                if (used == kReadEio && reads >= k) {
                    e.ok = false;
                    e.messages = {eio};
                    break;
                }
                if (n == 0) break;
                if (used >= kWriteEio && used <= kWriteFullYes && ++writes == k) {
                    e.messages = {used == kWriteEio ? eio : kDiskFull};
                    if (used != kWriteFullYes) {
                        e.ok = false;
                        break;
                    }
                }
                if (target.size() < to + moved + n) target.resize(to + moved + n, 0);
                std::copy_n(source.begin() + at(from + moved), n, target.begin() + at(to + moved));
                moved += n;
            }
            if (e.ok && moved < len) { // a source that ended early
                positions.push_back(at(std::min(len, moved + block)));
                e.unpumped = 1;
            }
            if (!positions.empty()) e.windows = {Window(0, at(len), across, positions)};
            OTransferBuffer buffer(at(len));
            Arm(used, static_cast<int>(k));
            ok = CopyRange(buffer, f, at(from), *files[across ? 1 - i : i], at(to), at(len),
                           across ? ids::IDS_NONE : ids::IDS_COPY_MB, across);
            Disarm();
        } else if (kind == 6) { // typed bytes, then saved or thrown away
            std::map<std::size_t, OByte> typed;
            for (std::size_t n = pick(1, 5); n > 0; --n) {
                const std::size_t off = pick(0, m.size() + 2);
                const auto value = static_cast<OByte>(rng());
                ASSERT_TRUE(f.SetByte(at(off), off < m.size() ? m[off] : 0, value));
                typed[off] = value;
            }
            const bool commit = pick(0, 1) == 1;
            op = commit ? "SetByte and CommitPending" : "SetByte and DiscardPending";
            if (commit) {
                ok = f.CommitPending() != 0;
                for (const auto& [off, value] : typed) {
                    if (m.size() <= off) m.resize(off + 1, 0);
                    m[off] = value;
                }
            } else {
                f.DiscardPending();
            }
        } else { // refused before anything changes; growing past 2^63 - 1 says so
            op = "out-of-range arguments";
            const OOffset s = at(size), big = kOffsetMax;
            const OOffset resizes[][3] = {{s + 1, 0, 0}, {0, s + 1, 0}, {-1, 1, 0}, {1, -1, 0},
                                          {big, big, 0}, {s, 1, 0},     {-1, 0, 5}, {0, -1, 5},
                                          {0, 0, -1},    {big, 1, 5}};
            const OOffset inserts[][2] = {{s + 1, 1}, {0, 0}, {0, -1}, {-1, 5}};
            const OOffset copies[][3] = {
                {-1, 0, 5}, {0, -1, 5}, {0, 10, -5}, {big - 2, 0, 5}, {0, big - 2, 5}};
            OTransferBuffer buffer(10);
            for (const auto& r : resizes)
                ok = ok && !ResizeRegion(f, r[0], r[1], r[2]) &&
                     (r[2] || !DeleteRange(f, r[0], r[1]));
            for (const auto& r : inserts)
                ok = ok && !InsertZeros(f, r[0], r[1]);
            for (const auto& r : copies)
                ok = ok && !CopyRange(buffer, f, r[0], f, r[1], r[2], ids::IDS_NONE, false);
            ASSERT_TRUE(platform.Messages().empty()) << platform.Messages()[0].text;
            if (s > 0) {
                ok = ok && !ResizeRegion(f, 0, 0, big) && !InsertZeros(f, s, big - s + 1);
                e.messages = Strings(2, ErrorText(f.Path(), EFBIG));
            }
            ASSERT_EQ(io.writes + io.truncates + io.fallocates, ioBefore);
        }
        SCOPED_TRACE(Format("step %d: %s on the %s file, block %zu", step, op.c_str(),
                            i == 0 ? "disk" : "memory", limit));
        ASSERT_EQ(ok, e.ok);
        ASSERT_EQ(platform.MessageTexts(), e.messages);
        ASSERT_EQ(Windows(), e.windows);
        ASSERT_EQ(platform.StatusHistory(), e.status);
        std::size_t steps = 0;
        for (const auto& w : platform.ProgressWindows())
            steps += w.positions.size();
        ASSERT_EQ(platform.PumpCount(), static_cast<int>(steps) - e.unpumped); // one per block
        ASSERT_EQ(runningPumps, platform.PumpCount());
        ASSERT_FALSE(LongOperationRunning());
        for (int j = 0; j < 2; ++j) {
            ASSERT_FALSE(files[j]->HasPending());
            ASSERT_EQ(files[j]->GetSize(), static_cast<OOffset>(models[j].size()));
            ASSERT_EQ(contentOf(j), models[j]) << "file " << j;
        }
        platform.Clear();
    }
}

// {length, failed allocations, size; 0: no block}. Length 0 asks for a
// quarter of the free memory; failures halve down to just over 256 KiB.
TEST_F(EditOpsTest, TransferBufferFollowsTheLengthUpTo16MiBKeepsItsBlockAndHalvesOnFailure) {
    constexpr std::size_t k16 = OTransferBuffer::kMaxBlock;
    const std::tuple<OOffset, int, std::size_t> cases[] = {
        {OOffset{1} << 40, 0, k16},      {0, 0, k16},         {5000, 0, 5000},
        {OOffset{1} << 30, 3, k16 >> 3}, {600000, 1, 300000}, {500000, 1, 0},
        {OOffset{1} << 30, 6, 0}};
    const OByte* kept = nullptr;
    for (const auto& [length, failures, size] : cases) {
        OTransferBuffer::FailAllocationsForTesting(failures);
        const OTransferBuffer buffer(length);
        EXPECT_EQ(buffer.Size(), size) << length;
        if (!kept) kept = buffer.Data();
        EXPECT_TRUE(failures > 0 || buffer.Data() == kept) << length; // the block is kept
    }
    EXPECT_EQ(platform.MessageTexts(), Strings(2, "Out of memory"));
    EXPECT_EQ(platform.Messages()[1].icon, OIcon::Stop);
}

TEST_F(EditOpsTest, ResizingToTheSameLengthDoesNothingAtAll) {
    path = dir.Write("data.bin", RandomBytes(50, 5));
    ASSERT_TRUE(file.Open(path, OAccess::Read, ODisposition::OpenExisting));
    int backups = 0;
    file.SetBackupHook([&backups](OFile&) { return ++backups > 0; });
    ASSERT_TRUE(ResizeRegion(file, 10, 7, 7));
    ASSERT_TRUE(DeleteRange(file, 10, 0));
    EXPECT_FALSE(file.IsWritable()); // not even made writable
    EXPECT_EQ(backups, 0);
    EXPECT_EQ(io.reads + io.writes + io.truncates + io.fallocates, 0);
    EXPECT_TRUE(platform.ProgressWindows().empty());
}

// Tails above 1 MiB say their whole megabytes; past 2 GiB the progress
// positions are shifted to fit the bar. A failing first read stops each
// move at once: the window and the texts are what count.
TEST_F(EditOpsTest, LongTailsSayTheirSizeAndShiftTheProgressPositions) {
    const std::tuple<OOffset, unsigned, const char*> cases[] = {
        {1048576, 0, nullptr},
        {1048577, 0, "Move 1 Mb ..."},
        {(OOffset{1} << 31) - 1, 0, "Move 2047 Mb ..."},
        {OOffset{3} << 30, 1, "Move 3072 Mb ..."},
        {OOffset{5} << 30, 2, "Move 5120 Mb ..."}};
    for (const auto& [tail, shift, status] : cases) {
        SCOPED_TRACE(tail);
        file.Close();
        path = dir.Sparse("huge.bin", tail + 10);
        ASSERT_TRUE(file.Open(path, OAccess::ReadWrite, ODisposition::OpenExisting));
        platform.SetText("Ready");
        platform.Clear();
        Arm(kReadEio, 1);
        EXPECT_FALSE(DeleteRange(file, 0, 10));
        EXPECT_EQ(file.GetSize(), tail + 10);
        EXPECT_EQ(platform.MessageTexts(), Strings{ErrorText(path, EIO)});
        ASSERT_EQ(platform.ProgressWindows().size(), 1u);
        const auto& window = platform.ProgressWindows()[0];
        EXPECT_EQ(window.high, tail);
        EXPECT_EQ(OProgressScale(window.low, window.high).shift, shift);
        EXPECT_EQ(window.positions, std::vector<OOffset>{std::min<OOffset>(tail, 16777216)});
        EXPECT_EQ(platform.StatusHistory(), (status ? Strings{status, "Ready"} : Strings{}));
    }
}

// Zeros go in blocks of 4 MiB; Cancel between them keeps the new length and
// says how much of the gap was not zeroed.
TEST_F(EditOpsTest, CancelledZeroFillKeepsTheLengthAndSaysWhatIsNotZeroed) {
    constexpr std::size_t kMiB = 1048576;
    const Bytes original(kMiB, OByte{7});
    OpenFile(original);
    // One step for the move of the tail, then 4 + 4 + 1 MiB of zeros: the
    // second zero block is cancelled.
    platform.CancelAtProgressStep(3);
    ASSERT_TRUE(InsertZeros(file, 0, 9 * kMiB));
    ASSERT_EQ(file.GetSize(), 10 * kMiB);
    Bytes head(4 * kMiB, OByte{1}), tail(kMiB);
    ASSERT_EQ(file.ReadAt(0, head.data(), head.size()), head.size());
    ASSERT_EQ(file.ReadAt(9 * kMiB, tail.data(), tail.size()), tail.size());
    EXPECT_EQ(head, Bytes(4 * kMiB, OByte{0}));
    EXPECT_EQ(tail, original);
    EXPECT_EQ(platform.Text(), "Insert stopped: 5242880 bytes of the gap were not zeroed");
    ASSERT_EQ(platform.ProgressWindows().size(), 2u);
    EXPECT_EQ(platform.ProgressWindows()[1].positions, (std::vector<OOffset>{4 * kMiB, 8 * kMiB}));
}

} // namespace
