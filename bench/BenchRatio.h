#pragma once

#include <benchmark/benchmark.h>

#include <chrono>

inline double seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// Times `measured` and `reference` in the same iterations and reports both, in milliseconds, and
// their ratio: what the machine is doing meanwhile weighs on both alike.
template <typename Measured, typename Reference>
void ratio(benchmark::State &state, const char *name, Measured measured, const char *referenceName, Reference reference)
{
    double measuredTime = 0, referenceTime = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        measured();
        const auto t1 = std::chrono::steady_clock::now();
        reference();
        const auto t2 = std::chrono::steady_clock::now();
        measuredTime += seconds(t1 - t0);
        referenceTime += seconds(t2 - t1);
    }
    state.counters[name] = measuredTime * 1000 / double(state.iterations());
    state.counters[referenceName] = referenceTime * 1000 / double(state.iterations());
    state.counters["ratio"] = measuredTime / referenceTime;
}
