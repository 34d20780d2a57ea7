// Opening the Windows version's project file of the fixtures: the whole Open, child process
// included, and the reader's own share of it.
#include <legacy/legacyproject.h>
#include <project/project.h>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace qlv;

namespace {

class BenchPrompter : public Prompter {
public:
    Answer askYesNo(const QString&, const QString&) override { return Answer::No; }
    Answer askYesNoCancel(const QString&, const QString&) override { return Answer::No; }
    void notice(const QString& text) override { qFatal("%s", qPrintable(text)); }
    std::optional<QString> chooseOpenFile(const FileRequest&) override { return std::nullopt; }
    std::optional<QString> chooseSaveFile(const FileRequest&) override { return std::nullopt; }
};

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
    QTemporaryDir dir;
    BenchPrompter prompter;
    Project project(prompter, dir.filePath("Temp.~tmp"));
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
