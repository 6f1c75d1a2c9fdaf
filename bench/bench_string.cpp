#include "text/QevString.h"

#include <benchmark/benchmark.h>

#include <array>

namespace
{

std::array<int, 8> const ints = {7, 12345, -987654, 2147483647, -2147483647 - 1, 42, 100000, -3};
std::array<float, 8> const floats = {0.125f, 3.14159f, -2.5f, 1234.5678f, 0.001f, 99999.99f, -0.0f, 1e6f};
std::array<double, 8> const doubles = {0.1, 1000000.0, 123456789.0, -2.5, 1e-5, 3.0, 1e20, 6.02214076e23};

void IntToText(benchmark::State& state)
{
    std::size_t i = 0;
    for (auto _ : state)
    {
        qev::String s(ints[i++ & 7]);
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(IntToText);

void FloatTwoDecimals(benchmark::State& state)
{
    std::size_t i = 0;
    for (auto _ : state)
    {
        qev::String s(static_cast<double>(floats[i++ & 7]), 2u);
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(FloatTwoDecimals);

void DoubleGeneral(benchmark::State& state)
{
    std::size_t i = 0;
    for (auto _ : state)
    {
        qev::String s(doubles[i++ & 7]);
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(DoubleGeneral);

void FormattedTwoDecimals(benchmark::State& state)
{
    qev::String const format("%.2f");
    std::size_t i = 0;
    for (auto _ : state)
    {
        qev::String s(static_cast<double>(floats[i++ & 7]), format);
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(FormattedTwoDecimals);

// An OSC-like text built piece by piece.
void Concatenation(benchmark::State& state)
{
    qev::String const address("/mixer/track");
    qev::String const value(0.75, 2u);
    int n = 0;
    for (auto _ : state)
    {
        qev::String s(address);
        s << '/' << (n++ & 15) << "/volume" << ' ' << value;
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(Concatenation);

void ConcatenationWithPlus(benchmark::State& state)
{
    qev::String const a("/mixer/track/"), b("volume");
    for (auto _ : state)
    {
        qev::String s = a + b + " " + a;
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(ConcatenationWithPlus);

} // namespace
