#include "QguiXErrorIgnorer.h"

#include <X11/Xlib.h>
#include <dlfcn.h>

namespace qgui
{
namespace
{

// libX11 is loaded at run time, as the framework itself does, so that the GUI library does not
// tie the bundle to X at link time.
using SetErrorHandlerFunction = ::XErrorHandler (*)(::XErrorHandler);

void* libX11 = nullptr;
SetErrorHandlerFunction setErrorHandler = nullptr;
::XErrorHandler previousHandler = nullptr;
bool installed = false;

int ignoreError(Display*, XErrorEvent*)
{
    return 0;
}

} // namespace

void XErrorIgnorer::Install() noexcept
{
    if (installed)
        return;
    libX11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    if (libX11 == nullptr)
        return;
    setErrorHandler = reinterpret_cast<SetErrorHandlerFunction>(dlsym(libX11, "XSetErrorHandler"));
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

} // namespace qgui
