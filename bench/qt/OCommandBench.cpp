// Long commands as the user waits for them: from the command to a window
// that shows the result and has nothing left to do, through the real main
// frame, view, progress window and message pump, each timed against the
// engine alone on the same bytes in the same iteration.
// - Find: a 16-byte pattern placed once near the end of 1 GiB of random
//   bytes, timed from Enter in the Find dialog to the caret on the match and
//   an idle event queue; baseline: OMatcher over pread blocks of 512 KiB.
// - Delete: 4 KiB at the start of 1 GiB, timed from the command to the
//   repainted, idle window; baseline: a bare pread/pwrite loop moving the
//   same tail in 16 MiB blocks and cutting the file. Both write into the page
//   cache while timed; each is followed by an untimed fsync, so every run
//   starts from clean pages.
// "ratio" is the command's time over the baseline's.
#include "app/OApp.h"
#include "app/qt/CMainFrame.h"
#include "app/qt/OQtApp.h"
#include "document/ODoc.h"
#include "document/OFile.h"
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
// and two copies of other random bytes for the command's and the baseline's
// deletes.
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
    std::string plain;

private:
    OBenchFiles() {
        dir = SystemTempDirectory() + "quorvalis-command-bench-XXXXXX";
        if (!::mkdtemp(dir.data())) std::abort();
        find = dir + "/find.bin";
        edit = dir + "/edit.bin";
        plain = dir + "/plain.bin";
        std::mt19937_64 rng(11);
        Write(find, rng);
        const int fd = OpenOrDie(find, O_WRONLY);
        if (::pwrite(fd, kPattern, 16, kMatchAt) != 16) std::abort();
        ::close(fd);
        Write(edit, rng);
        Write(plain, rng);
        for (const std::string* path : {&find, &edit, &plain})
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
    double command = 0;
    double engine = 0;
    for (auto _ : state) {
        view.Doc().LastFound().Reset();
        view.GoToOffset(0);
        view.SetCaret(0);
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
        const auto t1 = Clock::now();
        const OOffset found = MatcherScan(fd, matcher, block);
        const auto t2 = Clock::now();
        if (!typed || view.Caret() != kMatchAt || found != kMatchAt ||
            bench.painted->paints == paintsBefore) {
            state.SkipWithError("the find did not end on the match");
            break;
        }
        command += Seconds(t1 - enter);
        engine += Seconds(t2 - t1);
        state.SetIterationTime(Seconds(t1 - enter));
    }
    ::close(fd);
    state.SetBytesProcessed(state.iterations() * kMatchAt);
    state.counters["engine_ms"] = engine * 1000 / static_cast<double>(state.iterations());
    state.counters["ratio"] = command / engine;
}

// The baseline: the tail moved down over the first kEdit bytes, then the cut.
void PlainDelete(int fd, std::vector<OByte>& buffer, OOffset size) {
    for (OOffset from = kEdit; from < size;) {
        const auto n = static_cast<std::size_t>(
            std::min<OOffset>(static_cast<OOffset>(buffer.size()), size - from));
        if (::pread(fd, buffer.data(), n, from) != static_cast<ssize_t>(n) ||
            ::pwrite(fd, buffer.data(), n, from - kEdit) != static_cast<ssize_t>(n))
            std::abort();
        from += static_cast<OOffset>(n);
    }
    if (::ftruncate(fd, size - kEdit) != 0) std::abort();
}

// Each iteration deletes another 4 KiB on both sides: the tails shrink
// alike, by 4 KiB a run, and no untimed restore doubles the disk traffic.
void BM_DeleteAtStartOf1GiB(benchmark::State& state) {
    const OBenchFiles& files = OBenchFiles::Get();
    OBenchApp bench(files.edit);
    OView& view = *bench.view;
    ODoc& doc = view.Doc();
    doc.SetReadOnly(false);
    const int fd = OpenOrDie(files.plain, O_RDWR);
    std::vector<OByte> buffer(kMoveBlock);
    double command = 0;
    double plain = 0;
    OOffset moved = 0;
    for (auto _ : state) {
        const OOffset size = doc.File()->GetSize();
        view.SetCaret(0);
        doc.Selection().Set(0, kEdit - 1);
        ProcessUntilIdle();
        const int paintsBefore = bench.painted->paints;
        const auto t0 = Clock::now();
        bench.app.MainFrame()->ExecuteCommand(ids::ID_DELETE);
        ProcessUntilIdle();
        const auto t1 = Clock::now();
        SyncFile(files.edit);
        const OOffset plainSize = FileSize(files.plain);
        const auto t2 = Clock::now();
        PlainDelete(fd, buffer, plainSize);
        const auto t3 = Clock::now();
        if (::fsync(fd) != 0) std::abort();
        if (doc.File()->GetSize() != size - kEdit || FileSize(files.edit) != size - kEdit ||
            bench.painted->paints == paintsBefore) {
            state.SkipWithError("the delete did not happen");
            break;
        }
        moved += size - kEdit;
        command += Seconds(t1 - t0);
        plain += Seconds(t3 - t2);
        state.SetIterationTime(Seconds(t1 - t0));
    }
    ::close(fd);
    state.SetBytesProcessed(moved);
    state.counters["plain_ms"] = plain * 1000 / static_cast<double>(state.iterations());
    state.counters["ratio"] = command / plain;
}

} // namespace

BENCHMARK(BM_FindNearEndOf1GiB)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_DeleteAtStartOf1GiB)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

int main(int argc, char** argv) {
    // Offscreen unless a platform is named: under X (xvfb-run with
    // QT_QPA_PLATFORM=xcb) every pump and repaint also talks to a server.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
