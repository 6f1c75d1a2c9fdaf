#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <string>

namespace live
{

// WM_NAME as its bytes: the framework writes it as UTF8_STRING, which XFetchName refuses.
inline std::string WindowName(::Display* x, ::Window w)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string name;
    if (XGetWindowProperty(x, w, XA_WM_NAME, 0, 1024, False, AnyPropertyType, &type, &format, &count, &after,
                           &data) == Success &&
        data != nullptr)
    {
        if (format == 8)
            name.assign(reinterpret_cast<char const*>(data), count);
        XFree(data);
    }
    return name;
}

} // namespace live
