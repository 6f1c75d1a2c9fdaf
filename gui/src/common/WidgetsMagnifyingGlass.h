#pragma once

#include "text/QevString.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace widgets
{

// Draws the built-in magnifying-glass icon centred in its bounds, keeping its proportions.
class MagnifyingGlass : public juce::Component
{
public:
    MagnifyingGlass();
    // Draws the icon of that SVG text instead; text that does not parse draws nothing.
    explicit MagnifyingGlass(const qev::String& svgText);
    ~MagnifyingGlass() override;

    void paint(juce::Graphics& g) override;

    bool HasIcon() const noexcept { return drawable != nullptr; }

private:
    float opacity = 1.0f;
    juce::Colour backgroundColour = juce::Colours::transparentBlack;
    std::unique_ptr<juce::Drawable> drawable;

    JUCE_DECLARE_NON_COPYABLE(MagnifyingGlass)
};

} // namespace widgets
