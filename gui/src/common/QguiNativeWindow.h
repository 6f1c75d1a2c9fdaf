#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <optional>

namespace qgui
{

// Where a top-level window meets the window manager, beyond what the framework does. On X11 these
// talk to the framework's own connection; without X they do nothing and know nothing.
//
// Every request for a top-level window's place is for the window's own place, with static gravity:
// a window manager then puts its frame around the window where it is asked to be, whatever that
// frame's size, and a window it takes back when hidden stays where it was. A window manager that
// moves or constrains the window has the last word: nothing here asks again.
namespace NativeWindow
{

// Makes the framework's own requests for a titled window's place ask for the window's place with
// static gravity (it asks for its frame's corner, by a frame size it may not know), and makes it
// ask for the place where it believes the window is each time it shows a hidden one: a window
// manager may have moved the window while hidden, and places a window by its own rules unless
// asked (some by the user's hand). Install() once the framework has started, Remove() before it
// stops.
void Install() noexcept;
void Remove() noexcept;

// Every rectangle read from X comes back in the window's own units, those of its bounds, whatever
// the global scale.

// Where the window is: where the X server has it, unless the program asked for a place that the
// window manager has not answered yet. The framework learns of the window manager's moves only as
// it reads their events, which may wait behind other work.
std::optional<juce::Rectangle<int>> PlaceOf(juce::ComponentPeer& peer);

// The window manager's frame around the window while it has one.
std::optional<juce::BorderSize<int>> FrameOf(juce::ComponentPeer& peer);

// The part of the screen a window manager leaves to windows (without its panels), when it says.
std::optional<juce::Rectangle<int>> WorkArea();

// Asks the window manager to hold the window full screen, without its frame, or no longer. While
// it holds it, or is asked to, the framework's own requests for the window's place are not sent.
// True when it holds it: a window manager that cannot leaves the window to take the screen itself.
bool AskFullScreen(juce::ComponentPeer& peer, bool full);

// The window manager's word on whether the shown window is full screen (what it was last asked
// until it shows the answer); nothing where no window manager holds windows full screen.
std::optional<bool> FullScreenOf(juce::ComponentPeer& peer);

// Called on the message thread after a window manager changed its word on a titled window's state,
// once the framework has handled the events that came before.
void SetStateListener(void (*listener)(juce::Component& window)) noexcept;

// Makes the change in the framework without asking the X server for the window's place, then gives
// the framework the place the window has: the window manager has placed it already.
void Adopt(juce::ComponentPeer& peer, std::function<void()> const& change);

// Has the framework read the events its display connection already holds. The framework reads
// events when the connection becomes readable; a round trip to the server (as bringing a window to
// the front makes) takes in the events that came meanwhile, and they would wait for the next
// unrelated event. sendRequests also sends the requests still in the connection's buffer, as a
// loop must before it sleeps.
void DeliverQueuedEvents(bool sendRequests = false);

} // namespace NativeWindow

} // namespace qgui
