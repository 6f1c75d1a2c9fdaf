#include "osc/QevOscAddress.h"
#include "osc/QevOscAddressMap.h"

#include <benchmark/benchmark.h>

namespace
{

void BM_ParseAddressWarmPool(benchmark::State& state)
{
    qev::String const text("/track/12/gain");
    qev::OscAddress const warm(text);
    for (auto _ : state)
    {
        qev::OscAddress address(text);
        benchmark::DoNotOptimize(address);
    }
}
BENCHMARK(BM_ParseAddressWarmPool);

void BM_ParsePatternWarmPool(benchmark::State& state)
{
    qev::String const text("/track/[1-16]/gain");
    qev::OscAddressPattern const warm(text);
    for (auto _ : state)
    {
        qev::OscAddressPattern pattern(text);
        benchmark::DoNotOptimize(pattern);
    }
}
BENCHMARK(BM_ParsePatternWarmPool);

void BM_CachedLookupCString(benchmark::State& state)
{
    auto& symbols = qev::OscAddressMap::GetGlobalSymbols();
    symbols.Insert("/track/12/gain");
    for (auto _ : state)
        benchmark::DoNotOptimize(&symbols["/track/12/gain"]);
}
BENCHMARK(BM_CachedLookupCString);

void BM_CachedLookupString(benchmark::State& state)
{
    auto& symbols = qev::OscAddressMap::GetGlobalSymbols();
    qev::String const text("/mixer/channel/12/send/3/level");
    symbols.Insert(text);
    for (auto _ : state)
        benchmark::DoNotOptimize(&symbols[text]);
}
BENCHMARK(BM_CachedLookupString);

void BM_PatternStartsWith(benchmark::State& state)
{
    qev::OscAddressPattern const pattern("/track/*/gain");
    qev::OscAddress const address("/track/12");
    for (auto _ : state)
        benchmark::DoNotOptimize(pattern.StartsWith(address));
}
BENCHMARK(BM_PatternStartsWith);

} // namespace
