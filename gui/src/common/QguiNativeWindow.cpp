// The framework's X11 classes come with the X headers, which define macros such as None and Bool:
// nothing of ours but this file's own header may follow them.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "QguiNativeWindow.h"

#include <juce_events/native/juce_linux_EventLoopInternal.h>

#include <algorithm>
#include <dlfcn.h>
#include <utility>
#include <vector>

namespace qgui::NativeWindow
{
namespace
{

juce::X11Symbols::XSetWMNormalHints originalSetHints = nullptr;
juce::X11Symbols::XMoveResizeWindow originalMoveResize = nullptr;
juce::X11Symbols::XMapWindow originalMap = nullptr;
juce::X11Symbols::XUnmapWindow originalUnmap = nullptr;
juce::X11Symbols::XNextEvent originalNextEvent = nullptr;
juce::X11Symbols::XDestroyWindow originalDestroy = nullptr;

// Not among the framework's symbols: the one way to look through the event queue and leave it.
using CheckIfEvent = Bool (*)(::Display*, XEvent*, Bool (*)(::Display*, XEvent*, XPointer), XPointer);
void* libX11 = nullptr;
CheckIfEvent checkIfEvent = nullptr;

// A request for a window's place that the window manager has not answered yet: the window is to
// be found there rather than where the server has it. A window manager answers every request with
// a ConfigureNotify, real or synthetic, made after the server passed the request on.
struct Request
{
    ::Window window;
    unsigned long serial;
    juce::Rectangle<int> bounds; // physical, the client's own
};
std::vector<Request> unanswered;

// Where the framework last asked for a titled window, or last read it to be (physical, the
// client's own). It asks again for just that when it makes the window's image anew (the first paint,
// and after the image was let go while idle); the window manager may have moved the window since,
// unread, and the request would undo the move.
struct View
{
    ::Window window;
    juce::Rectangle<int> bounds;
};
std::vector<View> views;

// Titled windows the program has shown and not hidden since. The framework maps a shown window
// again each time it brings it to the front; asking then for the place where it believes the window
// is would undo a move that it has not read yet, such as the user's drag.
std::vector<::Window> shown;

// A full-screen state asked of the window manager that it has not shown yet: until then the window
// is taken to be as asked. Its answer is a change of the window's _NET_WM_STATE, which comes after
// the server passed the request on and so carries the request's serial or a later one; but so may
// changes it makes for what came before (it takes the window on, answers an earlier request), so
// only such a change that shows the state asked for answers it.
struct FullScreenAsk
{
    ::Window window;
    bool full;
    unsigned long serial;
    bool changedSince = false;
};
std::vector<FullScreenAsk> asks;

Atom stateAtom = 0;
Atom fullScreenAtom = 0;
// A window whose place the window manager has given: the framework's requests for it are not sent.
::Window placedByManager = 0;
void (*stateListener)(juce::Component&) = nullptr;
unsigned altModifierMask = Mod1Mask;

template <typename Item, typename Predicate> void eraseIf(std::vector<Item>& items, Predicate predicate)
{
    items.erase(std::remove_if(items.begin(), items.end(), predicate), items.end());
}

// The server's pixels in the window's own units, those of its bounds: the framework's bounds of a
// window are its peer's divided by the global scale, and the peer's are the display's logical ones.
juce::Rectangle<int> windowUnits(juce::Rectangle<int> const& physical)
{
    auto& desktop = juce::Desktop::getInstance();
    return (desktop.getDisplays().physicalToLogical(physical.toFloat()) / desktop.getGlobalScaleFactor())
        .toNearestInt();
}

juce::BorderSize<int> windowUnits(juce::BorderSize<int> const& physical, juce::ComponentPeer& peer)
{
    return physical.multipliedBy(
        1.0 / (peer.getPlatformScaleFactor() * juce::Desktop::getInstance().getGlobalScaleFactor()));
}

// Whether the window manager's word on the window, its _NET_WM_STATE, holds full screen.
bool saysFullScreen(::Display* x, ::Window window)
{
    juce::XWindowSystemUtilities::GetXProperty const state(x, window, stateAtom, 0, 64, false, XA_ATOM);
    if (!state.success || state.actualFormat != 32)
        return false;
    auto const* atoms = reinterpret_cast<long const*>(state.data);
    return std::find(atoms, atoms + state.numItems, static_cast<long>(fullScreenAtom)) !=
           atoms + state.numItems;
}

std::vector<FullScreenAsk>::iterator askFor(::Window window)
{
    return std::find_if(asks.begin(), asks.end(),
                        [window](FullScreenAsk const& a) { return a.window == window; });
}

// The window's ask, unless the window manager has shown it by now.
std::vector<FullScreenAsk>::iterator unansweredAsk(::Display* x, ::Window window)
{
    auto const ask = askFor(window);
    if (ask == asks.end() || !ask->changedSince || saysFullScreen(x, window) != ask->full)
        return ask;
    asks.erase(ask);
    return asks.end();
}

bool isViewable(::Display* x, ::Window window)
{
    XWindowAttributes attributes{};
    return juce::X11Symbols::getInstance()->xGetWindowAttributes(x, window, &attributes) != 0 &&
           attributes.map_state == IsViewable;
}

// While the window manager holds a window full screen, or has been asked to, its place is the
// window manager's to give; the framework's own full screen would only fight it.
bool placeIsManagers(::Display* x, ::Window window)
{
    if (window == placedByManager)
        return true;
    if (auto const ask = unansweredAsk(x, window); ask != asks.end())
        return ask->full;
    return saysFullScreen(x, window) && isViewable(x, window);
}

void moveResizeNow(::Display* x, ::Window window, int left, int top, unsigned width, unsigned height)
{
    eraseIf(unanswered, [window](Request const& r) { return r.window == window; });
    // A request for where the window already is may go unanswered: nothing changes.
    juce::Rectangle<int> const asked{left, top, static_cast<int>(width), static_cast<int>(height)};
    if (juce::XWindowSystem::getInstance()->getWindowBounds(window, 0) != asked)
        unanswered.push_back({window, NextRequest(x), asked});
    originalMoveResize(x, window, left, top, width, height);
}

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
    if (window == placedByManager)
        return;
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

// Notes the framework's view of the window; true when that is the view it had (in the window's own
// units, as the framework rounds them).
bool takeView(::Window window, juce::Rectangle<int> const& bounds)
{
    auto view =
        std::find_if(views.begin(), views.end(), [window](View const& v) { return v.window == window; });
    if (view == views.end())
        view = views.insert(views.end(), {window, {}});
    bool const same = windowUnits(view->bounds) == windowUnits(bounds);
    view->bounds = bounds;
    return same;
}

void moveResize(::Display* x, ::Window window, int left, int top, unsigned width, unsigned height)
{
    auto* peer = titledPeerOf(window);
    if (peer == nullptr)
        return originalMoveResize(x, window, left, top, width, height);
    // The framework took the frame it knows off the window's place; with static gravity the place
    // is the window's own.
    if (auto const frame = peer->getFrameSizeIfPresent())
    {
        auto const native = frame->multipliedBy(peer->getPlatformScaleFactor());
        left += native.getLeft();
        top += native.getTop();
    }
    bool const again = takeView(window, {left, top, static_cast<int>(width), static_cast<int>(height)});
    if (again || placeIsManagers(x, window))
        return;
    moveResizeNow(x, window, left, top, width, height);
}

void map(::Display* x, ::Window window)
{
    auto* peer = titledPeerOf(window);
    if (peer != nullptr && std::find(shown.begin(), shown.end(), window) == shown.end())
    {
        shown.push_back(window);
        auto* symbols = juce::X11Symbols::getInstance();
        if (auto* hints = symbols->xAllocSizeHints())
        {
            setHints(x, window, hints);
            symbols->xFree(hints);
        }
        auto const bounds = physicalBounds(*peer);
        takeView(window, bounds);
        moveResizeNow(x, window, bounds.getX(), bounds.getY(), static_cast<unsigned>(bounds.getWidth()),
                      static_cast<unsigned>(bounds.getHeight()));
    }
    originalMap(x, window);
}

void unmap(::Display* x, ::Window window)
{
    eraseIf(shown, [window](::Window w) { return w == window; });
    originalUnmap(x, window);
}

void forget(::Window window)
{
    eraseIf(unanswered, [window](Request const& r) { return r.window == window; });
    eraseIf(asks, [window](FullScreenAsk const& a) { return a.window == window; });
    eraseIf(views, [window](View const& v) { return v.window == window; });
    eraseIf(shown, [window](::Window w) { return w == window; });
}

void takeIn(XEvent const& event)
{
    if (event.type == ConfigureNotify)
        eraseIf(unanswered, [&c = event.xconfigure](Request const& r)
                { return r.window == c.window && c.serial >= r.serial; });
    else if (event.type == PropertyNotify && event.xproperty.atom == stateAtom && stateAtom != 0)
    {
        for (auto& ask : asks)
            if (ask.window == event.xproperty.window && event.xproperty.serial >= ask.serial)
                ask.changedSince = true;
    }
    else if (event.type == DestroyNotify)
        forget(event.xdestroywindow.window);
}

// The framework drains a window's events past XNextEvent when it destroys it.
void destroy(::Display* x, ::Window window)
{
    forget(window);
    originalDestroy(x, window);
}

// The window manager has changed its word on a window's state: the window follows once the
// framework has handled what came before.
void followLater(::Display* x, XPropertyEvent const& changed)
{
    ::Window const window = changed.window;
    if (titledPeerOf(window) == nullptr)
        return;
    unansweredAsk(x, window);
    juce::MessageManager::callAsync(
        [window]
        {
            if (auto* peer = titledPeerOf(window); peer != nullptr && stateListener != nullptr)
                stateListener(peer->getComponent());
        });
}

// The modifier that Alt is, which no X constant names.
unsigned altMask(::Display* x)
{
    auto* symbols = juce::X11Symbols::getInstance();
    auto const alt = symbols->xKeysymToKeycode(x, XK_Alt_L);
    unsigned mask = 0;
    if (auto* map = symbols->xGetModifierMapping(x))
    {
        for (int i = 0; i < 8 * map->max_keypermod; ++i)
            if (alt != 0 && map->modifiermap[i] == alt)
                mask = 1u << (i / map->max_keypermod);
        symbols->xFreeModifiermap(map);
    }
    return mask;
}

// The framework follows Shift, Ctrl and Alt by the presses and releases it sees: one released
// while another window had the keyboard (some window managers take it for a moment when they make
// a window full screen, or for their own keys) would stay down for it, and the next Shift+F would
// be Ctrl+Shift+F. Every key event says which are down.
void takeModifiersFrom(XKeyEvent const& key)
{
    using juce::ModifierKeys;
    int const keys = ModifierKeys::shiftModifier | ModifierKeys::ctrlModifier | ModifierKeys::altModifier;
    int const down = ((key.state & ShiftMask) != 0 ? ModifierKeys::shiftModifier : 0) |
                     ((key.state & ControlMask) != 0 ? ModifierKeys::ctrlModifier : 0) |
                     ((key.state & altModifierMask) != 0 ? ModifierKeys::altModifier : 0);
    ModifierKeys::currentModifiers =
        ModifierKeys::currentModifiers.withoutFlags(keys).withFlags(down);
}

int nextEvent(::Display* x, XEvent* event)
{
    int const result = originalNextEvent(x, event);
    takeIn(*event);
    // The X headers' name for a key press gives way to the framework's class of that name.
    constexpr int keyPress = 2;
    if (event->type == keyPress || event->type == KeyRelease)
        takeModifiersFrom(event->xkey);
    else if (event->type == PropertyNotify && event->xproperty.atom == stateAtom && stateAtom != 0)
        followLater(x, event->xproperty);
    // The framework reads where the window is next, as this does.
    else if ((event->type == ConfigureNotify || event->type == GravityNotify) &&
             titledPeerOf(event->xany.window))
        takeView(event->xany.window,
                 juce::XWindowSystem::getInstance()->getWindowBounds(event->xany.window, 0));
    return result;
}

// Takes in the answers that came while the framework did not read: after a round trip the queue
// holds every event the server sent before it.
void takeInQueued(::Display* x)
{
    if (checkIfEvent == nullptr)
        return;
    juce::X11Symbols::getInstance()->xSync(x, False);
    XEvent event{};
    checkIfEvent(
        x, &event,
        [](::Display*, XEvent* queued, XPointer) -> Bool
        {
            takeIn(*queued);
            return False;
        },
        nullptr);
}

// Whether a window manager runs that can hold a window full screen: its check window, which
// names itself, outlives it only by mistake.
bool managerHoldsFullScreen(::Display* x)
{
    using juce::XWindowSystemUtilities::Atoms;
    using juce::XWindowSystemUtilities::GetXProperty;
    auto* symbols = juce::X11Symbols::getInstance();
    ::Window const root = symbols->xRootWindow(x, symbols->xDefaultScreen(x));
    Atom const check = Atoms::getIfExists(x, "_NET_SUPPORTING_WM_CHECK");
    Atom const fullScreen = Atoms::getIfExists(x, "_NET_WM_STATE_FULLSCREEN");
    if (check == 0 || fullScreen == 0)
        return false;
    auto const windowNamed = [&](::Window w)
    {
        GetXProperty const p(x, w, check, 0, 1, false, XA_WINDOW);
        return p.success && p.actualFormat == 32 && p.numItems == 1 ? *reinterpret_cast<long const*>(p.data) : 0L;
    };
    long const manager = windowNamed(root);
    if (manager == 0 || windowNamed(static_cast<::Window>(manager)) != manager)
        return false;
    GetXProperty const supported(x, root, Atoms::getIfExists(x, "_NET_SUPPORTED"), 0, 1024, false, XA_ATOM);
    if (!supported.success || supported.actualFormat != 32)
        return false;
    auto const* atoms = reinterpret_cast<long const*>(supported.data);
    return std::find(atoms, atoms + supported.numItems, static_cast<long>(fullScreen)) != atoms + supported.numItems;
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
    originalUnmap = symbols->xUnmapWindow;
    originalNextEvent = symbols->xNextEvent;
    originalDestroy = symbols->xDestroyWindow;
    symbols->xSetWMNormalHints = setHints;
    symbols->xMoveResizeWindow = moveResize;
    symbols->xMapWindow = map;
    symbols->xUnmapWindow = unmap;
    symbols->xNextEvent = nextEvent;
    symbols->xDestroyWindow = destroy;
    if (auto* x = display())
    {
        using juce::XWindowSystemUtilities::Atoms;
        stateAtom = Atoms::getCreating(x, "_NET_WM_STATE");
        fullScreenAtom = Atoms::getCreating(x, "_NET_WM_STATE_FULLSCREEN");
        altModifierMask = altMask(x);
    }
    // The framework has the library loaded: this only takes another reference.
    libX11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL | RTLD_NOLOAD);
    if (libX11 != nullptr)
        checkIfEvent = reinterpret_cast<CheckIfEvent>(dlsym(libX11, "XCheckIfEvent"));
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
        symbols->xUnmapWindow = originalUnmap;
        symbols->xNextEvent = originalNextEvent;
        symbols->xDestroyWindow = originalDestroy;
    }
    originalSetHints = nullptr;
    originalMoveResize = nullptr;
    originalMap = nullptr;
    originalUnmap = nullptr;
    originalNextEvent = nullptr;
    originalDestroy = nullptr;
    unanswered.clear();
    asks.clear();
    views.clear();
    shown.clear();
    stateAtom = fullScreenAtom = 0;
    placedByManager = 0;
    stateListener = nullptr;
    checkIfEvent = nullptr;
    if (libX11 != nullptr)
        dlclose(libX11);
    libX11 = nullptr;
}

