#include "WidgetsSearchField.h"

#include "common/QguiFunctions.h"
#include "common/QguiStrings.h"

#include <algorithm>

namespace widgets
{

SearchField::SearchField() : editor(qev::String())
{
    // Black at alpha 0.5 truncated to a byte, as every alpha of this GUI.
    editor.setTextToShowWhenEmpty("search", juce::Colour(0x7F000000u));
    editor.SetCornerSize(8.0f);
    editor.setFont(qgui::GetFont("Arial", "plain", 13.0f));
    addAndMakeVisible(glass);
    addAndMakeVisible(editor);
}

SearchField::~SearchField() = default;

void SearchField::resized()
{
    int const w = getWidth();
    int const h = getHeight();
    int const m = std::min(w, h);
    editor.setBounds(0, 0, w - m + 5, h);
    // A field too small for the icon gets an icon of size 0, never a negative one.
    int const side = std::max(m - 8, 0);
    glass.setBounds(editor.getRight(), 4, side, side);
}

void SearchField::SetFont(const juce::Font& font)
{
    editor.setFont(font);
}

bool SearchField::IsEmpty() const
{
    return editor.isEmpty();
}

void SearchField::Reset(bool sendTextChangeMessage)
{
    editor.setText(juce::String(), sendTextChangeMessage);
}

qev::StringArray SearchField::GetAllText(const qev::String& separator) const
{
    return qev::StringArray::SplitString(editor.GetText(), separator, true);
}

void SearchField::AddListener(juce::TextEditor::Listener* listener)
{
    editor.addListener(listener);
}

} // namespace widgets
