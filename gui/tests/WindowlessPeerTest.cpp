#include "GuiTestHelpers.h"
#include "common/QguiComponent.h"
#include "common/QguiRuntime.h"
#include "common/QguiWindowlessPeer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

using guitest::pumpFor;
using guitest::pumpUntil;

namespace
{

// Records the mouse callbacks it gets, in its own coordinates.
class MouseRecorder : public qgui::Component
{
public:
    MouseRecorder()
    {
        SetPeerMode(windowlessPeerMode);
        setBounds(100, 50, 200, 80);
        setVisible(true);
    }

    void mouseEnter(juce::MouseEvent const&) override { ++enters; }
    void mouseMove(juce::MouseEvent const& e) override { moves.push_back(e.getPosition()); }
    void mouseDown(juce::MouseEvent const&) override { ++downs; }

    qgui::MaxPeer* peer() const { return dynamic_cast<qgui::MaxPeer*>(getPeer()); }

    int enters = 0;
    int downs = 0;
    std::vector<juce::Point<int>> moves;
};

} // namespace

TEST(WindowlessPeer, AnswersWindowOperationsWithFixedResults)
{
    juce::Component component;
    qgui::MaxPeer peer(component);

    // Before any bounds: empty, contains nothing, no poll.
    EXPECT_EQ(juce::Rectangle<int>(), peer.getBounds());
    EXPECT_FALSE(peer.contains({0, 0}, true));
    EXPECT_FALSE(peer.GetMouseWatcher().isTimerRunning());

    EXPECT_EQ(nullptr, peer.getNativeHandle());
    peer.setMinimised(true);
    peer.setFullScreen(true);
    peer.setVisible(false);
    peer.setTitle("title");
    peer.setAlpha(0.2f);
    peer.grabFocus();
    peer.toFront(true);
    peer.toBehind(nullptr);
    EXPECT_FALSE(peer.isMinimised());
    EXPECT_FALSE(peer.isFullScreen());
    EXPECT_TRUE(peer.isFocused());
    EXPECT_FALSE(peer.setAlwaysOnTop(true));
    EXPECT_EQ(juce::BorderSize<int>(0), peer.getFrameSize());
    auto const frame = peer.getFrameSizeIfPresent();
    ASSERT_TRUE(static_cast<bool>(frame));
    EXPECT_EQ(juce::BorderSize<int>(0), *frame);

    EXPECT_EQ(juce::StringArray("Software Renderer"), peer.getAvailableRenderingEngines());
    EXPECT_EQ(0, peer.getCurrentRenderingEngine());
    peer.setCurrentRenderingEngine(0);
    EXPECT_EQ(0, peer.getCurrentRenderingEngine());
    EXPECT_DOUBLE_EQ(1.0, peer.getPlatformScaleFactor());
}

TEST(WindowlessPeer, ConvertsCoordinatesWithItsBounds)
{
    juce::Component component;
    qgui::MaxPeer peer(component);
    peer.setBounds({100, 50, 200, 80}, true);
    EXPECT_EQ(juce::Rectangle<int>(100, 50, 200, 80), peer.getBounds());
    EXPECT_EQ(juce::Rectangle<int>(100, 50, 200, 80), peer.GetMouseWatcher().GetBounds());
    EXPECT_TRUE(peer.GetMouseWatcher().isTimerRunning());
    EXPECT_EQ(qgui::MaxPeer::MouseWatcher::pollIntervalMs, peer.GetMouseWatcher().getTimerInterval());
    // The full-screen flag is not kept.
    EXPECT_FALSE(peer.isFullScreen());

    EXPECT_EQ(juce::Point<float>(110.0f, 55.0f), peer.localToGlobal(juce::Point<float>(10.0f, 5.0f)));
    EXPECT_EQ(juce::Point<float>(10.0f, 5.0f), peer.globalToLocal(juce::Point<float>(110.0f, 55.0f)));
    EXPECT_EQ(juce::Point<float>(10.5f, 5.25f), peer.globalToLocal(juce::Point<float>(110.5f, 55.25f)));
    // The framework's rectangle forms go through the point forms.
    EXPECT_EQ(juce::Rectangle<int>(110, 55, 20, 10), peer.localToGlobal(juce::Rectangle<int>(10, 5, 20, 10)));

    EXPECT_TRUE(peer.contains({0, 0}, false));
    EXPECT_TRUE(peer.contains({199, 79}, false));
    EXPECT_FALSE(peer.contains({200, 0}, true));
    EXPECT_FALSE(peer.contains({0, 80}, true));
    EXPECT_FALSE(peer.contains({-1, 10}, true));
    EXPECT_FALSE(peer.contains({10, -1}, true));

    peer.setBounds({-20, -10, 5, 5}, false);
    EXPECT_EQ(juce::Point<float>(-10.0f, -5.0f), peer.localToGlobal(juce::Point<float>(10.0f, 5.0f)));
    EXPECT_EQ(juce::Rectangle<int>(-20, -10, 5, 5), peer.GetMouseWatcher().GetBounds());
}

