#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace qgui
{

// The degree sign, built once and kept for the life of the process.
juce::String const& stringDegree();

} // namespace qgui

namespace widgets
{

// A slider that writes its value according to its unit suffix: " dB" (with a "-Inf" floor), " Hz",
// " ms"/" msec", " °" and " m"; any other suffix gets the framework's text. Parsing text back is
// the framework's and does not understand these unit texts.
class Slider : public juce::Slider
{
public:
    Slider();
    ~Slider() override;

    juce::String getTextFromValue(double value) override;

    // notify true calls the listeners before returning; false calls none. A NaN is ignored.
    virtual void SetValue(double value, bool notify);

protected:
    // For a subclass that builds its own kind of slider: no text box is made for a position that
    // is replaced straight away.
    Slider(SliderStyle style, TextEntryBoxPosition textBoxPosition);

private:
    JUCE_DECLARE_NON_COPYABLE(Slider)
};

} // namespace widgets
