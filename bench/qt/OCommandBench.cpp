// Long commands as the user waits for them: from the command to a window
// that shows the result and has nothing left to do, through the real main
// frame, view, progress window and message pump, each timed against a
// baseline on the same bytes in the same iteration.
// - Find: a 16-byte pattern placed once near the end of 1 GiB of random
//   bytes, timed from Enter in the Find dialog to the caret on the match and
//   an idle event queue; baseline: OMatcher over pread blocks of 512 KiB.
// - Delete: 4 KiB at the start of 1 GiB, timed from the command to the
//   repainted, idle window; baseline: a bare pread/pwrite loop moving the
//   same tail in 16 MiB blocks and cutting the file. Both write into the page
//   cache while timed; each is followed by an untimed fsync, so every run
//   starts from clean pages. Both work on one file, taking turns: with a
//   copy each, the gap followed the file (its pages in the cache), not the
//   code, and changed sides when the copies were swapped.
// - Undo of that delete: timed from Undo to the idle window; baseline: the
//   Delete command just before it, in the same window.
// "ratio" is the command's median time over the baseline's.
#include "app/OApp.h"
#include "app/qt/OMainFrame.h"
#include "app/qt/OQtApp.h"
#include "document/ODoc.h"
#include "document/OFile.h"
#include "document/OTransferBuffer.h"
#include "find/OMatcher.h"
#include "find/OPattern.h"
#include "find/qt/OFindDlg.h"
#include "platform/OSystem.h"
#include "platform/qt/OQtPlatform.h"
#include "res/OResourceIds.h"
#include "view/qt/OView.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr OOffset kFileSize = OOffset{1} << 30;
constexpr OOffset kMatchAt = kFileSize - 40000;
constexpr OOffset kEdit = 4096;
constexpr std::size_t kFindBlock = 524288;
constexpr std::size_t kMoveBlock = 16777216;
const char* const kPattern = "QuorvalisBenchXY"; // literal in the dialog's syntax

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

int OpenOrDie(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) std::abort();
    return fd;
}

void SyncFile(const std::string& path) {
    const int fd = OpenOrDie(path, O_RDONLY);
    if (::fsync(fd) != 0) std::abort();
    ::close(fd);
}

OOffset FileSize(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) std::abort();
    return static_cast<OOffset>(size);
}

// The files, made once and removed at exit: random bytes with the pattern,
// and other random bytes for the deletes.
class OBenchFiles {
public:
    static const OBenchFiles& Get() {
        static OBenchFiles files;
        return files;
    }
    ~OBenchFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    std::string dir;
    std::string find;
    std::string edit;

private:
    OBenchFiles() {
        dir = SystemTempDirectory() + "quorvalis-command-bench-XXXXXX";
        if (!::mkdtemp(dir.data())) std::abort();
        find = dir + "/find.bin";
        edit = dir + "/edit.bin";
        std::mt19937_64 rng(11);
        Write(find, rng);
        const int fd = OpenOrDie(find, O_WRONLY);
        if (::pwrite(fd, kPattern, 16, kMatchAt) != 16) std::abort();
        ::close(fd);
        Write(edit, rng);
        for (const std::string* path : {&find, &edit})
            SyncFile(*path);
    }
    static void Write(const std::string& path, std::mt19937_64& rng) {
        const int fd = OpenOrDie(path, O_WRONLY | O_CREAT | O_TRUNC);
        std::vector<std::uint64_t> block(kMoveBlock / sizeof(std::uint64_t));
        for (OOffset at = 0; at < kFileSize; at += static_cast<OOffset>(kMoveBlock)) {
            for (auto& word : block)
                word = rng();
            if (::pwrite(fd, block.data(), kMoveBlock, at) != static_cast<ssize_t>(kMoveBlock))
                std::abort();
        }
        ::close(fd);
    }
};

// Runs every event until one pass finds none waiting: what the user sees
// as the program being done.
void ProcessUntilIdle() {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    for (;;) {
        QCoreApplication::sendPostedEvents();
        if (!dispatcher->processEvents(QEventLoop::AllEvents)) break;
    }
}

