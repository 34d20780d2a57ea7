// The window's own figures: building it with its fresh project, and repainting the grid.
// Runs on the offscreen platform over pseudo-terminal ports, so no real serial port is
// opened; start build/bench/qlv-bench-window by hand.
#include "benchprompter.h"
#include "pairbench.h"

#include <app/mainwindow.h>
#include <project/derivedfields.h>
#include <support/windowrig.h>
#include <widgets/keygrid.h>
#include <widgets/waveform/qpaintercanvas.h>
#include <widgets/waveform/waveformview.h>
#include <widgets/waveform/windowcanvas.h>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMainWindow>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolBar>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

extern char** environ;

using namespace qlv;
using qlv::bench::BenchPrompter;
using qlv::bench::Clocks;

namespace {

// Every slot learned and named, so each visible cell has text to draw.
void learnEveryRow(KeyTable& keys)
{
    for (int i = 0; i < keys.recordCount(); ++i) {
        keys.setRecNo(i + 1);
        CodeRecord record{};
        record[0] = CodeMarker;
        record[1] = 48;
        writeName(record, "KEY " + std::to_string(i + 1));
        KeyRow row = keys.current();
        row.irData = bytesOf(record);
        row.remark = QStringLiteral("remark of slot %1").arg(i + 1);
        keys.post(row);
    }
    keys.setRecNo(1);
}

void BM_MainWindowWithFreshProject(benchmark::State& state)
{
    test::WindowRig rig;
    BenchPrompter prompter;
    for (auto _ : state) {
        MainWindow window(prompter, rig.dir.path());
        window.show();
        benchmark::DoNotOptimize(window.project().keys().recordCount());
    }
}
BENCHMARK(BM_MainWindowWithFreshProject)->Unit(benchmark::kMillisecond);

void BM_GridRepaint(benchmark::State& state)
{
    test::WindowRig rig;
    BenchPrompter prompter;
    MainWindow window(prompter, rig.dir.path());
    learnEveryRow(window.project().keys());
    window.show();
    window.selection().selectRange(2, 6);
    QCoreApplication::processEvents();
    QWidget* cells = window.grid().viewport();
    for (auto _ : state)
        cells->repaint();
}
BENCHMARK(BM_GridRepaint)->Unit(benchmark::kMicrosecond);

// One Down key in the focused grid: the row change, its waveform redraw of a two-code record
// and the repaint, as a user holding the key sees them.
void BM_DownKeyMovesOneRow(benchmark::State& state)
{
    test::WindowRig rig;
    BenchPrompter prompter;
    MainWindow window(prompter, rig.dir.path());
    KeyTable& keys = window.project().keys();
    for (int i = 0; i < keys.recordCount(); ++i) {
        keys.setRecNo(i + 1);
        CodeRecord record{};
        for (std::size_t base : {std::size_t(0), std::size_t(128)}) {
            record[base] = CodeMarker;
            record[base + 1] = 48;
            record[base + 9] = 0xFF; // firstLength 255
            for (std::size_t k = 0; k < 16; ++k) {
                record[base + 12 + 4 * k] = std::uint8_t(20 + k * 3);
                record[base + 14 + 4 * k] = std::uint8_t(10 + k);
            }
        }
        for (std::size_t b = 256; b < 512; ++b)
            record[b] = std::uint8_t(b * 37);
        KeyRow row = keys.current();
        row.irData = bytesOf(record);
        keys.post(row);
    }
    keys.setRecNo(1);
    window.show();
    window.grid().setFocus();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        if (keys.recNo() == keys.recordCount()) {
            state.PauseTiming();
            keys.setRecNo(1);
            QCoreApplication::processEvents();
            state.ResumeTiming();
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(&window.grid(), &press);
        QApplication::sendEvent(&window.grid(), &release);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_DownKeyMovesOneRow)->Unit(benchmark::kMillisecond);

// The floor of the window: a bare main window with a toolbar and a 512 x 6 table.
class BareWindow : public QMainWindow {
public:
    BareWindow()
        : m_model(512, 6)
    {
        QToolBar* bar = addToolBar(QStringLiteral("Tools"));
        for (const char* name : {"New", "Open", "Save", "Save as", "Download", "Upload"})
            bar->addAction(QString::fromLatin1(name));
        for (int r = 0; r < 512; ++r)
            m_model.setItem(r, 0, new QStandardItem(QString::number(r + 1)));
        auto* table = new QTableView(this);
        table->setModel(&m_model);
        setCentralWidget(table);
        resize(758, 620);
    }

private:
    QStandardItemModel m_model;
};

// Built, shown and painted once, as a start does.
void showQlvWindow(const QString& folder)
{
    BenchPrompter prompter;
    MainWindow window(prompter, folder);
    window.show();
    window.repaint();
    QCoreApplication::processEvents();
}

void showBareWindow()
{
    BareWindow window;
    window.show();
    window.repaint();
    QCoreApplication::processEvents();
}

void BM_Pair_WindowInProcess(benchmark::State& state)
{
    test::WindowRig rig;
    qlv::bench::runPair(
        state, [&] { showQlvWindow(rig.dir.path()); }, [] { showBareWindow(); });
}
BENCHMARK(BM_Pair_WindowInProcess)->Unit(benchmark::kMillisecond);

// The peak resident memory of this process image: VmHWM starts again at exec, whereas
// ru_maxrss keeps that of the parent a spawned child shared its memory with.
long peakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

// This binary again with --child=qlv or --child=bare: start-up included; returns its peak
// memory, which it writes to its standard output.
double runChild(Clocks& clocks, const char* which)
{
    std::string self = QCoreApplication::applicationFilePath().toStdString();
    std::string arg = std::string("--child=") + which;
    char* argv[] = {self.data(), arg.data(), nullptr};
    int fds[2];
    if (pipe(fds) != 0)
        std::abort();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const auto wall0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, self.c_str(), &actions, nullptr, argv, environ) != 0)
        std::abort();
    ::close(fds[1]);
    char text[64] = {};
    const ssize_t got = ::read(fds[0], text, sizeof text - 1);
    ::close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    clocks.wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    clocks.cpu += double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                  double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || got <= 0)
        std::abort();
    return std::atof(text);
}

