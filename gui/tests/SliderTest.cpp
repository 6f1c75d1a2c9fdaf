#include "GuiTestHelpers.h"
#include "common/WidgetsNumbox.h"
#include "common/WidgetsSlider.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>

using guitest::textBoxOf;

namespace
{

struct ValueListener : juce::Slider::Listener
{
    void sliderValueChanged(juce::Slider* slider) override
    {
        ++calls;
        valueSeen = slider->getValue();
    }
    int calls = 0;
    double valueSeen = 0.0;
};

juce::String textFor(double value, juce::String const& suffix)
{
    widgets::Slider slider;
    slider.setTextValueSuffix(suffix);
    return slider.getTextFromValue(value);
}

juce::String degree()
{
    return " " + qgui::stringDegree();
}

} // namespace

TEST(SliderTest, DegreeSignIsOneCharacterKeptForever)
{
    auto const& sign = qgui::stringDegree();
    EXPECT_EQ(1, sign.length());
    EXPECT_EQ(static_cast<juce::juce_wchar>(0xB0), sign[0]);
    EXPECT_EQ(&sign, &qgui::stringDegree());
    EXPECT_EQ(std::string("\xc2\xb0"), sign.toStdString());
}

TEST(SliderTest, DecibelTextsWithTheInfinityFloor)
{
    widgets::Slider slider;
    slider.setTextValueSuffix(" dB");
    slider.setRange(-60.0, 12.0, 0.1);
    EXPECT_EQ(juce::String("-Inf"), slider.getTextFromValue(-60.0));
    EXPECT_EQ(juce::String("-59.9 dB"), slider.getTextFromValue(-59.9));
    EXPECT_EQ(juce::String("0 dB"), slider.getTextFromValue(0.0));

    slider.setRange(-80.0, 12.0, 0.1);
    EXPECT_EQ(juce::String("-60.0 dB"), slider.getTextFromValue(-60.0));
    EXPECT_EQ(juce::String("-Inf"), slider.getTextFromValue(-80.0));

    // Above -60 the bottom of the range is an ordinary level.
    slider.setRange(-40.0, 12.0, 0.1);
    EXPECT_EQ(juce::String("-40.0 dB"), slider.getTextFromValue(-40.0));

    slider.setRange(-60.0, 12.0, 1.0);
    EXPECT_EQ(0, slider.getNumDecimalPlacesToDisplay());
    EXPECT_EQ(juce::String("+3 dB"), slider.getTextFromValue(3.7));
    EXPECT_EQ(juce::String("0 dB"), slider.getTextFromValue(0.0));
}

TEST(SliderTest, FrequencyAndDurationTextsCarryTheirOwnUnits)
{
    EXPECT_EQ(juce::String("440 Hz"), textFor(440.0, " Hz"));
    EXPECT_EQ(juce::String("1 kHz"), textFor(1000.0, " Hz"));
    EXPECT_EQ(juce::String("1500 Hz"), textFor(1500.0, " Hz"));
    EXPECT_EQ(juce::String("44.1 kHz"), textFor(44100.0, " Hz"));
    EXPECT_EQ(juce::String("2.50 MHz"), textFor(2500000.0, " Hz"));

    for (auto const* suffix : {" ms", " msec"})
    {
        EXPECT_EQ(juce::String("12.3 ms"), textFor(12.34, suffix));
        EXPECT_EQ(juce::String("250 ms"), textFor(250.9, suffix));
        EXPECT_EQ(juce::String("1.50 sec"), textFor(1500.0, suffix));
        EXPECT_EQ(juce::String("1 min 30 sec"), textFor(90000.0, suffix));
    }
}

TEST(SliderTest, AngleTextsRoundHalvesToEvenAndSignPositiveValues)
{
    ASSERT_EQ(FE_TONEAREST, std::fegetround());
    EXPECT_EQ("+12" + degree(), textFor(12.4, degree()));
    EXPECT_EQ("+0" + degree(), textFor(0.4, degree()));
    EXPECT_EQ("0" + degree(), textFor(-0.4, degree()));
    EXPECT_EQ("+2" + degree(), textFor(2.5, degree()));
    EXPECT_EQ("+4" + degree(), textFor(3.5, degree()));
    EXPECT_EQ("-8" + degree(), textFor(-7.6, degree()));
    EXPECT_EQ("0" + degree(), textFor(0.0, degree()));
    EXPECT_EQ("-180" + degree(), textFor(-180.0, degree()));
    // A degree sign without the space is no angle.
    widgets::Slider slider;
    slider.setNumDecimalPlacesToDisplay(1);
    slider.setTextValueSuffix(qgui::stringDegree());
    EXPECT_EQ(juce::String("12.4") + qgui::stringDegree(), slider.getTextFromValue(12.4));
}

