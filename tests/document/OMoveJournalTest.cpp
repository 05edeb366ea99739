#include "document/OMoveJournal.h"

#include "document/ODiskFile.h"
#include "document/ODoc.h"
#include "document/OEditOps.h"
#include "document/OMoveExecutor.h"
#include "document/OMoveJournalRecovery.h"
#include "document/ORewritePlan.h"
#include "document/OTransferBuffer.h"
#include "platform/OFormat.h"
#include "platform/OScriptedPlatform.h"
#include "platform/OStateDir.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"
#include "support/OFaultyFileIo.h"
#include "support/OTempDir.h"
#include "support/OTestData.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = OBytes;

struct OKilled {};

// The process dies during the stopAt-th write (counted from 1), after its
// first tornBytes bytes landed, as SIGKILL can tear a large write: nothing
// runs after it but destructors, which must not tidy the journal away.
class OStopDeadIo final : public OFileIo {
public:
    int stopAt = 0;
    std::size_t tornBytes = 0;
    int writes = 0;

    ssize_t PWrite(int fd, const void* buffer, size_t count, off_t offset) override {
        if (++writes == stopAt) {
            if (tornBytes > 0) OFileIo::PWrite(fd, buffer, std::min(count, tornBytes), offset);
            throw OKilled{};
        }
        return OFileIo::PWrite(fd, buffer, count, offset);
    }
};

struct OQuiet final : OMoveObserver {
    void Reached(const OMoveStep&, OOffset) override {}
    bool CancelRequested() override { return false; }
};

class MoveJournalTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("XDG_STATE_HOME", dir.Path().c_str(), 1); }
    void TearDown() override {
        ::unsetenv("XDG_STATE_HOME");
        OTransferBuffer::SetLimitForTesting(0);
    }
    static std::string JournalOf(const OFile& file) {
        OMoveJournal::Identity identity;
        return JournalIdentity(file, identity) ? StateDirectory() + OMoveJournal::FileName(identity)
                                               : std::string();
    }

    // Opens path again and answers Yes to finishing, moving in blocks of
    // blockSize: result is the file then, journaled says a journal was there.
    // A journal gets one question, the status and is gone; none gets nothing.
    void FinishOnOpen(const std::string& path, std::size_t blockSize, bool& journaled,
                      Bytes& result) {
        OTransferBuffer::SetLimitForTesting(blockSize);
        platform.Clear();
        platform.Answer(OAnswer::Yes);
        ODiskFile file;
        ASSERT_TRUE(file.Open(path, OAccess::Read, ODisposition::OpenExisting));
        const std::string journal = JournalOf(file);
        journaled = std::filesystem::exists(journal);
        OfferToFinishMove(file);
        file.Close();
        result = ReadWholeFile(path);
        if (!journaled) {
            ASSERT_TRUE(platform.Messages().empty());
            return;
        }
        ASSERT_EQ(platform.Messages().size(), 1u) << platform.Messages().back().text;
        ASSERT_EQ(platform.Messages()[0].buttons, OButtons::YesNo);
        ASSERT_EQ(platform.StatusHistory().back(), "The interrupted change was finished");
        ASSERT_FALSE(std::filesystem::exists(journal));
    }

    OScriptedPlatform platform;
    OTempDir dir;
};

enum class OChange { Delete, Insert, Grow };

// An edit as InsertZeros, DeleteRange and ResizeRegion make it, the journal
// on the same system calls as the file, killed at write stopAt.
void RunKilled(OStopDeadIo& io, const std::string& path, const OMovePlan& plan,
               OMoveJournal::Fill fill, std::size_t blockSize) {
    ODiskFile file(io);
    ASSERT_TRUE(file.Open(path, OAccess::ReadWrite, ODisposition::OpenExisting));
    OMoveJournal::Identity identity;
    ASSERT_TRUE(JournalIdentity(file, identity));
    auto journal = OMoveJournal::Create(io, StateDirectory(), identity, plan, fill);
    ASSERT_TRUE(journal);
    Bytes block(blockSize);
    OQuiet observer;
    OMoveExecutor executor(file, block, observer);
    executor.SetLog(journal.get());
    ASSERT_TRUE(executor.Run(plan));
    const Bytes zeros(static_cast<std::size_t>(fill.length));
    ASSERT_TRUE(WriteBlock(zeros.data(), file, fill.offset, zeros.size()));
    ASSERT_TRUE(journal->Remove());
}

