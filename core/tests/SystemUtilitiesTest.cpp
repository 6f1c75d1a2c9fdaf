#include "text/QevStringArray.h"
#include "utils/QevBacktrace.h"
#include "utils/QevColors.h"
#include "utils/QevCpuTime.h"
#include "utils/QevDemangling.h"
#include "utils/QevRandomNumber.h"
#include "utils/QevSystemClipboard.h"
#include "utils/QevSystemCommand.h"
#include "utils/QevSystemInfos.h"
#include "utils/QevThread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <errno.h>
#include <limits>
#include <stdexcept>
#include <thread>
#include <vector>

using qev::String;

// Exported and kept out of line so that the stack shows them; the asm statements keep the calls
// out of tail position.
namespace backtraceprobe
{
__attribute__((noinline)) qev::StringArray captureStack(unsigned int frames)
{
    qev::StringArray stack = qev::Backtrace::GetStack(frames, true);
    asm volatile("" ::: "memory");
    return stack;
}

__attribute__((noinline)) String askForCaller()
{
    String name = qev::Backtrace::GetCallerFunctionName();
    asm volatile("" ::: "memory");
    return name;
}

__attribute__((noinline)) String outerCaller()
{
    String name = askForCaller();
    asm volatile("" ::: "memory");
    return name;
}
} // namespace backtraceprobe

namespace
{
std::string text(String const& s)
{
    return s.GetStdString();
}
} // namespace

TEST(SystemUtilitiesTest, CounterKeepsItsStoredValueAcrossSmallBackwardSteps)
{
    struct Step
    {
        std::uint64_t reading;
        std::uint64_t storedAfter;
    };
    Step const steps[] = {
        {5000, 5000}, {4500, 5000}, // small step back: returned, not stored
        {4000, 5000},               // exactly one second back still counts as small
        {3900, 3900},               // more than a second back is stored
        {3950, 3950}, {200, 200},
        {100, 100}, // below 1000 the window wraps and is empty: every reading is stored
    };
    std::atomic<std::uint64_t> last{0};
    for (auto const& step : steps)
    {
        EXPECT_EQ(qev::CpuTime::applyBackwardStepRule(last, step.reading), step.reading);
        EXPECT_EQ(last.load(), step.storedAfter) << "after reading " << step.reading;
    }
}

TEST(SystemUtilitiesTest, ClocksMoveForwardTogether)
{
    auto const ticks0 = qev::CpuTime::GetHighResolutionTicks();
    auto const ms0 = qev::CpuTime::GetMillisecondCounter();
    EXPECT_EQ(qev::CpuTime::GetLastMillisecondCounterValue(), ms0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    auto const ms1 = qev::CpuTime::GetMillisecondCounter();
    auto const ticks1 = qev::CpuTime::GetHighResolutionTicks();
    EXPECT_GE(ms1 - ms0, 19u);
    EXPECT_LT(ms1 - ms0, 5000u);
    // The tick readings bracket the millisecond readings.
    double const tickMilliseconds =
        double(ticks1 - ticks0) * 1000.0 / double(qev::CpuTime::GetHighResolutionTicksPerSecond());
    EXPECT_LE(double(ms1 - ms0), tickMilliseconds + 1.0);
}

TEST(SystemUtilitiesTest, SleepRequests)
{
    double const nan = std::numeric_limits<double>::quiet_NaN();
    double const inf = std::numeric_limits<double>::infinity();
    struct Case
    {
        double milliseconds;
        bool sleeps;
        long seconds;
        long nanoseconds;
    };
    Case const cases[] = {
        {1.9, true, 0, 1000000},
        {2500.0, true, 2, 500000000},
        {1.0, true, 0, 1000000},
        {0.99, false, 0, 0},
        {0.0, false, 0, 0},
        {-5.0, false, 0, 0},
        {-1e300, false, 0, 0},
        {nan, false, 0, 0},
        {-inf, false, 0, 0},
        {1e300, true, 2147483, 647000000},
        {inf, true, 2147483, 647000000},
    };
    for (auto const& c : cases)
    {
        long seconds = -1;
        long nanoseconds = -1;
        EXPECT_EQ(qev::Thread::getSleepRequest(c.milliseconds, seconds, nanoseconds), c.sleeps)
            << c.milliseconds;
        EXPECT_EQ(seconds, c.seconds) << c.milliseconds;
        EXPECT_EQ(nanoseconds, c.nanoseconds) << c.milliseconds;
    }

    auto const start = std::chrono::steady_clock::now();
    qev::Thread::Sleep(-1e300);
    qev::Thread::Sleep(nan);
    qev::Thread::Sleep(5.7);
    auto const elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(5));
    EXPECT_LT(elapsed, std::chrono::seconds(2));
}

