#include "WidgetsLabel.h"

#include "common/QguiStrings.h"

#include <cstring>

namespace widgets
{

Label::Label(const qev::String& text) : juce::Label(juce::String(), juce::String())
{
    setColour(juce::Label::textColourId, juce::Colours::black);
    setFont(juce::Font("Arial", "plain", 10.0f));
    SetText(text, false);
}

Label::~Label() = default;

void Label::SetText(const qev::String& text, bool notify)
{
    // Compared as bytes, so that a text that is not valid UTF-8 still counts as a change only once.
    qev::String const current = qgui::FromJuceString(getText(false));
    if (current.GetLength() == text.GetLength() &&
        std::memcmp(current.GetCString(), text.GetCString(), text.GetLength()) == 0)
        return;
    setText(qgui::ToJuceString(text), notify ? juce::sendNotification : juce::dontSendNotification);
}

void Label::SetFont(const juce::Font& font)
{
    setFont(font);
}

void Label::JustifyRight()
{
    setJustificationType(juce::Justification::centredRight);
}

void Label::JustifyCenter()
{
    setJustificationType(juce::Justification::centred);
}

} // namespace widgets
