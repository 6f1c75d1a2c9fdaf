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
    JUCE_DECLARE_NON_COPYABLE(TooltipWindow)
};

} // namespace widgets