// Counts the paints of a widget, to check that a command's result was shown.
class OPaintCounter : public QObject {
public:
    explicit OPaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// The program as started on one file: the real platform (pump, progress
// window, message boxes), the core, the main frame and the file's view.
class OBenchApp {
public:
    explicit OBenchApp(const std::string& path) {
        core.Startup(settingsDir.string() + "/quorvalis.ini");
        // The first change would copy the whole file first: the backup has
        // its own benchmark, this one times the command.
        core.Settings().backupMode = 0;
        int exitCode = 0;
        if (!app.Startup({path}, exitCode)) std::abort();
        app.MainFrame()->resize(1000, 700);
        view = app.MainFrame()->ActiveView();
        if (!view) std::abort();
        painted.emplace(view->viewport());
        ProcessUntilIdle();
    }
    ~OBenchApp() {
        painted.reset();
        std::error_code ignored;
        std::filesystem::remove_all(settingsDir, ignored);
    }

    std::filesystem::path settingsDir = MakeSettingsDir();
    OQtPlatform platform;
    OApp core;
    OQtApp app{core, platform};
    OView* view = nullptr;
    std::optional<OPaintCounter> painted;

private:
    static std::filesystem::path MakeSettingsDir() {
        std::string dir = SystemTempDirectory() + "quorvalis-command-ini-XXXXXX";
        if (!::mkdtemp(dir.data())) std::abort();
        return dir;
    }
};

// The engine's scan alone: OMatcher over the file in pread blocks that
// overlap by the pattern length - 1; where it found the pattern.
OOffset MatcherScan(int fd, OMatcher& matcher, std::vector<OByte>& block) {
    const auto length = static_cast<std::size_t>(matcher.Length());
    for (OOffset at = 0;;) {
        const ssize_t n = ::pread(fd, block.data(), block.size(), at);
        if (n < 0) std::abort();
        const std::ptrdiff_t p =
            matcher.SearchForward(block.data(), static_cast<std::size_t>(n), 0);
        if (p >= 0) return at + p;
        if (at + n >= kFileSize || n == 0) return -1;
        at += n - static_cast<ssize_t>(length - 1);
    }
}

// Medians: one iteration in several meets the flusher or another user of the
// shared disk, and a mean would carry that into the ratio.
struct OPairedTimes {
    std::vector<double> command;
    std::vector<double> baseline;
    static double Median(std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0 : v[v.size() / 2];
    }
    void Report(benchmark::State& state, const char* baselineName) const {
        const double c = Median(command);
        const double b = Median(baseline);
        state.counters["command_ms"] = c * 1000;
        state.counters[baselineName] = b * 1000;
        state.counters["ratio"] = b > 0 ? c / b : 0;
    }
};

void BM_FindNearEndOf1GiB(benchmark::State& state) {
    const OBenchFiles& files = OBenchFiles::Get();
    OBenchApp bench(files.find);
    OView& view = *bench.view;
    OMatcher matcher;
    // The dialog's defaults: case ignored.
    if (!matcher.Prepare(ParsePattern(PatternTextBytes(kPattern, false)), false, false))
        std::abort();
    const int fd = OpenOrDie(files.find, O_RDONLY);
    std::vector<OByte> block(kFindBlock);
    OPairedTimes times;
    for (auto _ : state) {
        const auto e0 = Clock::now();
        const OOffset found = MatcherScan(fd, matcher, block);
        const auto e1 = Clock::now();
        view.Doc().LastFound().Reset();
        view.Geometry().GoToOffset(0);
        view.Geometry().SetCaret(0);
        ProcessUntilIdle();
        // The dialog is modal: its own event loop fills it in and presses Enter.
        Clock::time_point enter;
        bool typed = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<OFindDlg*>(QApplication::activeModalWidget());
            if (!dialog) return;
            dialog->FindField()->lineEdit()->setText(QString::fromLatin1(kPattern));
            typed = true;
            enter = Clock::now();
            dialog->accept();
        });
        const int paintsBefore = bench.painted->paints;
        bench.app.MainFrame()->ExecuteCommand(ids::ID_FIND);
        ProcessUntilIdle();
        const auto idle = Clock::now();
        if (!typed || view.Geometry().Caret() != kMatchAt || found != kMatchAt ||
            bench.painted->paints == paintsBefore) {
            state.SkipWithError("the find did not end on the match");
            break;
        }
        times.command.push_back(Seconds(idle - enter));
        times.baseline.push_back(Seconds(e1 - e0));
        state.SetIterationTime(Seconds(idle - enter));
    }
    ::close(fd);
    state.SetBytesProcessed(state.iterations() * kMatchAt);
    times.Report(state, "engine_ms");
}

