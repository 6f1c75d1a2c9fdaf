#include "QguiFunctions.h"
#include "QguiMaxMspWindowManager.h"
#include "QguiOscArguments.h"
#include "QguiStrings.h"
#include "osc/QevCommonPatterns.h"
#include "osc/QevOscAddress.h"
#include "utils/QevColorRGBA.h"

#include <cmath>
#include <utility>

namespace qgui
{
namespace
{

using qev::CommonPatterns;

// Truncated toward zero and held within 2^24 either way, NaN read as 0: the framework adds and
// scales these pixel values as ints, and larger ones would overflow there.
int toInt(double value)
{
    constexpr double limit = 1 << 24;
    if (std::isnan(value))
        return 0;
    return static_cast<int>(juce::jlimit(-limit, limit, value));
}

int numberArgument(qev::OscMessage const& message, unsigned long i)
{
    return toInt(message[i].GetNumberAsDouble());
}

// The addresses of the commands that have no shared pattern, made once for the process.
struct WindowAddresses
{
    qev::OscAddress buttonsClose{"/buttons/close"};
    qev::OscAddress buttonsMinimise{"/buttons/minimise"};
    qev::OscAddress buttonsMaximise{"/buttons/maximise"};
    qev::OscAddress minimize{"/minimize"};
    qev::OscAddress backgroundColor{"/background/color"};
    qev::OscAddress titlebarHeight{"/titlebar/height"};
    qev::OscAddress centre{"/centre"};
    qev::OscAddress renderingEngine{"/rendering/engine"};
    qev::OscAddress renderingFpsVisible{"/rendering/fps/visible"};
};

WindowAddresses const& addresses()
{
    static WindowAddresses const shared;
    return shared;
}

void setButtonFlag(DocumentWindow& window, int button, bool has)
{
    switch (button)
    {
    case juce::DocumentWindow::closeButton:
        window.SetHasCloseButton(has);
        break;
    case juce::DocumentWindow::minimiseButton:
        window.SetHasMinimiseButton(has);
        break;
    default:
        window.SetHasMaximiseButton(has);
        break;
    }
    // The framework's own title bar takes its buttons from this set, the native one from the flags.
    int required = 0;
    if (window.HasCloseButton())
        required |= juce::DocumentWindow::closeButton;
    if (window.HasMinimiseButton())
        required |= juce::DocumentWindow::minimiseButton;
    if (window.HasMaximiseButton())
        required |= juce::DocumentWindow::maximiseButton;
    // Rebuilds the title bar, and the native window when it is on the desktop.
    window.setTitleBarButtonsRequired(required, false);
}

} // namespace

bool MaxMspWindowManager::processWindowMessage(qev::OscMessage const& fullMessage)
{
    if (fullMessage.GetAddressPattern().GetNumParts() < 2)
        return false;
    auto const message = fullMessage.WithFirstPatternsTrimmed(1);
    auto const& pattern = message.GetAddressPattern();
    bool const none = hasNoArgument(message);
    bool result = false;
    bool flag = false;
    double number = 0.0;
    qev::String text;

    auto const& a = addresses();
    auto const matches = [&](qev::OscAddress const& a) { return message.PatternMatches(a); };
    auto const close = [this] { Close(); };

    if (none && matches(CommonPatterns::open()))
    {
        SetVisibleAndToFront();
        result = true;
    }
    if (none && (matches(CommonPatterns::close()) || matches(CommonPatterns::wclose())))
    {
        close();
        result = true;
    }
    if (none && matches(CommonPatterns::openorclose()))
    {
        if (isVisible())
            close();
        else
            SetVisibleAndToFront();
        result = true;
    }
    if (asString(message, text) && matches(CommonPatterns::title()))
    {
        SetTitle(text);
        result = true;
    }
    if (message.CheckArgumentsFormat("nn", true) && matches(CommonPatterns::size()))
    {
        Place(GetPlacement().withSize(numberArgument(message, 0), numberArgument(message, 1)));
        result = true;
    }
    if (asNumber(message, number) && matches(CommonPatterns::width()))
    {
        Place(GetPlacement().withWidth(toInt(number)));
        result = true;
    }
    if (asNumber(message, number) && matches(CommonPatterns::height()))
    {
        Place(GetPlacement().withHeight(toInt(number)));
        result = true;
    }
    if (message.CheckArgumentsFormat("nn", true) && matches(CommonPatterns::topleft()))
    {
        Place(GetPlacement().withPosition(numberArgument(message, 0), numberArgument(message, 1)));
        result = true;
    }
    if (message.CheckArgumentsFormat("nnnn", true) && matches(CommonPatterns::bounds()))
    {
        Place({numberArgument(message, 0), numberArgument(message, 1), numberArgument(message, 2),
               numberArgument(message, 3)});
        result = true;
    }
    if (pattern.StartsWith(CommonPatterns::buttons()) && asBoolean(message, flag))
    {
        std::pair<qev::OscAddress const*, int> const commands[] = {
            {&a.buttonsClose, juce::DocumentWindow::closeButton},
            {&a.buttonsMinimise, juce::DocumentWindow::minimiseButton},
            {&a.buttonsMaximise, juce::DocumentWindow::maximiseButton}};
        for (auto const& command : commands)
            if (matches(*command.first))
            {
                setButtonFlag(*this, command.second, flag);
                result = true;
            }
    }
    if (asBoolean(message, flag) && matches(CommonPatterns::fullscreen()))
    {
        SetFullScreen(flag);
        result = true;
    }
    if (none && matches(CommonPatterns::maximize()))
    {
        Maximize();
        result = true;
    }
    if (asBoolean(message, flag) && matches(CommonPatterns::visible()))
    {
        if (flag)
            SetVisibleAndToFront();
        else
            close();
        result = true;
    }
    if (asBoolean(message, flag) && (matches(CommonPatterns::minimise()) || matches(a.minimize)))
    {
        // Only a window with a native peer can be minimised.
        if (getPeer() != nullptr)
            setMinimised(flag);
        result = true;
    }
    if (asBoolean(message, flag) && matches(CommonPatterns::moveable()))
    {
        setDraggable(flag);
        result = true;
    }
    if (asBoolean(message, flag) && matches(CommonPatterns::resizable()))
    {
        setResizable(flag, false);
        result = true;
    }
    if (asBoolean(message, flag) && matches(CommonPatterns::enable()))
    {
        if (content != nullptr)
            content->setEnabled(flag);
        result = true;
    }
    if (message.CheckArgumentsFormat("nnnn", true) && matches(a.backgroundColor))
    {
        auto const colour = message.GetArgumentsAsRGBA();
        setBackgroundColour(juce::Colour::fromFloatRGBA(colour.red, colour.green, colour.blue, 1.0f)
                                .withAlpha(AlphaByte(colour.alpha)));
        result = true;
    }
    if (asBoolean(message, flag) && matches(CommonPatterns::opaque()))
    {
        setOpaque(flag);
        result = true;
    }
    if (pattern.StartsWith(CommonPatterns::titlebar()))
    {
        if (asNumber(message, number) && matches(a.titlebarHeight))
        {
            // A negative height would turn the title-bar area inside out.
            setTitleBarHeight(juce::jmax(0, toInt(number)));
            result = true;
        }
        if (asBoolean(message, flag) && matches(CommonPatterns::titlebar()))
        {
            setUsingNativeTitleBar(flag);
            if (!flag)
                setTitleBarHeight(0);
            result = true;
        }
    }
    if (none && (matches(a.centre) || matches(CommonPatterns::center())))
    {
        SetCenterAndToFront();
        result = true;
    }
    if (asNumber(message, number) && matches(CommonPatterns::scale()))
    {
        auto const percent = static_cast<float>(number);
        // An infinite scale would make every window of the process infinitely large.
        if (percent > 5.0f && std::isfinite(percent))
            juce::Desktop::getInstance().setGlobalScaleFactor(percent / 100.0f);
        if (content != nullptr)
            content->resized();
        result = true;
    }
    if (asBoolean(message, flag) && matches(CommonPatterns::floating()))
    {
        setAlwaysOnTop(flag);
        result = true;
    }
    if (asBoolean(message, flag) && matches(CommonPatterns::hidesondeactivate()))
    {
        SetHidesOnDeactivate(flag);
        result = true;
    }
    if (pattern.StartsWith(CommonPatterns::rendering()))
    {
        if (asString(message, text) && matches(a.renderingEngine))
        {
            if (content != nullptr)
                content->SetCurrentRenderingEngine(text);
            result = true;
        }
        if (asBoolean(message, flag) && matches(a.renderingFpsVisible))
        {
            if (content != nullptr)
                content->SetFpsVisible(flag);
            result = true;
        }
    }
    return result;
}

qev::OscBundle MaxMspWindowManager::getCurrentWindowStateAsOscBundle() const
{
    qev::OscBundle state;
    state.AddNewMessage("/title", FromJuceString(getName()));
    state.AddNewMessage("/visible", isVisible());
    state.AddNewMessage("/moveable", isDraggable());
    state.AddNewMessage("/resizable", isResizable());
    // Without a content the window's own flag, which the commands never change.
    state.AddNewMessage("/enable", content != nullptr ? content->isEnabled() : isEnabled());
    // Before the bounds: a new scale keeps the on-screen size of a window on the desktop, so
    // bounds restored under the old scale would come out scaled.
    state.AddNewMessage("/scale", juce::Desktop::getInstance().getGlobalScaleFactor() * 100.0f);
    // Where a hidden window will be shown, not where the window manager parked it.
    auto const placed = GetPlacement();
    qev::OscMessage bounds("/bounds");
    bounds.Add(placed.getX());
    bounds.Add(placed.getY());
    bounds.Add(placed.getWidth());
    bounds.Add(placed.getHeight());
    state.Add(std::move(bounds));
    auto const colour = getBackgroundColour();
    state.AddNewMessage("/background/color", qev::ColorRGBA(colour.getFloatRed(), colour.getFloatGreen(),
                                                            colour.getFloatBlue(), colour.getFloatAlpha()));
    state.AddNewMessage("/opaque", isOpaque());
    state.AddNewMessage("/titlebar", isUsingNativeTitleBar());
    state.AddNewMessage("/fullscreen", isKioskMode());
    state.AddNewMessage("/minimise", isMinimised());
    if (content != nullptr)
    {
        state.AddNewMessage("/rendering/engine", content->GetCurrentRenderingEngine());
        state.AddNewMessage("/rendering/fps/visible", content->IsFpsVisible());
    }
    state.AddNewMessage("/floating", isAlwaysOnTop());
    state.AddNewMessage("/hidesondeactivate", GetHidesOnDeactivate());
    state.AddNewMessage("/buttons/close", HasCloseButton());
    state.AddNewMessage("/buttons/minimise", HasMinimiseButton());
    state.AddNewMessage("/buttons/maximise", HasMaximiseButton());
    state.PrependPattern(CommonPatterns::window());
    return state;
}

qev::OscDocumentation MaxMspWindowManager::GetOscDocumentation(bool withCommonCommands) const
{
    qev::OscDocumentation documentation;
    if (content != nullptr)
        documentation.Add(content->GetOscDocumentation(withCommonCommands));

    struct Entry
    {
        char const* pattern;
        char const* arguments;
        char const* description;
    };
    static Entry const entries[] = {
        {"/window/title", "s", "set the window title"},
        {"/window/visible", "b", "set the window visibility"},
        {"/window/moveable", "b", "set the window movability"},
        {"/window/resizable", "b", "set the window resizability"},
        {"/window/enable", "b", "enable/disable the window"},
        {"/window/background/color", "[color]", "set the window background color"},
        {"/window/opaque", "b", "set the window opaque flag (optimize repaint efficiency)"},
        {"/window/fullscreen", "b", "enable/disable fullscreen mode"},
        {"/window/minimise", "b", "minimize the window"},
        {"/window/open", "", "open the window"},
        {"/window/close", "", "close the window"},
        {"/window/openorclose", "", "open the window if it was closed; close it if it was opened"},
        {"/window/size", "nn", "set the window size (in pixels)"},
        {"/window/width", "n", "set the window width (in pixels)"},
        {"/window/height", "n", "set the window height (in pixels)"},
        {"/window/bounds", "nnnn", "set the window bounds (in pixels)"},
        {"/window/topleft", "nn", "set the window top left position (in pixels)"},
        {"/window/centre", "", "open the window, centering it on the screen"},
        {"/window/rendering/engine", "s", "set the graphical rendering engine of the window"},
        {"/window/rendering/fps/visible", "b", "display the FPS performances of the window"},
        {"/window/scale", "f", "set the global scale factor of the window (in %)"},
        {"/window/floating", "b", "make the window 'floating' (always on top)"},
        {"/window/hidesondeactivate", "b", "make the window 'hides on deactivate' (when always on top)"},
        {"/window/buttons/close", "b", "enable/disable the close button"},
        {"/window/buttons/minimise", "b", "enable/disable the minimise button"},
        {"/window/buttons/maximise", "b", "enable/disable the maximise button"},
    };
    qev::String const noLabel;
    for (auto const& entry : entries)
        documentation.Add(qev::OscAddressPattern(entry.pattern), qev::String(entry.arguments),
                          qev::String(entry.description), noLabel);

    documentation.Add(qev::OscInterface::GetOscDocumentation(withCommonCommands));
    return documentation;
}

} // namespace qgui
