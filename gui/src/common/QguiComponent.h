#pragma once

#include "osc/QevOscBundle.h"
#include "osc/QevOscInterface.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace qgui
{

// The base of every panel and row. Each component paints with a look-and-feel of its own, so
// that the process-wide default look-and-feel (which another module in the host may change) never
// alters ours; children without a look-and-feel of their own inherit it.
class Component : public juce::Component
{
public:
    Component();
    ~Component() override;

    // Meant for components that show a tooltip window of their own; does nothing here.
    virtual void disableTooltipWindow() {}

private:
    juce::LookAndFeel_V3 lookAndFeel;

    JUCE_DECLARE_NON_COPYABLE(Component)
};

// A component that is also driven by OSC: the content that a window manager wraps in a window.
class ComponentWithOscInterface : public Component, public qev::OscInterface
{
public:
    ComponentWithOscInterface() = default;

    // The current state, as the subclass reports it.
    qev::OscBundle Bang() const { return GetCurrentStateAsOscBundle(); }
};

} // namespace qgui
