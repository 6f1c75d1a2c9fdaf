#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

namespace qgui
{

// What a top-level window needs from the native window system beyond the framework: where the
// window really is, whether a window manager has framed it, and events the framework has not yet
// seen. On X11 these talk to the framework's own connection; without X they know nothing.
namespace NativeWindow
{

// Whether a window manager has framed the window (taken it into a frame of its own, put in place
// and shown).
bool IsFramed(juce::ComponentPeer& peer);

// The window's bounds on the screen now, as the display server has them, in the framework's
// units for the native window: it learns of a move by the user only when it reads the event.
std::optional<juce::Rectangle<int>> ScreenBounds(juce::ComponentPeer& peer);

// Asks a window manager that frames the window anew to put it where it is now rather than by its
// own rules. The framework asks so when it moves a window, but drops the request at each move a
// window manager reports, so a window hidden and shown again would be placed afresh.
void RequestCurrentPosition(juce::ComponentPeer& peer);

// Has the framework read the events its display connection already holds. The framework reads
// events when the connection becomes readable; a round trip to the server (as bringing a window to
// the front makes) takes in the events that came meanwhile, and they would wait for the next
// unrelated event. sendRequests also sends the requests still in the connection's buffer, as a
// loop must before it sleeps.
void DeliverQueuedEvents(bool sendRequests = false);

} // namespace NativeWindow

} // namespace qgui
