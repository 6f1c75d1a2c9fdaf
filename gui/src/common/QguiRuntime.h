#pragma once

#include <vector>

namespace qgui
{

// Start-up, message pump and shutdown of the GUI framework inside a module that a host loads
// into its own process. The host owns the main loop: nothing of the GUI (asynchronous calls,
// timers, painting, window events) happens unless the host calls Pump() from that loop. A host
// that waits for work rather than pumping by the clock waits on GetWaitDescriptors().
//
// Initialise(), Pump(), GetWaitDescriptors() and Shutdown() belong to the host's main thread, which
// becomes the GUI's message thread. HasDisplay(), IsRunning() and IsMessageThread() may be asked
// from any thread.
class Runtime
{
public:
    // The most dispatch rounds of one Pump() call, so that a flood of events cannot hold up the
    // host's loop. A round handles what is ready at that moment: every queued message, X events.
    static constexpr int defaultRoundsPerPump = 100;

    Runtime() = delete;

    // Ignores X errors (see XErrorIgnorer), makes sure the window-manager atoms exist (see
    // XWindowManagerAtoms), starts the framework on the calling thread, finds out whether there is
    // a display, lets pointer questions be batched (see PointerQueries), has windows placed by
    // their own corner (see NativeWindow) and gives fonts of missing families an installed face
    // (see InstallTypefaceResolver). Does nothing when already running;
    // may follow Shutdown().
    static void Initialise();

    // Dispatches what is pending, in at most maxRounds rounds, and returns as soon as nothing is
    // pending: it never waits. Returns the number of rounds that dispatched something: 0 when the
    // runtime is not running, off the message thread, or from inside a message being dispatched.
    // An exception thrown by a message ends the pump and is written to the process log; it never
    // reaches the host. The messages queued behind it run at the next Pump().
    static int Pump(int maxRounds = defaultRoundsPerPump) noexcept;

    // For a host about to wait: the descriptors that become readable when the GUI has work (the
    // display connection, the framework's message queue, which its timers and other threads post
    // to), for the host to call Pump() once one is readable. Events already read from the display
    // are made to show on its descriptor first. The list can change from one wait to the next.
    // Empty when not running or off the message thread.
    static std::vector<int> GetWaitDescriptors();

    // Stops the framework and puts back the X error handler. Every window and component must be
    // deleted before. Does nothing when not running.
    static void Shutdown();

    static bool IsRunning() noexcept;

    // True when windows can be put on screen. Without a display, windows exist but stay off the
    // desktop. False while the runtime is not running.
    static bool HasDisplay() noexcept;

    // True on the message thread of a running runtime.
    static bool IsMessageThread() noexcept;
};

} // namespace qgui
