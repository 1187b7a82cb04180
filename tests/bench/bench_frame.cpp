// Frame codec throughput: frames built, frames verified, HexText bytes per second.
#include "protocol/frame.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {
std::vector<std::uint8_t> Payload(std::size_t dataLen)
{
    std::vector<std::uint8_t> p = {0x53, 0x02, 0x10, static_cast<std::uint8_t>(dataLen)};
    for (std::size_t i = 0; i < dataLen; ++i)
        p.push_back(static_cast<std::uint8_t>(i * 7));
    return p;
}

void BM_BuildFrame(benchmark::State &state)
{
    auto payload = Payload(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        BuildResult r = BuildFrame(payload.data(), payload.size());
        benchmark::DoNotOptimize(r.entry);
        FrameEntryFree(r.entry);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuildFrame)->Arg(1)->Arg(32)->Arg(255);

void BM_VerifyFrame(benchmark::State &state)
{
    auto payload = Payload(static_cast<std::size_t>(state.range(0)));
    BuildResult r = BuildFrame(payload.data(), payload.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(VerifyFrame(r.entry->data(), r.entry->size()));
    FrameEntryFree(r.entry);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_VerifyFrame)->Arg(1)->Arg(32)->Arg(255);

void BM_HexText(benchmark::State &state)
{
    auto payload = Payload(255);
    for (auto _ : state)
        benchmark::DoNotOptimize(HexText(payload.data(), payload.size()));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(payload.size()));
}
BENCHMARK(BM_HexText);
} // namespace

BENCHMARK_MAIN();