TEST(SystemUtilitiesTest, RandomSequenceFromAKnownSeed)
{
    qev::RandomNumber random(1);
    EXPECT_EQ(random.NextInt(), 384748);
    EXPECT_EQ(random.GetSeed(), 0x5DEECE678);
    int const following[] = {-1151252339, -549383847, 1612966641, -883454042};
    for (int expected : following)
        EXPECT_EQ(random.NextInt(), expected);
    EXPECT_EQ(random.GetSeed(), 0xcb578fa6a2fc);

    random.SetSeed(1);
    random.CombineSeed(12345);
    EXPECT_EQ(random.GetSeed(), 0x5658df3ec8997);
    EXPECT_EQ(random.NextInt(), 1944725640);

    qev::RandomNumber copy(random);
    EXPECT_EQ(copy.NextInt(), random.NextInt());
}

TEST(SystemUtilitiesTest, SystemRandomIsOneSeededGenerator)
{
    qev::RandomNumber& first = qev::RandomNumber::GetSystemRandom();
    EXPECT_EQ(&first, &qev::RandomNumber::GetSystemRandom());
    EXPECT_NE(first.GetSeed(), 1);
}

TEST(SystemUtilitiesTest, ConcurrentDrawsNeverRepeatAState)
{
    // Two threads sharing one generator together draw exactly the values of one sequence.
    constexpr int perThread = 20000;
    qev::RandomNumber shared(42);
    std::vector<int> drawnA, drawnB;
    std::thread a(
        [&]
        {
            for (int i = 0; i < perThread; ++i)
                drawnA.push_back(shared.NextInt());
        });
    std::thread b(
        [&]
        {
            for (int i = 0; i < perThread; ++i)
                drawnB.push_back(shared.NextInt());
        });
    a.join();
    b.join();
    drawnA.insert(drawnA.end(), drawnB.begin(), drawnB.end());
    std::sort(drawnA.begin(), drawnA.end());

    qev::RandomNumber reference(42);
    std::vector<int> expected;
    for (int i = 0; i < 2 * perThread; ++i)
        expected.push_back(reference.NextInt());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(drawnA, expected);
}

TEST(SystemUtilitiesTest, NamedColours)
{
    ASSERT_EQ(qev::Colors::GetNumColors(), 137u);
    EXPECT_STREQ(qev::Colors::GetColor(0)->name, "aliceblue");
    EXPECT_STREQ(qev::Colors::GetColor(136)->name, "yellowgreen");
    EXPECT_EQ(qev::Colors::GetColor(137), nullptr);
    for (unsigned long i = 1; i < qev::Colors::GetNumColors(); ++i)
        EXPECT_LT(std::strcmp(qev::Colors::GetColor(i - 1)->name, qev::Colors::GetColor(i)->name), 0);

    struct Case
    {
        char const* name;
        int red, green, blue;
    };
    Case const known[] = {
        {"aliceblue", 240, 248, 255}, {"darkgrey", 85, 85, 85},      {"lightgrey", 211, 211, 211},
        {"RED", 255, 0, 0},           {"rebeccapurple", -1, 0, 0},   {"grey", 128, 128, 128},
        {"gray", -1, 0, 0},           {"ghostwhite", -1, 0, 0},      {"lawngreen", -1, 0, 0},
        {"moccasin", -1, 0, 0},       {"yellowgreen", 154, 205, 50}, {"", -1, 0, 0},
    };
    for (auto const& c : known)
    {
        auto const* colour = qev::Colors::FindColor(c.name);
        if (c.red < 0)
        {
            EXPECT_EQ(colour, nullptr) << c.name;
            continue;
        }
        ASSERT_NE(colour, nullptr) << c.name;
        EXPECT_EQ(colour->red, c.red / 255.0f) << c.name;
        EXPECT_EQ(colour->green, c.green / 255.0f) << c.name;
        EXPECT_EQ(colour->blue, c.blue / 255.0f) << c.name;
    }
    EXPECT_EQ(qev::Colors::FindColor(nullptr), nullptr);
    EXPECT_EQ(qev::Colors::FindColor("teal")->ToColorRGBA(0.5f),
              qev::ColorRGBA(0.0f, 128 / 255.0f, 128 / 255.0f, 0.5f));
}

