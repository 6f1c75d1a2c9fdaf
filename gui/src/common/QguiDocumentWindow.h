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

    // A window manager frames a window each time it is shown, and moves it meanwhile: it puts the
    // frame where the window was asked to be, and a hidden window where its frame was. So the
    // window holds on to the bounds it was given, or had when it was hidden, until it is shown,
    // framed and known to be where the window manager put it, and then takes them again.
    // GetPlacement(): those bounds, else the current ones.
    juce::Rectangle<int> GetPlacement() const { return placement.value_or(getBounds()); }
    // To be called after the program has set the window's bounds.
    void KeepPlacement();

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
    // Hiding holds the bounds the window has on the screen; showing asks the window manager to
    // keep the window where it is.
    void setVisible(bool shouldBeVisible) override;
    void visibilityChanged() override;
    void moved() override;
    void resized() override;

    juce::ApplicationCommandTarget* getNextCommandTarget() override;
    void getAllCommands(juce::Array<juce::CommandID>& commands) override;
    void getCommandInfo(juce::CommandID commandID, juce::ApplicationCommandInfo& result) override;
    // False for any other command, and when the window is off the desktop (full screen and
    // maximize need the window's display).
    bool perform(juce::ApplicationCommandTarget::InvocationInfo const& info) override;

private:
    // The desktop refuses a window that leaves it, or dies, while in full screen.
    void leaveFullScreen();
    juce::Displays::Display const* findDisplay() const;
    // The window manager's frame around the window, once it is known.
    std::optional<juce::BorderSize<int>> knownFrame() const;
    // Shown, framed, and where the framework believes it is.
    bool framed() const;
    void holdWhereShown(juce::ComponentPeer& peer);
    // After each move or resize, and now and then while shown and waiting: once framed, the
    // window takes its placement again.
    void followPlacement();
    // Looks again now and then until the window is framed, or nothing has happened to it for a while.
    void waitForFraming();

    // A window manager that frames the window exactly where asked moves nothing, so no move tells
    // that the framing is done.
    class PlacementCheck : public juce::Timer
    {
    public:
        static constexpr int interval = 25;
        static constexpr int maximumTicks = 200;

        explicit PlacementCheck(DocumentWindow& owner) : window(owner) {}
        void timerCallback() override;

        DocumentWindow& window;
        int ticks = 0;
    };

    // Made on the message thread at construction, so that other threads only ever copy it.
    juce::Component::SafePointer<DocumentWindow> self;
    std::atomic<bool> open{false};
    bool hidesOnDeactivate = false;
    bool hasMinimiseButton = true;
    bool hasMaximiseButton = true;
    bool hasCloseButton = true;
    // See GetPlacement(); maximized: the window is to fill its display once framed.
    std::optional<juce::Rectangle<int>> placement;
    bool placementMaximized = false;
    PlacementCheck placementCheck{*this};

    JUCE_DECLARE_NON_COPYABLE(DocumentWindow)
};

} // namespace qgui
