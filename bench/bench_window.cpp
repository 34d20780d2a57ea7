// The window's own figures: building it with its fresh project, and repainting the grid.
// Runs on the offscreen platform over pseudo-terminal ports, so no real serial port is
// opened; start build/bench/qlv-bench-window by hand.
#include "benchprompter.h"

#include <app/mainwindow.h>
#include <project/derivedfields.h>
#include <support/windowrig.h>
#include <widgets/keygrid.h>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>

#include <string>

using namespace qlv;
using qlv::bench::BenchPrompter;

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

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
