#include "GuiTestHelpers.h"
#include "common/QguiRuntime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

// Last: its macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace
{

// The GUI runs for the whole test program, on the main thread, as in the host.
class GuiRuntimeEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { qgui::Runtime::Initialise(); }
    void TearDown() override { qgui::Runtime::Shutdown(); }
};

::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new GuiRuntimeEnvironment);

} // namespace

guitest::CompositingManagerStandIn::CompositingManagerStandIn()
{
    if (!qgui::Runtime::HasDisplay())
        return;
    auto* const connection = XOpenDisplay(nullptr);
    if (connection == nullptr)
        return;
    auto const owner = XCreateSimpleWindow(connection, DefaultRootWindow(connection), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(connection, XInternAtom(connection, "_NET_WM_CM_S0", False), owner, CurrentTime);
    XSync(connection, False);
    display = connection;
}

guitest::CompositingManagerStandIn::~CompositingManagerStandIn()
{
    if (display != nullptr)
        XCloseDisplay(static_cast<Display*>(display));
}

void guitest::PublishedWorkArea::publish(juce::Rectangle<int> const* area)
{
    std::unique_ptr<Display, int (*)(Display*)> const x(
        qgui::Runtime::HasDisplay() ? XOpenDisplay(nullptr) : nullptr, XCloseDisplay);
    if (x == nullptr)
        return;
    Atom const name = XInternAtom(x.get(), "_NET_WORKAREA", False);
    if (area == nullptr)
        return static_cast<void>(XDeleteProperty(x.get(), DefaultRootWindow(x.get()), name));
    long const values[] = {area->getX(), area->getY(), area->getWidth(), area->getHeight()};
    XChangeProperty(x.get(), DefaultRootWindow(x.get()), name, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char const*>(values), 4);
}

bool guitest::moveAsAnotherClient(juce::ComponentPeer& peer, juce::Point<int> place)
{
    std::unique_ptr<Display, int (*)(Display*)> const x(XOpenDisplay(nullptr), XCloseDisplay);
    auto const window = reinterpret_cast<Window>(peer.getNativeHandle());
    if (x == nullptr)
        return false;
    XMoveWindow(x.get(), window, place.x, place.y);
    for (auto const end = std::chrono::steady_clock::now() + std::chrono::seconds(10);;)
    {
        int left = 0, top = 0;
        Window child = 0;
        XTranslateCoordinates(x.get(), window, DefaultRootWindow(x.get()), 0, 0, &left, &top, &child);
        if (juce::Point<int>(left, top) == place || std::chrono::steady_clock::now() > end)
            return juce::Point<int>(left, top) == place;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void guitest::askFullScreenAsAnotherClient(juce::ComponentPeer& peer, bool full)
{
    std::unique_ptr<Display, int (*)(Display*)> const x(XOpenDisplay(nullptr), XCloseDisplay);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = reinterpret_cast<Window>(peer.getNativeHandle());
    event.xclient.message_type = XInternAtom(x.get(), "_NET_WM_STATE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = full ? 1 : 0;
    event.xclient.data.l[1] = static_cast<long>(XInternAtom(x.get(), "_NET_WM_STATE_FULLSCREEN", False));
    event.xclient.data.l[3] = 2; // a pager
    XSendEvent(x.get(), DefaultRootWindow(x.get()), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
}

bool guitest::saysFullScreen(juce::ComponentPeer& peer)
{
    std::unique_ptr<Display, int (*)(Display*)> const x(XOpenDisplay(nullptr), XCloseDisplay);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(x.get(), reinterpret_cast<Window>(peer.getNativeHandle()),
                       XInternAtom(x.get(), "_NET_WM_STATE", False), 0, 64, False, XA_ATOM, &type, &format,
                       &count, &left, &data);
    auto const* atoms = reinterpret_cast<Atom const*>(data);
    bool const full =
        std::count(atoms, atoms + count, XInternAtom(x.get(), "_NET_WM_STATE_FULLSCREEN", False)) > 0;
    XFree(data);
    return full;
}

bool guitest::sendKey(juce::ComponentPeer& peer, char character, bool shift)
{
    std::unique_ptr<Display, int (*)(Display*)> const x(XOpenDisplay(nullptr), XCloseDisplay);
    if (x == nullptr)
        return false;
    XEvent event{};
    event.xkey = {KeyPress, 0, False, x.get(), reinterpret_cast<Window>(peer.getNativeHandle()),
                  DefaultRootWindow(x.get()), 0, CurrentTime, 0, 0, 0, 0,
                  shift ? ShiftMask : 0u, XKeysymToKeycode(x.get(), static_cast<KeySym>(character)), True};
    for (int type : {KeyPress, KeyRelease})
        event.type = type, XSendEvent(x.get(), event.xkey.window, False, NoEventMask, &event); // to its client
    return true;
}
