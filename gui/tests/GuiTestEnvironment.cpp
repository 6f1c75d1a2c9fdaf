#include "GuiTestHelpers.h"
#include "common/QguiRuntime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

// Last: its macros (None, Bool, Status) would clash with the headers above.
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

bool guitest::moveAsAnotherClient(juce::ComponentPeer& peer, juce::Point<int> place)
{
    auto* const x = XOpenDisplay(nullptr);
    if (x == nullptr)
        return false;
    auto const window = reinterpret_cast<Window>(peer.getNativeHandle());
    auto const at = [&]
    {
        int left = 0, top = 0;
        Window child = 0;
        XTranslateCoordinates(x, window, DefaultRootWindow(x), 0, 0, &left, &top, &child);
        return juce::Point<int>(left, top);
    };
    XMoveWindow(x, window, place.x, place.y);
    auto const end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (at() != place && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    bool const moved = at() == place;
    XCloseDisplay(x);
    return moved;
}

bool guitest::sendKey(juce::ComponentPeer& peer, char character, bool shift)
{
    auto* const x = XOpenDisplay(nullptr);
    if (x == nullptr)
        return false;
    XEvent event{};
    event.xkey.display = x;
    event.xkey.window = reinterpret_cast<Window>(peer.getNativeHandle());
    event.xkey.root = DefaultRootWindow(x);
    event.xkey.same_screen = True;
    event.xkey.keycode = XKeysymToKeycode(x, static_cast<KeySym>(character));
    event.xkey.state = shift ? ShiftMask : 0;
    for (int type : {KeyPress, KeyRelease})
    {
        event.type = type;
        XSendEvent(x, event.xkey.window, False, NoEventMask, &event); // to the window's own client
    }
    XCloseDisplay(x);
    return true;
}