TEST(SystemUtilitiesTest, ClipboardKeepsTextUntilABackendIsInstalled)
{
    qev::SystemClipboard::CopyTextToClipboard(String("/a 1"));
    EXPECT_EQ(text(qev::SystemClipboard::GetTextFromClipboard()), "/a 1");

    struct Recording : qev::SystemClipboard::Backend
    {
        void CopyText(String const& t) override
        {
            if (t == "fail")
                throw std::runtime_error("no clipboard");
            copied = t;
        }
        String GetText() override { return copied; }
        String copied;
    } backend;

    qev::SystemClipboard::SetBackend(&backend);
    qev::SystemClipboard::CopyTextToClipboard(String("/b 2"));
    EXPECT_EQ(text(backend.copied), "/b 2");
    qev::SystemClipboard::CopyTextToClipboard(String("fail")); // swallowed
    EXPECT_EQ(text(qev::SystemClipboard::GetTextFromClipboard()), "/b 2");
    qev::SystemClipboard::SetBackend(nullptr);
    EXPECT_EQ(text(qev::SystemClipboard::GetTextFromClipboard()), "/a 1");
}

TEST(SystemUtilitiesTest, ShellCommandOutput)
{
    struct Case
    {
        char const* command;
        std::string expected;
    };
    Case const cases[] = {
        {"printf 'one\\ntwo\\n'", "one\ntwo\n"},
        {"printf abc; exit 3", "abc"},
        {"true", ""},
        {"head -c 10000 /dev/zero | tr '\\0' x", std::string(10000, 'x')},
        {"printf 'a\\0b'", std::string("a\0b", 3)},
    };
    for (auto const& c : cases)
        EXPECT_EQ(text(qev::SystemCommand::Execute(String(c.command))), c.expected) << c.command;

    std::vector<std::thread> threads;
    std::vector<std::string> results(4);
    for (int i = 0; i < 4; ++i)
        threads.emplace_back(
            [i, &results] { results[i] = text(qev::SystemCommand::Execute(String("echo ") + String(i))); });
    for (auto& t : threads)
        t.join();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(results[i], std::to_string(i) + "\n");
}

TEST(SystemUtilitiesTest, ProcessPathAndHostDetection)
{
    qev::SystemInfos::InitializeSystemInfos();
    std::string const path = text(qev::SystemInfos::GetFullpathOfTheCurrentProcess());
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    char* const resolved = realpath(program_invocation_name, nullptr);
    ASSERT_NE(resolved, nullptr);
    EXPECT_EQ(path, resolved);
    std::free(resolved);
    EXPECT_FALSE(qev::SystemInfos::IsRunningInsideAbletonLive());

    struct Case
    {
        char const* path;
        bool live;
    };
    Case const cases[] = {
        {"/Applications/Ableton Live 12 Suite.app/Contents/MacOS/Ableton Live 12 Suite", true},
        {"/opt/Live", true},
        {"/opt/Ableton/host", true},
        {"/opt/live", false},
        {"/opt/ableton live/host", false},
        {"/usr/local/bin/maxhost", false},
        {"", false},
    };
    for (auto const& c : cases)
        EXPECT_EQ(qev::SystemInfos::isAbletonLivePath(String(c.path)), c.live) << c.path;
}

