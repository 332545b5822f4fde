#include <benchmark/benchmark.h>

#include "core/record/command_ring.h"

// Queuing from the main loop and popping on the link thread happen on every
// tick and every reply; both take the ring's lock.
static void BM_CommandRingPushPop(benchmark::State& state) {
    core::CommandRing ring;
    for (auto _ : state) {
        ring.push(23);
        benchmark::DoNotOptimize(ring.pop());
    }
}
BENCHMARK(BM_CommandRingPushPop);
