#include "WidgetsTextEditor.h"

#include "common/QguiFunctions.h"
#include "common/QguiStrings.h"

#include <algorithm>

namespace widgets
{

TextEditor::LookAndFeel::LookAndFeel()
{
    setColour(juce::TextEditor::backgroundColourId, juce::Colours::transparentWhite);
    setColour(juce::TextEditor::outlineColourId, juce::Colours::black);
    setColour(juce::TextEditor::focusedOutlineColourId, juce::Colours::grey);
    // Alpha 0.25 truncated to a byte; the framework's withAlpha(float) would round it to 0x40.
    setColour(juce::TextEditor::highlightColourId, juce::Colour(0x3F0000FFu));
    setColour(juce::TextEditor::highlightedTextColourId, juce::Colours::black);
    setColour(juce::TextEditor::shadowColourId, juce::Colours::transparentWhite);
}

TextEditor::LookAndFeel::~LookAndFeel() = default;

juce::Rectangle<float> TextEditor::LookAndFeel::getOutlineArea(int width, int height) const noexcept
{
    // A rounded outline is pulled in so that its thick focused line is not clipped at the corners.
    float const inset = cornerSize > 0.0f ? 2.0f : 0.0f;
    return {inset, inset, std::max(static_cast<float>(width) - 2.0f * inset, 0.0f),
            std::max(static_cast<float>(height) - 2.0f * inset, 0.0f)};
}

static bool showsFocusedOutline(juce::TextEditor const& editor)
{
    return editor.hasKeyboardFocus(true) && !editor.isReadOnly();
}

juce::Colour TextEditor::LookAndFeel::getOutlineColour(juce::TextEditor const& editor) const
{
    return editor.findColour(showsFocusedOutline(editor) ? juce::TextEditor::focusedOutlineColourId
                                                         : juce::TextEditor::outlineColourId);
}

float TextEditor::LookAndFeel::getOutlineThickness(juce::TextEditor const& editor) const
{
    return showsFocusedOutline(editor) ? 2.0f : 1.0f;
}

void TextEditor::LookAndFeel::drawTextEditorOutline(juce::Graphics& g, int width, int height,
                                                    juce::TextEditor& editor)
{
    if (!editor.isEnabled())
        return;
    g.setColour(getOutlineColour(editor));
    g.drawRoundedRectangle(getOutlineArea(width, height), cornerSize, getOutlineThickness(editor));
}

TextEditor::TextEditor(const qev::String& hint) : TextEditor(hint, nullptr) {}

TextEditor::TextEditor(const qev::String& hint, LookAndFeel* shared)
    : juce::TextEditor(juce::String(), 0),
      ownLookAndFeel(shared == nullptr ? std::make_unique<LookAndFeel>() : nullptr),
      lookAndFeel(shared == nullptr ? *ownLookAndFeel : *shared)
{
    setText(juce::String(), false);
    setFont(qgui::GetFont("Arial", "plain", 12.0f));
    setTextToShowWhenEmpty(qgui::ToJuceString(hint), juce::Colours::black);
    setMultiLine(true, false);
    setReturnKeyStartsNewLine(false);
    setScrollbarsShown(false);
    setPopupMenuEnabled(false);
    setCaretVisible(false);
    setLookAndFeel(&lookAndFeel);
}

TextEditor::~TextEditor()
{
    // The framework keeps a reference to the look-and-feel; it must let go before the member dies.
    setLookAndFeel(nullptr);
}

void TextEditor::focusGained(FocusChangeType cause)
{
    setCaretVisible(true);
    juce::TextEditor::focusGained(cause);
}

void TextEditor::focusLost(FocusChangeType cause)
{
    juce::TextEditor::focusLost(cause);
    setCaretVisible(false);
}

void TextEditor::SetText(const qev::String& text, bool sendTextChangeMessage)
{
    setText(qgui::ToJuceString(text), sendTextChangeMessage);
}

qev::String TextEditor::GetText() const
{
    return qgui::FromJuceString(getText());
}

void TextEditor::SetCornerSize(float size)
{
    lookAndFeel.SetCornerSize(size);
    repaint();
}

} // namespace widgets
