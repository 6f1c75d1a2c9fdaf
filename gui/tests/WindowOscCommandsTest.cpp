#include "GuiTestHelpers.h"
#include "common/QevException.h"
#include "common/QguiMaxMspWindowManager.h"
#include "common/QguiNativeWindow.h"
#include "common/QguiRuntime.h"
#include "common/WidgetsMidiOscMapComponent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

class Content : public qgui::ComponentWithOscInterface
{
public:
    Content() { setSize(300, 200); }
    void resized() override { ++layouts; }
    int layouts = 0;
};

struct Visibility : qgui::MaxMspWindowManager::Listener
{
    void WindowStateChanged(qgui::MaxMspWindowManager& window, qev::OscBundle const&) override
    {
        if (seen.empty() || seen.back() != window.isVisible())
            seen.push_back(window.isVisible());
    }
    std::vector<bool> seen;
};

template <typename... Arguments> qev::OscMessage message(char const* address, Arguments... arguments)
{
    qev::OscMessage result(address);
    (result.Add(qev::OscArgument(arguments)), ...);
    return result;
}

// Keeps the process-wide scale factor as it was.
struct ScaleGuard
{
    ~ScaleGuard() { juce::Desktop::getInstance().setGlobalScaleFactor(1.0f); }
};

std::vector<std::string> addresses(qev::OscBundle const& bundle)
{
    std::vector<std::string> result;
    for (auto const& element : bundle)
        result.push_back(element.GetMessage()->GetAddressPattern().GetText().GetStdString());
    return result;
}

bool near(juce::Rectangle<int> const& a, juce::Rectangle<int> const& b, int by)
{
    return std::abs(a.getX() - b.getX()) <= by && std::abs(a.getY() - b.getY()) <= by &&
           std::abs(a.getWidth() - b.getWidth()) <= by && std::abs(a.getHeight() - b.getHeight()) <= by;
}

qev::OscMessage const& find(qev::OscBundle const& bundle, char const* address)
{
    for (auto const& element : bundle)
        if (element.GetMessage()->GetAddressPattern().GetText() == qev::String(address))
            return *element.GetMessage();
    throw std::runtime_error(address);
}

} // namespace

class WindowOscCommands : public ::testing::Test
{
protected:
    bool process(qev::OscMessage const& m) { return window.processWindowMessage(m); }

    Content* content = new Content;
    qgui::MaxMspWindowManager window{content};
};

TEST_F(WindowOscCommands, SizesAndPositionsTakeNumbersTruncatedTowardZero)
{
    EXPECT_FALSE(process(message("/window")));
    EXPECT_TRUE(process(message("/window/size", 300.7, 200.9)));
    EXPECT_EQ(300, window.getWidth());
    EXPECT_EQ(200, window.getHeight());
    EXPECT_FALSE(process(message("/window/size", 10)));
    EXPECT_FALSE(process(message("/window/size", 10, 20, 30)));
    EXPECT_FALSE(process(message("/window/size", "10", 20)));

    EXPECT_TRUE(process(message("/window/width", 410)));
    EXPECT_TRUE(process(message("/window/height", static_cast<long long>(310))));
    EXPECT_TRUE(process(message("/window/topleft", -5.9f, 7)));
    EXPECT_EQ(juce::Rectangle<int>(-5, 7, 410, 310), window.getBounds());
    EXPECT_TRUE(process(message("/window/bounds", 1, 2, 3e12, 400)));
    EXPECT_EQ(juce::Rectangle<int>(1, 2, 1 << 24, 400), window.getBounds());
    EXPECT_TRUE(process(message("/window/bounds", 1, 2, 300, 400)));
    EXPECT_EQ(juce::Rectangle<int>(1, 2, 300, 400), window.getBounds());
}

