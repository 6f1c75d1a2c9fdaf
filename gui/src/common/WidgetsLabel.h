#pragma once

#include "text/QevString.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace widgets
{

// A read-only text in Arial 10, black.
class Label : public juce::Label
{
public:
    explicit Label(const qev::String& text);
    ~Label() override;

    // Does nothing, and notifies nobody, when the label already shows exactly that text.
    void SetText(const qev::String& text, bool notify);

    void SetFont(const juce::Font& font);
    void JustifyRight();
    void JustifyCenter();

private:
    JUCE_DECLARE_NON_COPYABLE(Label)
};

} // namespace widgets
