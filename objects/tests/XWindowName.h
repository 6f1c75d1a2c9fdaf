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

// The topmost mapped window named title, or 0; under a window manager, a client in its frame.
inline ::Window FindMappedWindow(::Display* x, std::string const& title, ::Window under = 0, int depth = 0)
{
    ::Window root = 0, parent = 0, *children = nullptr, found = 0;
    unsigned int count = 0;
    if (depth > 3 || XQueryTree(x, under != 0 ? under : DefaultRootWindow(x), &root, &parent, &children, &count) == 0)
        return 0;
    // Children come bottom first: the last match is the one on top.
    for (unsigned int i = 0; i < count; ++i)
    {
        XWindowAttributes attributes{};
        if (WindowName(x, children[i]) == title && XGetWindowAttributes(x, children[i], &attributes) != 0 &&
            attributes.map_state == IsViewable)
            found = children[i];
        else if (::Window const inner = FindMappedWindow(x, title, children[i], depth + 1))
            found = inner;
    }
    if (children != nullptr)
        XFree(children);
    return found;
}

} // namespace live
