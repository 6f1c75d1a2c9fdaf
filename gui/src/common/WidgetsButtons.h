#pragma once

#include "text/QevString.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace widgets
{

// What the looks of both text buttons have in common; they differ only in their default font and
// in how hovering and pressing shade the background.
class TextButtonLookAndFeel : public juce::LookAndFeel_V3
{
public:
    // The background colours while the toggle is off and on.
    TextButtonLookAndFeel(juce::Font const& initialFont, juce::Colour offColour);
    ~TextButtonLookAndFeel() override;

    // The stored font whatever the button's height.
    juce::Font getTextButtonFont(juce::TextButton& button, int buttonHeight) override;

    // Fills the outline with a vertical gradient, then strokes a highlight and a dark edge.
    static void drawButtonShape(juce::Graphics& g, juce::Path const& outline, juce::Colour baseColour,
                                float height);

    juce::Font font;
};

// A momentary text button: clicking never toggles it. It owns its look-and-feel, so a colour or
// font changed on one button never reaches another, unless it is made with a look shared with
// other buttons (a table's rows share theirs): then a font or colour set on one is set on all.
// A null shared look gives the button one of its own.
class PushButton : public juce::TextButton
{
public:
    class LookAndFeel : public TextButtonLookAndFeel
    {
    public:
        LookAndFeel();
        ~LookAndFeel() override;

        void drawButtonBackground(juce::Graphics& g, juce::Button& button,
                                  juce::Colour const& backgroundColour, bool isMouseOverButton,
                                  bool isButtonDown) override;
    };

    explicit PushButton(qev::String const& text);
    PushButton(qev::String const& text, LookAndFeel* shared);
    ~PushButton() override;

    void SetFont(juce::Font const& font);
    void SetTooltip(qev::String const& tooltip);

    LookAndFeel& GetLookAndFeel() noexcept { return lookAndFeel; }

private:
    std::unique_ptr<LookAndFeel> ownLookAndFeel;
    LookAndFeel& lookAndFeel;

    JUCE_DECLARE_NON_COPYABLE(PushButton)
};

// A text button whose clicks flip its toggle state.
class ToggleTextButton : public juce::TextButton
{
public:
    class LookAndFeel : public TextButtonLookAndFeel
    {
    public:
        LookAndFeel();
        ~LookAndFeel() override;

        void drawButtonBackground(juce::Graphics& g, juce::Button& button,
                                  juce::Colour const& backgroundColour, bool isMouseOverButton,
                                  bool isButtonDown) override;
    };

    explicit ToggleTextButton(qev::String const& text);
    // Its look as PushButton's.
    ToggleTextButton(qev::String const& text, LookAndFeel* shared);
    ~ToggleTextButton() override;

    void SetFont(juce::Font const& font);
    void SetTooltip(qev::String const& tooltip);
    // The background while the toggle is on; repaints at once.
    void SetOnColor(juce::Colour const& colour);
    // notify true calls the listeners before returning; false calls none.
    void SetToggleState(bool state, bool notify);
    void AddListener(juce::Button::Listener* listener);

    LookAndFeel& GetLookAndFeel() noexcept { return lookAndFeel; }

private:
    std::unique_ptr<LookAndFeel> ownLookAndFeel;
    LookAndFeel& lookAndFeel;

    JUCE_DECLARE_NON_COPYABLE(ToggleTextButton)
};

// A small push button with the tooltip "reset".
class ResetButton : public PushButton
{
public:
    explicit ResetButton(qev::String const& text);
    ~ResetButton() override;
};

} // namespace widgets