// Every plan of every kind, with blocks below, at and above its shift and
// its tail, killed at every write (the journal's and the file's) with a
// random part of that write landed, then opened again and finished: the
// file is the intended one, byte for byte (a grow's region aside, whose
// content the change leaves to its caller), or, killed before the journal
// existed, the one it was.
TEST_F(MoveJournalTest, AChangeKilledAtAnyWriteIsFinishedOnOpen) {
    std::mt19937 rng(TestSeed());
    auto pick = [&rng](std::size_t low, std::size_t high) {
        return std::uniform_int_distribution<std::size_t>(low, high)(rng);
    };
    int finished = 0;
    for (int round = 0; round < 40; ++round) {
        const auto change = static_cast<OChange>(round % 3);
        const std::size_t blockSize = pick(3, 24);
        const Bytes original =
            RandomBytes(pick(1, 4) * blockSize + pick(0, 5), static_cast<unsigned>(rng()));
        const std::size_t size = original.size();
        // Start, middle or end of the file, with a tail left to move.
        const std::size_t offset =
            std::vector<std::size_t>{0, pick(0, size - 1), size - 1}[pick(0, 2)];
        const std::size_t oldLength =
            change == OChange::Delete ? pick(1, std::min(size - offset - 1, 2 * blockSize) + 0) : 0;
        const std::size_t newLength = change == OChange::Delete ? 0 : pick(1, 2 * blockSize + 1);
        if (offset + oldLength >= size) continue; // no tail: nothing to move
        Bytes expected = original;
        expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(offset),
                       expected.begin() + static_cast<std::ptrdiff_t>(offset + oldLength));
        expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(offset), newLength, 0);
        const auto plan =
            PlanResize(static_cast<OOffset>(size), false, static_cast<OOffset>(offset),
                       static_cast<OOffset>(oldLength), static_cast<OOffset>(newLength))
                .plan;
        ASSERT_TRUE(plan && !plan->steps.empty());
        const OMoveJournal::Fill fill{
            static_cast<OOffset>(offset),
            static_cast<OOffset>(change == OChange::Insert ? newLength : 0)};
        const std::string path = dir.Write("f.bin", original);
        OStopDeadIo counter;
        RunKilled(counter, path, *plan, fill, blockSize);
        const int writes = counter.writes;

        for (int stopAt = 1; stopAt <= writes; ++stopAt) {
            dir.Write("f.bin", original);
            OStopDeadIo io;
            io.stopAt = stopAt;
            io.tornBytes = pick(0, 2) == 0 ? 0 : pick(1, blockSize);
            EXPECT_THROW(RunKilled(io, path, *plan, fill, blockSize), OKilled);
            SCOPED_TRACE(Format("round %d: change %d at %zu, %zu -> %zu bytes of %zu, block %zu, "
                                "killed in write %d of %d after %zu bytes",
                                round, static_cast<int>(change), offset, oldLength, newLength, size,
                                blockSize, stopAt, writes, io.tornBytes));
            // Finishing may move in other blocks than the run it finishes.
            bool journaled = false;
            Bytes result;
            ASSERT_NO_FATAL_FAILURE(FinishOnOpen(path, pick(1, 30), journaled, result));
            if (!journaled) {
                ASSERT_EQ(result, original);
                continue;
            }
            ++finished;
            if (change == OChange::Grow && result.size() == expected.size())
                std::fill_n(result.begin() + static_cast<std::ptrdiff_t>(offset), newLength, 0);
            ASSERT_EQ(result, expected);
        }
    }
    EXPECT_GT(finished, 0);
}