TEST_F(WindowOscCommands, BooleansAreTrueFalseOrTheInteger1AndNeverAFloat)
{
    EXPECT_TRUE(process(message("/window/moveable", false)));
    EXPECT_FALSE(window.isDraggable());
    EXPECT_TRUE(process(message("/window/moveable", 1)));
    EXPECT_TRUE(window.isDraggable());
    EXPECT_TRUE(process(message("/window/moveable", static_cast<long long>(2))));
    EXPECT_FALSE(window.isDraggable());
    EXPECT_FALSE(process(message("/window/moveable", 1.0f)));
    EXPECT_FALSE(process(message("/window/moveable", true, true)));
    EXPECT_FALSE(window.isDraggable());

    EXPECT_TRUE(process(message("/window/resizable", 0)));
    EXPECT_FALSE(window.isResizable());
    EXPECT_TRUE(process(message("/window/opaque", false)));
    EXPECT_FALSE(window.isOpaque());
    EXPECT_TRUE(process(message("/window/floating", true)));
    EXPECT_TRUE(window.isAlwaysOnTop());
    EXPECT_TRUE(process(message("/window/hidesondeactivate", true)));
    EXPECT_TRUE(window.GetHidesOnDeactivate());
    EXPECT_TRUE(process(message("/window/rendering/fps/visible", true)));
    EXPECT_TRUE(content->IsFpsVisible());

    // Only the content is disabled; the state reports it.
    EXPECT_TRUE(process(message("/window/enable", false)));
    EXPECT_FALSE(content->isEnabled());
    EXPECT_TRUE(window.isEnabled());
    EXPECT_FALSE(find(window.getCurrentWindowStateAsOscBundle(), "/window/enable")[0].GetBool());

    // "visible" with 2 is false: it hides.
    window.setVisible(true);
    EXPECT_TRUE(process(message("/window/visible", 2)));
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(process(message("/window/visible", 1.0f)));
}

TEST_F(WindowOscCommands, TitleBarButtonsAndColour)
{
    EXPECT_TRUE(process(message("/window/title", "MIDI / OSC Mapping")));
    EXPECT_EQ(juce::String("MIDI / OSC Mapping"), window.getName());
    EXPECT_FALSE(process(message("/window/title", 3)));

    EXPECT_TRUE(process(message("/window/titlebar", false)));
    EXPECT_FALSE(window.isUsingNativeTitleBar());
    EXPECT_EQ(0, window.getTitleBarHeight());
    EXPECT_TRUE(process(message("/window/titlebar/height", 24)));
    EXPECT_EQ(24, window.getTitleBarHeight());
    EXPECT_TRUE(process(message("/window/titlebar/height", -3)));
    EXPECT_EQ(0, window.getTitleBarHeight());
    EXPECT_FALSE(find(window.getCurrentWindowStateAsOscBundle(), "/window/titlebar")[0].GetBool());

    // The framework's own title bar loses its button too.
    ASSERT_NE(nullptr, window.getCloseButton());
    EXPECT_TRUE(process(message("/window/buttons/close", false)));
    EXPECT_FALSE(window.HasCloseButton());
    EXPECT_EQ(nullptr, window.getCloseButton());
    EXPECT_EQ(0, window.getDesktopWindowStyleFlags() & juce::ComponentPeer::windowHasCloseButton);
    EXPECT_TRUE(process(message("/window/buttons/minimise", 0)));
    EXPECT_FALSE(window.HasMinimiseButton());
    EXPECT_TRUE(window.HasMaximiseButton());
    auto const state = window.getCurrentWindowStateAsOscBundle();
    EXPECT_FALSE(find(state, "/window/buttons/close")[0].GetBool());
    EXPECT_FALSE(find(state, "/window/buttons/minimise")[0].GetBool());
    EXPECT_TRUE(find(state, "/window/buttons/maximise")[0].GetBool());

    // Where a compositing manager runs, the window takes the alpha byte as the GUI writes it; a
    // window that cannot be see-through gets its colour at full alpha.
    {
        guitest::CompositingManagerStandIn compositing;
        EXPECT_EQ(compositing.IsRunning(), juce::Desktop::canUseSemiTransparentWindows());
        auto const alpha = compositing.IsRunning() ? 0x7F000000u : 0xFF000000u;
        EXPECT_TRUE(process(message("/window/background/color", 1, 0, 0, 0.5)));
        EXPECT_EQ(alpha | 0xFF0000u, window.getBackgroundColour().getARGB());
    }
    EXPECT_TRUE(process(message("/window/background/color", 2, -1, 0.0f, 1)));
    EXPECT_EQ(0xFFFF0000u, window.getBackgroundColour().getARGB());
    EXPECT_FALSE(process(message("/window/background/color", 1, 0, 0)));
    auto const colourState = window.getCurrentWindowStateAsOscBundle();
    auto const& colour = find(colourState, "/window/background/color");
    ASSERT_EQ(4u, colour.GetNumArguments());
    EXPECT_EQ('f', colour[0].GetType());
    EXPECT_FLOAT_EQ(1.0f, colour[0].GetFloat32());
    EXPECT_FLOAT_EQ(0.0f, colour[1].GetFloat32());
}

