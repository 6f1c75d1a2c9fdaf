#pragma once

namespace qgui
{

// Xlib's default error handler ends the process. An X server without a window manager answers
// some of the framework's window requests with errors (a missing WM_PROTOCOLS atom), and the host
// must survive them, so the runtime installs a handler that ignores X errors for as long as the
// GUI runs. Without libX11 there is no X connection to protect and both calls do nothing.
class XErrorIgnorer
{
public:
    XErrorIgnorer() = delete;

    // Installs the ignoring handler, remembering the one in place. A second call does nothing.
    static void Install() noexcept;
    // Puts back the handler found by Install().
    static void Restore() noexcept;
    static bool IsInstalled() noexcept;
};

// The framework looks up the window-manager atoms (WM_PROTOCOLS, WM_DELETE_WINDOW, the _NET_WM
// ones) only if they already exist. On a display where no window manager has run yet they do not,
// so its windows never offer the delete protocol, and a window manager that starts later kills the
// whole host at a click on the close button. Interning them first, on a connection of our own,
// gives every window the protocols it would have had under a window manager. The connection stays
// open until the framework's own is: a display whose last client leaves forgets its atoms.
class XWindowManagerAtoms
{
public:
    XWindowManagerAtoms() = delete;

    // Before the framework's start-up. Does nothing without libX11 or an X server.
    static void Intern() noexcept;
    // Once the framework's own connection is open.
    static void Release() noexcept;
};

} // namespace qgui