TEST(SliderTest, MetreTextsKeepTwoDecimalsAndSixDigits)
{
    EXPECT_EQ(juce::String("1.23 m"), textFor(1.234, " m"));
    EXPECT_EQ(juce::String("1.24 m"), textFor(1.2350001, " m"));
    EXPECT_EQ(juce::String("2.5 m"), textFor(2.5, " m"));
    EXPECT_EQ(juce::String("3 m"), textFor(3.0, " m"));
    EXPECT_EQ(juce::String("12345.7 m"), textFor(12345.678, " m"));
    EXPECT_EQ(juce::String("-0.01 m"), textFor(-0.005, " m"));
}

TEST(SliderTest, OtherSuffixesGetTheFrameworkText)
{
    widgets::Slider slider;
    slider.setRange(0.0, 10.0, 0.01);
    for (auto const* suffix : {"dB", " DB", " hz", " s", ""})
    {
        slider.setTextValueSuffix(suffix);
        EXPECT_EQ(juce::String("1.50") + suffix, slider.getTextFromValue(1.5)) << suffix;
    }
}

TEST(SliderTest, SetValueNotifiesOnlyWhenAsked)
{
    widgets::Numbox box;
    box.setRange(0.0, 127.0, 1.0);
    ValueListener listener;
    box.addListener(&listener);

    box.SetValue(42.0, false);
    EXPECT_EQ(42.0, box.getValue());
    EXPECT_EQ(0, listener.calls);
    ASSERT_NE(nullptr, textBoxOf(box));
    EXPECT_EQ(juce::String("42"), textBoxOf(box)->getText());

    box.SetValue(7.0, true);
    EXPECT_EQ(1, listener.calls) << "listeners are called before SetValue returns";
    EXPECT_EQ(7.0, listener.valueSeen);
    EXPECT_EQ(juce::String("7"), textBoxOf(box)->getText());

    box.SetValue(7.0, true);
    EXPECT_EQ(1, listener.calls) << "an unchanged value calls no one";
    box.SetValue(std::nan(""), true);
    EXPECT_EQ(7.0, box.getValue()) << "a NaN never settles in the framework's slider";
    EXPECT_EQ(1, listener.calls);

    // Text typed into the box reaches the slider; text that is not one number changes nothing.
    textBoxOf(box)->setText("99", juce::sendNotificationSync);
    EXPECT_EQ(99.0, box.getValue());
    EXPECT_EQ(2, listener.calls);
    for (char const* typed : {"abc", "0,5", "12x", "", "inf", "nan", "1e999"})
    {
        textBoxOf(box)->setText(typed, juce::sendNotificationSync);
        EXPECT_EQ(99.0, box.getValue()) << '"' << typed << '"';
        EXPECT_EQ(juce::String("99"), textBoxOf(box)->getText()) << '"' << typed << '"';
    }
    textBoxOf(box)->setText(" +12 ", juce::sendNotificationSync);
    EXPECT_EQ(12.0, box.getValue());
    EXPECT_EQ(3, listener.calls);
    box.removeListener(&listener);
}