// The baseline: the tail moved down over the first kEdit bytes, then the cut.
// It borrows the program's kept transfer block, so both sides copy through
// the same memory (the speed of a copy here depended on which pages it
// used, from run to run, more than on the code around it).
void PlainDelete(int fd, OOffset size) {
    const OTransferBuffer buffer(static_cast<OOffset>(kMoveBlock));
    if (buffer.Size() != kMoveBlock) std::abort();
    for (OOffset from = kEdit; from < size;) {
        const auto n = static_cast<std::size_t>(
            std::min<OOffset>(static_cast<OOffset>(kMoveBlock), size - from));
        if (::pread(fd, buffer.Data(), n, from) != static_cast<ssize_t>(n) ||
            ::pwrite(fd, buffer.Data(), n, from - kEdit) != static_cast<ssize_t>(n))
            std::abort();
        from += static_cast<OOffset>(n);
    }
    if (::ftruncate(fd, size - kEdit) != 0) std::abort();
}

// Each iteration deletes 4 KiB twice, once by the command and once by the
// loop, in turns going first: the tail shrinks by 4 KiB a run, and no
// untimed restore doubles the disk traffic. The document reads the size
// from the file, so the loop's cut underneath it is seen.
void BM_DeleteAtStartOf1GiB(benchmark::State& state) {
    const OBenchFiles& files = OBenchFiles::Get();
    OBenchApp bench(files.edit);
    OView& view = *bench.view;
    ODoc& doc = view.Doc();
    doc.SetReadOnly(false);
    const int fd = OpenOrDie(files.edit, O_RDWR);
    OPairedTimes times;
    OOffset moved = 0;
    bool plainFirst = false;
    for (auto _ : state) {
        double plain = 0;
        const auto runPlain = [&] {
            const OOffset size = FileSize(files.edit);
            const auto t0 = Clock::now();
            PlainDelete(fd, size);
            plain = Seconds(Clock::now() - t0);
            if (::fsync(fd) != 0) std::abort();
        };
        if (plainFirst) runPlain();
        const OOffset size = doc.File()->GetSize();
        view.Geometry().SetCaret(0);
        doc.Selection().Set(0, kEdit - 1);
        ProcessUntilIdle();
        const int paintsBefore = bench.painted->paints;
        const auto t0 = Clock::now();
        bench.app.MainFrame()->ExecuteCommand(ids::ID_DELETE);
        ProcessUntilIdle();
        const double command = Seconds(Clock::now() - t0);
        SyncFile(files.edit);
        if (FileSize(files.edit) != size - kEdit || bench.painted->paints == paintsBefore) {
            state.SkipWithError("the delete did not happen");
            break;
        }
        moved += size - kEdit;
        if (!plainFirst) runPlain();
        plainFirst = !plainFirst;
        times.command.push_back(command);
        times.baseline.push_back(plain);
        state.SetIterationTime(command);
    }
    ::close(fd);
    state.SetBytesProcessed(moved);
    times.Report(state, "plain_ms");
}

// Each iteration deletes 4 KiB at the start and takes it back, both through
// the window, so the file ends each run as it began.
void BM_UndoDeleteAtStartOf1GiB(benchmark::State& state) {
    const OBenchFiles& files = OBenchFiles::Get();
    OBenchApp bench(files.edit);
    OView& view = *bench.view;
    ODoc& doc = view.Doc();
    doc.SetReadOnly(false);
    OPairedTimes times;
    for (auto _ : state) {
        const OOffset size = doc.File()->GetSize();
        view.Geometry().SetCaret(0);
        doc.Selection().Set(0, kEdit - 1);
        ProcessUntilIdle();
        const auto t0 = Clock::now();
        bench.app.MainFrame()->ExecuteCommand(ids::ID_DELETE);
        ProcessUntilIdle();
        const double deleted = Seconds(Clock::now() - t0);
        SyncFile(files.edit);
        const auto t1 = Clock::now();
        bench.app.MainFrame()->ExecuteCommand(ids::ID_EDIT_UNDO);
        ProcessUntilIdle();
        const double undone = Seconds(Clock::now() - t1);
        SyncFile(files.edit);
        if (FileSize(files.edit) != size || doc.Selection().Length() != kEdit) {
            state.SkipWithError("the undo did not bring the bytes back");
            break;
        }
        times.command.push_back(undone);
        times.baseline.push_back(deleted);
        state.SetIterationTime(undone);
    }
    times.Report(state, "delete_ms");
}

} // namespace

BENCHMARK(BM_FindNearEndOf1GiB)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(9);
BENCHMARK(BM_DeleteAtStartOf1GiB)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(9);
BENCHMARK(BM_UndoDeleteAtStartOf1GiB)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(9);