TEST_F(WindowOscCommands, ScaleAbove5PercentSetsTheGlobalFactorAndAlwaysRelaysTheContent)
{
    ScaleGuard guard;
    int const before = content->layouts;
    EXPECT_TRUE(process(message("/window/scale", 150)));
    EXPECT_FLOAT_EQ(1.5f, juce::Desktop::getInstance().getGlobalScaleFactor());
    // Another scale may also make the window lay itself out again.
    EXPECT_GE(content->layouts, before + 1);
    int const after = content->layouts;
    EXPECT_FLOAT_EQ(150.0f, find(window.getCurrentWindowStateAsOscBundle(), "/window/scale")[0].GetFloat32());
    EXPECT_TRUE(process(message("/window/scale", 5.0)));
    EXPECT_TRUE(process(message("/window/scale", std::numeric_limits<double>::infinity())));
    EXPECT_FLOAT_EQ(1.5f, juce::Desktop::getInstance().getGlobalScaleFactor());
    EXPECT_EQ(after + 2, content->layouts);
    EXPECT_FALSE(process(message("/window/scale", true)));
}

TEST_F(WindowOscCommands, StateIsTheCommandsThatRestoreIt)
{
    ScaleGuard guard;
    // Open where it can be, so that restoring keeps the window on the desktop with its engine.
    window.SetVisibleAndToFront();
    auto const state = window.getCurrentWindowStateAsOscBundle();
    EXPECT_EQ(1u, state.GetTimeTag());
    std::vector<std::string> const expected = {"/window/title",
                                               "/window/visible",
                                               "/window/moveable",
                                               "/window/resizable",
                                               "/window/enable",
                                               "/window/scale",
                                               "/window/bounds",
                                               "/window/background/color",
                                               "/window/opaque",
                                               "/window/titlebar",
                                               "/window/fullscreen",
                                               "/window/minimise",
                                               "/window/rendering/engine",
                                               "/window/rendering/fps/visible",
                                               "/window/floating",
                                               "/window/hidesondeactivate",
                                               "/window/buttons/close",
                                               "/window/buttons/minimise",
                                               "/window/buttons/maximise"};
    EXPECT_EQ(expected, addresses(state));
    auto const& bounds = find(state, "/window/bounds");
    ASSERT_EQ(4u, bounds.GetNumArguments());
    EXPECT_EQ('i', bounds[2].GetType());
    EXPECT_EQ(window.getWidth(), bounds[2].GetInt32());

    // Change everything, then process the stored state.
    for (auto const& m :
         {message("/window/title", "changed"), message("/window/moveable", false),
          message("/window/resizable", false), message("/window/enable", false),
          message("/window/bounds", 9, 8, 207, 106), message("/window/background/color", 0, 0, 1, 1),
          message("/window/opaque", !window.isOpaque()), message("/window/titlebar", false),
          message("/window/scale", 200), message("/window/rendering/fps/visible", true),
          message("/window/floating", true), message("/window/hidesondeactivate", true),
          message("/window/buttons/close", false), message("/window/buttons/minimise", false),
          message("/window/buttons/maximise", false)})
        ASSERT_TRUE(process(m)) << m.ToString().GetStdString();
    EXPECT_NE(state.ToStringArray(), window.getCurrentWindowStateAsOscBundle().ToStringArray());
    for (auto const& element : state)
        window.ProcessMessage(*element.GetMessage(), qev::MessageFlag(0));
    EXPECT_EQ(state.ToString("\n").GetStdString(),
              window.getCurrentWindowStateAsOscBundle().ToString("\n").GetStdString());

    // Without content, the content's entries are left out.
    qgui::MaxMspWindowManager empty(nullptr);
    auto const alone = addresses(empty.getCurrentWindowStateAsOscBundle());
    EXPECT_EQ(17u, alone.size());
    EXPECT_EQ(alone.end(), std::find(alone.begin(), alone.end(), "/window/rendering/engine"));
    EXPECT_TRUE(empty.processWindowMessage(message("/window/enable", false)));
    EXPECT_TRUE(empty.processWindowMessage(message("/window/rendering/engine", "x")));
    EXPECT_TRUE(empty.processWindowMessage(message("/window/rendering/fps/visible", true)));
    EXPECT_TRUE(empty.processWindowMessage(message("/window/scale", 120)));
    EXPECT_FLOAT_EQ(1.2f, juce::Desktop::getInstance().getGlobalScaleFactor());
}