TEST(SliderTest, NumboxIsAnEditableTextBoxFillingTheWholeBox)
{
    widgets::Numbox box;
    EXPECT_EQ(&box.GetLookAndFeel(), &box.getLookAndFeel());
    EXPECT_EQ(juce::Slider::RotaryHorizontalVerticalDrag, box.getSliderStyle());
    EXPECT_EQ(juce::Slider::TextBoxBelow, box.getTextBoxPosition());
    EXPECT_TRUE(box.isTextBoxEditable());
    EXPECT_EQ(50, box.getTextBoxWidth());
    EXPECT_EQ(14, box.getTextBoxHeight());
    EXPECT_EQ(0x00DBDBDBu, box.findColour(juce::Slider::textBoxBackgroundColourId).getARGB());
    EXPECT_EQ(0xFFDBDBDBu, box.findColour(juce::Slider::textBoxOutlineColourId).getARGB());
    EXPECT_EQ(0xFFBDBDBDu, box.findColour(juce::TooltipWindow::backgroundColourId).getARGB());
    EXPECT_EQ(0xFF545454u, box.findColour(juce::TextEditor::focusedOutlineColourId).getARGB());

    box.setBounds(0, 0, 60, 19);
    auto* label = textBoxOf(box);
    ASSERT_NE(nullptr, label);
    EXPECT_EQ(juce::Rectangle<int>(0, 0, 60, 19), label->getBounds());
    auto const layout = box.GetLookAndFeel().getSliderLayout(box);
    EXPECT_TRUE(layout.sliderBounds.isEmpty());
    EXPECT_EQ(juce::Rectangle<int>(0, 0, 60, 19), layout.textBoxBounds);

    // The label is built from the box's colours: transparent, outlined, opaque while typing.
    EXPECT_EQ(juce::Justification(juce::Justification::centred), label->getJustificationType());
    EXPECT_EQ(0x00DBDBDBu, label->findColour(juce::Label::backgroundColourId).getARGB());
    EXPECT_EQ(0xFFDBDBDBu, label->findColour(juce::Label::outlineColourId).getARGB());
    EXPECT_EQ(0xFFDBDBDBu, label->findColour(juce::TextEditor::backgroundColourId).getARGB());
    EXPECT_EQ(0xFFDBDBDBu, label->findColour(juce::TextEditor::outlineColourId).getARGB());
    EXPECT_EQ(box.findColour(juce::Slider::textBoxTextColourId),
              label->findColour(juce::Label::textColourId));
    EXPECT_TRUE(label->isEditableOnDoubleClick() || label->isEditableOnSingleClick());

    auto const font = label->getFont();
    EXPECT_EQ(juce::String("Arial"), font.getTypefaceName());
    EXPECT_FALSE(font.isBold());
    EXPECT_FLOAT_EQ(11.0f, font.getHeight());

    auto const popup = box.GetLookAndFeel().getSliderPopupFont(box);
    EXPECT_FLOAT_EQ(13.0f, popup.getHeight());
    EXPECT_FALSE(popup.isBold());

    // Only the text box is painted: its outline and the value in black, nothing behind them.
    box.setRange(0.0, 100.0, 1.0);
    box.SetValue(88.0, false);
    auto const image = guitest::render(box);
    EXPECT_EQ(0xFFDBDBDBu, image.getPixelAt(0, 9).getARGB());
    EXPECT_EQ(0xFFDBDBDBu, image.getPixelAt(30, 18).getARGB());
    EXPECT_EQ(0, image.getPixelAt(3, 3).getAlpha());
    EXPECT_GT(guitest::countInk(image, {20, 3, 20, 13}), 10);
}

TEST(SliderTest, NumboxRebuildsItsTextBoxOnFontAndColourChanges)
{
    widgets::Numbox box;
    box.setBounds(0, 0, 60, 19);
    box.setRange(0.0, 1.0, 0.01);
    box.SetValue(0.25, false);

    box.SetFont(juce::Font("Arial", 15.0f, juce::Font::bold));
    auto* label = textBoxOf(box);
    ASSERT_NE(nullptr, label);
    EXPECT_FLOAT_EQ(15.0f, label->getFont().getHeight());
    EXPECT_TRUE(label->getFont().isBold());
    EXPECT_EQ(juce::String("0.25"), label->getText());
    EXPECT_EQ(juce::Rectangle<int>(0, 0, 60, 19), label->getBounds());

    box.setColour(juce::Slider::textBoxTextColourId, juce::Colour(0xFF112233));
    label = textBoxOf(box);
    ASSERT_NE(nullptr, label);
    EXPECT_EQ(0xFF112233u, label->findColour(juce::Label::textColourId).getARGB());
    EXPECT_EQ(0xFF112233u, label->findColour(juce::TextEditor::textColourId).getARGB());
    EXPECT_FLOAT_EQ(15.0f, label->getFont().getHeight());

    // A bar keeps its label see-through and its editor partly so.
    box.setColour(juce::Slider::textBoxBackgroundColourId, juce::Colour(0xFF405060));
    box.setSliderStyle(juce::Slider::LinearBar);
    box.sendLookAndFeelChange();
    label = textBoxOf(box);
    ASSERT_NE(nullptr, label);
    EXPECT_EQ(0x00000000u, label->findColour(juce::Label::backgroundColourId).getARGB());
    EXPECT_EQ(juce::Colour(0xFF405060).withAlpha(0.7f),
              label->findColour(juce::TextEditor::backgroundColourId));
}

TEST(SliderTest, NumboxShowsUnitTexts)
{
    widgets::Numbox box;
    box.setTextValueSuffix(" dB");
    box.setRange(-70.0, 6.0, 0.1);
    box.SetValue(-70.0, false);
    ASSERT_NE(nullptr, textBoxOf(box));
    EXPECT_EQ(juce::String("-Inf"), textBoxOf(box)->getText());
    box.SetValue(-6.0, false);
    EXPECT_EQ(juce::String("-6.0 dB"), textBoxOf(box)->getText());
}
