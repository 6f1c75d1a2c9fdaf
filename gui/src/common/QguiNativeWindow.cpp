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

juce::X11Symbols::XSetWMNormalHints originalSetHints = nullptr;
juce::X11Symbols::XMoveResizeWindow originalMoveResize = nullptr;
juce::X11Symbols::XMapWindow originalMap = nullptr;

::Display* display()
{
    auto* system = juce::XWindowSystem::getInstanceWithoutCreating();
    return system != nullptr ? system->getDisplay() : nullptr;
}

::Window handleOf(juce::ComponentPeer& peer)
{
    return reinterpret_cast<::Window>(peer.getNativeHandle());
}

// The peer of a window that the window manager decorates, if the window is one.
juce::ComponentPeer* titledPeerOf(::Window window)
{
    for (int i = juce::ComponentPeer::getNumPeers(); --i >= 0;)
        if (auto* peer = juce::ComponentPeer::getPeer(i); handleOf(*peer) == window)
            return (peer->getStyleFlags() & juce::ComponentPeer::windowHasTitleBar) != 0 ? peer : nullptr;
    return nullptr;
}

juce::Rectangle<int> physicalBounds(juce::ComponentPeer& peer)
{
    return juce::Desktop::getInstance().getDisplays().logicalToPhysical(peer.getBounds());
}

// Every write of a titled window's size hints says that its place is the program's, with static
// gravity: a write of size limits alone would otherwise leave a window manager free to place the
// window by its own rules (some by the user's hand) when it frames it.
void setHints(::Display* x, ::Window window, XSizeHints* hints)
{
    if (auto* peer = titledPeerOf(window))
    {
        if ((hints->flags & USPosition) == 0)
        {
            auto const bounds = physicalBounds(*peer);
            hints->x = bounds.getX();
            hints->y = bounds.getY();
            hints->width = bounds.getWidth();
            hints->height = bounds.getHeight();
        }
        hints->flags |= USPosition | USSize | PWinGravity;
        hints->win_gravity = StaticGravity;
    }
    originalSetHints(x, window, hints);
}

void moveResize(::Display* x, ::Window window, int left, int top, unsigned width, unsigned height)
{
    // The framework took the frame it knows off the window's place; with static gravity the place
    // is the window's own.
    if (auto* peer = titledPeerOf(window))
        if (auto const frame = peer->getFrameSizeIfPresent())
        {
            auto const native = frame->multipliedBy(peer->getPlatformScaleFactor());
            left += native.getLeft();
            top += native.getTop();
        }
    originalMoveResize(x, window, left, top, width, height);
}

void map(::Display* x, ::Window window)
{
    if (auto* peer = titledPeerOf(window))
    {
        auto* symbols = juce::X11Symbols::getInstance();
        if (auto* hints = symbols->xAllocSizeHints())
        {
            setHints(x, window, hints);
            symbols->xFree(hints);
        }
        auto const bounds = physicalBounds(*peer);
        originalMoveResize(x, window, bounds.getX(), bounds.getY(), static_cast<unsigned>(bounds.getWidth()),
                           static_cast<unsigned>(bounds.getHeight()));
    }
    originalMap(x, window);
}

// The frame a window manager gives without saying so (one that does not set _NET_FRAME_EXTENTS):
// the window's distance to the edges of its top-level ancestor.
std::optional<juce::BorderSize<int>> frameFromTree(::Display* x, ::Window window)
{
    auto* symbols = juce::X11Symbols::getInstance();
    ::Window root = 0, parent = 0, top = window, *children = nullptr;
    unsigned count = 0;
    for (;;)
    {
        if (symbols->xQueryTree(x, top, &root, &parent, &children, &count) == 0)
            return std::nullopt;
        if (children != nullptr)
            symbols->xFree(children);
        if (parent == root || parent == 0)
            break;
        top = parent;
    }
    // A frame that is still being put together is no answer.
    XWindowAttributes attributes{};
    if (top == window || symbols->xGetWindowAttributes(x, window, &attributes) == 0 ||
        attributes.map_state != IsViewable)
        return std::nullopt;
    int frameX = 0, frameY = 0, screenX = 0, screenY = 0;
    unsigned frameWidth = 0, frameHeight = 0, border = 0, depth = 0;
    ::Window child = 0;
    if (symbols->xGetGeometry(x, top, &root, &frameX, &frameY, &frameWidth, &frameHeight, &border, &depth) == 0 ||
        symbols->xTranslateCoordinates(x, window, root, 0, 0, &screenX, &screenY, &child) == 0)
        return std::nullopt;
    // The frame's own border is outside its size.
    int const right = frameX + static_cast<int>(frameWidth + 2 * border) - screenX - attributes.width;
    int const bottom = frameY + static_cast<int>(frameHeight + 2 * border) - screenY - attributes.height;
    juce::BorderSize<int> const frame(screenY - frameY, screenX - frameX, bottom, right);
    if (frame.getTop() < 0 || frame.getLeft() < 0 || bottom < 0 || right < 0)
        return std::nullopt;
    return frame;
}

} // namespace

