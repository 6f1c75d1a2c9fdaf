#include "common/WidgetsOscSnapshotOneRow.h"

#include "common/QguiFunctions.h"
#include "common/QguiRuntime.h"
#include "common/QguiStrings.h"
#include "common/WidgetsOscSnapshotRows.h"
#include "files/QevFile.h"

#include <initializer_list>
#include <stdexcept>
#include <string>

namespace widgets
{
namespace
{

void save(qev::OscBundle const& content, juce::File const& chosen,
          juce::Component::SafePointer<OscSnapshotRows> const& rows)
{
    auto const path = qgui::FromJuceString(chosen.getFullPathName());
    try
    {
        if (!content.SaveAsTextFile(qev::File(path), qev::Overwrite::Replace, "\n"))
            throw std::runtime_error(std::string("cannot write ") + path.Quoted('"').GetCString());
    }
    catch (std::exception const& e)
    {
        if (rows != nullptr)
            rows->ReportError("export", e);
    }
}

} // namespace

OscSnapshotOneRow::OscSnapshotOneRow(OscSnapshotRows& owner_)
    : owner(owner_), indexLabel(""), titleEditor(""), storeButton("store"), recallButton("recall"),
      deleteButton("x"), exportButton("export"), copyButton("copy")
{
    auto const font = qgui::GetFont("Arial", "plain", 13.0f);
    indexLabel.SetFont(font);
    titleEditor.setFont(font);
    titleEditor.setColour(juce::TextEditor::outlineColourId,
                          juce::Colours::white.withAlpha(qgui::AlphaByte(0.5f)));
    titleEditor.setMultiLine(false, false);
    titleEditor.setReturnKeyStartsNewLine(false);
    titleEditor.setTabKeyUsedAsCharacter(false);

    storeButton.SetTooltip("store snapshot in the current slot");
    recallButton.SetTooltip("recall snapshot from the current slot");
    deleteButton.SetTooltip("delete the slot");
    exportButton.SetTooltip("export snapshort");
    copyButton.SetTooltip("copy to clipboard");

    for (auto* c :
         std::initializer_list<juce::Component*>{&indexLabel, &titleEditor, &storeButton, &recallButton,
                                                 &deleteButton, &exportButton, &copyButton})
        addAndMakeVisible(c);

    // "x" is the owner's: deleting a slot changes the whole list.
    storeButton.addListener(this);
    recallButton.addListener(this);
    exportButton.addListener(this);
    copyButton.addListener(this);
    titleEditor.addListener(this);
    setSize(defaultWidth, defaultHeight);
}

OscSnapshotOneRow::~OscSnapshotOneRow()
{
    // Deleting a focused editor tells its listeners that it lost the focus: this row must not
    // hear that while it is half destroyed.
    titleEditor.removeListener(this);
    fileChooser.reset();
}

void OscSnapshotOneRow::paint(juce::Graphics& g)
{
    g.fillAll(backgroundColour);
}

void OscSnapshotOneRow::resized()
{
    int const h = getHeight() - 2;
    indexLabel.setBounds(1, 1, 25, h);
    titleEditor.setBounds(28, 1, 130, h);
    storeButton.setBounds(160, 1, 45, h);
    recallButton.setBounds(207, 1, 45, h);
    deleteButton.setBounds(254, 1, 25, h);
    exportButton.setBounds(289, 1, 45, h);
    copyButton.setBounds(336, 1, 45, h);
}

void OscSnapshotOneRow::SetBackgroundColour(juce::Colour colour)
{
    if (colour == backgroundColour)
        return;
    backgroundColour = colour;
    repaint();
}

void OscSnapshotOneRow::Set(qev::OscSnapshotManager::OneSnapshot const& snapshot, bool notify)
{
    long const index = owner.IndexOf(this);
    indexLabel.SetText(qev::String("#") + qev::String(static_cast<unsigned int>(index + 1)), false);
    titleEditor.SetText(snapshot.title, notify);
    bool const stored = !snapshot.content.IsEmpty();
    storeButton.setEnabled(true);
    recallButton.setEnabled(stored);
    deleteButton.setEnabled(stored);
    exportButton.setEnabled(stored);
    copyButton.setEnabled(stored);
}

void OscSnapshotOneRow::storeTitle()
{
    long const index = owner.IndexOf(this);
    if (index < 0)
        return;
    try
    {
        owner.GetManager().SetSnapshotTitle(static_cast<unsigned long>(index), titleEditor.GetText());
    }
    catch (std::exception const& e)
    {
        owner.ReportError("title", e);
    }
}

void OscSnapshotOneRow::textEditorTextChanged(juce::TextEditor&)
{
    storeTitle();
}

void OscSnapshotOneRow::textEditorReturnKeyPressed(juce::TextEditor&)
{
    storeTitle();
}

void OscSnapshotOneRow::textEditorEscapeKeyPressed(juce::TextEditor&)
{
    storeTitle();
}

void OscSnapshotOneRow::textEditorFocusLost(juce::TextEditor&)
{
    storeTitle();
}

void OscSnapshotOneRow::buttonClicked(juce::Button* button)
{
    long const found = owner.IndexOf(this);
    if (found < 0)
        return;
    auto const index = static_cast<unsigned long>(found);
    auto& manager = owner.GetManager();
    SafePointer<OscSnapshotOneRow> const self(this);
    char const* operation = "store";
    try
    {
        owner.StoreAllTitles();
        if (button == &storeButton)
        {
            manager.StoreSnaphot(index);
        }
        else if (button == &recallButton)
        {
            operation = "recall";
            manager.RecallSnaphot(index);
        }
        else if (button == &exportButton)
        {
            operation = "export";
            if (!manager.GetSnapshotContent(index).IsEmpty())
                exportSnapshot(manager.GetSnapshotContent(index));
        }
        else if (button == &copyButton)
        {
            operation = "copy";
            auto const& content = manager.GetSnapshotContent(index);
            if (!content.IsEmpty())
            {
                auto const modifiers = juce::ModifierKeys::currentModifiers;
                bool const onLines = modifiers.isShiftDown() || modifiers.isCtrlDown();
                content.CopyToClipboard(onLines ? qev::String::NewLine() : qev::String(", "));
            }
        }
        // What the target did with a recalled bundle may have taken the panel away.
        if (self == nullptr)
            return;
        owner.Update();
    }
    catch (std::exception const& e)
    {
        if (self != nullptr)
            owner.ReportError(operation, e);
    }
}

void OscSnapshotOneRow::exportSnapshot(qev::OscBundle const& content)
{
    SafePointer<OscSnapshotRows> const rows(&owner);
    auto onChosen = [content, rows](juce::File const& chosen) { save(content, chosen, rows); };
    if (auto const& dialog = owner.GetExportDialog())
        dialog(std::move(onChosen));
    else
        openFileChooser(std::move(onChosen));
}

void OscSnapshotOneRow::openFileChooser(std::function<void(juce::File const&)> chosen)
{
    if (!qgui::Runtime::HasDisplay())
        throw std::runtime_error("no display for the file dialog");
    // Asynchronous: a modal loop here would hold up the host's main thread, which pumps the GUI.
    fileChooser = std::make_unique<juce::FileChooser>(
        "Select a shortcut file...", juce::File::getSpecialLocation(juce::File::userHomeDirectory), "*.txt",
        true, false, nullptr);
    int const flags = juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles |
                      juce::FileBrowserComponent::warnAboutOverwriting;
    fileChooser->launchAsync(flags,
                             [chosen](juce::FileChooser const& chooser)
                             {
                                 auto const result = chooser.getResult();
                                 if (result != juce::File())
                                     chosen(result);
                             });
}

} // namespace widgets
