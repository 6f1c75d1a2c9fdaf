#include "WidgetsSlider.h"

#include "common/QguiStrings.h"
#include "text/QevStringFormatting.h"

#include <chrono>
#include <cmath>

namespace qgui
{

juce::String const& stringDegree()
{
    static juce::String const degree = juce::String::charToString(static_cast<juce::juce_wchar>(0x00B0));
    return degree;
}

} // namespace qgui

namespace widgets
{

namespace
{

juce::String angleText(double value, juce::String const& suffix)
{
    // Rounded by the current rounding mode: halves go to even.
    auto const rounded = std::nearbyint(value);
    juce::String text(value > 0.0 ? "+" : "");
    // Through an integer, so that -0.4 gives "0" rather than "-0"; what an integer cannot hold
    // (huge values, NaN) is written as a double.
    if (std::abs(rounded) < 9.0e18)
        text << juce::String(static_cast<juce::int64>(rounded));
    else
        text << juce::String(rounded);
    return text + suffix;
}

} // namespace

Slider::Slider()
{
    setPopupMenuEnabled(true);
}

Slider::Slider(SliderStyle style, TextEntryBoxPosition textBoxPosition) : juce::Slider(style, textBoxPosition)
{
    setPopupMenuEnabled(true);
}

Slider::~Slider() = default;

juce::String Slider::getTextFromValue(double value)
{
    auto const suffix = getTextValueSuffix();
    if (suffix == " dB")
    {
        if (value <= -60.0 && value == getMinimum())
            return "-Inf";
        return qgui::ToJuceString(
            qev::StringFormatting::dBToString(value, getNumDecimalPlacesToDisplay(), true));
    }
    if (suffix == " Hz")
        return qgui::ToJuceString(qev::StringFormatting::FrequencyToString(value, true));
    if (suffix == " ms" || suffix == " msec")
        return qgui::ToJuceString(qev::StringFormatting::MakeHumanReadableDuration(
            std::chrono::duration<double, std::milli>(value)));
    if (suffix == " " + qgui::stringDegree())
        return angleText(value, suffix);
    if (suffix == " m")
        return juce::String(std::round(value * 100.0) / 100.0) + suffix;
    return juce::Slider::getTextFromValue(value);
}

void Slider::SetValue(double value, bool notify)
{
    // The framework's slider never settles on a NaN, which equals nothing, not even itself.
    if (std::isnan(value))
        return;
    setValue(value, notify ? juce::sendNotificationSync : juce::dontSendNotification);
}

} // namespace widgets
