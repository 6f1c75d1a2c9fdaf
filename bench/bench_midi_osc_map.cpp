// The mapping table's hot paths: one controller event to OSC, one OSC message to MIDI, and a
// full re-send. Each reports the heap allocations it makes per call ("allocs").

#include "midi/QevMidiOscMap.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

namespace
{
std::atomic<unsigned long> allocationCount{0};
}

// Kept out of line: inlined into callers, GCC pairs the built-in new with free() and warns.
__attribute__((noinline)) void* operator new(std::size_t size)
{
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

__attribute__((noinline)) void operator delete(void* p) noexcept
{
    std::free(p);
}

__attribute__((noinline)) void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace
{

// Stands in for the host object's outlet adapter: it looks at what it gets and nothing more.
struct Sink : qev::MidiOscMap::Listener
{
    void MessageProcessed(qev::MidiMessage const& message) override
    {
        benchmark::DoNotOptimize(message.GetControllerValue());
    }
    void MessageProcessed(qev::OscBundle const& bundle) override
    {
        benchmark::DoNotOptimize(bundle.GetNumElements());
    }
};

// n entries over the controller space: controllers 0..127 of channel 1, then of channel 2, and so
// on, entry i at the address /track/<i>/gain.
void fill(qev::MidiOscMap& map, int n)
{
    for (int i = 0; i < n; ++i)
        map.AddEntry(1 + (i / 128) % 16, i % 128,
                     qev::OscAddress(("/track/" + std::to_string(i) + "/gain").c_str()), -60.0f, 0.0f, 2.0f);
}

template <typename Body> void measure(benchmark::State& state, Body&& body)
{
    unsigned long const before = allocationCount.load();
    for (auto _ : state)
        body();
    unsigned long const after = allocationCount.load();
    state.counters["allocs"] =
        benchmark::Counter(static_cast<double>(after - before), benchmark::Counter::kAvgIterations);
}

void BM_ProcessControllerEvent(benchmark::State& state)
{
    int const entries = static_cast<int>(state.range(0));
    qev::MidiOscMap map;
    Sink sink;
    fill(map, entries);
    map.AddListener(&sink);
    int const controller = entries > 64 ? 64 : 0;
    int value = 0;
    measure(state,
            [&]
            {
                map.Process(qev::MidiMessage::ControllerEvent(1, controller, value));
                value = (value + 1) & 0x7F;
            });
    map.RemoveListener(&sink);
}
// 2,048: the whole controller space, the table the host object's benchmarks of large tables load.
BENCHMARK(BM_ProcessControllerEvent)->Arg(1)->Arg(128)->Arg(2048);

void BM_ProcessOscMessage(benchmark::State& state)
{
    qev::MidiOscMap map;
    Sink sink;
    fill(map, 128);
    map.AddListener(&sink);
    qev::OscMessage message("/track/64/gain");
    message.Add(-12.5f);
    measure(state, [&] { map.Process(message); });
    map.RemoveListener(&sink);
}
BENCHMARK(BM_ProcessOscMessage);

void BM_ForceUpdate(benchmark::State& state)
{
    qev::MidiOscMap map;
    Sink sink;
    fill(map, 128);
    map.AddListener(&sink);
    measure(state, [&] { map.ForceUpdate(); });
    map.RemoveListener(&sink);
}
BENCHMARK(BM_ForceUpdate);

} // namespace
