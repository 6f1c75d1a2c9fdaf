#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace widgets
{

// The process's one tooltip window: hold it through juce::SharedResourcePointer<TooltipWindow>,
// which makes it with the first holder and deletes it with the last. Grey, with a long delay.
class TooltipWindow : public juce::TooltipWindow
{
public:
    static constexpr int delayMilliseconds = 2500;

    TooltipWindow();
    ~TooltipWindow() override;

private:
    // The framework draws a tooltip with the colours of the window's look-and-feel, not with the
    // window's own: the grey must be set in both.
    juce::LookAndFeel_V3 lookAndFeel;

    JUCE_DECLARE_NON_COPYABLE(TooltipWindow)
};

} // namespace widgets