// At any global scale the window keeps to its own units: its state's bounds are its bounds; hiding
// (which keeps it on the desktop), a new size, full screen and back leave its place, also where
// another client moved it unseen; maximize leaves full screen and fills the published work area.
TEST_F(WindowOscCommands, OnDisplayTheWindowKeepsItsOwnUnitsAtEveryScale)
{
    if (!qgui::Runtime::HasDisplay())
        GTEST_SKIP() << "no display: run under xvfb-run -a";
    ScaleGuard guard;
    auto const work =
        juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->totalArea.withTrimmedTop(30);
    guitest::PublishedWorkArea const published(work);
    auto const settlesAt = [&](juce::Rectangle<int> const& r)
    {
        return guitest::pumpUntil([&] { return near(window.getBounds(), r, 1); }) &&
               near(window.GetPlacement(), r, 1);
    };
    // Moved by another client before its first paint: making the window's image, the framework asks
    // again for the place it had, which must not undo the move.
    window.SetVisibleAndToFront();
    ASSERT_TRUE(guitest::moveAsAnotherClient(*window.getPeer(), {50, 70}));
    window.getPeer()->performAnyPendingRepaintsNow();
    EXPECT_TRUE(settlesAt(window.getBounds().withPosition(50, 70))) << window.getBounds().toString();
    for (double const percent : {100.0, 150.0, 75.0})
    {
        SCOPED_TRACE(percent);
        ASSERT_TRUE(process(message("/window/scale", percent)));
        ASSERT_TRUE(process(message("/window/bounds", 100, 120, 300, 200)));
        auto const state = window.getCurrentWindowStateAsOscBundle();
        auto const& b = find(state, "/window/bounds");
        EXPECT_TRUE(near({b[0].GetInt32(), b[1].GetInt32(), b[2].GetInt32(), b[3].GetInt32()},
                         window.getBounds(), 1));
        window.setVisible(false);
        EXPECT_TRUE(window.isOnDesktop());
        window.SetVisibleAndToFront();
        ASSERT_TRUE(process(message("/window/size", 320, 210)));
        EXPECT_TRUE(settlesAt({100, 120, 320, 210})) << window.getBounds().toString();
        // Moved by another client where the GUI has not looked yet; brought to the front, the window
        // is not asked back to where the GUI last saw it.
        std::pair<juce::Point<int>, std::vector<qev::OscMessage>> const rows[] = {
            {{60, 80}, {message("/window/fullscreen", true), message("/window/fullscreen", false)}},
            {{40, 100}, {message("/window/close"), message("/window/open")}},
            {{80, 90}, {message("/window/open"), message("/window/close"), message("/window/open")}}};
        for (auto const& [place, row] : rows)
        {
            ASSERT_TRUE(guitest::moveAsAnotherClient(*window.getPeer(),
                                                     (place.toDouble() * percent / 100).roundToInt()));
            for (auto const& m : row)
                ASSERT_TRUE(process(m));
            EXPECT_TRUE(settlesAt(juce::Rectangle<int>(320, 210).withPosition(place)))
                << window.getBounds().toString();
        }
        ASSERT_TRUE(process(message("/window/fullscreen", true)));
        EXPECT_EQ(&window, juce::Desktop::getInstance().getKioskModeComponent());
        ASSERT_TRUE(process(message("/window/maximize")));
        EXPECT_FALSE(window.isKioskMode());
        EXPECT_TRUE(settlesAt((work.toDouble() * 100 / percent).toNearestInt()))
            << window.getBounds().toString();
    }
}

