// The project operations and the record expansion, each timed on its own.
#include "benchprompter.h"

#include <irdata/coderecord.h>
#include <irdata/eepromimage.h>
#include <project/derivedfields.h>
#include <project/project.h>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

using namespace qlv;
using qlv::bench::BenchPrompter;

namespace {

struct Fixture {
    QTemporaryDir dir;
    BenchPrompter prompter;
    Project project{prompter, dir.filePath("Temp.~tmp")};
    Fixture() { project.NewExecute(); }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
};

CodeRecord fullRecord()
{
    CodeRecord record{};
    record[0] = CodeMarker;
    record[1] = 48;
    record[8] = 0x02; // firstLength 512
    record[7] = 0xFF; // repeatEnd 255
    for (std::size_t k = 0; k < 16; ++k) {
        record[11 + 4 * k] = 0x03;
        record[14 + 4 * k] = std::uint8_t(20 + k);
    }
    for (std::size_t i = 256; i < 512; ++i)
        record[i] = std::uint8_t(i * 7);
    return record;
}

void postEveryRow(Project& project, int round)
{
    KeyTable& keys = project.keys();
    keys.first();
    for (int i = 0; i < keys.recordCount(); ++i) {
        KeyRow row = keys.current();
        row.remark = QString::number(round + i);
        keys.post(row);
        keys.next();
    }
}

void BM_NewProject(benchmark::State& state)
{
    Fixture f;
    for (auto _ : state)
        benchmark::DoNotOptimize(f.project.NewExecute());
}
BENCHMARK(BM_NewProject)->Unit(benchmark::kMillisecond);

void BM_SaveToNewFile(benchmark::State& state)
{
    Fixture f;
    int n = 0;
    for (auto _ : state) {
        f.prompter.nextFile = f.path(n++ % 2 ? "a.qlv" : "b.qlv");
        benchmark::DoNotOptimize(f.project.SaveExecute());
    }
}
BENCHMARK(BM_SaveToNewFile)->Unit(benchmark::kMillisecond);

void BM_SaveInPlaceAfter512Posts(benchmark::State& state)
{
    Fixture f;
    f.prompter.nextFile = f.path("inplace.qlv");
    f.project.SaveExecute();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        postEveryRow(f.project, round++);
        state.ResumeTiming();
        benchmark::DoNotOptimize(f.project.SaveExecute());
    }
}
BENCHMARK(BM_SaveInPlaceAfter512Posts)->Unit(benchmark::kMillisecond);

void BM_Compile(benchmark::State& state)
{
    Fixture f;
    f.prompter.nextFile = f.path("keys.bin");
    for (auto _ : state)
        benchmark::DoNotOptimize(f.project.SaveAsExecute());
}
BENCHMARK(BM_Compile)->Unit(benchmark::kMillisecond);

void BM_ImportEepromImage(benchmark::State& state)
{
    Fixture f;
    std::vector<std::uint8_t> image;
    const CodeRecord record = fullRecord();
    for (std::size_t n = 0; n < SlotCount; ++n)
        appendSlot(image, record);
    QFile file(f.path("image.bin"));
    file.open(QIODevice::WriteOnly);
    file.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
    file.close();
    for (auto _ : state) {
        benchmark::DoNotOptimize(f.project.openFile(f.path("image.bin")));
        state.PauseTiming();
        f.project.setModified(false); // so that the next New asks nothing
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ImportEepromImage)->Unit(benchmark::kMillisecond);

void BM_CodeStepsOfAFullRecord(benchmark::State& state)
{
    const CodeRecord record = fullRecord();
    for (auto _ : state)
        benchmark::DoNotOptimize(codeSteps(record, Code::A));
}
BENCHMARK(BM_CodeStepsOfAFullRecord)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
