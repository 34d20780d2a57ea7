// Codes from other tools' files into a project, and a full project out to each format.
#include "benchprompter.h"

#include <project/codeinterchange.h>
#include <project/derivedfields.h>
#include <project/project.h>

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

using namespace qlv;
using qlv::bench::BenchPrompter;

namespace {

struct Fixture : bench::BenchProject {
    Fixture() { project.NewExecute(); }
};

// A universal-remote style library: parsed signals of the common protocols and raw captures.
std::string flipperLibrary(int codes)
{
    std::string text = "Filetype: IR library file\nVersion: 1\n";
    char line[256];
    for (int i = 0; i < codes; ++i) {
        const int f = i % 256;
        switch (i % 6) {
        case 0:
            std::snprintf(line, sizeof line,
                          "#\nname: NEC_%d\ntype: parsed\nprotocol: NEC\naddress: %02X 00 00 00\n"
                          "command: %02X 00 00 00\n",
                          i, i % 200, f);
            break;
        case 1:
            std::snprintf(line, sizeof line,
                          "#\nname: Ext_%d\ntype: parsed\nprotocol: NECext\naddress: 00 0B 00 00\n"
                          "command: %02X %02X 00 00\n",
                          i, f, (f * 7) & 0xFF);
            break;
        case 2:
            std::snprintf(line, sizeof line,
                          "#\nname: RC5_%d\ntype: parsed\nprotocol: RC5\naddress: 0E 00 00 00\n"
                          "command: %02X 00 00 00\n",
                          i, f % 64);
            break;
        case 3:
            std::snprintf(line, sizeof line,
                          "#\nname: Sony_%d\ntype: parsed\nprotocol: SIRC\naddress: 01 00 00 00\n"
                          "command: %02X 00 00 00\n",
                          i, f % 128);
            break;
        case 4:
            std::snprintf(
                line, sizeof line,
                "#\nname: Pana_%d\ntype: parsed\nprotocol: Kaseikyo\naddress: 80 02 20 00\n"
                "command: %02X 03 00 00\n",
                i, f);
            break;
        default: {
            // a NEC frame and one ditto, with capture jitter
            std::snprintf(line, sizeof line,
                          "#\nname: Raw_%d\ntype: raw\nfrequency: 38000\n"
                          "duty_cycle: 0.330000\ndata: 9217 4485",
                          i);
            text += line;
            const unsigned bytes[4] = {4, 251, unsigned(f), unsigned(255 - f)};
            for (int bit = 0; bit < 32; ++bit) {
                const bool one = (bytes[bit / 8] >> (bit % 8)) & 1;
                std::snprintf(line, sizeof line, " %d %d", 640 + bit % 7, one ? 1640 : 480);
                text += line;
            }
            text += " 660 40000 9230 2200 650\n";
            continue;
        }
        }
        text += line;
    }
    return text;
}

void storeAll(Project& project, const ImportPlan& plan)
{
    KeyTable& keys = project.keys();
    for (const ImportedSlot& slot : plan.stored) {
        keys.setRecNo(slot.id);
        KeyRow row = keys.current();
        row.irData = bytesOf(slot.record);
        row.function = slot.name;
        keys.post(row);
    }
}

void BM_ImportFlipperLibrary600(benchmark::State& state)
{
    Fixture f;
    const std::string text = flipperLibrary(600);
    std::size_t stored = 0;
    std::size_t raw = 0;
    for (auto _ : state) {
        // 600 codes for 512 slots: the last 88 are listed as past slot 512, as with --skip-bad
        const ImportPlan plan = planCodeImport(interchange::parseFlipper(text), 1);
        storeAll(f.project, plan);
        stored = plan.stored.size();
        raw = std::size_t(std::count_if(plan.stored.begin(), plan.stored.end(),
                                        [](const ImportedSlot& s) { return s.protocol == "raw"; }));
    }
    state.counters["stored"] = double(stored);
    state.counters["undecoded"] = double(raw);
}
BENCHMARK(BM_ImportFlipperLibrary600)->Unit(benchmark::kMillisecond);

void BM_Export512(benchmark::State& state, interchange::Format format)
{
    static Fixture f;
    static bool filled = false;
    if (!filled) {
        storeAll(f.project, planCodeImport(interchange::parseFlipper(flipperLibrary(512)), 1));
        filled = true;
    }
    for (auto _ : state) {
        std::vector<SlotCode> codes;
        const KeyTable& keys = f.project.keys();
        for (int i = 0; i < keys.recordCount(); ++i)
            codes.push_back({keys.row(i).id, textOf(keys.row(i).function), recordOf(keys.row(i))});
        const auto written = interchange::writeCodes(format, exportCodesOf(codes), "bench");
        benchmark::DoNotOptimize(written.text.size());
    }
}
BENCHMARK_CAPTURE(BM_Export512, pronto, interchange::Format::Pronto)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export512, flipper, interchange::Format::Flipper)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export512, lirc, interchange::Format::Lirc)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export512, mode2, interchange::Format::Mode2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export512, csv, interchange::Format::Csv)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