TEST(WindowlessPeer, PollSendsOneMovePerNewPositionInside)
{
    MouseRecorder component;
    component.addToDesktop(0);
    auto* peer = component.peer();
    ASSERT_NE(nullptr, peer);
    ASSERT_EQ(juce::Rectangle<int>(100, 50, 200, 80), peer->getBounds());
    auto& watcher = peer->GetMouseWatcher();
    watcher.stopTimer(); // the desktop's own mouse must not interfere

    EXPECT_EQ(0, watcher.GetNumMovesSent());
    EXPECT_TRUE(watcher.Poll({150, 60}, false));
    EXPECT_EQ(1, watcher.GetNumMovesSent());
    ASSERT_EQ(1u, component.moves.size());
    EXPECT_EQ(juce::Point<int>(50, 10), component.moves[0]);
    EXPECT_EQ(1, component.enters);

    // Resting: nothing more.
    EXPECT_FALSE(watcher.Poll({150, 60}, false));
    EXPECT_EQ(1u, component.moves.size());

    // Outside (also on the right and bottom edges): nothing, and the last position stays.
    EXPECT_FALSE(watcher.Poll({300, 60}, false));
    EXPECT_FALSE(watcher.Poll({299, 130}, false));
    EXPECT_FALSE(watcher.Poll({99, 60}, false));
    EXPECT_EQ(juce::Point<int>(150, 60), watcher.GetLastMousePosition());
    EXPECT_EQ(1u, component.moves.size());

    // Dragging records the position but sends nothing, so the release sends nothing either.
    EXPECT_FALSE(watcher.Poll({160, 70}, true));
    EXPECT_EQ(juce::Point<int>(160, 70), watcher.GetLastMousePosition());
    EXPECT_FALSE(watcher.Poll({160, 70}, false));
    EXPECT_EQ(1u, component.moves.size());
    EXPECT_EQ(0, component.downs);

    EXPECT_EQ(1, watcher.GetNumMovesSent());
    EXPECT_TRUE(watcher.Poll({299, 129}, false));
    EXPECT_EQ(2, watcher.GetNumMovesSent());
    ASSERT_EQ(2u, component.moves.size());
    EXPECT_EQ(juce::Point<int>(199, 79), component.moves[1]);

    component.removeFromDesktop();
    EXPECT_EQ(nullptr, component.getPeer());
}

TEST(WindowlessPeer, PollsTheDesktopMouseEveryQuarterSecond)
{
    if (!qgui::Runtime::HasDisplay())
        GTEST_SKIP() << "moving the mouse needs a display";
    MouseRecorder component;
    component.addToDesktop(0);
    ASSERT_NE(nullptr, component.peer());

    juce::Desktop::setMousePosition({150, 60});
    pumpFor(std::chrono::milliseconds(50));
    if (juce::Desktop::getMousePosition() != juce::Point<int>(150, 60))
        GTEST_SKIP() << "this display does not let the pointer be moved";

    // Within one period (plus slack), exactly one move at the local position; none while resting.
    // The framework replays its own last pointer position now and then, so the peer's count is
    // what tells.
    auto& watcher = component.peer()->GetMouseWatcher();
    auto const sawMoveAt = [&](juce::Point<int> p)
    { return std::find(component.moves.begin(), component.moves.end(), p) != component.moves.end(); };
    EXPECT_TRUE(pumpUntil([&] { return sawMoveAt({50, 10}); }, std::chrono::milliseconds(1000)));
    pumpFor(std::chrono::milliseconds(600));
    EXPECT_EQ(1, watcher.GetNumMovesSent());
    EXPECT_EQ(juce::Point<int>(150, 60), watcher.GetLastMousePosition());

    juce::Desktop::setMousePosition({300, 60});
    pumpFor(std::chrono::milliseconds(600));
    EXPECT_EQ(1, watcher.GetNumMovesSent());
    EXPECT_EQ(juce::Point<int>(150, 60), watcher.GetLastMousePosition());

    component.removeFromDesktop();
}
