#pragma once

#include "WidgetsButtons.h"

#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_gui_extra/juce_gui_extra.h>

namespace widgets
{

// The editor of the window commands' keyboard shortcuts: the framework's key-mapping editor over
// a key-mapping set, with buttons that reset the set to its defaults, export it to an XML file
// and load it from one. Every change goes into the set at once. Message thread only.
class KeyMappingEditorComponent : public juce::Component, public juce::Button::Listener
{
public:
    // The line width of the XML that this panel writes.
    static constexpr int lineWidth = 60;

    // The set must outlive the panel.
    explicit KeyMappingEditorComponent(juce::KeyPressMappingSet& mappings);
    ~KeyMappingEditorComponent() override;

    void paint(juce::Graphics& g) override;
    void resized() override;
    void buttonClicked(juce::Button* button) override;

    // Asks for a file in a modal dialog, then SaveAs(file). A name without an extension gets
    // ".xml", and replacing a file of that name is asked about. False when cancelled, and without a
    // display (no dialog can be shown).
    bool SaveAs();
    bool SaveAs(juce::File const& file);
    // Asks for a file in a modal dialog and loads the shortcuts from it. False when cancelled,
    // without a display, or when the file cannot be loaded.
    bool LoadFromFile();

    // The whole set as XML ("KEYMAPPINGS", not based on the defaults, encoding UTF-8, no DTD),
    // written through a temporary sibling that replaces the file in one rename: on failure the
    // old file is left as it was and the result is false.
    static bool Export(juce::KeyPressMappingSet const& mappings, juce::File const& file, int lineWrapLength);
    // Reads a file written by Export (or any "KEYMAPPINGS" document). A file that cannot be read,
    // is not XML or has another root element changes nothing and gives false.
    static bool Import(juce::KeyPressMappingSet& mappings, juce::File const& file);

    juce::KeyMappingEditorComponent& GetEditor() noexcept { return editor; }
    ResetButton& GetResetButton() noexcept { return resetButton; }
    PushButton& GetSaveButton() noexcept { return saveButton; }
    PushButton& GetLoadButton() noexcept { return loadButton; }

private:
    juce::KeyMappingEditorComponent editor;
    ResetButton resetButton;
    PushButton saveButton;
    PushButton loadButton;

    JUCE_DECLARE_NON_COPYABLE(KeyMappingEditorComponent)
};

} // namespace widgets
