#pragma once

#include "common/QguiComponent.h"
#include "common/WidgetsButtons.h"
#include "common/WidgetsNumbox.h"
#include "common/WidgetsTextEditor.h"
#include "midi/QevMidiMessage.h"
#include "midi/QevMidiOscMap.h"
#include "text/QevString.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace widgets
{

class MidiOscMapControllers;

// One row of the mapping editor: it shows entry i of its owner's table, i being its position in
// the owner's row list, and writes every edit straight back into that entry: the field the user
// changed, and no other. The owner rewrites its controls from the table after every change.
//
// The pattern editor keeps text being typed while the table keeps its entry, and follows the
// table when the entry is replaced (load, clear, delete) or its address edited underneath. Only
// text typed since the editor was filled is written back, and only into the entry it was filled
// from.
//
// A row keeps its index for life: rows are only ever added and deleted at the end of the list.
// MIDI learn reaches the learning row through the list, on the message thread.
class MidiOscMapOneController : public qgui::Component,
                                public juce::Slider::Listener,
                                public juce::TextEditor::Listener
{
public:
    // The fields a user edits, one at a time.
    enum class Field
    {
        controller,
        channel,
        pattern,
        minimum,
        maximum,
        exponent
    };

    // The look-and-feels of a row and of each kind of its controls, set up for the rows: made
    // once for a whole list, which would otherwise build ten per row, each of some hundred colours.
    struct Looks
    {
        Looks();

        juce::LookAndFeel_V3 row;
        Numbox::LookAndFeel number;
        TextEditor::LookAndFeel pattern;
        ToggleTextButton::LookAndFeel learn;
        PushButton::LookAndFeel button;
    };

    // With the owner's looks (GetRowLooks()).
    MidiOscMapOneController(MidiOscMapControllers& owner, std::size_t index);
    ~MidiOscMapOneController() override;

    void paint(juce::Graphics& g) override;
    void resized() override;
    // A press on the row's background ends text editing, which stores it.
    void mouseDown(juce::MouseEvent const& e) override;
    void sliderValueChanged(juce::Slider* slider) override;
    void textEditorFocusLost(juce::TextEditor& editor) override;
    // The focus leaving the row stores the typed pattern at once: the editor's listeners hear of
    // it only from a posted message, after the press that took the focus has acted (a "delete"
    // above moves every entry under the row).
    void focusOfChildComponentChanged(FocusChangeType cause) override;
    // A controller message while the learn toggle is on: takes its channel and controller into
    // the entry (and the value, converted at once), then switches the toggle off. Message thread.
    void Learn(int channel, int controller, int value);

    std::size_t GetIndex() const noexcept { return index; }

    // Shows the entry; notify true lets every changed control tell its listeners (and so write
    // the row back into the table). Text typed into the pattern editor stays while the entry is
    // the one it was filled from, with the same address.
    void Set(qev::MidiOscMap::Entry const& entry, bool notify);
    // The pattern text as an address text: one leading "/", no trailing one, never empty.
    qev::String GetOscPattern() const;
    // Writes the field's control into the entry, every other field staying as the table holds it,
    // then has the owner rewrite the rows it changed. The pattern is written only when text
    // was typed since the editor was filled, and never over an entry the table has replaced; text
    // refused since the last rewrite is not tried again. Throws the address's qev::Exception, the
    // table untouched, when the pattern is no valid address.
    void updateEntry(Field field);

    void SetBackgroundColour(juce::Colour colour);
    juce::Colour GetBackgroundColour() const noexcept { return backgroundColour; }

    Numbox& GetControllerBox() noexcept { return controllerBox; }
    Numbox& GetChannelBox() noexcept { return channelBox; }
    TextEditor& GetPatternEditor() noexcept { return patternEditor; }
    Numbox& GetMinimumBox() noexcept { return minimumBox; }
    Numbox& GetMaximumBox() noexcept { return maximumBox; }
    Numbox& GetExponentBox() noexcept { return exponentBox; }
    Numbox& GetCurrentMidiBox() noexcept { return currentMidiBox; }
    Numbox& GetCurrentOscBox() noexcept { return currentOscBox; }
    ToggleTextButton& GetLearnToggle() noexcept { return learnToggle; }
    PushButton& GetDeleteButton() noexcept { return deleteButton; }

    // Whether the last edit was refused because the pattern is no valid address; cleared when
    // the row is next rewritten from the table.
    bool IsPatternRejected() const noexcept { return patternRejected; }

    // The values shown, as one line of text, for logs and tests.
    juce::String getText();

private:
    MidiOscMapOneController(MidiOscMapControllers& owner, std::size_t index, Looks& looks);
    void init(Numbox& box);
    void showPattern(qev::MidiOscMap::Entry const& entry, bool notify);
    // Changes a copy of the row's entry and stores it (with the current MIDI value when one is
    // given), then has the rows it changed rewritten. A table that no longer holds the entry is
    // left alone.
    template <typename Change> void storeEntry(Change const& change, std::optional<int> currentMidi);
    // updateEntry for the callbacks of the framework, which must not throw: a refused pattern is
    // marked on the editor instead.
    void updateEntryFromControl(Field field);
    void markPatternRejected(qev::String const& reason);

    MidiOscMapControllers& owner;
    std::size_t const index;
    juce::Colour backgroundColour;
    Numbox controllerBox;
    Numbox channelBox;
    TextEditor patternEditor;
    Numbox minimumBox;
    Numbox maximumBox;
    Numbox exponentBox;
    Numbox currentMidiBox;
    Numbox currentOscBox;
    ToggleTextButton learnToggle;
    PushButton deleteButton;
    bool patternRejected = false;
    // Pattern text refused since the row was last rewritten.
    std::optional<qev::String> refusedPattern;
    // What the pattern editor was last filled with, and from which entry.
    qev::String filledPattern;
    std::uint64_t filledSerial = 0;

    JUCE_DECLARE_NON_COPYABLE(MidiOscMapOneController)
};

} // namespace widgets
