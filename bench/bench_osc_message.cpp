#include "osc/QevOscAddressMap.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscMessage.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{

void BM_OneFloatMessageOnCachedAddress(benchmark::State& state)
{
    qev::OscAddress const& address = qev::OscAddressMap::GetGlobalSymbols()["/track/1/gain"];
    for (auto _ : state)
    {
        qev::OscMessage message(address);
        message.Add(0.5f);
        benchmark::DoNotOptimize(message);
    }
}
BENCHMARK(BM_OneFloatMessageOnCachedAddress);

// What one mapped controller event costs: a bundle holding one float message.
void BM_OneMessageBundleByAddressText(benchmark::State& state)
{
    qev::OscAddressMap::GetGlobalSymbols().Insert("/track/1/gain");
    for (auto _ : state)
    {
        qev::OscBundle bundle;
        bundle.AddNewMessage("/track/1/gain", 0.5f);
        benchmark::DoNotOptimize(bundle);
    }
}
BENCHMARK(BM_OneMessageBundleByAddressText);

void BM_CopyBundleOf16Messages(benchmark::State& state)
{
    qev::OscBundle bundle;
    for (int i = 0; i < 16; ++i)
        bundle.AddNewMessage(qev::String("/track/" + std::to_string(i + 1) + "/gain"), 0.5f);
    for (auto _ : state)
    {
        qev::OscBundle copy(bundle);
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_CopyBundleOf16Messages);

void BM_MessageToString(benchmark::State& state)
{
    qev::OscMessage message("/track/1/gain");
    message.Add(0.5f);
    message.Add(12);
    message.Add("label");
    for (auto _ : state)
        benchmark::DoNotOptimize(message.ToString());
}
BENCHMARK(BM_MessageToString);

void BM_CreateFromText(benchmark::State& state)
{
    qev::String const line("/track/1/gain 0.5");
    qev::OscMessage const warm = qev::OscMessage::CreateFromText(line);
    for (auto _ : state)
        benchmark::DoNotOptimize(qev::OscMessage::CreateFromText(line));
}
BENCHMARK(BM_CreateFromText);

} // namespace
