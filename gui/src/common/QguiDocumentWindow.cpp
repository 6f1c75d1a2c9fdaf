#include "QguiDocumentWindow.h"

#include "QguiFunctions.h"
#include "QguiNativeWindow.h"
#include "QguiRuntime.h"
#include "QguiStrings.h"

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
    NativeWindow::SetStateListener(
        [](juce::Component& window)
        {
            if (auto* document = dynamic_cast<DocumentWindow*>(&window))
                document->followWindowManager();
        });
}

DocumentWindow::~DocumentWindow()
{
    // The desktop refuses a window that leaves it, or dies, while in full screen.
    SetFullScreen(false);
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
        auto const placement = GetPlacement();
        Place(placement.withPosition(
            CentredPosition(userArea(*display), placement.getWidth(), placement.getHeight())));
    }
    return SetVisibleAndToFront();
}

void DocumentWindow::Close()
{
    SetFullScreen(false);
    setVisible(false);
    removeFromDesktop();
}

bool DocumentWindow::Maximize()
{
    auto const* display = findDisplay();
    if (display == nullptr)
        return false;
    followWindowManager();
    // A full-screen window has no frame to go by: it keeps the one from before.
    if (!isKioskMode())
        noteFrame();
    SetFullScreen(false);
    auto const area = userArea(*display);
    Place(frame ? frame->subtractedFrom(area) : area);
    return true;
}

bool DocumentWindow::SetFullScreen(bool full)
{
    followWindowManager();
    if (full == isKioskMode())
        return true;
    auto& desktop = juce::Desktop::getInstance();
    auto* peer = getPeer();
    if (full)
    {
        // Full screen takes the bounds of the window's display: off the desktop there is none.
        if (peer == nullptr || findDisplay() == nullptr)
            return false;
        beforeFullScreen = GetPlacement();
        noteFrame();
        if (NativeWindow::AskFullScreen(*peer, true))
            NativeWindow::Adopt(*peer, [&desktop, this] { desktop.setKioskModeComponent(this, true); });
        else
            desktop.setKioskModeComponent(this, true);
        return true;
    }
    if (peer != nullptr)
        NativeWindow::AskFullScreen(*peer, false);
    // The framework gives the window back the bounds it knew of before, which may have been behind
    // the window manager's.
    if (beforeFullScreen || peer == nullptr)
        desktop.setKioskModeComponent(nullptr, true);
    else // made full screen by the window manager, which puts it back where it was
        NativeWindow::Adopt(*peer, [&desktop] { desktop.setKioskModeComponent(nullptr, true); });
    if (beforeFullScreen)
        Place(*beforeFullScreen);
    beforeFullScreen.reset();
    return true;
}

void DocumentWindow::followWindowManager()
{
    auto* peer = getPeer();
    if (peer == nullptr || !isVisible())
        return;
    auto const full = NativeWindow::FullScreenOf(*peer);
    if (!full || *full == isKioskMode())
        return;
    NativeWindow::Adopt(
        *peer, [&] { juce::Desktop::getInstance().setKioskModeComponent(*full ? this : nullptr, true); });
    beforeFullScreen.reset();
}

juce::Rectangle<int> DocumentWindow::GetPlacement() const
{
    if (hiddenAt)
        return *hiddenAt;
    if (auto* peer = getPeer())
        if (auto const place = NativeWindow::PlaceOf(*peer))
            return *place;
    return getBounds();
}

void DocumentWindow::Place(juce::Rectangle<int> const& bounds)
{
    setBounds(bounds);
    if (hiddenAt)
        hiddenAt = bounds;
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
    bool const was = isVisible();
    if (getPeer() != nullptr && was && !shouldBeVisible)
    {
        hiddenAt = GetPlacement();
        if (!isKioskMode())
            noteFrame();
    }
    else if (shouldBeVisible && hiddenAt)
    {
        setBounds(*hiddenAt);
    }
    juce::DocumentWindow::setVisible(shouldBeVisible);
    if (!isVisible())
        return;
    hiddenAt.reset();
    // A window manager forgets the full screen of a window it no longer shows.
    if (auto* peer = getPeer(); peer != nullptr && !was && isKioskMode())
        NativeWindow::AskFullScreen(*peer, true);
}

void DocumentWindow::noteFrame()
{
    if (auto* peer = getPeer())
        if (auto const shown = NativeWindow::FrameOf(*peer); shown && !shown->isEmpty())
            frame = shown;
}

void DocumentWindow::visibilityChanged()
{
    juce::DocumentWindow::visibilityChanged();
    open.store(isVisible());
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
        followWindowManager();
        return SetFullScreen(!isKioskMode());
    case closeWindowCommand:
        Close();
        return true;
    case maximizeWindowCommand:
        return Maximize();
    default:
        return false;
    }
}

juce::Displays::Display const* DocumentWindow::findDisplay() const
{
    if (!Runtime::HasDisplay())
        return nullptr;
    return juce::Desktop::getInstance().getDisplays().getDisplayForPoint(getScreenPosition());
}

juce::Rectangle<int> DocumentWindow::userArea(juce::Displays::Display const& display)
{
    auto const work = NativeWindow::WorkArea();
    auto const area = work ? display.userArea.getIntersection(*work) : display.userArea;
    return area.isEmpty() ? display.userArea : area;
}

} // namespace qgui
