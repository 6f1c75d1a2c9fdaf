#include "common/QevApiInfos.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

struct StartUpTimes
{
    double library = 0;
    double symbols = 0;
};

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Start-up runs once per process against an empty pool and address map, so each measurement
// runs in a freshly forked child, which has never touched either.
bool measureInFreshProcess(StartUpTimes& times)
{
    int channel[2];
    if (pipe(channel) != 0)
        return false;
    pid_t const child = fork();
    if (child < 0)
        return false;
    if (child == 0)
    {
        close(channel[0]);
        StartUpTimes measured;
        auto start = std::chrono::steady_clock::now();
        Trov::ApiInfos::InitializeLibrary();
        measured.library = millisecondsSince(start);
        start = std::chrono::steady_clock::now();
        Tessaron::Strips::InitializeSymbolList();
        measured.symbols = millisecondsSince(start);
        bool const sent = write(channel[1], &measured, sizeof measured) == sizeof measured;
        _exit(sent ? 0 : 1);
    }
    close(channel[1]);
    bool const received = read(channel[0], &times, sizeof times) == sizeof times;
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return received && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_StartUpInFreshProcess(benchmark::State& state)
{
    double library = 0;
    double symbols = 0;
    for (auto _ : state)
    {
        StartUpTimes times;
        if (!measureInFreshProcess(times))
        {
            state.SkipWithError("the measuring child failed");
            return;
        }
        library += times.library;
        symbols += times.symbols;
        state.SetIterationTime((times.library + times.symbols) / 1000.0);
    }
    using benchmark::Counter;
    state.counters["InitializeLibrary_ms"] = Counter(library, Counter::kAvgIterations);
    state.counters["InitializeSymbolList_ms"] = Counter(symbols, Counter::kAvgIterations);
}
BENCHMARK(BM_StartUpInFreshProcess)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);

} // namespace
