#pragma once

#include "text/QevString.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>

namespace qgui
{

// The one top-level window class: resizable, native title bar with its three buttons, created
// hidden, owning the component it shows.
//
// Without a display the window is never put on the desktop: it exists, keeps its content and
// sizes, and cannot be shown. Every operation belongs to the message thread except SetTitle()
// and IsOpen().
class DocumentWindow : public juce::DocumentWindow
{
public:
    // Takes ownership of content, which may be null; the window takes the content's size and is
    // centred on the screen when there is a display.
    explicit DocumentWindow(juce::Component* content);
    ~DocumentWindow() override;

    // Any thread. On the message thread the title changes at once; from another thread the change
    // is posted to the message thread and is dropped if the window is deleted first.
    void SetTitle(qev::String const& title);

    // Puts the window on the desktop if needed, shows it, brings it to the front and gives it the
    // keyboard focus. Returns whether it is shown: false, and nothing done, without a display.
    bool SetVisibleAndToFront();

    // Centres the window on the user area of its display, then SetVisibleAndToFront().
    bool SetCenterAndToFront();

    // Any thread: whether the window is visible, as last set on the message thread.
    bool IsOpen() const noexcept { return open.load(); }

    int getDesktopWindowStyleFlags() const override;
    // Hides the window and takes it off the desktop; the window object lives on.
    void closeButtonPressed() override;
    void visibilityChanged() override;

private:
    // Made on the message thread at construction, so that other threads only ever copy it.
    juce::Component::SafePointer<DocumentWindow> self;
    std::atomic<bool> open{false};

    JUCE_DECLARE_NON_COPYABLE(DocumentWindow)
};

} // namespace qgui
