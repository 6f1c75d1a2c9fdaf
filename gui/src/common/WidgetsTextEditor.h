#pragma once

#include "text/QevString.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace widgets
{

// A text field without scroll bars or popup menu; Return goes to the listeners instead of starting
// a new line. Transparent background, thin outline (rounded when a corner size is set).
//
// Only the editor with the keyboard focus has a caret. The framework gives every editor one whose
// blink timer runs whether or not it shows, and keeps all timers in one sorted array: thousands
// of rows of editors would keep the message thread busy for ever.
class TextEditor : public juce::TextEditor
{
public:
    class LookAndFeel : public juce::LookAndFeel_V3
    {
    public:
        LookAndFeel();
        ~LookAndFeel() override;

        void drawTextEditorOutline(juce::Graphics&, int width, int height, juce::TextEditor&) override;

        void SetCornerSize(float size) noexcept { cornerSize = size; }
        float GetCornerSize() const noexcept { return cornerSize; }

        // Where the outline goes in an editor of that size: inset by 2 pixels when rounded.
        juce::Rectangle<float> getOutlineArea(int width, int height) const noexcept;

        // The outline's colour and thickness for the editor as it is now: a thick focused outline
        // only for an editable editor with the keyboard focus.
        juce::Colour getOutlineColour(juce::TextEditor const&) const;
        float getOutlineThickness(juce::TextEditor const&) const;

    private:
        float cornerSize = 0.0f;

        JUCE_DECLARE_NON_COPYABLE(LookAndFeel)
    };

    // The argument is the hint shown while the editor is empty; the editor always starts empty.
    explicit TextEditor(const qev::String& hint);
    // Null for a look of its own; else a look shared with other editors (a table's rows share
    // theirs), so that a corner size set on one editor is set on all.
    TextEditor(const qev::String& hint, LookAndFeel* shared);
    ~TextEditor() override;

    void SetText(const qev::String& text, bool sendTextChangeMessage);
    qev::String GetText() const;
    void SetCornerSize(float size);

    LookAndFeel& GetLookAndFeel() noexcept { return lookAndFeel; }

    void focusGained(FocusChangeType cause) override;
    void focusLost(FocusChangeType cause) override;

private:
    std::unique_ptr<LookAndFeel> ownLookAndFeel;
    LookAndFeel& lookAndFeel;

    JUCE_DECLARE_NON_COPYABLE(TextEditor)
};

} // namespace widgets
