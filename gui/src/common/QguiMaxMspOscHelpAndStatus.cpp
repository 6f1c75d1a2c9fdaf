#include "QguiMaxMspOscHelpAndStatus.h"

#include "QguiOscArguments.h"
#include "QguiRuntime.h"
#include "osc/QevOscAddress.h"

#include <cstdint>
#include <string>

namespace qgui
{
namespace
{

// The addresses of one group's commands, in the order they are tried.
struct CommandAddresses
{
    explicit CommandAddresses(char const* word)
        : group(word), open(std::string(word) + "/open"), close(std::string(word) + "/close"),
          openOrClose(std::string(word) + "/openorclose"), fontSize(std::string(word) + "/font/size"),
          floating(std::string(word) + "/floating"),
          hidesOnDeactivate(std::string(word) + "/hidesondeactivate")
    {
    }

    qev::OscAddress group, open, close, openOrClose, fontSize, floating, hidesOnDeactivate;
};

CommandAddresses const& helpAddresses()
{
    static CommandAddresses const addresses("/help");
    return addresses;
}

CommandAddresses const& statusAddresses()
{
    static CommandAddresses const addresses("/status");
    return addresses;
}

CommandAddresses const& snapshotAddresses()
{
    static CommandAddresses const addresses("/snapshot");
    return addresses;
}

// Without a display an opening does nothing; the command still counts as handled, so that it is
// not offered to other handlers that know nothing of it.
template <typename Window>
bool processWindowCommand(Window& window, CommandAddresses const& addresses, qev::OscMessage const& message)
{
    bool const none = message.GetNumArguments() == 0;
    if (none && (message.PatternMatches(addresses.group) || message.PatternMatches(addresses.open)))
    {
        window.SetVisibleAndToFront();
        return true;
    }
    if (none && message.PatternMatches(addresses.close))
    {
        window.Close();
        return true;
    }
    if (none && message.PatternMatches(addresses.openOrClose))
    {
        if (window.isVisible())
            window.Close();
        else
            window.SetVisibleAndToFront();
        return true;
    }
    double size = 0.0;
    if (asNumber(message, size) && message.PatternMatches(addresses.fontSize))
    {
        if (auto* panel = window.GetPanel())
            panel->SetFontSize(static_cast<float>(size));
        return true;
    }
    bool flag = false;
    if (asBoolean(message, flag) && message.PatternMatches(addresses.floating))
    {
        window.setAlwaysOnTop(flag);
        return true;
    }
    if (asBoolean(message, flag) && message.PatternMatches(addresses.hidesOnDeactivate))
    {
        window.SetHidesOnDeactivate(flag);
        return true;
    }
    return false;
}

// The panel is held by the window rather than owned as content, so that it has exactly one owner.
template <typename Window, typename Panel> void showPanel(Window& window, Panel* panel)
{
    if (panel == nullptr)
        return;
    window.setContentNonOwned(panel, true);
    // Centring needs a display.
    if (Runtime::HasDisplay())
        window.centreWithSize(window.getWidth(), window.getHeight());
    // On the desktop once opened: a native window would cost its repaint timer's wake-ups, many
    // a second, for a window most objects never show.
    window.removeFromDesktop();
}

} // namespace

MaxMspOscHelpWindow::MaxMspOscHelpWindow(qev::OscInterface& oscInterface)
    : DocumentWindow(nullptr), panel(std::make_unique<widgets::OscDocumentationComponent>(oscInterface))
{
    SetTitle("help window");
    showPanel(*this, panel.get());
}

MaxMspOscHelpWindow::~MaxMspOscHelpWindow()
{
    panel.reset();
    Close();
}

MaxMspOscStatusWindow::MaxMspOscStatusWindow(qev::OscInterface& oscInterface)
    : DocumentWindow(nullptr), panel(std::make_unique<widgets::OscStatusComponent>(oscInterface))
{
    SetTitle("status window");
    showPanel(*this, panel.get());
}

MaxMspOscStatusWindow::~MaxMspOscStatusWindow()
{
    panel.reset();
    Close();
}

MaxMspOscSnapshotWindow::MaxMspOscSnapshotWindow(qev::OscInterface& oscInterface)
    : DocumentWindow(nullptr), panel(std::make_unique<widgets::OscSnapshotComponent>(oscInterface))
{
    SetTitle("snapshot window");
    showPanel(*this, panel.get());
}

MaxMspOscSnapshotWindow::~MaxMspOscSnapshotWindow()
{
    panel.reset();
    Close();
}

MaxMspOscHelpAndStatus::MaxMspOscHelpAndStatus(qev::OscInterface& oscInterface)
    : helpWindow(oscInterface), statusWindow(oscInterface), snapshotWindow(oscInterface)
{
}

bool MaxMspOscHelpAndStatus::ProcessMessage(qev::OscMessage const& message, qev::MessageFlag const& flag)
{
    juce::ignoreUnused(flag);
    auto const& pattern = message.GetAddressPattern();
    if (pattern.StartsWith(helpAddresses().group))
        return processWindowCommand(helpWindow, helpAddresses(), message);
    if (pattern.StartsWith(statusAddresses().group))
        return processWindowCommand(statusWindow, statusAddresses(), message);
    if (pattern.StartsWith(snapshotAddresses().group))
        return processWindowCommand(snapshotWindow, snapshotAddresses(), message);
    return false;
}

} // namespace qgui
