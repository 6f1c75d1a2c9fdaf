#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace qgui
{

// A peer with no native window behind it. It keeps the bounds that the framework gives it, answers
// every window operation with a fixed result, offers one software renderer and paints nothing.
// Since no window delivers mouse events to it, it polls the mouse and sends its component a move
// whenever the mouse has moved inside its bounds with the left button up.
class MaxPeer : public juce::ComponentPeer
{
public:
    // Polls the global mouse position every 250 ms once the peer has bounds.
    class MouseWatcher : public juce::Timer
    {
    public:
        static constexpr int pollIntervalMs = 250;

        explicit MouseWatcher(MaxPeer& owner);
        ~MouseWatcher() override;

        void SetBounds(juce::Rectangle<int> const& bounds);
        juce::Rectangle<int> GetBounds() const noexcept { return watchedBounds; }
        juce::Point<int> GetLastMousePosition() const noexcept { return lastMousePosition; }
        // How many moves the polls have sent so far.
        int GetNumMovesSent() const noexcept { return movesSent; }

        // One poll with the given global mouse position and button state; the timer calls it with
        // the desktop's. Returns whether a mouse move was sent.
        bool Poll(juce::Point<int> mouse, bool leftButtonDown);

        void timerCallback() override;

    private:
        MaxPeer& owner;
        juce::Rectangle<int> watchedBounds;
        juce::Point<int> lastMousePosition;
        int movesSent = 0;

        JUCE_DECLARE_NON_COPYABLE(MouseWatcher)
    };

    explicit MaxPeer(juce::Component& component);
    ~MaxPeer() override;

    MouseWatcher& GetMouseWatcher() noexcept { return mouseWatcher; }

    void* getNativeHandle() const override { return nullptr; }
    void setVisible(bool) override {}
    void setTitle(juce::String const&) override {}
    void setBounds(juce::Rectangle<int> const& newBounds, bool isNowFullScreen) override;
    juce::Rectangle<int> getBounds() const override { return bounds; }
    using juce::ComponentPeer::globalToLocal;
    using juce::ComponentPeer::localToGlobal;
    juce::Point<float> localToGlobal(juce::Point<float> relativePosition) override;
    juce::Point<float> globalToLocal(juce::Point<float> screenPosition) override;
    void setMinimised(bool) override {}
    bool isMinimised() const override { return false; }
    void setFullScreen(bool) override {}
    bool isFullScreen() const override { return false; }
    void setIcon(juce::Image const&) override {}
    bool contains(juce::Point<int> localPosition, bool trueIfInAChildWindow) const override;
    juce::BorderSize<int> getFrameSize() const override { return {}; }
    OptionalBorderSize getFrameSizeIfPresent() const override { return OptionalBorderSize{getFrameSize()}; }
    bool setAlwaysOnTop(bool) override { return false; }
    void toFront(bool) override {}
    void toBehind(juce::ComponentPeer*) override {}
    bool isFocused() const override { return true; }
    void grabFocus() override {}
    void textInputRequired(juce::Point<int>, juce::TextInputTarget&) override {}
    void repaint(juce::Rectangle<int> const&) override {}
    void performAnyPendingRepaintsNow() override {}
    void setAlpha(float) override {}
    juce::StringArray getAvailableRenderingEngines() override { return {"Software Renderer"}; }

private:
    juce::Rectangle<int> bounds;
    MouseWatcher mouseWatcher;

    JUCE_DECLARE_NON_COPYABLE(MaxPeer)
};

} // namespace qgui
