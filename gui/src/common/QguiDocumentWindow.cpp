#include "QguiDocumentWindow.h"

#include "QguiFunctions.h"
#include "QguiNativeWindow.h"
#include "QguiRuntime.h"
#include "QguiStrings.h"

#include <cstdlib>

namespace qgui
{
namespace
{

// The native "hides on deactivate" window setting exists only on macOS; the X11 windows here have
// no equivalent, so the flag is only kept.
void applyHidesOnDeactivate(juce::ComponentPeer* peer, bool hides)
{
    juce::ignoreUnused(peer, hides);
}

// Framing moves a window by less than its frame and keeps its size.
bool shiftedByFraming(juce::Rectangle<int> const& bounds, juce::Rectangle<int> const& wanted,
                      juce::BorderSize<int> const& frame)
{
    auto const shift = bounds.getPosition() - wanted.getPosition();
    return bounds.withZeroOrigin() == wanted.withZeroOrigin() &&
           std::abs(shift.x) <= frame.getLeftAndRight() && std::abs(shift.y) <= frame.getTopAndBottom();
}

} // namespace

DocumentWindow::DocumentWindow(juce::Component* content)
    : juce::DocumentWindow("title", juce::Colours::lightgrey, juce::DocumentWindow::allButtons, false),
      self(this)
{
    setUsingNativeTitleBar(true);
    setDropShadowEnabled(true);
    setOpaque(juce::Desktop::canUseSemiTransparentWindows());
    setResizable(true, true);
    // Putting a window on the desktop, or centring it, without a display crashes or leaves the
    // framework believing a window is showing that is not.
    bool const display = Runtime::HasDisplay();
    if (display)
        addToDesktop();
    if (content != nullptr)
    {
        setContentOwned(content, true);
        if (display)
            centreWithSize(getWidth(), getHeight());
    }
    setVisible(false);

    auto* commandManager = GetApplicationCommandManager();
    // Registering again what another window registered keeps the user's shortcuts.
    commandManager->registerAllCommandsForTarget(this);
    addKeyListener(commandManager->getKeyMappings());
    setWantsKeyboardFocus(true);
}

DocumentWindow::~DocumentWindow()
{
    leaveFullScreen();
    removeFromDesktop();
}

void DocumentWindow::SetTitle(qev::String const& title)
{
    juce::String name = ToJuceString(title);
    auto* messageManager = juce::MessageManager::getInstanceWithoutCreating();
    // Without a message manager there is no message thread that could race with us, and a post
    // would be lost.
    if (messageManager == nullptr || messageManager->isThisTheMessageThread())
    {
        setName(name);
        return;
    }
    juce::MessageManager::callAsync(
        [target = self, name = std::move(name)]
        {
            if (auto* window = target.getComponent())
                window->setName(name);
        });
}

bool DocumentWindow::SetVisibleAndToFront()
{
    if (!Runtime::HasDisplay())
        return false;
    if (!placement && !framed())
        placement = getBounds();
    if (!isOnDesktop())
        addToDesktop();
    setVisible(true);
    toFront(true);
    grabKeyboardFocus();
    applyHidesOnDeactivate(getPeer(), hidesOnDeactivate);
    return isVisible();
}

juce::Point<int> DocumentWindow::CentredPosition(juce::Rectangle<int> const& area, int width,
                                                 int height) noexcept
{
    return {area.getX() + area.getWidth() / 2 - width / 2, area.getY() + area.getHeight() / 2 - height / 2};
}

bool DocumentWindow::SetCenterAndToFront()
{
    if (!Runtime::HasDisplay())
        return false;
    if (auto const* display = findDisplay())
    {
        setTopLeftPosition(CentredPosition(display->userArea, getWidth(), getHeight()));
        KeepPlacement();
    }
    return SetVisibleAndToFront();
}

void DocumentWindow::Close()
{
    leaveFullScreen();
    setVisible(false);
    removeFromDesktop();
}

bool DocumentWindow::Maximize()
{
    auto const* display = findDisplay();
    if (display == nullptr)
        return false;
    auto const frame = knownFrame();
    setBounds(frame ? frame->subtractedFrom(display->userArea) : display->userArea);
    KeepPlacement();
    placementMaximized = placement.has_value();
    return true;
}

void DocumentWindow::KeepPlacement()
{
    // Until the window manager has put the window there, the bounds are only asked for.
    if (framed())
        placement.reset();
    else
        placement = getBounds();
    placementMaximized = false;
    waitForFraming();
}

void DocumentWindow::waitForFraming()
{
    if (!placement || !isVisible())
        return;
    placementCheck.ticks = 0;
    if (!placementCheck.isTimerRunning())
        placementCheck.startTimer(PlacementCheck::interval);
}

void DocumentWindow::PlacementCheck::timerCallback()
{
    // Without a window manager nothing ever frames the window, nor reports a move.
    if (!window.placement || !window.isVisible() || ++ticks > maximumTicks)
        stopTimer();
    else
        window.followPlacement();
}

std::optional<juce::BorderSize<int>> DocumentWindow::knownFrame() const
{
    // The framework reports a frame it has not learnt yet as none or as empty.
    if (auto* peer = getPeer())
        if (auto const frame = peer->getFrameSizeIfPresent())
            if (frame->getTopAndBottom() != 0 || frame->getLeftAndRight() != 0)
                return *frame;
    return std::nullopt;
}

bool DocumentWindow::framed() const
{
    auto* peer = getPeer();
    if (!isVisible() || peer == nullptr || !knownFrame() || !NativeWindow::IsFramed(*peer))
        return false;
    // A move or resize the framework has not read yet, or has asked for, is on its way.
    auto const shown = NativeWindow::ScreenBounds(*peer);
    return shown && *shown == peer->getBounds();
}

void DocumentWindow::SetHidesOnDeactivate(bool hides)
{
    hidesOnDeactivate = hides;
    applyHidesOnDeactivate(getPeer(), hides);
}

int DocumentWindow::getDesktopWindowStyleFlags() const
{
    // From ResizableWindow, not DocumentWindow: the title-bar buttons are decided here alone.
    int flags = juce::ResizableWindow::getDesktopWindowStyleFlags();
    if (hasMinimiseButton)
        flags |= juce::ComponentPeer::windowHasMinimiseButton;
    if (hasMaximiseButton)
        flags |= juce::ComponentPeer::windowHasMaximiseButton;
    if (hasCloseButton)
        flags |= juce::ComponentPeer::windowHasCloseButton;
    return flags;
}

void DocumentWindow::closeButtonPressed()
{
    Close();
}

void DocumentWindow::setVisible(bool shouldBeVisible)
{
    auto* peer = getPeer();
    if (peer != nullptr && shouldBeVisible != isVisible())
    {
        if (shouldBeVisible)
            NativeWindow::RequestCurrentPosition(*peer);
        else
            holdWhereShown(*peer);
    }
    juce::DocumentWindow::setVisible(shouldBeVisible);
    waitForFraming();
}

void DocumentWindow::holdWhereShown(juce::ComponentPeer& peer)
{
    // Before the window manager moves the hidden window to where its frame was. The screen has a
    // move by the user that the framework may not have read yet; held bounds still wait for the
    // framing, unless the user has since moved the window further than framing does.
    auto shown = NativeWindow::ScreenBounds(peer);
    // The native window's bounds are the window's own, scaled by the desktop's factor.
    if (float const scale = getDesktopScaleFactor(); shown && scale != 1.0f)
        shown = (shown->toFloat() / scale).toNearestInt();
    auto const frame = knownFrame();
    if (!placement)
        placement = shown.value_or(getBounds());
    else if (shown && frame && NativeWindow::IsFramed(peer) && !shiftedByFraming(*shown, *placement, *frame))
        placement = *shown;
    else
        return;
    placementMaximized = false;
}

void DocumentWindow::visibilityChanged()
{
    juce::DocumentWindow::visibilityChanged();
    open.store(isVisible());
}

void DocumentWindow::moved()
{
    juce::DocumentWindow::moved();
    followPlacement();
    waitForFraming();
}

void DocumentWindow::resized()
{
    juce::DocumentWindow::resized();
    followPlacement();
    waitForFraming();
}

void DocumentWindow::followPlacement()
{
    if (!placement)
        return;
    // Off the desktop only the program moves the window.
    if (getPeer() == nullptr)
    {
        placement = getBounds();
        placementMaximized = false;
        return;
    }
    if (!framed())
        return;
    auto const wanted = *placement;
    bool const maximized = placementMaximized;
    placement.reset();
    placementMaximized = false;
    if (maximized)
    {
        Maximize();
        return;
    }
    // A longer move is the window manager's or the user's choice, and stays.
    if (getBounds() != wanted && shiftedByFraming(getBounds(), wanted, *knownFrame()))
    {
        setBounds(wanted);
        KeepPlacement();
    }
}

juce::ApplicationCommandTarget* DocumentWindow::getNextCommandTarget()
{
    return findFirstTargetParentComponent();
}

void DocumentWindow::getAllCommands(juce::Array<juce::CommandID>& commands)
{
    commands.add(fullScreenCommand);
    commands.add(closeWindowCommand);
    commands.add(maximizeWindowCommand);
}

void DocumentWindow::getCommandInfo(juce::CommandID commandID, juce::ApplicationCommandInfo& result)
{
    auto const ctrl = juce::ModifierKeys::ctrlModifier;
    auto const command = juce::ModifierKeys::commandModifier;
    switch (commandID)
    {
    case fullScreenCommand:
        result.setInfo("full screen", "set full screen", "window", 0);
        result.addDefaultKeypress('f', ctrl);
        result.addDefaultKeypress('f', command);
        break;
    case closeWindowCommand:
        result.setInfo("close window", "close window", "window", 0);
        result.addDefaultKeypress('w', ctrl);
        result.addDefaultKeypress('w', command);
        break;
    case maximizeWindowCommand:
        result.setInfo("maximize window", "maximize window", "window", 0);
        result.addDefaultKeypress('f', juce::ModifierKeys::shiftModifier);
        break;
    default:
        break;
    }
}

bool DocumentWindow::perform(juce::ApplicationCommandTarget::InvocationInfo const& info)
{
    switch (info.commandID)
    {
    case fullScreenCommand:
        if (isKioskMode())
        {
            juce::Desktop::getInstance().setKioskModeComponent(nullptr, true);
            return true;
        }
        // Full screen takes the bounds of the window's display: off the desktop there is none.
        if (!isOnDesktop() || findDisplay() == nullptr)
            return false;
        juce::Desktop::getInstance().setKioskModeComponent(this, true);
        return true;
    case closeWindowCommand:
        Close();
        return true;
    case maximizeWindowCommand:
        return Maximize();
    default:
        return false;
    }
}

void DocumentWindow::leaveFullScreen()
{
    if (!isKioskMode())
        return;
    // The framework gives the window back its bounds from before.
    juce::Desktop::getInstance().setKioskModeComponent(nullptr, true);
    KeepPlacement();
}

juce::Displays::Display const* DocumentWindow::findDisplay() const
{
    if (!Runtime::HasDisplay())
        return nullptr;
    return juce::Desktop::getInstance().getDisplays().getDisplayForPoint(getScreenPosition());
}

} // namespace qgui