void BM_Pair_WindowProcess(benchmark::State& state)
{
    Clocks qlv, bare;
    double qlvRss = 0, bareRss = 0;
    for (auto _ : state) {
        qlvRss = std::max(qlvRss, runChild(qlv, "qlv"));
        bareRss = std::max(bareRss, runChild(bare, "bare"));
    }
    qlv::bench::reportPair(state, qlv, bare);
    state.counters["qlv_peak_kb"] = qlvRss;
    state.counters["floor_peak_kb"] = bareRss;
    state.counters["ratio_peak"] = bareRss > 0 ? qlvRss / bareRss : 0;
}
BENCHMARK(BM_Pair_WindowProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// The floor of a Down key's redraw: the same geometry painted into a picture of the visible
// part only (the scroll box's width), whatever the strip's width.
void BM_Pair_DownKeyVsVisibleStrip(benchmark::State& state)
{
    test::WindowRig rig;
    BenchPrompter prompter;
    MainWindow window(prompter, rig.dir.path());
    KeyTable& keys = window.project().keys();
    std::vector<QByteArray> records;
    for (int i = 0; i < keys.recordCount(); ++i) {
        keys.setRecNo(i + 1);
        CodeRecord record{};
        for (std::size_t base : {std::size_t(0), std::size_t(128)}) {
            record[base] = CodeMarker;
            record[base + 1] = 48;
            record[base + 9] = 0xFF;
            for (std::size_t k = 0; k < 16; ++k) {
                record[base + 12 + 4 * k] = std::uint8_t(20 + k * 3);
                record[base + 14 + 4 * k] = std::uint8_t(10 + k);
            }
        }
        for (std::size_t b = 256; b < 512; ++b)
            record[b] = std::uint8_t(b * 37);
        KeyRow row = keys.current();
        row.irData = bytesOf(record);
        records.push_back(*row.irData);
        keys.post(row);
    }
    keys.setRecNo(1);
    window.show();
    window.grid().setFocus();
    QCoreApplication::processEvents();
    auto* wave = window.findChild<WaveformView*>();
    const int visible = wave ? wave->viewport()->width() : 756;

    QImage strip(visible, wave::PictureHeight, QImage::Format_RGB32);
    QPainterWaveCanvas canvas(strip);
    WindowCanvas windowed(canvas, 0, visible);
    WaveView view(windowed);
    QWidget target;
    target.resize(visible, wave::PictureHeight);
    std::size_t floorRow = 0;

    Clocks qlv, base;
    for (auto _ : state) {
        if (keys.recNo() == keys.recordCount()) {
            keys.setRecNo(1);
            QCoreApplication::processEvents();
        }
        qlv::bench::timeInto(qlv, [&] {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
            QApplication::sendEvent(&window.grid(), &press);
            QApplication::sendEvent(&window.grid(), &release);
            QCoreApplication::processEvents();
        });
        qlv::bench::timeInto(base, [&] {
            const QByteArray& bytes = records[floorRow++ % records.size()];
            QPainterWaveCanvas::Session session(canvas);
            view.RedrawWave(true,
                            std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                      std::size_t(bytes.size())),
                            visible);
        });
    }
    qlv::bench::reportPair(state, qlv, base);
}
BENCHMARK(BM_Pair_DownKeyVsVisibleStrip)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 2 && std::string(argv[1]) == "--child=qlv") {
        test::WindowRig rig;
        showQlvWindow(rig.dir.path());
        std::printf("%ld\n", peakKb());
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--child=bare") {
        showBareWindow();
        std::printf("%ld\n", peakKb());
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
