// The device sequences against k817t-sim on a pseudo-terminal: download and upload of all 512
// slots, unpaced (the program's own cost) and, with --paced, at the real line rates; and the
// processor time a learn run spends waiting 3 s for its code.
#include "benchprompter.h"

#include <device/devicelink.h>
#include <irdata/coderecord.h>
#include <project/derivedfields.h>
#include <project/project.h>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QProcess>

#include <cstring>
#include <ctime>

using namespace qlv;
using qlv::bench::BenchPrompter;

namespace {

// A simulator process and a program-side link to it, on a project whose rows all hold codes.
struct Rig : bench::BenchProject {
    QProcess sim;
    std::unique_ptr<DeviceLink> link;

    explicit Rig(const QStringList& simOptions)
    {
        // Completions are the expected ending of every sequence measured here.
        prompter.completionExpected = true;
        project.NewExecute();
        KeyTable& keys = project.keys();
        keys.first();
        for (int i = 0; i < keys.recordCount(); ++i) {
            CodeRecord record{};
            record[0] = CodeMarker;
            record[1] = 48;
            for (std::size_t b = 2; b < record.size(); ++b)
                record[b] = std::uint8_t(b * 31 + i);
            KeyRow row = keys.current();
            row.irData = bytesOf(record);
            keys.post(row);
            keys.next();
        }
        sim.start(QStringLiteral(K817TSIM_PATH), QStringList{"--quiet"} + simOptions);
        if (!sim.waitForReadyRead(5000))
            qFatal("k817t-sim did not start");
        const QString path = QString::fromLocal8Bit(sim.readLine()).trimmed();
        PortMap ports;
        ports.setPath(1, path);
        link = std::make_unique<DeviceLink>(prompter, project, makeSerialStream(), ports);
        link->choosePort(0);
    }
    ~Rig()
    {
        sim.terminate();
        sim.waitForFinished(5000);
    }
};

double processCpuSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

void BM_Download512(benchmark::State& state)
{
    Rig rig({});
    for (auto _ : state)
        if (rig.link->downloadAll() != TransferEnding::Completed)
            state.SkipWithError("download did not complete");
}
BENCHMARK(BM_Download512)->Unit(benchmark::kMillisecond);

void BM_Upload512(benchmark::State& state)
{
    Rig rig({});
    for (auto _ : state)
        if (rig.link->uploadAll() != TransferEnding::Completed)
            state.SkipWithError("upload did not complete");
}
BENCHMARK(BM_Upload512)->Unit(benchmark::kMillisecond);

// Line time of the slot data alone: 262144 bytes x 10 bits / 115200 bit/s.
constexpr double SlotDataLineSeconds = 262144.0 * 10 / 115200;

void pacedTransfer(benchmark::State& state, bool upload)
{
    Rig rig({"--pace"});
    for (auto _ : state) {
        const TransferEnding ending = upload ? rig.link->uploadAll() : rig.link->downloadAll();
        if (ending != TransferEnding::Completed)
            state.SkipWithError("transfer did not complete");
    }
    state.counters["line_s"] = SlotDataLineSeconds;
}

void BM_DownloadPaced(benchmark::State& state)
{
    pacedTransfer(state, false);
}

void BM_UploadPaced(benchmark::State& state)
{
    pacedTransfer(state, true);
}

// One learn run whose code comes 3 s after the acknowledgement; the 1200 ms pause after it is
// a sleep and costs nothing.
void BM_LearnWait3s(benchmark::State& state)
{
    Rig rig({"--learn-delay", "3000"});
    double cpu = 0;
    for (auto _ : state) {
        const double before = processCpuSeconds();
        if (rig.link->IRLearnExecute({0}).ending != LearnEnding::Completed)
            state.SkipWithError("learn did not complete");
        cpu = processCpuSeconds() - before;
    }
    state.counters["process_cpu_s"] = cpu;
}
BENCHMARK(BM_LearnWait3s)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The paced runs take 23 s each; they are asked for by name.
    bool paced = false;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--paced") == 0) {
            paced = true;
            std::memmove(argv + i, argv + i + 1, sizeof(char*) * std::size_t(argc - i));
            --argc;
            break;
        }
    if (paced) {
        benchmark::RegisterBenchmark("BM_DownloadPaced", BM_DownloadPaced)
            ->Unit(benchmark::kSecond)
            ->Iterations(1)
            ->UseRealTime();
        benchmark::RegisterBenchmark("BM_UploadPaced", BM_UploadPaced)
            ->Unit(benchmark::kSecond)
            ->Iterations(1)
            ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
