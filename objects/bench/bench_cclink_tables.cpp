// Tables of any size through the stand-in host, in process: loading a table of mappings, the
// memory each mapping holds, one controller event, "open", "clear" and the host left idle, with
// the editor window hidden and shown. The tables map the controller space (see CclinkBench.h). A
// case ends when the host has nothing of it left to do: with the window hidden, once the main
// thread's tasks have run and a turn of the host's loop finds the GUI's message queue empty; with
// the window shown, once the rows are on screen. Every case fixes its iteration count, so that
// repetitions can be interleaved (--benchmark_enable_random_interleaving). Figures only: nothing
// here judges a time.
//
// The shown cases read the screen through an X connection of their own: they need a display of
// 24 bits or more on which the whole window fits, for instance
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/bench_cclink_tables
// and are left out without one.

#include "CclinkBench.h"
#include "XWindowName.h"
#include "maxhost_control.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>

namespace
{

using Clock = std::chrono::steady_clock;

cclinkbench::Session session;
cclinkbench::Sink& sink = session.sink;

double secondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// One turn of the host's loop after a line, as the `maxhost` program takes it.
void hostTurn()
{
    maxhost::RunMainThreadTasks();
    session.bundle.Idle();
    maxhost::RunMainThreadTasks();
}

// Turns of the host's loop until one finds nothing to do. A turn with nothing pending takes under
// a microsecond (see idleTurn); one that dispatches even a single row's worth of GUI messages
// takes longer.
bool settle()
{
    constexpr auto quiet = std::chrono::microseconds(1000);
    auto const limit = Clock::now() + std::chrono::minutes(5);
    for (;;)
    {
        auto const start = Clock::now();
        hostTurn();
        auto const end = Clock::now();
        if (end - start < quiet)
            return true;
        if (end > limit)
            return false;
    }
}

std::filesystem::path mappingFile(int count)
{
    std::filesystem::path const file =
        session.folder / ("controller-space-" + std::to_string(count) + ".xml");
    if (!std::filesystem::exists(file))
        cclinkbench::WriteMappings(file, count, cclinkbench::ControllerSpace);
    return file;
}

void send(object* x, char const* selector, long argc = 0, atom* argv = nullptr)
{
    maxhost::SendMessage(x, gensym(selector), argc, argv);
}

void sendLoad(object* x, int count)
{
    atom path{};
    atom_setsym(&path, gensym(mappingFile(count).c_str()));
    send(x, "load", 1, &path);
}

object* objectWithTable(int count)
{
    object* const x = maxhost::NewObject(session.cclinkClass);
    sendLoad(x, count);
    settle();
    return x;
}

void freeObject(object* x)
{
    maxhost::FreeObject(x);
    settle();
}

// Bytes the process holds from the heap.
double heapInUse()
{
    struct mallinfo2 const info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

// What the X server shows of the editor window, read with a connection of our own.
class Screen
{
public:
    static constexpr char const* title = "MIDI / OSC Mapping";
    // The panel's layout: the column titles above a view of the rows.
    static constexpr int headerHeight = 30;
    static constexpr int viewHeight = 370;
    static constexpr int rowHeight = 21;
    static constexpr int patternLeft = 187;
    static constexpr int patternWidth = 250;
    static constexpr unsigned long evenRowColour = 0xEDF3FE;
    static constexpr unsigned long oddRowColour = 0xFFFFFF;

    ~Screen()
    {
        if (x != nullptr)
            XCloseDisplay(x);
    }

    // "" when the screen can be read, else why not.
    std::string Open()
    {
        x = XOpenDisplay(nullptr);
        if (x == nullptr)
            return "no X display";
        if (DefaultDepth(x, DefaultScreen(x)) < 24)
            return "the display has fewer than 24 bits per pixel";
        return "";
    }

    // The topmost mapped window with the editor's title, or 0; under a window manager, the client
    // inside its frame.
    ::Window FindEditor() const { return live::FindMappedWindow(x, title); }

    // "" when the whole window is on screen, else why it cannot be read.
    std::string CheckFits(::Window w) const
    {
        XWindowAttributes window{}, root{};
        if (XGetWindowAttributes(x, w, &window) == 0 ||
            XGetWindowAttributes(x, DefaultRootWindow(x), &root) == 0)
            return "the window has gone";
        // A framed window's position is within its frame.
        int left = 0, top = 0;
        ::Window child = 0;
        XTranslateCoordinates(x, w, DefaultRootWindow(x), 0, 0, &left, &top, &child);
        if (left < 0 || top < 0 || left + window.width > root.width || top + window.height > root.height)
            return "the window does not fit on the display";
        if (window.height < headerHeight + viewHeight)
            return "the window is smaller than the editor";
        return "";
    }

    // Whether the window shows the visible rows of a table of count mappings: each with its
    // background colour at its left edge and text in its pattern column (the first and the last
    // of them).
    bool RowsPainted(::Window w, int count) const
    {
        int const visible = std::min(count, viewHeight / rowHeight);
        if (visible == 0)
            return true;
        auto const edge = grab(w, 0, headerHeight, 1, visible * rowHeight);
        if (edge == nullptr)
            return false;
        for (int i = 0; i < visible; ++i)
        {
            unsigned long const expected = i % 2 == 0 ? evenRowColour : oddRowColour;
            if ((XGetPixel(edge.get(), 0, i * rowHeight + rowHeight / 2) & 0xFFFFFF) != expected)
                return false;
        }
        return hasText(w, 0) && hasText(w, visible - 1);
    }

    // Whether the window shows no row: the first row's place has lost its colour.
    bool NoRowPainted(::Window w) const
    {
        auto const edge = grab(w, 0, headerHeight + rowHeight / 2, 1, 1);
        return edge != nullptr && (XGetPixel(edge.get(), 0, 0) & 0xFFFFFF) != evenRowColour;
    }

private:
    struct ImageDeleter
    {
        void operator()(XImage* image) const { XDestroyImage(image); }
    };
    using Image = std::unique_ptr<XImage, ImageDeleter>;

    Image grab(::Window w, int left, int top, int width, int height) const
    {
        return Image(XGetImage(x, w, left, top, static_cast<unsigned>(width), static_cast<unsigned>(height),
                               AllPlanes, ZPixmap));
    }

    // Dark pixels in the pattern column of row i: its address drawn.
    bool hasText(::Window w, int row) const
    {
        auto const image =
            grab(w, patternLeft + 2, headerHeight + row * rowHeight + 3, patternWidth - 4, rowHeight - 6);
        if (image == nullptr)
            return false;
        int dark = 0;
        for (int py = 0; py < image->height; ++py)
            for (int px = 0; px < image->width; ++px)
            {
                unsigned long const pixel = XGetPixel(image.get(), px, py);
                unsigned long const sum = ((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF);
                if (sum < 3 * 0x80)
                    ++dark;
            }
        return dark >= 8;
    }

    Display* x = nullptr;
};

std::unique_ptr<Screen> screen;

// Host turns until the editor window shows the first rows of a table of count mappings (none for
// 0). The time it took, or a negative number when that did not happen within a minute.
double untilPainted(int count)
{
    auto const start = Clock::now();
    auto const limit = start + std::chrono::minutes(1);
    for (;;)
    {
        hostTurn();
        ::Window const w = screen->FindEditor();
        auto const now = Clock::now();
        if (w != 0 && (count == 0 ? screen->NoRowPainted(w) : screen->RowsPainted(w, count)))
            return secondsBetween(start, now);
        if (now > limit)
            return -1.0;
    }
}

// Objects kept from one case to the next, so that the cases at a size load their table once.
std::map<int, object*> kept;

object* keptObject(int count)
{
    object*& x = kept[count];
    if (x == nullptr)
        x = objectWithTable(count);
    return x;
}

// Shows or hides the kept object's window, and waits until that is done.
bool setShown(object* x, int count, bool shown)
{
    if (!shown)
    {
        send(x, "wclose");
        return settle();
    }
    send(x, "open");
    return untilPainted(count) >= 0.0;
}

void loadHidden(benchmark::State& state)
{
    int const count = static_cast<int>(state.range(0));
    double post = 0.0, release = 0.0;
    long const errors = sink.errors;
    for (auto _ : state)
    {
        object* const x = maxhost::NewObject(session.cclinkClass);
        settle();
        auto const start = Clock::now();
        sendLoad(x, count);
        settle();
        auto const end = Clock::now();
        state.SetIterationTime(secondsBetween(start, end));
        post += secondsBetween(start, sink.loadedAt);
        freeObject(x);
        release += secondsBetween(end, Clock::now());
    }
    if (sink.errors != errors)
        state.SkipWithError("the load failed");
    auto const perIteration = [&](double seconds)
    { return benchmark::Counter(seconds * 1e3 / static_cast<double>(state.iterations())); };
    state.counters["post_ms"] = perIteration(post);
    state.counters["free_ms"] = perIteration(release);
}

// One controller event, value changing each time, that changes the mappings of one controller of
// the table (one below 2,048 mappings): the call on its thread (call_us), then the host's loop turn
// after it (turn_us), which runs what the call left to the main thread (the refresh through the
// queue element, GUI messages, painting). The slowest event of a run is max_ms: the longest a line
// waits to be answered.
void controllerEvent(benchmark::State& state, bool shown, bool scheduler)
{
    int const count = static_cast<int>(state.range(0));
    object* const x = keptObject(count);
    if (!setShown(x, count, shown))
    {
        state.SkipWithError("the window did not change");
        return;
    }
    maxhost::SchedulerThread thread;
    symbol* const list = gensym("list");
    atom event[3];
    atom_setlong(&event[1], cclinkbench::ControllerHit(count));
    atom_setlong(&event[2], 1);
    int value = 0;
    double call = 0.0, turn = 0.0, slowest = 0.0;
    long const before = sink.outputs;
    for (auto _ : state)
    {
        value = (value + 1) & 0x7F;
        atom_setlong(&event[0], value);
        double seconds = 0.0;
        auto const deliver = [&]
        {
            auto const start = Clock::now();
            maxhost::SendMessage(x, list, 3, event);
            seconds = secondsBetween(start, Clock::now());
        };
        if (scheduler)
            thread.Run(deliver);
        else
            deliver();
        auto const turnStart = Clock::now();
        hostTurn();
        double const turnSeconds = secondsBetween(turnStart, Clock::now());
        call += seconds;
        turn += turnSeconds;
        slowest = std::max(slowest, seconds + turnSeconds);
        state.SetIterationTime(seconds + turnSeconds);
    }
    // Past 2,048 mappings the controller space starts again: an event converts every mapping of its
    // controller, into one bundle.
    if (sink.outputs - before != static_cast<long>(state.iterations()))
        state.SkipWithError("not one output per event");
    auto const perIteration = [&](double seconds)
    { return benchmark::Counter(seconds * 1e6 / static_cast<double>(state.iterations())); };
    state.counters["call_us"] = perIteration(call);
    state.counters["turn_us"] = perIteration(turn);
    state.counters["max_ms"] = benchmark::Counter(slowest * 1e3);
}

// The host's loop left idle, turning as the `maxhost` program does while it waits, with a table
// of count mappings whose editor has been opened and is still shown, or closed again: the main
// thread's time per second of idling, in milliseconds (100 is 10 %), with the whole process's
// beside it (process_ms: the framework's timer thread too).
void idle(benchmark::State& state, bool shown)
{
    int const count = static_cast<int>(state.range(0));
    object* const x = keptObject(count);
    if (!setShown(x, count, true) || (!shown && !setShown(x, count, false)) || !settle())
    {
        state.SkipWithError("the window did not change");
        return;
    }
    auto const cpuSeconds = [](clockid_t clock)
    {
        timespec t{};
        clock_gettime(clock, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    };
    double process = 0.0;
    for (auto _ : state)
    {
        auto const start = Clock::now();
        double const thread = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        double const all = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        while (Clock::now() - start < std::chrono::seconds(1))
        {
            hostTurn();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        double const wall = secondsBetween(start, Clock::now());
        state.SetIterationTime((cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - thread) / wall);
        process += (cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - all) / wall;
    }
    state.counters["process_ms"] =
        benchmark::Counter(process * 1e3 / static_cast<double>(state.iterations()));
}

// A turn of the host's loop with nothing to do: what every turn_us above holds at the least.
void idleTurn(benchmark::State& state)
{
    object* const x = keptObject(1);
    setShown(x, 1, false);
    for (auto _ : state)
        hostTurn();
}

void clearHidden(benchmark::State& state)
{
    int const count = static_cast<int>(state.range(0));
    for (auto _ : state)
    {
        object* const x = objectWithTable(count);
        auto const start = Clock::now();
        send(x, "clear");
        settle();
        state.SetIterationTime(secondsBetween(start, Clock::now()));
        freeObject(x);
    }
}

// The heap that a table of count mappings holds through its object: loaded with the window never
// opened, then once the window has been opened and painted (negative when it was not).
struct Footprint
{
    double hidden = 0.0;
    double opened = -1.0;
};

Footprint footprint(int count, bool open)
{
    Footprint bytes;
    double const before = heapInUse();
    object* const x = objectWithTable(count);
    bytes.hidden = heapInUse() - before;
    if (open && setShown(x, count, true) && settle())
        bytes.opened = heapInUse() - before;
    freeObject(x);
    return bytes;
}

// Kilobytes per mapping: the difference between a table of count mappings and one of a single
// mapping, so that what every object holds (the window, the panel) drops out.
void memoryPerMapping(benchmark::State& state)
{
    int const count = static_cast<int>(state.range(0));
    bool const open = screen != nullptr;
    Footprint one, many;
    for (auto _ : state)
    {
        one = footprint(1, open);
        many = footprint(count, open);
    }
    auto const perMapping = [&](double oneBytes, double manyBytes)
    { return benchmark::Counter((manyBytes - oneBytes) / (count - 1) / 1024.0); };
    state.counters["hidden_KB"] = perMapping(one.hidden, many.hidden);
    if (open && (one.opened < 0.0 || many.opened < 0.0))
        state.SkipWithError("the rows were not painted");
    else if (open)
        state.counters["opened_KB"] = perMapping(one.opened, many.opened);
}

// Shown-window cases, each on an object of its own that prepare readies: from the message until
// the window paints the rows of painted mappings, with the time until the host's loop is quiet
// again (settled_ms) beside it and, after a load, the time until the load was posted (post_ms).
void shownCase(benchmark::State& state, std::function<bool(object*)> const& prepare,
               std::function<void(object*)> const& message, int painted)
{
    double post = 0.0, settled = 0.0;
    for (auto _ : state)
    {
        object* const x = maxhost::NewObject(session.cclinkClass);
        if (!prepare(x))
            state.SkipWithError("the window did not open");
        else
        {
            auto const loaded = sink.loadedAt;
            auto const start = Clock::now();
            message(x);
            if (untilPainted(painted) < 0.0)
                state.SkipWithError("the rows were not painted");
            state.SetIterationTime(secondsBetween(start, Clock::now()));
            settle();
            settled += secondsBetween(start, Clock::now());
            if (sink.loadedAt != loaded)
                post += secondsBetween(start, sink.loadedAt);
            send(x, "wclose");
        }
        freeObject(x);
        if (state.error_occurred())
            return;
    }
    auto const perIteration = [&](double seconds)
    { return benchmark::Counter(seconds * 1e3 / static_cast<double>(state.iterations())); };
    state.counters["settled_ms"] = perIteration(settled);
    if (post > 0.0)
        state.counters["post_ms"] = perIteration(post);
}

void loadShown(benchmark::State& state)
{
    int const count = static_cast<int>(state.range(0));
    shownCase(
        state, [](object* x) { return setShown(x, 1, true); }, [&](object* x) { sendLoad(x, count); }, count);
}

void openAfterHiddenLoad(benchmark::State& state)
{
    int const count = static_cast<int>(state.range(0));
    shownCase(
        state,
        [&](object* x)
        {
            sendLoad(x, count);
            return settle();
        },
        [](object* x) { send(x, "open"); }, count);
}

// Until no row is painted.
void clearShown(benchmark::State& state)
{
    int const count = static_cast<int>(state.range(0));
    shownCase(
        state,
        [&](object* x)
        {
            sendLoad(x, count);
            return settle() && setShown(x, count, true);
        },
        [](object* x) { send(x, "clear"); }, 0);
}

// Whether the bundle can open its window here and we can read it; "" when so.
std::string probeDisplay()
{
    screen = std::make_unique<Screen>();
    std::string problem = screen->Open();
    if (problem.empty())
    {
        object* const probe = maxhost::NewObject(session.cclinkClass);
        long const errors = sink.errors;
        send(probe, "open");
        if (sink.errors != errors)
            problem = "the bundle has no display";
        else
        {
            ::Window w = 0;
            for (int turns = 0; turns < 1000 && w == 0; ++turns)
            {
                hostTurn();
                w = screen->FindEditor();
            }
            problem = w == 0 ? "the editor window did not appear" : screen->CheckFits(w);
            // The framework shows its splash screen over the first windows of a process and fades
            // it out, repainting, for 4 s after the first paint: no later case should see it.
            auto const splashGone = Clock::now() + std::chrono::milliseconds(4500);
            while (problem.empty() && Clock::now() < splashGone)
            {
                hostTurn();
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        send(probe, "wclose");
        freeObject(probe);
    }
    if (!problem.empty())
        screen.reset();
    return problem;
}

// The slow cases: one measure per repetition, in milliseconds.
void oncePerRepetition(benchmark::internal::Benchmark* b, std::initializer_list<int> counts, int repetitions)
{
    b->ArgName("mappings")
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(repetitions);
    for (int count : counts)
        b->Arg(count);
}

void registerBenchmarks(bool shownCases)
{
    using benchmark::RegisterBenchmark;
    for (int count : {512, 1024, 2048, 4000})
        oncePerRepetition(RegisterBenchmark("loadHidden", loadHidden), {count}, count > 2048 ? 3 : 5);
    RegisterBenchmark("memoryPerMapping", memoryPerMapping)
        ->ArgName("mappings")
        ->Arg(2048)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    RegisterBenchmark("idleTurn", idleTurn)->Iterations(100000);
    for (bool shown : {false, true})
    {
        if (shown && !shownCases)
            continue;
        for (bool scheduler : {true, false})
        {
            std::string const name = std::string("controllerEvent/") + (shown ? "shown" : "hidden") + "/" +
                                     (scheduler ? "scheduler_thread" : "main_thread");
            auto* const b = RegisterBenchmark(name.c_str(), controllerEvent, shown, scheduler)
                                ->ArgName("mappings")
                                ->Arg(1)
                                ->Arg(2048)
                                ->UseManualTime()
                                ->Unit(benchmark::kMicrosecond)
                                ->Iterations(shown ? 1000 : 20000)
                                ->Repetitions(5);
            if (shown)
                b->Arg(8192);
        }
    }
    oncePerRepetition(RegisterBenchmark("clearHidden", clearHidden), {2048}, 3);
    if (!shownCases)
        return;
    for (bool shown : {true, false})
        oncePerRepetition(RegisterBenchmark(shown ? "idle/shown" : "idle/closed", idle, shown),
                          {1, 2048, 8192}, 3);
    oncePerRepetition(RegisterBenchmark("loadShown", loadShown), {2048, 8192}, 3);
    oncePerRepetition(RegisterBenchmark("openAfterHiddenLoad", openAfterHiddenLoad), {2048, 8192}, 3);
    oncePerRepetition(RegisterBenchmark("clearShown", clearShown), {2048, 8192}, 3);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!session.Start("bench_cclink_tables"))
        return 2;
    std::string const problem = probeDisplay();
    if (!problem.empty())
        std::fprintf(stderr, "bench_cclink_tables: the cases with the window shown are left out: %s\n",
                     problem.c_str());
    registerBenchmarks(problem.empty());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (auto const& [count, x] : kept)
        maxhost::FreeObject(x);
    kept.clear();
    settle();
    screen.reset();
    session.Stop();
    return 0;
}
