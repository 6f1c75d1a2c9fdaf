#pragma once

#include "text/QevString.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <optional>

namespace qgui
{

// The one top-level window class: resizable, native title bar, created hidden, owning the
// component it shows. Every window answers three keyboard commands (full screen, close window,
// maximize window), registered with the process-wide command manager, so their shortcuts are
// shared by all windows.
//
// Without a display the window is never put on the desktop: it exists, keeps its content and
// sizes, and cannot be shown. Every operation belongs to the message thread except SetTitle()
// and IsOpen().
class DocumentWindow : public juce::DocumentWindow, public juce::ApplicationCommandTarget
{
public:
    enum CommandIDs
    {
        fullScreenCommand = 0x9000,
        closeWindowCommand = 0x9001,
        maximizeWindowCommand = 0x9002
    };

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

    // Leaves full screen, hides the window and takes it off the desktop; the window object lives on.
    void Close();

    // Fills the user area of the window's display with the window and its frame, so that the
    // title bar stays on the screen. False without a display.
    bool Maximize();

    // Enters or leaves the framework's full screen, which takes the whole display: held by the
    // window manager, without its frame, where it can. Leaving puts the window back where it was.
    // The window manager's word on the state is the window's: a window it made full screen, or
    // took out of it, is so for the program too.
    // False when the window cannot enter it: off the desktop, or without a display.
    bool SetFullScreen(bool full);

    // Where the window is shown next: where it was when hidden, or was put since; else where it is.
    juce::Rectangle<int> GetPlacement() const;
    // Asks for the bounds; a hidden window is shown there.
    void Place(juce::Rectangle<int> const& bounds);

    // The top-left corner that centres a window of the size in the area (halves truncated).
    static juce::Point<int> CentredPosition(juce::Rectangle<int> const& area, int width, int height) noexcept;

    // Any thread: whether the window is visible, as last set on the message thread.
    bool IsOpen() const noexcept { return open.load(); }

    // The title-bar button flags take effect when the window is next put on the desktop.
    void SetHasMinimiseButton(bool has) noexcept { hasMinimiseButton = has; }
    void SetHasMaximiseButton(bool has) noexcept { hasMaximiseButton = has; }
    void SetHasCloseButton(bool has) noexcept { hasCloseButton = has; }
    bool HasMinimiseButton() const noexcept { return hasMinimiseButton; }
    bool HasMaximiseButton() const noexcept { return hasMaximiseButton; }
    bool HasCloseButton() const noexcept { return hasCloseButton; }

    // Stores the flag and applies it to the native window now, if it has one, and at every opening.
    // Only some platforms have such a setting; elsewhere the flag is only kept.
    void SetHidesOnDeactivate(bool hides);
    bool GetHidesOnDeactivate() const noexcept { return hidesOnDeactivate; }

    int getDesktopWindowStyleFlags() const override;
    // Close().
    void closeButtonPressed() override;
    // Hiding remembers where the window is, and showing asks for the window there: a window
    // manager may move a hidden window, and places a window it frames by its own rules unless asked.
    void setVisible(bool shouldBeVisible) override;
    void visibilityChanged() override;

    juce::ApplicationCommandTarget* getNextCommandTarget() override;
    void getAllCommands(juce::Array<juce::CommandID>& commands) override;
    void getCommandInfo(juce::CommandID commandID, juce::ApplicationCommandInfo& result) override;
    // False for any other command, and when the window is off the desktop (full screen and
    // maximize need the window's display).
    bool perform(juce::ApplicationCommandTarget::InvocationInfo const& info) override;

private:
    juce::Displays::Display const* findDisplay() const;
    // Keeps the window manager's frame, while it has one, for a window not framed yet.
    void noteFrame();
    // Takes the window manager's word on full screen over the program's own.
    void followWindowManager();
    // The display's user area without what a window manager keeps for its panels.
    static juce::Rectangle<int> userArea(juce::Displays::Display const& display);

    // Made on the message thread at construction, so that other threads only ever copy it.
    juce::Component::SafePointer<DocumentWindow> self;
    std::atomic<bool> open{false};
    bool hidesOnDeactivate = false;
    bool hasMinimiseButton = true;
    bool hasMaximiseButton = true;
    bool hasCloseButton = true;
    std::optional<juce::Rectangle<int>> hiddenAt;
    std::optional<juce::Rectangle<int>> beforeFullScreen;
    // The window manager's frame as last seen: a window that is not framed yet will have it.
    std::optional<juce::BorderSize<int>> frame;

    JUCE_DECLARE_NON_COPYABLE(DocumentWindow)
};

} // namespace qgui