// A window manager frames the window each time it is shown and may move it meanwhile; recalled
// bounds are still the window's own, and a window maximized before it is framed anew has its frame
// in the work area once framed. Full screen then maximize, on a window never hidden, keeps the frame
// from before on the screen; the window manager's word on full screen, a pager's change either way
// too, is the program's, so one Ctrl+F always toggles what the user sees. All in the window's own
// units at a global scale other than 100 %. Runs only where a window manager was started for it:
// the live tests run it on a display of their own under openbox.
TEST_F(WindowOscCommands, UnderAWindowManagerRecalledBoundsHoldAndMaximizeKeepsTheFrameOnScreen)
{
    if (std::getenv("QGUI_WINDOW_MANAGER") == nullptr || !qgui::Runtime::HasDisplay())
        GTEST_SKIP() << "needs a window manager on the display";
    ScaleGuard guard;
    // Where the window's units are whole pixels too.
    ASSERT_TRUE(process(message("/window/scale", 150)) &&
                process(message("/window/bounds", 200, 160, 600, 400)));
    auto const frame = [&]
    {
        auto* peer = window.getPeer();
        return peer != nullptr ? qgui::NativeWindow::FrameOf(*peer) : std::nullopt;
    };
    auto const placed = window.getBounds();
    auto const framedAt = [&](juce::Rectangle<int> const& bounds)
    {
        return guitest::pumpUntil([&] { return frame() && window.getBounds() == bounds; },
                                  std::chrono::seconds(10));
    };
    auto const* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
    auto const area =
        display->userArea.getIntersection(qgui::NativeWindow::WorkArea().value_or(display->userArea));
    // What the window manager shows, and the program with it; by then the program has been sent
    // all the window manager did, and reads it as it would while a user looks.
    auto const isFull = [&](bool full, juce::Rectangle<int> const& place)
    {
        bool const shown = guitest::pumpUntil(
            [&]
            {
                return guitest::saysFullScreen(*window.getPeer()) == full && window.isKioskMode() == full &&
                       near(window.GetPlacement(), place, 2);
            },
            std::chrono::seconds(10));
        qgui::Runtime::Pump();
        return shown;
    };
    auto const ctrlF = [&] { window.perform({qgui::DocumentWindow::fullScreenCommand}); };
    auto const pager = [&](bool full)
    { return [&, full] { guitest::askFullScreenAsAnotherClient(*window.getPeer(), full); }; };
    window.SetVisibleAndToFront();
    ASSERT_TRUE(framedAt(placed)) << window.getBounds().toString();
    ctrlF();
    ASSERT_TRUE(isFull(true, display->totalArea));
    ASSERT_TRUE(process(message("/window/maximize")));
    EXPECT_TRUE(
        guitest::pumpUntil([&] { return frame() && near(frame()->addedTo(window.GetPlacement()), area, 1); },
                           std::chrono::seconds(10)))
        << window.GetPlacement().toString() << " "
        << (frame() ? frame()->addedTo(window.GetPlacement()).toString() : "-") << " in " << area.toString();
    auto const maximized = window.GetPlacement();
    std::pair<std::function<void()>, bool> const steps[] = {
        {ctrlF, true},  {pager(false), false},
        {ctrlF, true},  {[&] { window.setVisible(false), window.SetVisibleAndToFront(); }, true},
        {ctrlF, false}, {pager(true), true},
        {ctrlF, false}};
    for (auto const& [step, full] : steps)
    {
        step();
        EXPECT_TRUE(isFull(full, full ? display->totalArea : maximized)) << window.GetPlacement().toString();
    }

    window.Place(placed);
    ASSERT_TRUE(framedAt(placed)) << window.getBounds().toString();
    auto const state = window.getCurrentWindowStateAsOscBundle();

    // How the window is left before the state is recalled.
    std::vector<qev::OscMessage> const rows[] = {
        {message("/window/close")},
        {message("/window/visible", false)},
        {message("/window/bounds", 100, 120, 500, 300)},
        {message("/window/close"), message("/window/topleft", 50, 60)},
    };
    for (auto const& row : rows)
    {
        SCOPED_TRACE(row.front().ToString().GetStdString());
        for (auto const& m : row)
            ASSERT_TRUE(process(m));
        for (auto const& element : state)
            window.ProcessMessage(*element.GetMessage(), qev::MessageFlag(0));
        EXPECT_TRUE(framedAt(placed)) << window.getBounds().toString();
    }

    // Moved where the program has not looked yet, then resized and closed at once: it opens where
    // the server had it, at the new size.
    juce::Rectangle<int> const moved(130, 206, 400, 250);
    ASSERT_TRUE(guitest::moveAsAnotherClient(*window.getPeer(), moved.getPosition() * 3 / 2));
    for (auto const& m :
         {message("/window/size", 400, 250), message("/window/close"), message("/window/open")})
        ASSERT_TRUE(process(m));
    EXPECT_TRUE(framedAt(moved)) << window.getBounds().toString();

    // Asked for again before the window manager has framed the window anew: the program asks with
    // the frame it saw last. A window manager that is still framing the window may decline (openbox
    // answers with its place unchanged); whatever it does, the frame stays on the screen.
    auto const framed = frame();
    ASSERT_TRUE(framed.has_value());
    for (auto const& m : {message("/window/close"), message("/window/open"), message("/window/maximize")})
        ASSERT_TRUE(process(m));
    EXPECT_EQ(framed->subtractedFrom(area), window.getBounds());
    EXPECT_TRUE(guitest::pumpUntil([&]
                                   { return frame() && area.contains(frame()->addedTo(window.getBounds())); },
                                   std::chrono::seconds(10)))
        << window.getBounds().toString() << " in " << area.toString();
}

