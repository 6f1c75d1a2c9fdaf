#include "WidgetsTooltipWindow.h"

namespace widgets
{

TooltipWindow::TooltipWindow() : juce::TooltipWindow(nullptr, 700)
{
    setMillisecondsBeforeTipAppears(delayMilliseconds);
    setColour(juce::TooltipWindow::backgroundColourId, juce::Colours::grey);
    lookAndFeel.setColour(juce::TooltipWindow::backgroundColourId, juce::Colours::grey);
    setLookAndFeel(&lookAndFeel);
}

TooltipWindow::~TooltipWindow()
{
    setLookAndFeel(nullptr);
}

} // namespace widgets
