// The framework's X11 classes come with the X headers, which define macros such as None and Bool:
// nothing of ours but this file's own header may follow them.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "QguiNativeWindow.h"

namespace juce
{
// The framework's hidden message window, whose events it drops unread; declared in none of its
// headers.
extern ::Window juce_messageWindowHandle;
} // namespace juce

namespace qgui::NativeWindow
{
namespace
{

::Display* display()
{
    auto* system = juce::XWindowSystem::getInstanceWithoutCreating();
    return system != nullptr ? system->getDisplay() : nullptr;
}

::Window handleOf(juce::ComponentPeer& peer)
{
    return reinterpret_cast<::Window>(peer.getNativeHandle());
}

// The window's bounds on the screen as the server has them, in logical pixels.
std::optional<juce::Rectangle<int>> screenBounds(::Display* x, ::Window window)
{
    auto* symbols = juce::X11Symbols::getInstance();
    ::Window root = 0, child = 0;
    int left = 0, top = 0, screenX = 0, screenY = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (symbols->xGetGeometry(x, window, &root, &left, &top, &width, &height, &border, &depth) == 0 ||
        symbols->xTranslateCoordinates(x, window, root, 0, 0, &screenX, &screenY, &child) == 0)
        return std::nullopt;
    juce::Rectangle<int> const physical(screenX, screenY, static_cast<int>(width), static_cast<int>(height));
    return juce::Desktop::getInstance().getDisplays().physicalToLogical(physical);
}

} // namespace

bool IsFramed(juce::ComponentPeer& peer)
{
    auto* x = display();
    ::Window const window = handleOf(peer);
    if (x == nullptr || window == 0)
        return false;
    auto* symbols = juce::X11Symbols::getInstance();
    juce::XWindowSystemUtilities::ScopedXLock const lock;
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (symbols->xQueryTree(x, window, &root, &parent, &children, &count) == 0)
        return false;
    if (children != nullptr)
        symbols->xFree(children);
    // A window manager shows its frame once it has put it in place.
    XWindowAttributes attributes{};
    return parent != 0 && parent != root && symbols->xGetWindowAttributes(x, window, &attributes) != 0 &&
           attributes.map_state == IsViewable;
}

std::optional<juce::Rectangle<int>> ScreenBounds(juce::ComponentPeer& peer)
{
    auto* x = display();
    ::Window const window = handleOf(peer);
    if (x == nullptr || window == 0)
        return std::nullopt;
    juce::XWindowSystemUtilities::ScopedXLock const lock;
    return screenBounds(x, window);
}

void RequestCurrentPosition(juce::ComponentPeer& peer)
{
    auto* x = display();
    ::Window const window = handleOf(peer);
    if (x == nullptr || window == 0)
        return;
    auto* symbols = juce::X11Symbols::getInstance();
    juce::XWindowSystemUtilities::ScopedXLock const lock;
    ::Window root = 0;
    int left = 0, top = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (symbols->xGetGeometry(x, window, &root, &left, &top, &width, &height, &border, &depth) == 0)
        return;
    auto* hints = symbols->xAllocSizeHints();
    if (hints == nullptr)
        return;
    // As the framework writes them when it moves a window; a window manager reads the position
    // from the window itself.
    hints->flags = USSize | USPosition;
    hints->x = left;
    hints->y = top;
    hints->width = static_cast<int>(width);
    hints->height = static_cast<int>(height);
    symbols->xSetWMNormalHints(x, window, hints);
    symbols->xFree(hints);
}

void DeliverQueuedEvents(bool sendRequests)
{
    auto* x = display();
    if (x == nullptr || juce::juce_messageWindowHandle == 0)
        return;
    auto* symbols = juce::X11Symbols::getInstance();
    juce::XWindowSystemUtilities::ScopedXLock const lock;
    // Sending also reads what has come, so it goes first.
    if (sendRequests)
        symbols->xFlush(x);
    if (symbols->xEventsQueued(x, QueuedAlready) == 0)
        return;
    // An event of no meaning to the framework's hidden window: its arrival makes the connection
    // readable, and the framework then reads everything it holds.
    XEvent wake{};
    wake.xclient.type = ClientMessage;
    wake.xclient.window = juce::juce_messageWindowHandle;
    wake.xclient.format = 32;
    symbols->xSendEvent(x, juce::juce_messageWindowHandle, False, NoEventMask, &wake);
    symbols->xFlush(x);
}

} // namespace qgui::NativeWindow
