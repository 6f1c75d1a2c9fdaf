#include "osc/QevOscPatternMatching.h"
#include "text/QevHashedString.h"
#include "text/QevPooledHashedString.h"
#include "text/QevPooledHashedStringArray.h"
#include "text/QevString.h"

#include <benchmark/benchmark.h>

#ifdef QEV_HAVE_LIBLO
#include <lo/lo_lowlevel.h>
#endif

#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace
{

struct AddressCase
{
    char const* name;
    char const* pattern;
    char const* address;
};

AddressCase const cases[] = {
    {"star", "/track/*/gain", "/track/12/gain"},
    {"mixed", "/tr?ck/[0-9]/{gain,pan}", "/track/7/pan"},
    {"mismatch", "/tr?ck/[0-9]/{gain,pan}", "/track/7/mute"}, // fails on the last part
    {"literal", "/track/12/gain", "/track/12/gain"},
};

std::vector<std::string> split(std::string const& address)
{
    std::vector<std::string> parts;
    std::size_t start = 1;
    for (;;)
    {
        std::size_t const slash = address.find('/', start);
        parts.push_back(
            address.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos)
            return parts;
        start = slash + 1;
    }
}

// The parts of one case, made once outside the timed loops.
struct SplitCase
{
    explicit SplitCase(AddressCase const& c)
    {
        for (auto const& part : split(c.pattern))
            patternParts.emplace_back(part);
        for (auto const& part : split(c.address))
            addressParts.emplace_back(part);
    }
    std::vector<qev::String> patternParts;
    std::vector<qev::String> addressParts;
};

void Ours(benchmark::State& state, int which)
{
    SplitCase const c(cases[which]);
    std::size_t const n = c.patternParts.size();
    for (auto _ : state)
    {
        bool matches = n == c.addressParts.size();
        for (std::size_t i = 0; matches && i < n; ++i)
            matches = qev::matchOscPattern(c.patternParts[i], c.addressParts[i]);
        benchmark::DoNotOptimize(matches);
    }
    state.SetLabel(std::string(cases[which].pattern) + " vs " + cases[which].address);
}

#ifdef QEV_HAVE_LIBLO
void Liblo(benchmark::State& state, int which)
{
    SplitCase const c(cases[which]);
    std::size_t const n = c.patternParts.size();
    for (auto _ : state)
    {
        bool matches = n == c.addressParts.size();
        for (std::size_t i = 0; matches && i < n; ++i)
            matches = lo_pattern_match(c.addressParts[i].GetCString(), c.patternParts[i].GetCString()) != 0;
        benchmark::DoNotOptimize(matches);
    }
    state.SetLabel(std::string(cases[which].pattern) + " vs " + cases[which].address);
}
#endif

// Each case runs ours and then liblo's back to back, so that both see the same machine.
int const registered = []
{
    for (int which = 0; which < static_cast<int>(std::size(cases)); ++which)
    {
        std::string const name = cases[which].name;
        benchmark::RegisterBenchmark(("Ours/" + name).c_str(), Ours, which);
#ifdef QEV_HAVE_LIBLO
        benchmark::RegisterBenchmark(("Liblo/" + name).c_str(), Liblo, which);
#endif
    }
    return 0;
}();

constexpr int numTokens = 10000;

std::vector<std::pair<std::string, unsigned long>> const& tokens()
{
    static auto const made = []
    {
        std::vector<std::pair<std::string, unsigned long>> result;
        for (int i = 0; i < numTokens; ++i)
        {
            std::string text = "token" + std::to_string(i);
            unsigned long const hash = qev::HashedString::ComputeHash(text);
            result.emplace_back(std::move(text), hash);
        }
        return result;
    }();
    return made;
}

// 10,000 new tokens into an empty pool.
void PoolInsertNew(benchmark::State& state)
{
    auto const& all = tokens();
    for (auto _ : state)
    {
        state.PauseTiming();
        auto pool = std::make_unique<qev::PooledHashedString>();
        state.ResumeTiming();
        for (auto const& token : all)
            benchmark::DoNotOptimize(pool->Insert(token.first, token.second));
        state.PauseTiming();
        pool.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * numTokens);
}
BENCHMARK(PoolInsertNew);

// Looking up 10,000 pooled tokens by hash.
void PoolLookup(benchmark::State& state)
{
    auto const& all = tokens();
    qev::PooledHashedString pool;
    for (auto const& token : all)
        pool.Insert(token.first, token.second);
    for (auto _ : state)
        for (auto const& token : all)
            benchmark::DoNotOptimize(pool.Find(token.second));
    state.SetItemsProcessed(state.iterations() * numTokens);
}
BENCHMARK(PoolLookup);

// Tokens already pooled, pushed again: hash, lock-free lookup, append.
void ArrayPushBackKnown(benchmark::State& state)
{
    auto const& all = tokens();
    qev::PooledHashedStringArray array;
    for (auto const& token : all)
        array.PushBack(token.first);
    for (auto _ : state)
    {
        array.Clear();
        for (auto const& token : all)
            array.PushBack(token.first);
        benchmark::DoNotOptimize(array.GetSize());
    }
    state.SetItemsProcessed(state.iterations() * numTokens);
}
BENCHMARK(ArrayPushBackKnown);

} // namespace
