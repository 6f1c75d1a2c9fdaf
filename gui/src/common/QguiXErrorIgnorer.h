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

} // namespace qgui
