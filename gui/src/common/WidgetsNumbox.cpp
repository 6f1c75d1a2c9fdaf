#include "WidgetsNumbox.h"

#include "common/QguiFunctions.h"
#include "common/QguiStrings.h"
#include "text/QevString.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <utility>

namespace widgets
{
namespace
{

// A value that tells its listeners at once. The framework's own posts a message for every change
// of a value that has listeners, although a box and its text box are the only users of theirs:
// a table of a few thousand rows would queue tens of thousands of messages, and the framework's
// queue takes time growing with the square of their number to drain them.
class ValueToldAtOnce : public juce::Value::ValueSource
{
public:
    explicit ValueToldAtOnce(juce::var initial) : value(std::move(initial)) {}

    juce::var getValue() const override { return value; }
    void setValue(juce::var const& newValue) override
    {
        if (value.equalsWithSameType(newValue))
            return;
        value = newValue;
        sendChangeMessage(true);
    }

private:
    juce::var value;
};

} // namespace

Numbox::LookAndFeel::LookAndFeel() : font(qgui::GetFont("Arial", "plain", 11.0f))
{
    setColour(juce::TooltipWindow::backgroundColourId, juce::Colour(0xFFBDBDBD));
    setColour(juce::TextEditor::focusedOutlineColourId, juce::Colour(0xFF545454));
}

Numbox::LookAndFeel::~LookAndFeel() = default;

void Numbox::LookAndFeel::drawRotarySlider(juce::Graphics&, int, int, int, int, float, float, float,
                                           juce::Slider&)
{
}

juce::Label* Numbox::LookAndFeel::createSliderTextBox(juce::Slider& slider)
{
    auto* label = new juce::Label();
    label->getTextValue().referTo(juce::Value(new ValueToldAtOnce(juce::String())));
    label->setFont(font);
    label->setJustificationType(juce::Justification::centred);

    auto const text = slider.findColour(juce::Slider::textBoxTextColourId);
    auto const background = slider.findColour(juce::Slider::textBoxBackgroundColourId);
    auto const outline = slider.findColour(juce::Slider::textBoxOutlineColourId);
    auto const isBar = slider.getSliderStyle() == juce::Slider::LinearBar;

    label->setColour(juce::Label::textColourId, text);
    label->setColour(juce::Label::backgroundColourId, isBar ? juce::Colours::transparentBlack : background);
    label->setColour(juce::Label::outlineColourId, outline);
    label->setColour(juce::TextEditor::textColourId, text);
    label->setColour(juce::TextEditor::backgroundColourId, background.withAlpha(isBar ? 0.7f : 1.0f));
    label->setColour(juce::TextEditor::outlineColourId, outline);
    // The label covers the whole box: without this, presses and drags never reach the slider.
    label->addMouseListener(&slider, false);
    return label;
}

juce::Font Numbox::LookAndFeel::getSliderPopupFont(juce::Slider&)
{
    return qgui::GetFont("Arial", "plain", 13.0f);
}

juce::Slider::SliderLayout Numbox::LookAndFeel::getSliderLayout(juce::Slider& slider)
{
    juce::Slider::SliderLayout layout;
    layout.sliderBounds = {};
    layout.textBoxBounds = slider.getLocalBounds();
    return layout;
}

Numbox::Numbox() : Numbox(ConfiguredLater())
{
    EndConfiguration();
}

Numbox::Numbox(ConfiguredLater tag) : Numbox(tag, nullptr) {}

// Built without a text box, which is then built once, with this box's look-and-feel and colours.
Numbox::Numbox(ConfiguredLater, LookAndFeel* shared)
    : Slider(juce::Slider::RotaryHorizontalVerticalDrag, juce::Slider::NoTextBox),
      ownLookAndFeel(shared == nullptr ? std::make_unique<LookAndFeel>() : nullptr),
      lookAndFeel(shared == nullptr ? *ownLookAndFeel : *shared)
{
    getValueObject().referTo(juce::Value(new ValueToldAtOnce(getValue())));
    setTextBoxStyle(juce::Slider::TextBoxBelow, false, 50, 14);
    setColour(juce::Slider::textBoxBackgroundColourId, juce::Colour(0xFFDBDBDB).withAlpha(0.0f));
    setColour(juce::Slider::textBoxOutlineColourId, juce::Colour(0xFFDBDBDB));
    setPopupMenuEnabled(true);
    setLookAndFeel(&lookAndFeel);
}

void Numbox::EndConfiguration()
{
    if (!rebuildsHeld)
        return;
    rebuildsHeld = false;
    if (std::exchange(rebuildPending, false))
        lookAndFeelChanged();
}

Numbox::~Numbox()
{
    // The framework keeps a reference to the look-and-feel; it must let go before the member dies,
    // without building a text box that is about to go too.
    rebuildsHeld = true;
    setLookAndFeel(nullptr);
}

void Numbox::SetFont(juce::Font const& font)
{
    lookAndFeel.font = font;
    sendLookAndFeelChange();
}

void Numbox::SetRangeWithDragStep(double minimum, double maximum, double step)
{
    dragStep = step;
    setRange(minimum, maximum, 0.0);
}

void Numbox::SetDragRate(double valuePerPixel)
{
    double const pixels = (getMaximum() - getMinimum()) / valuePerPixel;
    setMouseDragSensitivity(static_cast<int>(std::clamp(std::round(pixels), 1.0, 1e9)));
}

double Numbox::getValueFromText(juce::String const& text)
{
    auto t = text.trim();
    auto const suffix = getTextValueSuffix();
    if (suffix.isNotEmpty() && t.endsWith(suffix))
        t = t.dropLastCharacters(suffix.length()).trimEnd();
    if (t.startsWithChar('+'))
        t = t.substring(1);
    // Whole text, C-locale syntax, finite: "abc", "0,5", "2x", "inf" and "nan" are not numbers.
    std::string const utf8 = t.toStdString();
    double value = 0.0;
    auto const [end, error] = std::from_chars(utf8.data(), utf8.data() + utf8.size(), value);
    if (utf8.empty() || error != std::errc() || end != utf8.data() + utf8.size() || !std::isfinite(value))
        return getValue();
    return value;
}

juce::String Numbox::getTextFromValue(double value)
{
    if (dragStep > 0.0)
        return qgui::ToJuceString(qev::String(value));
    return Slider::getTextFromValue(value);
}

double Numbox::snapValue(double attemptedValue, DragMode dragMode)
{
    if (dragStep <= 0.0 || dragMode == notDragging)
        return attemptedValue;
    // A press without movement keeps the value exactly.
    return dragStartValue + std::round((attemptedValue - dragStartValue) / dragStep) * dragStep;
}

void Numbox::lookAndFeelChanged()
{
    if (rebuildsHeld)
        rebuildPending = true;
    else
        Slider::lookAndFeelChanged();
}

void Numbox::mouseDown(juce::MouseEvent const& e)
{
    juce::Component::unfocusAllComponents();
    if (!isTextBoxEditable())
        return;
    dragStartValue = getValue();
    dragging = false;
    Slider::mouseDown(e);
}

void Numbox::mouseDrag(juce::MouseEvent const& e)
{
    // A click whose pointer slips a pixel must not change the value; past the threshold the value
    // follows the pointer from where it was pressed.
    if (!isTextBoxEditable())
        return;
    dragging = dragging || e.getDistanceFromDragStart() >= dragThreshold;
    if (dragging)
        Slider::mouseDrag(e);
}

} // namespace widgets
