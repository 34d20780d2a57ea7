// The project operations and the record expansion, each timed on its own.
#include "benchprompter.h"
#include "floorfile.h"
#include "pairbench.h"

#include <irdata/coderecord.h>
#include <irdata/eepromimage.h>
#include <irdata/signalrecord.h>
#include <project/derivedfields.h>
#include <project/project.h>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

using namespace qlv;
using qlv::bench::BenchPrompter;
using qlv::bench::runPair;

namespace {

struct Fixture : bench::BenchProject {
    Fixture() { project.NewExecute(); }
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
        benchmark::DoNotOptimize(f.project.compile());
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

// Every slot a two-code record of a toggling protocol, each with other numbers.
void fillWithToggleCodes(Project& project)
{
    const char* const protocols[] = {"RC5", "RC6", "MCE", "RC5x"};
    KeyTable& keys = project.keys();
    keys.first();
    for (int i = 0; i < keys.recordCount(); ++i) {
        const char* protocol = protocols[i % 4];
        std::vector<ProtocolParameter> parameters{{"D", i % 32}, {"F", i % 64}};
        if (i % 4 >= 2)
            parameters.push_back({"S", i % 128});
        KeyRow row = keys.current();
        row.irData = bytesOf(std::get<CodeRecord>(recordFromProtocol(protocol, parameters)));
        keys.post(row);
        keys.next();
    }
}

void BM_DecodeEverySlotOfTwoCodeRecords(benchmark::State& state)
{
    Fixture f;
    fillWithToggleCodes(f.project);
    const KeyTable& keys = f.project.keys();
    int decoded = 0;
    for (auto _ : state) {
        decoded = 0;
        for (int i = 0; i < keys.recordCount(); ++i) {
            const CodeRecord record = recordOf(keys.row(i));
            decoded += bool(decodeCode(record, Code::A)) + bool(decodeCode(record, Code::B));
        }
        benchmark::DoNotOptimize(decoded);
    }
    if (decoded != 2 * keys.recordCount())
        state.SkipWithError("a slot did not decode");
}
BENCHMARK(BM_DecodeEverySlotOfTwoCodeRecords)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// One code from protocol and numbers to its record; toggling protocols make two codes.
void BM_RenderAndEncode(benchmark::State& state)
{
    struct Case {
        const char* protocol;
        std::vector<ProtocolParameter> parameters;
    };
    static const Case cases[] = {
        {"NEC1", {{"D", 4}, {"F", 8}}},
        {"RC5", {{"D", 14}, {"F", 12}}},
        {"Kaseikyo", {{"D", 1}, {"S", 2}, {"F", 3}, {"E", 4}, {"M", 5}, {"N", 6}}},
        {"Sharp", {{"D", 1}, {"F", 22}}},
    };
    const Case& c = cases[state.range(0)];
    state.SetLabel(c.protocol);
    for (auto _ : state)
        benchmark::DoNotOptimize(recordFromProtocol(c.protocol, c.parameters));
}
BENCHMARK(BM_RenderAndEncode)
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Each operation beside its floor: the same SQLite statements, copy, write and syncs done
// directly (bench/floorfile.h), timed in turn in one loop; ratio_* are QLV over floor.
std::string stdPath(const QString& path)
{
    return path.toStdString();
}

QByteArray templateBytes()
{
    QFile resource(QStringLiteral(":/MDB/ID_MDB"));
    resource.open(QIODevice::ReadOnly);
    return resource.readAll();
}

// New: the template replaces the working copy, which is then opened and read.
struct FloorProject {
    sqlite3* db = nullptr;
    std::vector<floor::Row> rows;
    ~FloorProject() { close(); }
    void close()
    {
        if (db)
            sqlite3_close(db);
        db = nullptr;
    }
    void load(const std::string& path)
    {
        close();
        db = floor::openDb(path);
        floor::readModel(db);
        rows = floor::readRows(db);
    }
    void newProject(const std::string& workingCopy)
    {
        close();
        floor::replaceWhole(workingCopy, templateBytes());
        load(workingCopy);
    }
};

void BM_Pair_New(benchmark::State& state)
{
    Fixture f;
    FloorProject p;
    const std::string working = stdPath(f.path("floor.~tmp"));
    runPair(
        state, [&] { f.project.NewExecute(); }, [&] { p.newProject(working); });
}
BENCHMARK(BM_Pair_New)->Unit(benchmark::kMillisecond);

void BM_Pair_SaveAs(benchmark::State& state)
{
    Fixture f;
    FloorProject p;
    p.newProject(stdPath(f.path("floor.~tmp")));
    int n = 0;
    runPair(
        state,
        [&] {
            f.prompter.nextFile = f.path(n++ % 2 ? "a.qlv" : "b.qlv");
            f.project.SaveExecute();
        },
        [&] {
            const std::string target = stdPath(f.path(n % 2 ? "fa.qlv" : "fb.qlv"));
            const std::string temporary = floor::temporaryBeside(target);
            const QByteArray bytes = templateBytes();
            floor::writeBytes(temporary, bytes.constData(), std::size_t(bytes.size()));
            sqlite3* db = floor::openDb(temporary);
            floor::exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF");
            floor::updateRows(db, p.rows, true);
            sqlite3_close(db);
            floor::putInPlace(temporary, target);
            p.load(target);
        });
}
BENCHMARK(BM_Pair_SaveAs)->Unit(benchmark::kMillisecond);

void writeImage(const QString& path)
{
    std::vector<std::uint8_t> image;
    const CodeRecord record = fullRecord();
    for (std::size_t n = 0; n < SlotCount; ++n)
        appendSlot(image, record);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(reinterpret_cast<const char*>(image.data()), qsizetype(image.size()));
}

void BM_Pair_ImportImage(benchmark::State& state)
{
    Fixture f;
    FloorProject p;
    const std::string working = stdPath(f.path("floor.~tmp"));
    writeImage(f.path("image.bin"));
    const std::string image = stdPath(f.path("image.bin"));
    runPair(
        state,
        [&] {
            f.project.openFile(f.path("image.bin"));
            f.project.setModified(false);
        },
        [&] {
            const QByteArray bytes = floor::readAll(image);
            p.newProject(working);
            QStringDecoder gbk("GBK");
            for (std::size_t n = 0; n < p.rows.size(); ++n) {
                const char* record = bytes.constData() + n * 512;
                p.rows[n].irData = QByteArray(record, 512);
                p.rows[n].function = gbk.decode(QByteArrayView(
                    record + NameOffset, qsizetype(strnlen(record + NameOffset, 15))));
            }
        });
}
BENCHMARK(BM_Pair_ImportImage)->Unit(benchmark::kMillisecond);

void BM_Pair_SaveInPlaceAfter512Edits(benchmark::State& state)
{
    Fixture f;
    f.prompter.nextFile = f.path("inplace.qlv");
    f.project.SaveExecute();
    QFile::copy(f.path("inplace.qlv"), f.path("floor.qlv"));
    FloorProject p;
    p.load(stdPath(f.path("floor.qlv")));
    int round = 0;
    qlv::bench::Clocks qlv, base;
    for (auto _ : state) {
        postEveryRow(f.project, round);
        for (std::size_t i = 0; i < p.rows.size(); ++i)
            p.rows[i].remark = QString::number(round + int(i));
        ++round;
        qlv::bench::timeInto(qlv, [&] { f.project.SaveExecute(); });
        qlv::bench::timeInto(base, [&] { floor::updateRows(p.db, p.rows); });
    }
    qlv::bench::reportPair(state, qlv, base);
}
BENCHMARK(BM_Pair_SaveInPlaceAfter512Edits)->Unit(benchmark::kMillisecond);

void BM_Pair_Compile(benchmark::State& state)
{
    Fixture f;
    FloorProject p;
    p.newProject(stdPath(f.path("floor.~tmp")));
    f.prompter.nextFile = f.path("keys.bin");
    const std::string target = stdPath(f.path("floor.bin"));
    runPair(
        state, [&] { f.project.compile(); },
        [&] { floor::replaceWhole(target, floor::imageOf(p.rows)); });
}
BENCHMARK(BM_Pair_Compile)->Unit(benchmark::kMillisecond);

// The name of one slot edited and saved in place: the floor copies the file, updates the row
// in the copy and puts it in place.
void BM_Pair_NameEdit(benchmark::State& state)
{
    Fixture f;
    f.prompter.nextFile = f.path("named.qlv");
    f.project.SaveExecute();
    QFile::copy(f.path("named.qlv"), f.path("floor.qlv"));
    const std::string floorFile = stdPath(f.path("floor.qlv"));
    FloorProject p;
    p.load(floorFile);
    int round = 0;
    runPair(
        state,
        [&] {
            KeyTable& keys = f.project.keys();
            keys.setRecNo(7);
            KeyRow row = keys.current();
            CodeRecord record = recordOf(row);
            const std::string name = "NAME" + std::to_string(round++ % 100);
            writeName(record, name);
            row.irData = bytesOf(record);
            row.function = QString::fromStdString(name);
            keys.post(row);
            f.project.SaveExecute();
        },
        [&] {
            const std::string temporary = floor::copyBeside(floorFile, floorFile);
            sqlite3* db = floor::openDb(temporary);
            floor::exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF");
            floor::Row row = p.rows[6];
            row.function = QStringLiteral("NAME%1").arg(round % 100);
            floor::updateRows(db, {row});
            sqlite3_close(db);
            floor::putInPlace(temporary, floorFile);
            p.close();
            p.db = floor::openDb(floorFile);
        });
}
BENCHMARK(BM_Pair_NameEdit)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
