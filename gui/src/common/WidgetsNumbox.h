#pragma once

#include "common/WidgetsSlider.h"

#include <memory>

namespace widgets
{

// A slider shown only as its editable text box, which fills the whole box. Range, step and value
// are left to the owner. The box follows drags on its text box; a press that moves less than
// dragThreshold pixels is a click, which changes nothing and opens typing. Typed text that is not
// a number leaves the value as it is. A box whose text is not editable is a display: the mouse
// does not change it.
//
// The value and the text box's text tell their listeners at once rather than through a posted
// message, so that setting many boxes leaves nothing queued.
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

    // Tag of the constructor for an owner that configures the box further.
    struct ConfiguredLater
    {
    };

    Numbox();
    // Changes of colour, font and look-and-feel only mark the text box for rebuilding until
    // EndConfiguration(), which builds it once: a box configured in many steps then builds its
    // text box once instead of at every step.
    explicit Numbox(ConfiguredLater);
    // Null for a look of its own; else a look shared with other boxes (a table's rows share
    // theirs), so that a font set on one box is set on all.
    Numbox(ConfiguredLater, LookAndFeel* shared);
    ~Numbox() override;

    void EndConfiguration();

    // Rebuilds the text box with the font at once.
    void SetFont(juce::Font const& font);

    // A range without a grid: the box holds any value of [minimum, maximum] as it is set or
    // typed, and writes it with six significant digits; a drag moves it by whole steps from
    // where it started.
    void SetRangeWithDragStep(double minimum, double maximum, double step);
    // How far a drag moves the value per pixel (up or right), for the range set before. Without
    // it a drag crosses the whole range in the framework's default of 250 pixels.
    void SetDragRate(double valuePerPixel);

    static constexpr int dragThreshold = 4;

    LookAndFeel& GetLookAndFeel() noexcept { return lookAndFeel; }

    // One number (an optional "+" and the suffix aside), or else the current value.
    double getValueFromText(juce::String const& text) override;
    juce::String getTextFromValue(double value) override;
    double snapValue(double attemptedValue, DragMode dragMode) override;
    // A press also ends text editing elsewhere, as a press on any other control does.
    void mouseDown(juce::MouseEvent const& e) override;
    void mouseDrag(juce::MouseEvent const& e) override;
    void lookAndFeelChanged() override;

private:
    std::unique_ptr<LookAndFeel> ownLookAndFeel;
    LookAndFeel& lookAndFeel;
    // Text box rebuilds wait while the box is being configured or destroyed.
    bool rebuildsHeld = true;
    bool rebuildPending = false;
    // 0: values snap to the range's interval, as the framework does.
    double dragStep = 0.0;
    double dragStartValue = 0.0;
    // Whether the pointer has passed dragThreshold since the press.
    bool dragging = false;

    JUCE_DECLARE_NON_COPYABLE(Numbox)
};

} // namespace widgets
