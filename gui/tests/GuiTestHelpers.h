#pragma once

#include "common/QguiRuntime.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <chrono>
#include <cstdlib>
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

// Holds the compositing manager's selection of screen 0 on an X connection of its own, so that
// the framework finds a compositing window manager, as on a desktop that runs one, and lets windows
// be see-through. Does nothing without a display.
class CompositingManagerStandIn
{
public:
    CompositingManagerStandIn();
    ~CompositingManagerStandIn(); // the selection goes with the connection
    CompositingManagerStandIn(CompositingManagerStandIn const&) = delete;
    CompositingManagerStandIn& operator=(CompositingManagerStandIn const&) = delete;

    bool IsRunning() const noexcept { return display != nullptr; }

private:
    void* display = nullptr;
};

// Publishes a work area on the root window (_NET_WORKAREA, in the server's pixels) while it lives,
// as a desktop's panels do. Does nothing without a display.
struct PublishedWorkArea
{
    explicit PublishedWorkArea(juce::Rectangle<int> area) { publish(&area); }
    ~PublishedWorkArea() { publish(nullptr); }
    static void publish(juce::Rectangle<int> const* area);
};

// Moves the top-level window's client to the place on the screen as another client would (a pager,
// the user's hand): through the window manager, without the GUI reading a single event. Waits
// until the X server has it there; false when it did not get there.
bool moveAsAnotherClient(juce::ComponentPeer& peer, juce::Point<int> place);

// Asks the window manager to make the window full screen or no longer, and tells whether it says
// the window is, as a pager does.
void askFullScreenAsAnotherClient(juce::ComponentPeer& peer, bool full);
bool saysFullScreen(juce::ComponentPeer& peer);

// Sends the window a press and release of the character's key through the X server, with Shift
// down or not and no other modifier; false without a display.
bool sendKey(juce::ComponentPeer& peer, char character, bool shift);

// What the component paints, on a transparent image of its size, as its window would show it.
inline juce::Image render(juce::Component& component)
{
    return component.createComponentSnapshot(component.getLocalBounds(), true, 1.0f);
}

// A pixel of text drawn in black: dark and mostly opaque.
inline bool isInk(juce::Colour pixel)
{
    return pixel.getAlpha() > 0x80 && pixel.getBrightness() < 0.5f;
}

inline int countInk(juce::Image const& image, juce::Rectangle<int> area)
{
    int count = 0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            count += isInk(image.getPixelAt(x, y)) ? 1 : 0;
    return count;
}

// Pixels that are not fully transparent.
inline int countDrawn(juce::Image const& image)
{
    int count = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            count += image.getPixelAt(x, y).getAlpha() != 0 ? 1 : 0;
    return count;
}

// The lowest row of the area that holds ink, -1 when there is none.
inline int lowestInkRow(juce::Image const& image, juce::Rectangle<int> area)
{
    for (int y = area.getBottom() - 1; y >= area.getY(); --y)
        if (countInk(image, area.withY(y).withHeight(1)) > 0)
            return y;
    return -1;
}

// Each channel, alpha included, within the tolerance: anti-aliasing and gradients are not exact.
inline ::testing::AssertionResult colourNear(juce::Colour expected, juce::Colour actual, int tolerance = 3)
{
    auto const off = [&](juce::uint8 a, juce::uint8 b) { return std::abs(int(a) - int(b)) > tolerance; };
    if (off(expected.getAlpha(), actual.getAlpha()) || off(expected.getRed(), actual.getRed()) ||
        off(expected.getGreen(), actual.getGreen()) || off(expected.getBlue(), actual.getBlue()))
        return ::testing::AssertionFailure()
               << "expected " << expected.toDisplayString(true) << ", got " << actual.toDisplayString(true);
    return ::testing::AssertionSuccess();
}

// Writes the image as a PNG into the build folder, for a person to look at; never committed.
inline void saveScreenshot(juce::Image const& image, char const* name)
{
    auto const folder = juce::File(QGUI_TEST_SCREENSHOTS);
    ASSERT_TRUE(folder.createDirectory());
    auto const file = folder.getChildFile(name).withFileExtension("png");
    file.deleteFile();
    juce::FileOutputStream stream(file);
    ASSERT_TRUE(stream.openedOk());
    ASSERT_TRUE(juce::PNGImageFormat().writeImageToStream(image, stream)) << name;
}

} // namespace guitest
