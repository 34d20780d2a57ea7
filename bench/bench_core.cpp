// The project operations and the record expansion, each timed on its own.
#include "benchprompter.h"

#include <irdata/coderecord.h>
#include <irdata/eepromimage.h>
#include <irdata/signalrecord.h>
#include <project/derivedfields.h>
#include <project/project.h>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>

using namespace qlv;
using qlv::bench::BenchPrompter;

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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
