#include "QguiDocumentWindow.h"

#include "QguiRuntime.h"
#include "QguiStrings.h"

namespace qgui
{

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
}

DocumentWindow::~DocumentWindow()
{
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
    return isVisible();
}

bool DocumentWindow::SetCenterAndToFront()
{
    if (!Runtime::HasDisplay())
        return false;
    if (auto const* display =
            juce::Desktop::getInstance().getDisplays().getDisplayForPoint(getScreenPosition()))
    {
        auto const area = display->userArea;
        setTopLeftPosition(area.getX() + area.getWidth() / 2 - getWidth() / 2,
                           area.getY() + area.getHeight() / 2 - getHeight() / 2);
    }
    return SetVisibleAndToFront();
}

int DocumentWindow::getDesktopWindowStyleFlags() const
{
    // From ResizableWindow, not DocumentWindow: the title-bar buttons are decided here alone.
    return juce::ResizableWindow::getDesktopWindowStyleFlags() |
           juce::ComponentPeer::windowHasMinimiseButton | juce::ComponentPeer::windowHasMaximiseButton |
           juce::ComponentPeer::windowHasCloseButton;
}

void DocumentWindow::closeButtonPressed()
{
    setVisible(false);
    removeFromDesktop();
}

void DocumentWindow::visibilityChanged()
{
    juce::DocumentWindow::visibilityChanged();
    open.store(isVisible());
}

} // namespace qgui