TEST_F(WindowOscCommands, DocumentationListsTheWindowCommandsAfterTheContentsAndTheCommonOnes)
{
    auto const alone = window.GetOscDocumentation(false);
    ASSERT_EQ(26u, alone.GetNumEntries());
    EXPECT_EQ("/window/title", alone[0].GetPattern().GetText().GetStdString());
    EXPECT_EQ("/window/background/color", alone[5].GetPattern().GetText().GetStdString());
    EXPECT_EQ("[color]", alone[5].GetArgumentTypes().GetStdString());
    EXPECT_EQ("/window/buttons/maximise", alone[25].GetPattern().GetText().GetStdString());
    for (unsigned long i = 0; i < alone.GetNumEntries(); ++i)
    {
        // Every documented command is handled (the argument is the usual one of its letter).
        auto const pattern = alone[i].GetPattern().GetText().GetStdString();
        EXPECT_NE(std::string::npos, alone.ToStringArray(false)[i].GetStdString().find(pattern));
    }

    qgui::MaxMspWindowManager editor(new widgets::MidiOscMapComponent);
    auto const common = qev::OscInterface().GetOscDocumentation(true);
    auto const full = editor.GetOscDocumentation(true);
    ASSERT_EQ(common.GetNumEntries() + 26u, full.GetNumEntries());
    EXPECT_EQ(common[0].GetPattern().GetText(), full[0].GetPattern().GetText());
    EXPECT_EQ("/window/title", full[common.GetNumEntries()].GetPattern().GetText().GetStdString());
}

