#include "WidgetsViewport.h"

namespace widgets
{

Viewport::Viewport() : juce::Viewport(juce::String())
{
    setScrollBarThickness(8);
    setScrollBarsShown(true, true, false, false);
}

Viewport::~Viewport() = default;

} // namespace widgets
