#include "WidgetsTooltipWindow.h"

namespace widgets
{

TooltipWindow::TooltipWindow() : juce::TooltipWindow(nullptr, 700)
{
    setMillisecondsBeforeTipAppears(delayMilliseconds);
    setColour(juce::TooltipWindow::backgroundColourId, juce::Colours::grey);
}

TooltipWindow::~TooltipWindow() = default;

} // namespace widgets