std::optional<juce::Rectangle<int>> PlaceOf(juce::ComponentPeer& peer)
{
    auto* x = display();
    ::Window const window = handleOf(peer);
    if (x == nullptr || window == 0 || originalNextEvent == nullptr)
        return std::nullopt;
    juce::XWindowSystemUtilities::ScopedXLock const lock;
    auto const askedOf = [window](Request const& r) { return r.window == window; };
    if (std::any_of(unanswered.begin(), unanswered.end(), askedOf))
        takeInQueued(x);
    auto const asked = std::find_if(unanswered.begin(), unanswered.end(), askedOf);
    auto const bounds = asked != unanswered.end() ? asked->bounds
                                                  : juce::XWindowSystem::getInstance()->getWindowBounds(window, 0);
    if (bounds.isEmpty())
        return std::nullopt;
    return windowUnits(bounds);
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
    return windowUnits(*frame, peer);
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
    return windowUnits(
        {static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3])});
}

bool AskFullScreen(juce::ComponentPeer& peer, bool full)
{
    auto* x = display();
    ::Window const window = handleOf(peer);
    if (x == nullptr || window == 0)
        return false;
    using juce::XWindowSystemUtilities::Atoms;
    auto* symbols = juce::X11Symbols::getInstance();
    juce::XWindowSystemUtilities::ScopedXLock const lock;
    bool const held = managerHoldsFullScreen(x);
    // A window manager that already shows the state changes nothing, and says nothing; unless it
    // has yet to answer an earlier request, or to take the window on.
    bool const earlier = unansweredAsk(x, window) != asks.end();
    eraseIf(asks, [window](FullScreenAsk const& a) { return a.window == window; });
    if (held && (earlier || !isViewable(x, window) || saysFullScreen(x, window) != full))
        asks.push_back({window, full, NextRequest(x)});
    // Leaving is also asked of one that does not say it can: some take a window that asks for the
    // whole screen for a full-screen one on their own.
    if (!full || held)
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = Atoms::getCreating(x, "_NET_WM_STATE");
        event.xclient.format = 32;
        event.xclient.data.l[0] = full ? 1 : 0; // add or remove
        event.xclient.data.l[1] = static_cast<long>(Atoms::getCreating(x, "_NET_WM_STATE_FULLSCREEN"));
        event.xclient.data.l[3] = 1; // asked by the application
        symbols->xSendEvent(x, symbols->xRootWindow(x, symbols->xDefaultScreen(x)), False,
                            SubstructureRedirectMask | SubstructureNotifyMask, &event);
    }
    return full && held;
}

