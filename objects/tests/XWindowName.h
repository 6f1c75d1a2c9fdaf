#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <string>
#include <utility>
#include <vector>

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

// The mapped window named title nearest the root, the topmost of those at that depth; 0 when
// none. Breadth first: a window manager puts clients one level down, in its frames.
inline ::Window FindMappedWindow(::Display* x, std::string const& title)
{
    std::vector<::Window> level{DefaultRootWindow(x)};
    for (int depth = 0; depth < 4 && !level.empty(); ++depth)
    {
        std::vector<::Window> next;
        ::Window found = 0;
        for (::Window w : level)
        {
            ::Window root = 0, parent = 0, *children = nullptr;
            unsigned int count = 0;
            if (XQueryTree(x, w, &root, &parent, &children, &count) == 0)
                continue;
            // Children come bottom first, and each level follows the order of its parents: the
            // last match is the one on top.
            for (unsigned int i = 0; i < count; ++i)
            {
                XWindowAttributes attributes{};
                if (WindowName(x, children[i]) == title &&
                    XGetWindowAttributes(x, children[i], &attributes) != 0 &&
                    attributes.map_state == IsViewable)
                    found = children[i];
                next.push_back(children[i]);
            }
            if (children != nullptr)
                XFree(children);
        }
        if (found != 0)
            return found;
        level = std::move(next);
    }
    return 0;
}

} // namespace live