// A rewrite of many regions, its stretches moving up and down, killed at
// every write and finished on open: every byte between the regions is where
// the rewrite puts it (the regions' content is its caller's), or, killed
// before the journal existed, the file is as it was.
TEST_F(MoveJournalTest, ARewriteKilledAtAnyWriteIsFinishedOnOpen) {
    std::mt19937 rng(TestSeed());
    auto pick = [&rng](std::size_t low, std::size_t high) {
        return std::uniform_int_distribution<std::size_t>(low, high)(rng);
    };
    int finished = 0;
    for (int round = 0; round < 30; ++round) {
        const std::size_t blockSize = pick(2, 16);
        const Bytes original = RandomBytes(pick(10, 80), static_cast<unsigned>(rng()));
        const auto size = static_cast<OOffset>(original.size());
        std::vector<ORewriteRegion> regions;
        Bytes expected;
        std::vector<std::pair<std::size_t, std::size_t>> holes; // the regions, in the result
        for (std::size_t at = 0, n = pick(2, 6); n > 0; --n) {
            const std::size_t offset = pick(at, std::min(original.size(), at + 12));
            const std::size_t oldLength =
                pick(0, std::min<std::size_t>(original.size() - offset, 4));
            const std::size_t newLength = pick(0, 2 * blockSize);
            regions.push_back({static_cast<OOffset>(offset), static_cast<OOffset>(oldLength),
                               static_cast<OOffset>(newLength)});
            expected.insert(expected.end(), original.begin() + static_cast<std::ptrdiff_t>(at),
                            original.begin() + static_cast<std::ptrdiff_t>(offset));
            holes.emplace_back(expected.size(), newLength);
            expected.insert(expected.end(), newLength, 0);
            at = offset + oldLength;
            if (n == 1)
                expected.insert(expected.end(), original.begin() + static_cast<std::ptrdiff_t>(at),
                                original.end());
        }
        const auto plan = PlanRewrite(size, false, regions).plan;
        ASSERT_TRUE(plan);
        if (plan->steps.empty()) continue;
        const std::string path = dir.Write("f.bin", original);
        OStopDeadIo counter;
        RunKilled(counter, path, *plan, {}, blockSize);
        const int writes = counter.writes;

        for (int stopAt = 1; stopAt <= writes; ++stopAt) {
            dir.Write("f.bin", original);
            OStopDeadIo io;
            io.stopAt = stopAt;
            io.tornBytes = pick(0, 2) == 0 ? 0 : pick(1, blockSize);
            EXPECT_THROW(RunKilled(io, path, *plan, {}, blockSize), OKilled);
            SCOPED_TRACE(Format("round %d: %zu steps over %lld bytes, block %zu, killed in write "
                                "%d of %d after %zu bytes",
                                round, plan->steps.size(), static_cast<long long>(size), blockSize,
                                stopAt, writes, io.tornBytes));
            bool journaled = false;
            Bytes result;
            ASSERT_NO_FATAL_FAILURE(FinishOnOpen(path, pick(1, 30), journaled, result));
            if (!journaled) {
                ASSERT_EQ(result, original);
                continue;
            }
            ++finished;
            ASSERT_EQ(result.size(), expected.size());
            for (const auto& [at, length] : holes)
                std::fill_n(result.begin() + static_cast<std::ptrdiff_t>(at), length, 0);
            ASSERT_EQ(result, expected);
        }
    }
    EXPECT_GT(finished, 0);
}

