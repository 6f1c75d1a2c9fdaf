#pragma once

#include "common/QguiComponent.h"
#include "common/WidgetsButtons.h"
#include "common/WidgetsNumbox.h"
#include "common/WidgetsTextEditor.h"
#include "midi/QevMidiMessage.h"
#include "midi/QevMidiOscMap.h"
#include "text/QevString.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>

namespace widgets
{

class MidiOscMapControllers;

// One row of the mapping editor: it shows entry i of its owner's table, i being its position in
// the owner's row list, and writes every edit straight back into that entry. It holds no copy of
// the entry: the owner rewrites its controls from the table after every change.
//
// The row is a listener of the table for MIDI learn only. The table may report a learned message
// on a host thread; the row then hands it to the message thread, where all its controls live.
class MidiOscMapOneController : public qgui::Component,
                                public juce::Slider::Listener,
                                public juce::TextEditor::Listener,
                                public qev::MidiOscMap::Listener
{
public:
    explicit MidiOscMapOneController(MidiOscMapControllers& owner);
    ~MidiOscMapOneController() override;

    void paint(juce::Graphics& g) override;
    void resized() override;
    void sliderValueChanged(juce::Slider* slider) override;
    void textEditorFocusLost(juce::TextEditor& editor) override;
    // Any thread: the table calls it from Process, under the table's lock.
    void MessageReceivedWhileMidiLearn(qev::MidiMessage const& message) override;

    // Shows the entry; notify true lets every changed control tell its listeners (and so write
    // the row back into the table). A pattern editor with the keyboard focus keeps its text.
    void Set(qev::MidiOscMap::Entry const& entry, bool notify);
    // The pattern text as an address text: one leading "/", no trailing one, never empty.
    qev::String GetOscPattern() const;
    // Writes the row into its entry, then has the owner rewrite every row from the table. Throws
    // the address's qev::Exception, the table untouched, when the pattern is no valid address.
    void updateEntry();

    void SetBackgroundColour(juce::Colour colour);
    juce::Colour GetBackgroundColour() const noexcept { return backgroundColour; }

    // Mirrors the learn toggle for the table's threads, which may not read the toggle itself.
    // Message thread.
    void syncLearnState() noexcept;

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
    void init(Numbox& box);
    // The learn itself, on the message thread.
    void learn(int channel, int controller, int value);
    // updateEntry for the callbacks of the framework, which must not throw: a refused pattern is
    // marked on the editor instead.
    void updateEntryFromControl();
    void markPatternRejected(qev::String const& reason);

    MidiOscMapControllers& owner;
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
    // Copied by the table's threads when they post a learn.
    juce::Component::SafePointer<MidiOscMapOneController> self;
    std::atomic<bool> learning{false};
    bool patternRejected = false;

    JUCE_DECLARE_NON_COPYABLE(MidiOscMapOneController)
};

} // namespace widgets