std::optional<bool> FullScreenOf(juce::ComponentPeer& peer)
{
    auto* x = display();
    ::Window const window = handleOf(peer);
    if (x == nullptr || window == 0 || stateAtom == 0)
        return std::nullopt;
    juce::XWindowSystemUtilities::ScopedXLock const lock;
    if (!managerHoldsFullScreen(x) || !isViewable(x, window))
        return std::nullopt;
    if (auto const ask = unansweredAsk(x, window); ask != asks.end())
        return ask->full;
    return saysFullScreen(x, window);
}

void SetStateListener(void (*listener)(juce::Component& window)) noexcept
{
    stateListener = listener;
}

void Adopt(juce::ComponentPeer& peer, std::function<void()> const& change)
{
    ::Window const window = handleOf(peer);
    auto const previous = std::exchange(placedByManager, window);
    change();
    if (auto const place = PlaceOf(peer))
        peer.getComponent().setBounds(*place);
    placedByManager = previous;
}

void DeliverQueuedEvents(bool sendRequests)
{
    auto* x = display();
    if (x == nullptr)
        return;
    auto* symbols = juce::X11Symbols::getInstance();
    {
        juce::XWindowSystemUtilities::ScopedXLock const lock;
        // Sending also reads what has come, so it goes first.
        if (sendRequests)
            symbols->xFlush(x);
        if (symbols->xEventsQueued(x, QueuedAlready) == 0)
            return;
    }
    // The framework reads its connection when the connection becomes readable, which events already
    // taken in never make it: a wake sent to itself would be taken in just the same by the next
    // round trip, before any wait.
    juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd(symbols->xConnectionNumber(x));
}

} // namespace qgui::NativeWindow
