#include "WidgetsButtons.h"

#include "common/QguiFunctions.h"
#include "common/QguiStrings.h"

namespace widgets
{

namespace
{

constexpr char const* buttonComponentName = "new toggle button";
juce::uint32 const onColour = 0xFF2265F7;
// 0xFF545454 at alpha 0.7, and at alpha 0.9 brightened by 0.5. Written out because this
// framework's withAlpha rounds 0.7 to 0xB2 where these buttons have always shown 0xB3.
juce::uint32 const pushOffColour = 0xB3545454;
juce::uint32 const toggleOffColour = 0xE68D8D8D;

juce::Path makeOutline(juce::Button const& button, float width, float height)
{
    juce::Path outline;
    outline.addRoundedRectangle(0.5f, 0.5f, width, height, 4.0f, 4.0f,
                                !(button.isConnectedOnLeft() || button.isConnectedOnTop()),
                                !(button.isConnectedOnRight() || button.isConnectedOnTop()),
                                !(button.isConnectedOnLeft() || button.isConnectedOnBottom()),
                                !(button.isConnectedOnRight() || button.isConnectedOnBottom()));
    return outline;
}

// Shared by both looks: the outline and the shape differ only in how the base colour is chosen.
void drawBackground(juce::Graphics& g, juce::Button& button, juce::Colour base)
{
    auto const width = static_cast<float>(button.getWidth()) - 1.0f;
    auto const height = static_cast<float>(button.getHeight()) - 1.0f;
    if (width <= 0.0f || height <= 0.0f)
        return;
    TextButtonLookAndFeel::drawButtonShape(g, makeOutline(button, width, height), base, height);
}

// Both buttons start alike; only whether clicks toggle differs (and their looks).
template <typename ButtonType>
void setUp(ButtonType& button, juce::LookAndFeel& lookAndFeel, bool clickingToggles, qev::String const& text)
{
    button.setButtonText(juce::String());
    button.setClickingTogglesState(clickingToggles);
    button.setLookAndFeel(&lookAndFeel);
    button.setColour(juce::TextButton::textColourOffId, juce::Colours::black);
    button.setColour(juce::TextButton::textColourOnId, juce::Colours::black);
    button.setButtonText(qgui::ToJuceString(text));
}

} // namespace

// ---------------------------------------------------------------------------------------------

TextButtonLookAndFeel::TextButtonLookAndFeel(juce::Font const& initialFont, juce::Colour offColour)
    : font(initialFont)
{
    setColour(juce::TextButton::buttonOnColourId, juce::Colour(onColour));
    setColour(juce::TextButton::buttonColourId, offColour);
}

TextButtonLookAndFeel::~TextButtonLookAndFeel() = default;

juce::Font TextButtonLookAndFeel::getTextButtonFont(juce::TextButton&, int)
{
    return font;
}

void TextButtonLookAndFeel::drawButtonShape(juce::Graphics& g, juce::Path const& outline,
                                            juce::Colour baseColour, float height)
{
    auto const brightness = baseColour.getBrightness();
    auto const alpha = baseColour.getFloatAlpha();

    g.setGradientFill(juce::ColourGradient(baseColour.brighter(0.2f), 0.0f, 0.0f, baseColour.darker(0.25f),
                                           0.0f, height, false));
    g.fillPath(outline);

    g.setColour(juce::Colours::white.withAlpha(brightness * (brightness * (alpha * 0.4f))));
    g.strokePath(outline, juce::PathStrokeType(1.0f),
                 juce::AffineTransform::translation(0.0f, 1.0f).scaled(1.0f, (height - 1.6f) / height));

    g.setColour(juce::Colours::black.withAlpha(alpha * 0.8f));
    g.strokePath(outline, juce::PathStrokeType(1.0f));
}

// ---------------------------------------------------------------------------------------------

PushButton::LookAndFeel::LookAndFeel()
    : TextButtonLookAndFeel(qgui::GetFont("Arial", "bold", 12.0f), juce::Colour(pushOffColour))
{
}

PushButton::LookAndFeel::~LookAndFeel() = default;

void PushButton::LookAndFeel::drawButtonBackground(juce::Graphics& g, juce::Button& button,
                                                   juce::Colour const& backgroundColour,
                                                   bool isMouseOverButton, bool isButtonDown)
{
    auto base = backgroundColour.withMultipliedAlpha(button.isEnabled() ? 0.9f : 0.5f);
    if (isButtonDown)
        base = button.findColour(juce::TextButton::buttonOnColourId, false).brighter(0.3f);
    else if (isMouseOverButton)
        base = base.brighter(0.3f);
    drawBackground(g, button, base);
}

PushButton::PushButton(qev::String const& text) : PushButton(text, nullptr) {}

PushButton::PushButton(qev::String const& text, LookAndFeel* shared)
    : juce::TextButton(buttonComponentName),
      ownLookAndFeel(shared == nullptr ? std::make_unique<LookAndFeel>() : nullptr),
      lookAndFeel(shared == nullptr ? *ownLookAndFeel : *shared)
{
    setUp(*this, lookAndFeel, false, text);
}

PushButton::~PushButton()
{
    // The framework keeps a reference to the look-and-feel; it must let go before the member dies.
    setLookAndFeel(nullptr);
}

void PushButton::SetFont(juce::Font const& font)
{
    lookAndFeel.font = font;
}

void PushButton::SetTooltip(qev::String const& tooltip)
{
    setTooltip(qgui::ToJuceString(tooltip));
}

// ---------------------------------------------------------------------------------------------

ToggleTextButton::LookAndFeel::LookAndFeel()
    : TextButtonLookAndFeel(juce::Font("Arial", 12.0f, juce::Font::bold), juce::Colour(toggleOffColour))
{
}

ToggleTextButton::LookAndFeel::~LookAndFeel() = default;

void ToggleTextButton::LookAndFeel::drawButtonBackground(juce::Graphics& g, juce::Button& button,
                                                         juce::Colour const& backgroundColour,
                                                         bool isMouseOverButton, bool isButtonDown)
{
    auto base = backgroundColour.withMultipliedAlpha(button.isEnabled() ? 0.9f : 0.5f);
    if (isMouseOverButton || isButtonDown)
        base = base.brighter(0.3f);
    if (isButtonDown)
        base = base.contrasting(0.2f);
    drawBackground(g, button, base);
}

ToggleTextButton::ToggleTextButton(qev::String const& text) : ToggleTextButton(text, nullptr) {}

ToggleTextButton::ToggleTextButton(qev::String const& text, LookAndFeel* shared)
    : juce::TextButton(buttonComponentName),
      ownLookAndFeel(shared == nullptr ? std::make_unique<LookAndFeel>() : nullptr),
      lookAndFeel(shared == nullptr ? *ownLookAndFeel : *shared)
{
    setUp(*this, lookAndFeel, true, text);
}

ToggleTextButton::~ToggleTextButton()
{
    setLookAndFeel(nullptr);
}

void ToggleTextButton::SetFont(juce::Font const& font)
{
    lookAndFeel.font = font;
}

void ToggleTextButton::SetTooltip(qev::String const& tooltip)
{
    setTooltip(qgui::ToJuceString(tooltip));
}

void ToggleTextButton::SetOnColor(juce::Colour const& colour)
{
    lookAndFeel.setColour(juce::TextButton::buttonOnColourId, colour);
    repaint();
}

void ToggleTextButton::SetToggleState(bool state, bool notify)
{
    setToggleState(state, notify ? juce::sendNotificationSync : juce::dontSendNotification);
}

void ToggleTextButton::AddListener(juce::Button::Listener* listener)
{
    addListener(listener);
}

// ---------------------------------------------------------------------------------------------

ResetButton::ResetButton(qev::String const& text) : PushButton(text)
{
    SetFont(qgui::GetFont("Arial", "plain", 11.0f));
    SetTooltip("reset");
}

ResetButton::~ResetButton() = default;

} // namespace widgets