// A journal that is torn, foreign, or no longer fits its file is refused
// with its own message and left where it is; the file is not touched.
TEST_F(MoveJournalTest, ADamagedOrUnfittingJournalIsRefusedAndKept) {
    struct Case {
        const char* what;
        std::size_t flipAt; // a byte of the journal turned over; npos: none
        OOffset truncateTo; // the journal cut to this length; -1: not
        OOffset fileSize;   // the file's new size; -1: as it was
        OTextId message;
        bool readOnly = false; // the file cannot be opened for writing
    };
    const std::size_t none = std::string::npos;
    const Case cases[] = {
        {"magic", 0, -1, -1, ids::IDS_MOVE_RECORD_DAMAGED},
        {"header", 40, -1, -1, ids::IDS_MOVE_RECORD_DAMAGED},
        {"both checkpoints", 4096 + 9, -1, -1, ids::IDS_MOVE_RECORD_DAMAGED},
        {"torn", none, 30, -1, ids::IDS_MOVE_RECORD_DAMAGED},
        {"empty", none, 0, -1, ids::IDS_MOVE_RECORD_DAMAGED},
        {"longer file", none, -1, 1051, ids::IDS_MOVE_RECORD_MISMATCH},
        {"shorter file", none, -1, 999, ids::IDS_MOVE_RECORD_MISMATCH},
        {"read-only file", none, -1, -1, ids::IDS_MOVE_NOT_FINISHED, true},
    };
    OFaultyFileIo io;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes original = RandomBytes(1000, 7);
        const std::string path = dir.Write("g.bin", original);
        io.failWritableOpenErrno = c.readOnly ? EACCES : 0;
        ODiskFile file(io);
        ASSERT_TRUE(file.Open(path, OAccess::Read, ODisposition::OpenExisting));
        OMoveJournal::Identity identity;
        ASSERT_TRUE(JournalIdentity(file, identity));
        const OMovePlan plan = *PlanResize(1000, false, 10, 0, 50).plan;
        auto journal =
            OMoveJournal::Create(OFileIo::System(), StateDirectory(), identity, plan, {});
        ASSERT_TRUE(journal);
        const std::string name = journal->Path();
        // Both checkpoints damaged: a second one written first.
        ASSERT_TRUE(journal->Reached(0, 0, {}));
        journal.reset();
        if (c.flipAt != none) {
            Bytes bytes = ReadWholeFile(name);
            bytes.at(c.flipAt) ^= 0x40;
            if (c.flipAt > 4096) bytes.at(c.flipAt + 64) ^= 0x40;
            ASSERT_TRUE(std::filesystem::remove(name));
            dir.Write("j", bytes);
            std::filesystem::rename(dir.File("j"), name);
        }
        if (c.truncateTo >= 0) std::filesystem::resize_file(name, c.truncateTo);
        if (c.fileSize >= 0) std::filesystem::resize_file(path, c.fileSize);
        const Bytes before = ReadWholeFile(path);
        platform.Clear();
        platform.Answer(OAnswer::Yes);
        OfferToFinishMove(file);
        // Read-only: asked, then why it cannot be done, then what is left.
        ASSERT_EQ(platform.Messages().size(), c.readOnly ? 3u : 1u);
        const std::string expected =
            c.message == ids::IDS_MOVE_RECORD_MISMATCH
                ? FormatId(c.message, path.c_str(), static_cast<long long>(c.fileSize),
                           name.c_str(), 1000LL, 1050LL)
                : FormatId(c.message, path.c_str(), name.c_str());
        EXPECT_EQ(platform.Messages().back().text, expected);
        if (c.readOnly) {
            EXPECT_EQ(platform.Messages()[1].text, path + ": " + SystemErrorText(EACCES));
        }
        EXPECT_EQ(ReadWholeFile(path), before);
        EXPECT_TRUE(std::filesystem::exists(name));
        std::filesystem::remove(name);
    }
}

constexpr OOffset kSize = OOffset{1} << 30;
constexpr OOffset kDeleted = 4096;
constexpr std::size_t kBlock = std::size_t{1} << 24;

// Every 8 bytes say where they stand, so the file is checked against its
// offsets instead of against a second copy of it.
void Pattern(std::vector<std::uint64_t>& words, OOffset offset) {
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = (static_cast<std::uint64_t>(offset) / 8 + i) * 0x9e3779b97f4a7c15ull;
}

