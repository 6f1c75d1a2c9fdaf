#include "QguiMaxMspWindowManager.h"

#include "QguiFunctions.h"
#include "QguiStrings.h"
#include "WidgetsKeyMappingEditorComponent.h"
#include "osc/QevCommonPatterns.h"
#include "osc/QevOscAddress.h"
#include "text/QevXmlDocument.h"
#include "text/QevXmlElement.h"

#include <algorithm>
#include <exception>
#include <memory>

namespace qgui
{
namespace
{

qev::OscAddress const& keyMappingAddress()
{
    static qev::OscAddress const address("/keymapping");
    return address;
}

bool hasOneString(qev::OscMessage const& message)
{
    return message.GetNumArguments() == 1 && message[0].GetType() == 's';
}

// The key-mapping file rule: the host's file name, always with the extension "xml".
qev::File keyMappingFile(qev::OscMessage const& message)
{
    return qev::File::CleanMaxMspFilename(message[0].GetString()).WithAnotherExtension("xml");
}

constexpr int keyMappingLineWidth = 200;

} // namespace

MaxMspWindowManager::MaxMspWindowManager(ComponentWithOscInterface* content_)
    : DocumentWindow(content_), content(content_), helpAndStatus(*this)
{
    // Presets loaded or saved through this window's commands concern the content too.
    if (content != nullptr)
        GetPresetManager().AddListener(content);
    addComponentListener(this);
}

MaxMspWindowManager::~MaxMspWindowManager()
{
    listeners.clear();
    // The window base outlives this listener part: leaving the desktop there must not call back.
    removeComponentListener(this);
}

bool MaxMspWindowManager::ProcessMessage(qev::OscMessage const& message, qev::MessageFlag const& flag)
{
    auto const& pattern = message.GetAddressPattern();
    if (pattern.StartsWith(qev::CommonPatterns::window()))
        return processWindowMessage(message);
    if (helpAndStatus.ProcessMessage(message, flag))
        return true;
    if (pattern.StartsWith(keyMappingAddress()))
        return processKeyMappingMessage(message);
    if (ProcessCommonMessage(message, flag))
        return true;
    if (content != nullptr)
        return content->ProcessMessage(message, flag);
    return false;
}

bool MaxMspWindowManager::processKeyMappingMessage(qev::OscMessage const& message)
{
    static qev::OscAddress const exportAddress("/keymapping/export");
    static qev::OscAddress const loadAddress("/keymapping/load");
    static qev::OscAddress const openAddress("/keymapping/open");
    static qev::OscAddress const closeAddress("/keymapping/close");
    static qev::OscAddress const openOrCloseAddress("/keymapping/openorclose");
    static qev::OscAddress const activeAddress("/keymapping/active");

    bool const none = message.GetNumArguments() == 0;
    if (hasOneString(message) && message.PatternMatches(exportAddress))
        return SaveKeyMappingInXmlFile(keyMappingFile(message));
    if (hasOneString(message) && message.PatternMatches(loadAddress))
        return LoadKeyMappingInXmlFile(keyMappingFile(message));
    if (none && (message.PatternMatches(openAddress) || message.PatternMatches(keyMappingAddress())))
    {
        keyMappingWindow.SetVisibleAndToFront();
        return true;
    }
    // Closing goes through the window's own close, which also leaves full screen first.
    if (none && message.PatternMatches(closeAddress))
    {
        keyMappingWindow.closeButtonPressed();
        return true;
    }
    if (none && message.PatternMatches(openOrCloseAddress))
    {
        if (keyMappingWindow.isVisible())
            keyMappingWindow.closeButtonPressed();
        else
            keyMappingWindow.SetVisibleAndToFront();
        return true;
    }
    if (message.GetNumArguments() == 1 && message.PatternMatches(activeAddress))
    {
        auto const& argument = message[0];
        switch (argument.GetType())
        {
        case 'T':
        case 'F':
            keyMappingActive = argument.GetBool();
            break;
        case 'i':
            keyMappingActive = argument.GetInt32() == 1;
            break;
        case 'h':
            keyMappingActive = argument.GetInt64() == 1;
            break;
        default:
            return false;
        }
        GetApplicationCommandManager()->commandStatusChanged();
        return true;
    }
    return false;
}

bool MaxMspWindowManager::SaveKeyMappingInXmlFile(qev::File const& file)
{
    if (!file.CreateDirectoryFor())
        return false;
    auto* mappings = GetApplicationCommandManager()->getKeyMappings();
    if (mappings == nullptr)
        return false;
    auto const quoted = file.GetFullPathName().Quoted('"');
    // Written through a temporary sibling: a failed save leaves the old file as it was.
    if (widgets::KeyMappingEditorComponent::Export(
            *mappings, juce::File(ToJuceString(file.GetFullPathName())), keyMappingLineWidth))
    {
        SendMessage(qev::String("file ") + quoted + " saved");
        return true;
    }
    SendError(qev::String("error saving ") + quoted + " file");
    return false;
}

bool MaxMspWindowManager::LoadKeyMappingInXmlFile(qev::File const& file)
{
    auto* mappings = GetApplicationCommandManager()->getKeyMappings();
    if (mappings == nullptr)
        return false;
    // A file that cannot be read or parsed fails silently; one that parses but is not a key-mapping
    // set is reported.
    try
    {
        std::unique_ptr<qev::XmlElement> const parsed(qev::XmlDocument::Parse(file));
        if (parsed == nullptr)
            return false;
    }
    catch (std::exception const&)
    {
        return false;
    }
    auto const quoted = file.GetFullPathName().Quoted('"');
    if (widgets::KeyMappingEditorComponent::Import(*mappings,
                                                   juce::File(ToJuceString(file.GetFullPathName()))))
    {
        SendMessage(qev::String("file ") + quoted + " loaded");
        return true;
    }
    SendError(qev::String("error loading ") + quoted + " file");
    return false;
}

qev::OscBundle MaxMspWindowManager::GetCurrentStateAsOscBundle() const
{
    if (content == nullptr)
        return getCurrentWindowStateAsOscBundle();
    auto state = content->GetCurrentStateAsOscBundle();
    state.AddFlattening(getCurrentWindowStateAsOscBundle());
    return state;
}

void MaxMspWindowManager::AddListener(Listener* listener)
{
    if (listener != nullptr && std::find(listeners.begin(), listeners.end(), listener) == listeners.end())
        listeners.push_back(listener);
}

void MaxMspWindowManager::RemoveListener(Listener* listener)
{
    listeners.erase(std::remove(listeners.begin(), listeners.end(), listener), listeners.end());
}

void MaxMspWindowManager::tellListeners(juce::Component& component)
{
    if (&component != this)
        return;
    // A copy: a listener may remove itself while being told.
    auto const toTell = listeners;
    for (auto* listener : toTell)
        if (std::find(listeners.begin(), listeners.end(), listener) != listeners.end())
            listener->WindowStateChanged(*this, getCurrentWindowStateAsOscBundle());
}

void MaxMspWindowManager::componentMovedOrResized(juce::Component& component, bool, bool)
{
    tellListeners(component);
}

void MaxMspWindowManager::componentVisibilityChanged(juce::Component& component)
{
    tellListeners(component);
}

void MaxMspWindowManager::componentNameChanged(juce::Component& component)
{
    tellListeners(component);
}

} // namespace qgui