TEST_F(WindowOscCommands, WindowCommandsThatNeedADisplayAreHarmlessWithoutOne)
{
    if (qgui::Runtime::HasDisplay())
        GTEST_SKIP() << "a display is available";
    for (auto const& m :
         {message("/window/open"), message("/window/openorclose"), message("/window/centre"),
          message("/window/center"), message("/window/maximize"), message("/window/fullscreen", true),
          message("/window/fullscreen", true), message("/window/fullscreen", false),
          message("/window/minimise", true), message("/window/minimize", false),
          message("/window/rendering/engine", "no such engine"), message("/window/close"),
          message("/window/wclose"), message("/window/*")})
        EXPECT_TRUE(process(m)) << m.ToString().GetStdString();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.isOnDesktop());
    EXPECT_FALSE(window.isKioskMode());
}

TEST_F(WindowOscCommands, OnDisplayAWildcardRunsEveryCommandWithoutArgumentsInOrder)
{
    if (!qgui::Runtime::HasDisplay())
        GTEST_SKIP() << "no display: run under xvfb-run -a";
    Visibility visibility;
    window.AddListener(&visibility);
    // open, close, open-or-close (opens), maximize, centre.
    ASSERT_TRUE(process(message("/window/*")));
    EXPECT_EQ((std::vector<bool>{true, false, true}), visibility.seen);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isOnDesktop());
    window.RemoveListener(&visibility);

    // A wrong engine name is thrown; what came before stays.
    EXPECT_THROW(process(message("/window/rendering/engine", "no such engine")), qev::Exception);
    EXPECT_TRUE(process(message("/window/rendering/engine", content->GetAvailableRenderingEngines()[0])));

    EXPECT_TRUE(process(message("/window/fullscreen", true)));
    EXPECT_TRUE(window.isKioskMode());
    EXPECT_TRUE(process(message("/window/fullscreen", true)));
    EXPECT_TRUE(window.isKioskMode());
    EXPECT_TRUE(find(window.getCurrentWindowStateAsOscBundle(), "/window/fullscreen")[0].GetBool());
    EXPECT_TRUE(process(message("/window/fullscreen", false)));
    EXPECT_FALSE(window.isKioskMode());
    EXPECT_TRUE(process(message("/window/fullscreen", false)));

    // Closing in full screen leaves it first.
    EXPECT_TRUE(process(message("/window/fullscreen", true)));
    EXPECT_TRUE(process(message("/window/visible", false)));
    EXPECT_FALSE(window.isKioskMode());
    EXPECT_FALSE(window.isOnDesktop());

    EXPECT_TRUE(process(message("/window/centre")));
    EXPECT_TRUE(process(message("/window/minimise", true)));
    qgui::Runtime::Pump();
    EXPECT_TRUE(process(message("/window/minimise", false)));
    EXPECT_TRUE(process(message("/window/buttons/close", false)));
    EXPECT_TRUE(window.isOnDesktop());
    EXPECT_TRUE(process(message("/window/titlebar", false)));
    EXPECT_TRUE(process(message("/window/titlebar", true)));
    EXPECT_TRUE(window.isUsingNativeTitleBar());
}