// A change is refused while an interrupted one of the same file waits, and
// one that cannot be journaled asks first; No changes nothing, Yes moves
// without a journal.
TEST_F(MoveJournalTest, AChangeWithoutItsJournalAsksOrIsRefused) {
    const Bytes original = RandomBytes(100, 3);
    Bytes deleted = original;
    deleted.erase(deleted.begin(), deleted.begin() + 10);
    struct Case {
        bool pending;   // a journal of the file is there already
        bool noState;   // the state directory cannot be made
        OAnswer answer; // to the question, if asked
        bool done;
    } cases[] = {
        {true, false, OAnswer::Yes, false},
        {false, true, OAnswer::No, false},
        {false, true, OAnswer::Yes, true},
    };
    for (const Case& c : cases) {
        const std::string path = dir.Write("h.bin", original);
        ODiskFile file;
        ASSERT_TRUE(file.Open(path, OAccess::ReadWrite, ODisposition::OpenExisting));
        const std::string journal = JournalOf(file);
        if (c.pending) {
            dir.Write("pending", std::string("x"));
            std::filesystem::rename(dir.File("pending"), journal);
        }
        if (c.noState) ::setenv("XDG_STATE_HOME", dir.File("h.bin").c_str(), 1);
        platform.Clear();
        platform.Answer(c.answer);
        EXPECT_EQ(DeleteRange(file, 0, 10), c.done);
        ::setenv("XDG_STATE_HOME", dir.Path().c_str(), 1);
        ASSERT_EQ(platform.Messages().size(), 1u);
        EXPECT_EQ(platform.Messages()[0].buttons, c.pending ? OButtons::Ok : OButtons::YesNo);
        EXPECT_EQ(ReadWholeFile(path), c.done ? deleted : original);
        EXPECT_EQ(std::filesystem::exists(journal), c.pending);
        std::filesystem::remove(journal);
    }
}

// The real program's delete of 4 KiB at 0 on 1 GiB, in its own process,
// killed with SIGKILL once part of the tail has moved; then the file is
// opened the way every document is, finishing is answered Yes, and every
// byte must be the one the delete was to give.
TEST_F(MoveJournalTest, ADeleteKilledMidMoveIsFinishedOnTheNextOpen) {
    const std::string path = dir.Sparse("big.bin", kSize);
    std::vector<std::uint64_t> words(kBlock / 8);
    std::vector<std::uint64_t> read(kBlock / 8);
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        for (OOffset at = 0; at < kSize; at += static_cast<OOffset>(kBlock)) {
            Pattern(words, at);
            ASSERT_EQ(::pwrite(fd, words.data(), kBlock, at), static_cast<ssize_t>(kBlock));
        }
        ::close(fd);
    }

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::execl(QUORVALIS_MOVE_KILL_DRIVER, QUORVALIS_MOVE_KILL_DRIVER, path.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // The journal's checkpoint says when part of the tail has moved.
    OMoveJournal::Identity identity;
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                path};
    OOffset seen = 0;
    for (int polls = 0; polls < 60000 && seen < 64 * 1048576; ++polls) {
        std::unique_ptr<OMoveJournal> journal;
        if (OMoveJournal::Load(OFileIo::System(), StateDirectory(), identity, journal) ==
            OMoveJournal::OLoad::Loaded)
            seen = journal->MovedBytes();
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the move ended before it was killed";
    ASSERT_LT(seen, kSize - kDeleted);

    platform.Answer(OAnswer::Yes);
    ODoc doc(nullptr);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    ASSERT_FALSE(platform.Messages().empty());
    EXPECT_EQ(platform.Messages()[0].buttons, OButtons::YesNo);
    EXPECT_NE(platform.Messages()[0].text.find("interrupted"), std::string::npos);
    doc.OnCloseDocument();

    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::lseek(fd, 0, SEEK_END), kSize - kDeleted);
    for (OOffset at = 0; at < kSize - kDeleted; at += static_cast<OOffset>(kBlock)) {
        const auto count =
            static_cast<std::size_t>(std::min<OOffset>(kBlock, kSize - kDeleted - at));
        Pattern(words, at + kDeleted);
        ASSERT_EQ(::pread(fd, read.data(), count, at), static_cast<ssize_t>(count));
        ASSERT_EQ(std::memcmp(read.data(), words.data(), count), 0) << "block at " << at;
    }
    ::close(fd);
}

} // namespace
