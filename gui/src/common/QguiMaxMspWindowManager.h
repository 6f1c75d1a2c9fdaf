#pragma once

#include "QguiComponent.h"
#include "QguiDocumentWindow.h"
#include "QguiKeyMappingEditorWindow.h"
#include "QguiMaxMspOscHelpAndStatus.h"
#include "files/QevFile.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscDocumentation.h"
#include "osc/QevOscInterface.h"
#include "osc/QevOscMessage.h"

#include <vector>

namespace qgui
{

// The editor window of a host object: a window around one OSC-driven component, itself driven by
// OSC so that the whole window can be set and saved by messages. Messages are offered, in order,
// to the "/window" commands, to the help, status and snapshot windows, to the "/keymapping"
// commands, to the commands every OSC-controlled object shares and to the content. A message under
// "/window" or "/keymapping" that none of their commands takes is unhandled: it never reaches the
// content. Message thread only, but for SetTitle().
class MaxMspWindowManager : public DocumentWindow, public qev::OscInterface, private juce::ComponentListener
{
public:
    // Told whenever the window moves, is resized, shown, hidden or renamed.
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void WindowStateChanged(MaxMspWindowManager& window, qev::OscBundle const& windowState) = 0;
    };

    // Takes ownership of content, which may be null. The window starts hidden.
    explicit MaxMspWindowManager(ComponentWithOscInterface* content);
    ~MaxMspWindowManager() override;

    bool ProcessMessage(qev::OscMessage const& message, qev::MessageFlag const& flag) override;
    // The content's state followed by the window's.
    qev::OscBundle GetCurrentStateAsOscBundle() const override;
    // The content's entries, the "/window" commands, then the common ones when asked for.
    qev::OscDocumentation GetOscDocumentation(bool withCommonCommands) const override;

    // The shared command manager's whole key-mapping set, as XML. Success and failure are told to
    // this object's console listeners; a folder that cannot be made or a missing set are not.
    bool SaveKeyMappingInXmlFile(qev::File const& file);
    // Replaces the shared set, so every window of the process takes the new shortcuts. A file that
    // cannot be read or parsed gives false silently; a document that is not a key-mapping set
    // gives false and an error on the console.
    bool LoadKeyMappingInXmlFile(qev::File const& file);

    // Null and duplicates are ignored. Listeners are not owned and must be removed before they die.
    void AddListener(Listener* listener);
    void RemoveListener(Listener* listener);

    ComponentWithOscInterface* GetContent() const noexcept { return content; }
    MaxMspOscHelpAndStatus& GetHelpAndStatus() noexcept { return helpAndStatus; }
    KeyMappingEditorWindow& GetKeyMappingWindow() noexcept { return keyMappingWindow; }
    bool IsKeyMappingActive() const noexcept { return keyMappingActive; }

    // The "/window" commands: true when at least one matched. The address still starts with
    // "/window"; a wildcard may run several commands, in their fixed order.
    bool processWindowMessage(qev::OscMessage const& message);
    // The window's state as the "/window" commands that restore it (time tag 1).
    qev::OscBundle getCurrentWindowStateAsOscBundle() const;

private:
    bool processKeyMappingMessage(qev::OscMessage const& message);
    void tellListeners(juce::Component& component);

    void componentMovedOrResized(juce::Component& component, bool wasMoved, bool wasResized) override;
    void componentVisibilityChanged(juce::Component& component) override;
    void componentNameChanged(juce::Component& component) override;

    // Owned by the window as its content; this only refers to it.
    ComponentWithOscInterface* const content;
    MaxMspOscHelpAndStatus helpAndStatus;
    KeyMappingEditorWindow keyMappingWindow;
    bool keyMappingActive = true;
    std::vector<Listener*> listeners;

    JUCE_DECLARE_NON_COPYABLE(MaxMspWindowManager)
};

} // namespace qgui
