#pragma once

#include "text/QevString.h"
#include "text/QevStringArray.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdint>

namespace qgui
{

// The one command manager of the process: every window registers its commands with it, so the
// keyboard shortcuts are shared by all windows. Not owned by the caller. Message thread only (the
// first call creates it).
juce::ApplicationCommandManager* GetApplicationCommandManager();

// Puts the text on the system clipboard as plain text.
void CopyTextToClipboard(qev::String const& text);

// A new drawable, owned by the caller, or null when the text is not XML or not a drawable SVG.
[[nodiscard]] juce::Drawable* CreateDrawableFromSVG(qev::String const& svgText);

// A font of the family, the height and one style flag taken from the style word (case ignored):
// "bold" wins over "italic", which wins over "underlined"; anything else is plain.
juce::Font GetFont(qev::String const& typefaceName, qev::String const& style, float height);

// The alpha byte of a fraction, truncated as the GUI writes all its alphas (0.5 gives 0x7F, 0.75
// 0xBF, 0.7 0xB3), where the framework's own float setters round (0.5 gives 0x80). NaN gives 0.
juce::uint8 AlphaByte(float alpha) noexcept;

qev::StringArray JuceStringArray2OmvarStringArray(juce::StringArray const& in);

// Every font of the process is turned into a face here: a family that is not installed is drawn
// in the installed, metric-compatible Liberation Sans of the same style, so that a font named
// "Arial" keeps Arial's metrics, descenders and bold where Arial itself is missing. The installed
// families are read once, at installation. Installed by Runtime::Initialise and removed by
// Runtime::Shutdown; both idempotent.
void InstallTypefaceResolver();
void RemoveTypefaceResolver() noexcept;

// Sends the text of qev::SystemClipboard to the system clipboard of the framework. Installed by
// Runtime::Initialise and removed by Runtime::Shutdown; both idempotent.
void InstallSystemClipboardBackend() noexcept;
void RemoveSystemClipboardBackend() noexcept;

// The keyboard shortcuts that the panels test key presses against, so that every panel reacts to
// the same keys.
class ShortCuts
{
public:
    ShortCuts() = delete;

    // Any value may be passed: the values from numTypes on match no key press.
    enum Type : std::uint32_t
    {
        CloseWindow = 0, // Ctrl/Cmd+W
        Find = 1,        // Ctrl/Cmd+F
        ZoomIn = 2,      // Ctrl with pad +, '+' or ','
        ZoomOut = 3,     // Ctrl with pad - or '-'
        Increment = 4,   // pad +, '+', Shift+'+'
        Decrement = 5,   // pad -, '-'
        ResetValue = 6,  // pad =, '='
        KeyA = 7,        // the plain letters, no modifier
        KeyS = 8,
        KeyL = 9,
        KeyV = 10,
        SelectAll = 11, // Ctrl/Cmd+A
        KeyC = 12,
        KeyM = 13,
        KeyG = 14,
        Copy = 15,  // Ctrl/Cmd+C
        Paste = 16, // Ctrl/Cmd+V
        numTypes = 17
    };

    // True when the key press is one of the presses of the type.
    static bool CorrespondsTo(juce::KeyPress const& keyPress, Type const& type);
};

} // namespace qgui
