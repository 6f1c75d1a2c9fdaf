// The object's hot roads through the stand-in host, in process: a host "list" call until the
// result has left the osc outlet (one mapping: a plain message; sixteen on the controller: one
// "FullPacket"), and the OSC message "/track/1/gain 0.5" until its controller list has left the
// midi outlet. The host's own dispatch is included, as in every real call. Each road is timed on
// the scheduler thread, where the host delivers MIDI as it arrives, and on the main thread, where
// the refresh rule also rebuilds the hidden editor's rows at every call.

#include "CclinkBench.h"
#include "maxhost_control.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <string>

namespace
{

cclinkbench::Session session;
cclinkbench::Sink& sink = session.sink;

// An object whose table holds count mappings of channel 1, controller 7.
object* objectWithMappings(int count)
{
    std::filesystem::path const file = session.folder / ("mappings-" + std::to_string(count) + ".xml");
    cclinkbench::WriteMappings(file, count,
                               [](int i) {
                                   return cclinkbench::Mapping{
                                       1, 7, "/track/" + std::to_string(i + 1) + "/gain", 0.0f, 1.0f, 1.0f};
                               });
    object* const x = maxhost::NewObject(session.cclinkClass);
    atom path{};
    atom_setsym(&path, gensym(file.c_str()));
    maxhost::SendMessage(x, gensym("load"), 1, &path);
    maxhost::RunMainThreadTasks();
    return x;
}

// Calls the object batch times on the host's scheduler thread, where the host delivers MIDI while
// the main thread is busy elsewhere; each benchmark iteration reports the mean time of one call.
void onSchedulerThread(benchmark::State& state, object* x, symbol* selector, long argc, atom* argv)
{
    constexpr int batch = 1000;
    maxhost::SchedulerThread scheduler;
    long const before = sink.outputs;
    for (auto _ : state)
    {
        double seconds = 0.0;
        scheduler.Run(
            [&]
            {
                auto const start = std::chrono::steady_clock::now();
                for (int i = 0; i < batch; ++i)
                    maxhost::SendMessage(x, selector, argc, argv);
                seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            });
        state.SetIterationTime(seconds / batch);
    }
    if (sink.outputs - before != static_cast<long>(state.iterations()) * batch)
        state.SkipWithError("not one output per call");
}

void onMainThread(benchmark::State& state, object* x, symbol* selector, long argc, atom* argv)
{
    long const before = sink.outputs;
    for (auto _ : state)
        maxhost::SendMessage(x, selector, argc, argv);
    if (sink.outputs - before != static_cast<long>(state.iterations()))
        state.SkipWithError("not one output per call");
}

void listToOscOutlet(benchmark::State& state, bool scheduler)
{
    object* const x = objectWithMappings(static_cast<int>(state.range(0)));
    atom list[3];
    atom_setlong(&list[0], 64);
    atom_setlong(&list[1], 7);
    atom_setlong(&list[2], 1);
    if (scheduler)
        onSchedulerThread(state, x, gensym("list"), 3, list);
    else
        onMainThread(state, x, gensym("list"), 3, list);
    maxhost::FreeObject(x);
}
BENCHMARK_CAPTURE(listToOscOutlet, scheduler_thread, true)
    ->ArgName("mappings")
    ->Arg(1)
    ->Arg(16)
    ->UseManualTime()
    ->Iterations(300);
BENCHMARK_CAPTURE(listToOscOutlet, main_thread, false)->ArgName("mappings")->Arg(1)->Arg(16);

void oscToMidiOutlet(benchmark::State& state, bool scheduler)
{
    object* const x = objectWithMappings(1);
    atom value{};
    atom_setfloat(&value, 0.5);
    if (scheduler)
        onSchedulerThread(state, x, gensym("/track/1/gain"), 1, &value);
    else
        onMainThread(state, x, gensym("/track/1/gain"), 1, &value);
    maxhost::FreeObject(x);
}
BENCHMARK_CAPTURE(oscToMidiOutlet, scheduler_thread, true)->UseManualTime()->Iterations(300);
BENCHMARK_CAPTURE(oscToMidiOutlet, main_thread, false);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!session.Start("bench_cclink"))
        return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    session.Stop();
    return 0;
}
