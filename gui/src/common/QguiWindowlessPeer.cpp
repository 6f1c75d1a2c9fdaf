#include "QguiWindowlessPeer.h"

namespace qgui
{

//==============================================================================
MaxPeer::MouseWatcher::MouseWatcher(MaxPeer& owner_) : owner(owner_) {}

MaxPeer::MouseWatcher::~MouseWatcher()
{
    stopTimer();
}

void MaxPeer::MouseWatcher::SetBounds(juce::Rectangle<int> const& bounds)
{
    watchedBounds = bounds;
}

bool MaxPeer::MouseWatcher::Poll(juce::Point<int> mouse, bool leftButtonDown)
{
    // Written out rather than Rectangle::contains so that the right and bottom edges are outside
    // whatever the framework's convention.
    if (mouse.x < watchedBounds.getX() || mouse.y < watchedBounds.getY() ||
        mouse.x >= watchedBounds.getRight() || mouse.y >= watchedBounds.getBottom())
        return false;
    if (mouse == lastMousePosition)
        return false;

    // The position is recorded even while dragging, so releasing the button without moving sends
    // nothing: no native window tells this peer about the press or the release.
    lastMousePosition = mouse;
    if (leftButtonDown)
        return false;

    ++movesSent;
    owner.handleMouseEvent(
        juce::MouseInputSource::InputSourceType::mouse, owner.globalToLocal(mouse.toFloat()),
        juce::ModifierKeys(), juce::MouseInputSource::defaultPressure,
        juce::MouseInputSource::defaultOrientation, juce::Time::currentTimeMillis(), juce::PenDetails(), 0);
    return true;
}

void MaxPeer::MouseWatcher::timerCallback()
{
    auto& desktop = juce::Desktop::getInstance();
    Poll(juce::Desktop::getMousePosition(),
         desktop.getMainMouseSource().getCurrentModifiers().isLeftButtonDown());
}

//==============================================================================
// Style flags and the native window handle mean nothing without a native window.
MaxPeer::MaxPeer(juce::Component& component) : juce::ComponentPeer(component, 0), mouseWatcher(*this) {}

MaxPeer::~MaxPeer() = default;

void MaxPeer::setBounds(juce::Rectangle<int> const& newBounds, bool)
{
    bounds = newBounds;
    mouseWatcher.SetBounds(newBounds);
    // Restarting delays the next poll until the bounds have settled.
    mouseWatcher.startTimer(MouseWatcher::pollIntervalMs);
}

juce::Point<float> MaxPeer::localToGlobal(juce::Point<float> relativePosition)
{
    return relativePosition + bounds.getPosition().toFloat();
}

juce::Point<float> MaxPeer::globalToLocal(juce::Point<float> screenPosition)
{
    return screenPosition - bounds.getPosition().toFloat();
}

bool MaxPeer::contains(juce::Point<int> localPosition, bool) const
{
    return localPosition.x >= 0 && localPosition.y >= 0 && localPosition.x < bounds.getWidth() &&
           localPosition.y < bounds.getHeight();
}

} // namespace qgui
