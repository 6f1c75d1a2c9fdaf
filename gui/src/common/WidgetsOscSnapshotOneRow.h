#pragma once

#include "common/QguiComponent.h"
#include "common/WidgetsButtons.h"
#include "common/WidgetsLabel.h"
#include "common/WidgetsTextEditor.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscSnapshotManager.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace widgets
{

class OscSnapshotRows;

// One slot of the snapshot panel: the slot number, the title and the buttons that act on the
// snapshot with the row's own index in its owner's list. The row holds no copy of the snapshot:
// the owner refills it after every change. Message thread only.
class OscSnapshotOneRow : public qgui::Component,
                          private juce::Button::Listener,
                          private juce::TextEditor::Listener
{
public:
    static constexpr int defaultWidth = 450;
    static constexpr int defaultHeight = 30;

    explicit OscSnapshotOneRow(OscSnapshotRows& owner);
    ~OscSnapshotOneRow() override;

    void paint(juce::Graphics& g) override;
    void resized() override;

    // Shows the snapshot; notify lets the title editor tell its listeners (and so store the title
    // back). Only "store" is enabled for an empty snapshot.
    void Set(qev::OscSnapshotManager::OneSnapshot const& snapshot, bool notify);

    void SetBackgroundColour(juce::Colour colour);
    juce::Colour GetBackgroundColour() const noexcept { return backgroundColour; }

    Label& GetIndexLabel() noexcept { return indexLabel; }
    TextEditor& GetTitleEditor() noexcept { return titleEditor; }
    PushButton& GetStoreButton() noexcept { return storeButton; }
    PushButton& GetRecallButton() noexcept { return recallButton; }
    PushButton& GetDeleteButton() noexcept { return deleteButton; }
    PushButton& GetExportButton() noexcept { return exportButton; }
    PushButton& GetCopyButton() noexcept { return copyButton; }

private:
    void buttonClicked(juce::Button* button) override;
    void textEditorTextChanged(juce::TextEditor& editor) override;
    void textEditorReturnKeyPressed(juce::TextEditor& editor) override;
    void textEditorEscapeKeyPressed(juce::TextEditor& editor) override;
    void textEditorFocusLost(juce::TextEditor& editor) override;

    // Stores the editor's text as the title of the row's snapshot, when the row is in the list.
    void storeTitle();
    // Asks for a file, then writes a copy of the bundle taken now; the dialog may answer later.
    void exportSnapshot(qev::OscBundle const& content);
    void openFileChooser(std::function<void(juce::File const&)> chosen);

    OscSnapshotRows& owner;
    juce::Colour backgroundColour = juce::Colours::transparentWhite;
    Label indexLabel;
    TextEditor titleEditor;
    PushButton storeButton;
    PushButton recallButton;
    PushButton deleteButton;
    PushButton exportButton;
    PushButton copyButton;
    // The open export dialog; destroying it cancels its callback, so it never outlives the row.
    std::unique_ptr<juce::FileChooser> fileChooser;

    JUCE_DECLARE_NON_COPYABLE(OscSnapshotOneRow)
};

} // namespace widgets
