#include "GuiTestHelpers.h"
#include "common/QguiPointerQueries.h"
#include "common/QguiRuntime.h"
#include "common/QguiXErrorIgnorer.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <thread>

// Last: its macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xlib.h>

using guitest::onAnotherThread;
using guitest::pumpUntil;

TEST(Runtime, CallsPostedFromAnyThreadRunOnTheMessageThreadOnlyWhenPumped)
{
    ASSERT_TRUE(qgui::Runtime::IsRunning());
    EXPECT_TRUE(qgui::Runtime::IsMessageThread());
    auto const mainThread = std::this_thread::get_id();
    std::atomic<int> runs{0};
    std::thread::id ranOn;
    bool offThreadIsMessageThread = true;
    int offThreadPump = -1;
    onAnotherThread(
        [&]
        {
            offThreadIsMessageThread = qgui::Runtime::IsMessageThread();
            juce::MessageManager::callAsync(
                [&]
                {
                    ranOn = std::this_thread::get_id();
                    ++runs;
                });
            // Pumping belongs to the message thread: elsewhere it must not dispatch anything.
            offThreadPump = qgui::Runtime::Pump();
        });
    EXPECT_FALSE(offThreadIsMessageThread);
    EXPECT_EQ(0, offThreadPump);
    EXPECT_EQ(0, runs.load());
    ASSERT_TRUE(pumpUntil([&] { return runs.load() == 1; }));
    EXPECT_EQ(mainThread, ranOn);
}

TEST(Runtime, PumpNeverWaitsWhenNothingIsPending)
{
    pumpUntil([] { return qgui::Runtime::Pump() == 0; });
    // A pump that slept while idle, even for a millisecond, would take a second here.
    auto const start = std::chrono::steady_clock::now();
    for (int i = 0; i < 1000; ++i)
        qgui::Runtime::Pump();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

TEST(Runtime, PumpFromInsideAMessageDoesNotReenter)
{
    int inner = -1;
    bool ran = false;
    juce::MessageManager::callAsync(
        [&]
        {
            juce::MessageManager::callAsync([] {});
            inner = qgui::Runtime::Pump();
            ran = true;
        });
    ASSERT_TRUE(pumpUntil([&] { return ran; }));
    EXPECT_EQ(0, inner);
}

TEST(Runtime, AnExceptionInAMessageNeverReachesTheHost)
{
    bool later = false;
    juce::MessageManager::callAsync([] { throw std::runtime_error("broken callback"); });
    juce::MessageManager::callAsync([&] { later = true; });
    EXPECT_NO_THROW(qgui::Runtime::Pump());
    // The message queued behind the failing one still runs.
    EXPECT_TRUE(pumpUntil([&] { return later; }));
}

TEST(Runtime, HasDisplayTellsWhetherThereIsAPrimaryDisplay)
{
    EXPECT_EQ(juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr,
              qgui::Runtime::HasDisplay());
    std::printf("display: %s\n", qgui::Runtime::HasDisplay() ? "yes" : "no");
}

TEST(Runtime, PointerQuestionsInABatchGetTheFirstAnswerAndAfterItTheServers)
{
    if (!qgui::Runtime::HasDisplay())
        GTEST_SKIP() << "no display";
    Display* const x = XOpenDisplay(nullptr);
    ASSERT_NE(nullptr, x);
    auto const warp = [&](int left, int top)
    {
        XWarpPointer(x, None, DefaultRootWindow(x), 0, 0, 0, 0, left, top);
        XSync(x, False);
    };
    auto const pointer = [] { return juce::Desktop::getInstance().getMousePosition(); };
    warp(10, 20);
    {
        qgui::PointerQueries::Batch const batch;
        EXPECT_EQ(juce::Point<int>(10, 20), pointer());
        warp(30, 40);
        EXPECT_EQ(juce::Point<int>(10, 20), pointer());
    }
    EXPECT_EQ(juce::Point<int>(30, 40), pointer());
    XCloseDisplay(x);
}

TEST(Runtime, ShutsDownAndStartsAgain)
{
    bool const display = qgui::Runtime::HasDisplay();
    qgui::Runtime::Shutdown();
    EXPECT_FALSE(qgui::Runtime::IsRunning());
    EXPECT_FALSE(qgui::Runtime::HasDisplay());
    EXPECT_FALSE(qgui::Runtime::IsMessageThread());
    EXPECT_EQ(0, qgui::Runtime::Pump());
    EXPECT_FALSE(qgui::XErrorIgnorer::IsInstalled());
    qgui::Runtime::Shutdown(); // a second shutdown does nothing

    qgui::Runtime::Initialise();
    qgui::Runtime::Initialise(); // nor does a second start
    ASSERT_TRUE(qgui::Runtime::IsRunning());
    EXPECT_TRUE(qgui::XErrorIgnorer::IsInstalled());
    EXPECT_EQ(display, qgui::Runtime::HasDisplay());
    bool ran = false;
    juce::MessageManager::callAsync([&] { ran = true; });
    EXPECT_TRUE(pumpUntil([&] { return ran; }));
}