void Install() noexcept
{
    auto* const symbols = juce::X11Symbols::getInstanceWithoutCreating();
    if (symbols == nullptr || originalSetHints != nullptr)
        return;
    originalSetHints = symbols->xSetWMNormalHints;
    originalMoveResize = symbols->xMoveResizeWindow;
    originalMap = symbols->xMapWindow;
    symbols->xSetWMNormalHints = setHints;
    symbols->xMoveResizeWindow = moveResize;
    symbols->xMapWindow = map;
}

void Remove() noexcept
{
    if (originalSetHints == nullptr)
        return;
    if (auto* const symbols = juce::X11Symbols::getInstanceWithoutCreating())
    {
        symbols->xSetWMNormalHints = originalSetHints;
        symbols->xMoveResizeWindow = originalMoveResize;
        symbols->xMapWindow = originalMap;
    }
    originalSetHints = nullptr;
    originalMoveResize = nullptr;
    originalMap = nullptr;
}

std::optional<juce::BorderSize<int>> FrameOf(juce::ComponentPeer& peer)
{
    auto* x = display();
    ::Window const window = handleOf(peer);
    if (x == nullptr || window == 0)
        return std::nullopt;
    juce::XWindowSystemUtilities::ScopedXLock const lock;
    // A window manager that frames the window says how, or at least does not say that it is empty.
    auto const said = juce::XWindowSystem::getInstance()->getBorderSize(window);
    bool const empty = !said || (said->getTopAndBottom() == 0 && said->getLeftAndRight() == 0);
    auto const frame = empty ? frameFromTree(x, window) : std::optional(*said);
    if (!frame)
        return std::nullopt;
    return frame->multipliedBy(1.0 / peer.getPlatformScaleFactor());
}

std::optional<juce::Rectangle<int>> WorkArea()
{
    auto* x = display();
    if (x == nullptr)
        return std::nullopt;
    auto* symbols = juce::X11Symbols::getInstance();
    juce::XWindowSystemUtilities::ScopedXLock const lock;
    // The first desktop's: window managers leave the same area on each.
    juce::XWindowSystemUtilities::GetXProperty const area(
        x, symbols->xRootWindow(x, symbols->xDefaultScreen(x)),
        juce::XWindowSystemUtilities::Atoms::getIfExists(x, "_NET_WORKAREA"), 0, 4, false, XA_CARDINAL);
    if (!area.success || area.actualFormat != 32 || area.numItems != 4)
        return std::nullopt;
    auto const* v = reinterpret_cast<long const*>(area.data);
    return juce::Desktop::getInstance().getDisplays().physicalToLogical(juce::Rectangle<int>(
        static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3])));
}

void LeaveFullScreenState(juce::ComponentPeer& peer)
{
    auto* x = display();
    ::Window const window = handleOf(peer);
    if (x == nullptr || window == 0)
        return;
    using juce::XWindowSystemUtilities::Atoms;
    auto* symbols = juce::X11Symbols::getInstance();
    juce::XWindowSystemUtilities::ScopedXLock const lock;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = Atoms::getCreating(x, "_NET_WM_STATE");
    event.xclient.format = 32;
    event.xclient.data.l[0] = 0; // remove
    event.xclient.data.l[1] = static_cast<long>(Atoms::getCreating(x, "_NET_WM_STATE_FULLSCREEN"));
    event.xclient.data.l[3] = 1; // asked by the application
    symbols->xSendEvent(x, symbols->xRootWindow(x, symbols->xDefaultScreen(x)), False,
                        SubstructureRedirectMask | SubstructureNotifyMask, &event);
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
