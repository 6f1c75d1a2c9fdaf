#include "QguiXErrorIgnorer.h"

#include <X11/Xlib.h>
#include <cstdlib>
#include <dlfcn.h>
#include <iterator>

namespace qgui
{
namespace
{

// libX11 is loaded at run time, as the framework itself does, so that the GUI library does not
// tie the bundle to X at link time. Each user holds its own reference to the library.
void* openLibX11() noexcept
{
    return dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
}

template <typename Function> Function x11Function(void* library, char const* name) noexcept
{
    return reinterpret_cast<Function>(dlsym(library, name));
}

using SetErrorHandlerFunction = ::XErrorHandler (*)(::XErrorHandler);

void* libX11 = nullptr;
SetErrorHandlerFunction setErrorHandler = nullptr;
::XErrorHandler previousHandler = nullptr;
bool installed = false;

int ignoreError(Display*, XErrorEvent*)
{
    return 0;
}

using CloseDisplayFunction = int (*)(Display*);

void* atomsLibrary = nullptr;
Display* atomsConnection = nullptr;
CloseDisplayFunction closeDisplay = nullptr;

// Those the framework caches when it connects, and those it looks up when it makes a window.
char const* const windowManagerAtoms[] = {"WM_PROTOCOLS",
                                          "WM_TAKE_FOCUS",
                                          "WM_DELETE_WINDOW",
                                          "_NET_WM_PING",
                                          "WM_CHANGE_STATE",
                                          "WM_STATE",
                                          "_NET_WM_WINDOW_TYPE",
                                          "_NET_WM_WINDOW_TYPE_NORMAL",
                                          "_NET_WM_WINDOW_TYPE_COMBO",
                                          "_NET_WM_STATE",
                                          "_NET_WM_STATE_HIDDEN",
                                          "_NET_WM_STATE_FULLSCREEN",
                                          "_NET_WM_STATE_SKIP_TASKBAR",
                                          "_NET_WM_STATE_ABOVE",
                                          "_MOTIF_WM_HINTS",
                                          "_NET_WM_ALLOWED_ACTIONS",
                                          "_NET_WM_ACTION_RESIZE",
                                          "_NET_WM_ACTION_FULLSCREEN",
                                          "_NET_WM_ACTION_MINIMIZE",
                                          "_NET_WM_ACTION_CLOSE"};

} // namespace

void XErrorIgnorer::Install() noexcept
{
    if (installed)
        return;
    libX11 = openLibX11();
    if (libX11 == nullptr)
        return;
    setErrorHandler = x11Function<SetErrorHandlerFunction>(libX11, "XSetErrorHandler");
    if (setErrorHandler == nullptr)
    {
        dlclose(libX11);
        libX11 = nullptr;
        return;
    }
    previousHandler = setErrorHandler(ignoreError);
    installed = true;
}

void XErrorIgnorer::Restore() noexcept
{
    if (!installed)
        return;
    setErrorHandler(previousHandler);
    previousHandler = nullptr;
    setErrorHandler = nullptr;
    dlclose(libX11);
    libX11 = nullptr;
    installed = false;
}

bool XErrorIgnorer::IsInstalled() noexcept
{
    return installed;
}

void XWindowManagerAtoms::Intern() noexcept
{
    if (atomsConnection != nullptr)
        return;
    atomsLibrary = openLibX11();
    if (atomsLibrary == nullptr)
        return;
    auto const openDisplay = x11Function<Display* (*)(char const*)>(atomsLibrary, "XOpenDisplay");
    auto const internAtoms =
        x11Function<Status (*)(Display*, char**, int, Bool, Atom*)>(atomsLibrary, "XInternAtoms");
    closeDisplay = x11Function<CloseDisplayFunction>(atomsLibrary, "XCloseDisplay");
    // The display the framework connects to, with its fallback.
    char const* const variable = std::getenv("DISPLAY");
    char const* const name = variable != nullptr && *variable != '\0' ? variable : ":0.0";
    if (openDisplay != nullptr && internAtoms != nullptr && closeDisplay != nullptr)
        atomsConnection = openDisplay(name);
    if (atomsConnection == nullptr)
    {
        dlclose(atomsLibrary);
        atomsLibrary = nullptr;
        return;
    }
    // One round trip: the atoms exist once it returns.
    Atom atoms[std::size(windowManagerAtoms)];
    internAtoms(atomsConnection, const_cast<char**>(windowManagerAtoms), static_cast<int>(std::size(atoms)),
                False, atoms);
}

void XWindowManagerAtoms::Release() noexcept
{
    if (atomsConnection == nullptr)
        return;
    closeDisplay(atomsConnection);
    atomsConnection = nullptr;
    dlclose(atomsLibrary);
    atomsLibrary = nullptr;
}

} // namespace qgui
