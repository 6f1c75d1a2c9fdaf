#pragma once

#include "common/QguiRuntime.h"

#include <juce_events/juce_events.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <chrono>
#include <functional>
#include <thread>

namespace guitest
{

// Pumps the GUI, as the host's idle loop does, until the condition holds or the time is up.
inline bool pumpUntil(std::function<bool()> const& condition,
                      std::chrono::milliseconds timeout = std::chrono::milliseconds(2000))
{
    auto const end = std::chrono::steady_clock::now() + timeout;
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > end)
            return false;
        qgui::Runtime::Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Pumps for a while, so that what the X server sends back is handled.
inline void pumpFor(std::chrono::milliseconds duration)
{
    pumpUntil([] { return false; }, duration);
}

// The label a slider shows its value in, or null.
inline juce::Label* textBoxOf(juce::Slider& slider)
{
    for (auto* child : slider.getChildren())
        if (auto* label = dynamic_cast<juce::Label*>(child))
            return label;
    return nullptr;
}

// Runs the function on a thread of its own and waits for it.
inline void onAnotherThread(std::function<void()> const& function)
{
    std::thread thread(function);
    thread.join();
}

} // namespace guitest