TEST(SystemUtilitiesTest, Demangling)
{
    struct Case
    {
        char const* symbol;
        char const* readable;
    };
    Case const cases[] = {
        {"_ZN3qev6String5ClearEv", "qev::String::Clear()"},
        {"_ZN3qev6Thread5SleepEd", "qev::Thread::Sleep(double)"},
        {"main", "main"},
        {"__libc_start_main", "__libc_start_main"},
        {"_Zxyz", "_Zxyz"},
        {"", ""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(text(qev::Demangling::Demangle(String(c.symbol))), c.readable) << c.symbol;

    // A short symbol whose readable form outgrows any fixed work buffer: one long qualified name,
    // then forty back-references to it.
    std::string mangled = "_Z1fN3qev";
    std::string qualified = "qev";
    for (int i = 0; i < 30; ++i)
    {
        mangled += "9abcdefghi";
        qualified += "::abcdefghi";
    }
    mangled += "E";
    std::string expected = "f(" + qualified;
    for (int i = 0; i < 40; ++i)
    {
        mangled += "ST_";
        expected += ", " + qualified;
    }
    expected += ")";
    ASSERT_GT(expected.size(), 8192u);
    std::string const readable = text(qev::Demangling::Demangle(String(mangled.c_str())));
    EXPECT_EQ(readable.size(), expected.size());
    EXPECT_TRUE(readable == expected);
}

TEST(SystemUtilitiesTest, BacktraceLinesOfBothForms)
{
    struct Case
    {
        char const* line;
        char const* name;
        char const* demangled;
    };
    Case const cases[] = {
        // image(symbol+offset) [address]
        {"/work/build/core/qev_core_tests(_ZN3qev6String5ClearEv+0x1c) [0x55d5c0a1b2c3]",
         "qev::String::Clear()",
         "/work/build/core/qev_core_tests(qev::String::Clear()+0x1c) [0x55d5c0a1b2c3]"},
        {"/lib/x86_64-linux-gnu/libc.so.6(__libc_start_main+0xf3) [0x7f3a1c02d083]", "__libc_start_main",
         "/lib/x86_64-linux-gnu/libc.so.6(__libc_start_main+0xf3) [0x7f3a1c02d083]"},
        {"./host(main+0x10) [0x401136]", "main()", "./host(main()+0x10) [0x401136]"},
        {"/opt/My Host (x86)/bin/host(_ZN3qev6Thread5SleepEd-0x8) [0x1]", "qev::Thread::Sleep(double)",
         "/opt/My Host (x86)/bin/host(qev::Thread::Sleep(double)-0x8) [0x1]"},
        {"./host(_ZN3qev6String5ClearEv) [0x401136]", "qev::String::Clear()",
         "./host(qev::String::Clear()) [0x401136]"},
        {"./host(+0x1136) [0x401136]", "", "./host(+0x1136) [0x401136]"},
        {"./host() [0x401136]", "", "./host() [0x401136]"},
        {"[0x401136]", "", "[0x401136]"},
        // index image address symbol + offset
        {"3   libqev.dylib                        0x000000010f5e3c1d _ZN3qev6String5ClearEv + 29",
         "qev::String::Clear()", "3 libqev.dylib 0x000000010f5e3c1d qev::String::Clear() + 29"},
        {"0   trov5.cclink  0x0000000102a4b000 main + 12", "main()",
         "0 trov5.cclink 0x0000000102a4b000 main() + 12"},
        {"12  libdyld.dylib 0x00007fff2036cf3d start + 1", "start()",
         "12 libdyld.dylib 0x00007fff2036cf3d start() + 1"},
        {"4   libsystem_c.dylib   0x00007fff203e5e1f abort + 120", "abort",
         "4 libsystem_c.dylib 0x00007fff203e5e1f abort + 120"},
        {"1   libqev.dylib 0x1 _ZN3qev6String5ClearEv +", "", ""}, // five fields
        {"1   Max Host 0x1 _ZN3qev6String5ClearEv + 2", "", ""},   // seven: a blank in the image
        {"", "", ""},
    };
    for (auto const& c : cases)
    {
        EXPECT_EQ(text(qev::Backtrace::getFunctionNameFromBacktraceSymbol(String(c.line))), c.name) << c.line;
        EXPECT_EQ(text(qev::Backtrace::demangleBacktraceSymbol(String(c.line))), c.demangled) << c.line;
    }
    EXPECT_EQ(text(qev::Backtrace::describeFrame(String("5   ???  0x0000000000000000 0x0 + 0"), true)),
              "???");
    EXPECT_EQ(text(qev::Backtrace::describeFrame(String("./host(main+0x10) [0x401136]"), false)),
              "./host(main()+0x10) [0x401136]");
}

TEST(SystemUtilitiesTest, LiveStackNamesItsFrames)
{
    qev::StringArray const stack = backtraceprobe::captureStack(3);
    ASSERT_EQ(stack.GetSize(), 3u);
    EXPECT_EQ(text(stack[0]), "qev::Backtrace::GetStack(unsigned int, bool)");
    EXPECT_EQ(text(stack[1]), "backtraceprobe::captureStack(unsigned int)");

    EXPECT_GT(backtraceprobe::captureStack(200).GetSize(), 3u);
    EXPECT_EQ(backtraceprobe::captureStack(0).GetSize(), 0u);
    EXPECT_EQ(text(backtraceprobe::outerCaller()), "backtraceprobe::outerCaller()");
}
