#include "WidgetsKeyMappingEditorComponent.h"

#include "QguiFunctions.h"
#include "QguiRuntime.h"
#include "QguiStrings.h"
#include "files/QevFile.h"
#include "files/QevTemporaryFile.h"
#include "text/QevXmlDocument.h"
#include "text/QevXmlElement.h"

#include <exception>
#include <memory>

namespace widgets
{
namespace
{

// The core's file type reads its text (trims, unescapes, expands "~"), so a path that does not
// come back unchanged would name another file: such a file is refused.
bool toCoreFile(juce::File const& file, qev::File& result)
{
    auto const path = file.getFullPathName();
    if (path.isEmpty())
        return false;
    result = qev::File(qgui::FromJuceString(path));
    return qgui::ToJuceString(result.GetFullPathName()) == path;
}

// Asks in a modal box, in the words of the framework's own save dialog.
bool confirmReplacing(juce::File const& file)
{
    return juce::AlertWindow::showOkCancelBox(juce::MessageBoxIconType::WarningIcon, "File already exists",
                                              "There's already a file called: " + file.getFullPathName() +
                                                  "\n\nAre you sure you want to overwrite it?",
                                              "Overwrite", "Cancel", nullptr, nullptr);
}

void copyAttributes(qev::XmlElement const& from, juce::XmlElement& to)
{
    for (unsigned long i = 0; i < from.GetNumAttributes(); ++i)
    {
        auto const name = qgui::ToJuceString(from.GetAttributeName(i));
        if (juce::XmlElement::isValidXmlName(name))
            to.setAttribute(name, qgui::ToJuceString(from.GetAttributeValue(i)));
    }
}

} // namespace

KeyMappingEditorComponent::KeyMappingEditorComponent(juce::KeyPressMappingSet& mappings)
    : editor(mappings, false), resetButton("reset"), saveButton("Save..."), loadButton("Load...")
{
    editor.setColours(juce::Colours::lightgrey, juce::Colours::black);
    addAndMakeVisible(editor);

    saveButton.SetTooltip("Export shortcuts");
    addAndMakeVisible(saveButton);
    saveButton.addListener(this);

    loadButton.SetTooltip("Load shortcuts");
    addAndMakeVisible(loadButton);
    loadButton.addListener(this);

    resetButton.SetFont(qgui::GetFont("Arial", "bold", 12));
    resetButton.addListener(this);
    addAndMakeVisible(resetButton);

    setSize(500, 900);
}

KeyMappingEditorComponent::~KeyMappingEditorComponent() = default;

void KeyMappingEditorComponent::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colours::lightgrey);
}

void KeyMappingEditorComponent::resized()
{
    int const w = getWidth();
    int const h = getHeight();
    editor.setBounds(0, 0, w, h - 28);
    resetButton.setBounds(w - 54, h - 22, 50, 18);
    loadButton.setBounds(w - 114, h - 22, 50, 18);
    saveButton.setBounds(w - 174, h - 22, 50, 18);
}

void KeyMappingEditorComponent::buttonClicked(juce::Button* button)
{
    if (button == &resetButton)
        editor.getMappings().resetToDefaultMappings();
    else if (button == &saveButton)
        SaveAs();
    else if (button == &loadButton)
        LoadFromFile();
}

bool KeyMappingEditorComponent::SaveAs()
{
    // A modal dialog without a display would never be closed.
    if (!qgui::Runtime::HasDisplay())
        return false;
    juce::FileChooser chooser("Export shortcuts file...",
                              juce::File::getSpecialLocation(juce::File::userHomeDirectory), "*.xml", true,
                              false, nullptr);
    if (!chooser.browseForFileToSave(true))
        return false;
    auto file = chooser.getResult();
    // "Load..." lists only *.xml files. The dialog asked about replacing the name as typed, not
    // about the name with the extension.
    if (file.getFileExtension().isEmpty())
    {
        file = file.withFileExtension("xml");
        if (file.exists() && !confirmReplacing(file))
            return false;
    }
    return SaveAs(file);
}

bool KeyMappingEditorComponent::SaveAs(juce::File const& file)
{
    return Export(editor.getMappings(), file, lineWidth);
}

bool KeyMappingEditorComponent::LoadFromFile()
{
    if (!qgui::Runtime::HasDisplay())
        return false;
    juce::FileChooser chooser("Select a shortcut file...",
                              juce::File::getSpecialLocation(juce::File::userHomeDirectory), "*.xml", true,
                              false, nullptr);
    if (!chooser.browseForFileToOpen(nullptr))
        return false;
    return Import(editor.getMappings(), chooser.getResult());
}

bool KeyMappingEditorComponent::Export(juce::KeyPressMappingSet const& mappings, juce::File const& file,
                                       int lineWrapLength)
{
    qev::File target;
    if (!toCoreFile(file, target))
        return false;
    auto const xml = mappings.createXml(false);
    if (xml == nullptr)
        return false;
    juce::XmlElement::TextFormat format;
    format.customEncoding = "UTF-8";
    format.lineWrapLength = lineWrapLength;
    auto const text = xml->toString(format);
    try
    {
        qev::TemporaryFile temporary(target, 0);
        return temporary.WriteAndReplaceTarget(text.toRawUTF8(), text.getNumBytesAsUTF8());
    }
    catch (std::exception const&)
    {
        // The folder or the temporary file could not be made; nothing was written.
        return false;
    }
}

bool KeyMappingEditorComponent::Import(juce::KeyPressMappingSet& mappings, juce::File const& file)
{
    qev::File source;
    if (!toCoreFile(file, source))
        return false;
    // The core's reader bounds the nesting of what it reads; the framework's does not.
    std::unique_ptr<qev::XmlElement> root;
    try
    {
        root.reset(qev::XmlDocument::Parse(source));
    }
    catch (std::exception const&)
    {
        return false;
    }
    if (root == nullptr || !root->HasTagName("KEYMAPPINGS"))
        return false;

    // The set reads only the root's attributes and its children's.
    juce::XmlElement copy("KEYMAPPINGS");
    copyAttributes(*root, copy);
    for (auto const* child = root->GetFirstChildElement(); child != nullptr; child = child->GetNextElement())
    {
        auto const tag = qgui::ToJuceString(child->GetTagName());
        if (child->IsTextElement() || !juce::XmlElement::isValidXmlName(tag))
            continue;
        copyAttributes(*child, *copy.createNewChildElement(tag));
    }
    return mappings.restoreFromXml(copy);
}

} // namespace widgets
