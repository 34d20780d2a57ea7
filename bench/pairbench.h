// An operation and its floor timed in turn within one benchmark, so that both see the same
// machine; the counters give each one's wall and CPU time and the ratios.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

namespace qlv::bench {

struct Clocks {
    double wall = 0;
    double cpu = 0;
};

inline double cpuSeconds(clockid_t clock = CLOCK_PROCESS_CPUTIME_ID)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

template <class Work> void timeInto(Clocks& clocks, Work&& work)
{
    const auto wall0 = std::chrono::steady_clock::now();
    const double cpu0 = cpuSeconds();
    work();
    clocks.cpu += cpuSeconds() - cpu0;
    clocks.wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
}

inline void reportPair(benchmark::State& state, const Clocks& qlv, const Clocks& floor)
{
    const double n = double(state.iterations());
    state.counters["qlv_ms"] = qlv.wall / n * 1e3;
    state.counters["floor_ms"] = floor.wall / n * 1e3;
    state.counters["qlv_cpu_ms"] = qlv.cpu / n * 1e3;
    state.counters["floor_cpu_ms"] = floor.cpu / n * 1e3;
    state.counters["ratio_wall"] = floor.wall > 0 ? qlv.wall / floor.wall : 0;
    state.counters["ratio_cpu"] = floor.cpu > 0 ? qlv.cpu / floor.cpu : 0;
}

// Runs operation and floor alternately, each iteration once, and reports both.
template <class Operation, class Floor>
void runPair(benchmark::State& state, Operation&& operation, Floor&& floor)
{
    Clocks qlv;
    Clocks base;
    for (auto _ : state) {
        timeInto(qlv, operation);
        timeInto(base, floor);
    }
    reportPair(state, qlv, base);
}

} // namespace qlv::bench
