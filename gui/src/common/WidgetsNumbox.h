#pragma once

#include "common/WidgetsSlider.h"

namespace widgets
{

// A slider shown only as its editable text box, which fills the whole box. Range, step and value
// are left to the owner.
class Numbox : public Slider
{
public:
    class LookAndFeel : public juce::LookAndFeel_V3
    {
    public:
        LookAndFeel();
        ~LookAndFeel() override;

        void drawRotarySlider(juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                              float rotaryStartAngle, float rotaryEndAngle, juce::Slider& slider) override;
        juce::Label* createSliderTextBox(juce::Slider& slider) override;
        juce::Font getSliderPopupFont(juce::Slider& slider) override;
        juce::Slider::SliderLayout getSliderLayout(juce::Slider& slider) override;

        juce::Font font;
    };

    Numbox();
    ~Numbox() override;

    // Rebuilds the text box with the font at once.
    void SetFont(juce::Font const& font);

    LookAndFeel& GetLookAndFeel() noexcept { return lookAndFeel; }

private:
    LookAndFeel lookAndFeel;

    JUCE_DECLARE_NON_COPYABLE(Numbox)
};

} // namespace widgets
