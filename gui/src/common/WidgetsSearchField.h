#pragma once

#include "common/WidgetsMagnifyingGlass.h"
#include "common/WidgetsTextEditor.h"
#include "text/QevString.h"
#include "text/QevStringArray.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace widgets
{

// A search box: a rounded text editor with the hint "search", the magnifying glass at its right.
class SearchField : public juce::Component
{
public:
    SearchField();
    ~SearchField() override;

    void resized() override;

    void SetFont(const juce::Font& font);
    bool IsEmpty() const;
    void Reset(bool sendTextChangeMessage);

    // The text cut at every separator, empty pieces included; an empty text gives no items.
    qev::StringArray GetAllText(const qev::String& separator) const;

    // The listener hears the editor's text changes, Return, Escape and focus loss directly.
    void AddListener(juce::TextEditor::Listener* listener);

    TextEditor& GetEditor() noexcept { return editor; }
    MagnifyingGlass& GetGlass() noexcept { return glass; }

private:
    TextEditor editor;
    MagnifyingGlass glass;

    JUCE_DECLARE_NON_COPYABLE(SearchField)
};

} // namespace widgets
