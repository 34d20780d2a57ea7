// Opening the Windows version's project file of the fixtures: the whole Open, child process
// included, and the reader's own share of it.
#include "benchprompter.h"

#include <legacy/legacyproject.h>
#include <project/project.h>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace qlv;
using qlv::bench::BenchPrompter;

namespace {

QString fixture()
{
    const QString path = QDir(QStringLiteral(QLV_FIXTURES_DIR)).filePath("legacy-tv.qlv");
    if (!QFileInfo::exists(path))
        qFatal("%s is missing", qPrintable(path));
    return path;
}

void BM_OpenLegacyIntoTheWorkingCopy(benchmark::State& state)
{
    const QString legacy = fixture();
    bench::BenchProject fixture;
    Project& project = fixture.project;
    project.setLegacyConverter(QStringLiteral(QLVTOOL_PATH));
    for (auto _ : state)
        benchmark::DoNotOptimize(project.openFile(legacy));
}
BENCHMARK(BM_OpenLegacyIntoTheWorkingCopy)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_ReadAndWriteInProcess(benchmark::State& state)
{
    const QString legacy = fixture();
    QTemporaryDir dir;
    for (auto _ : state)
        writeLegacyProject(readLegacyProject(legacy), dir.filePath("converted.qlv"));
}
BENCHMARK(BM_ReadAndWriteInProcess)->Unit(benchmark::kMillisecond)->Repetitions(5);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
