#pragma once

#include "QguiComponent.h"
#include "QguiDocumentWindow.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscInterface.h"
#include "osc/QevOscMessage.h"

namespace qgui
{

// The editor window of a host object: a window around one OSC-driven component, itself driven by
// OSC so that the whole window can be set and saved by messages. Messages are offered, in order,
// to the window's own commands, to the commands every OSC-controlled object shares and to the
// content. The commands under "/window" and "/keymapping" belong to the window alone: they never
// reach the content.
class MaxMspWindowManager : public DocumentWindow, public qev::OscInterface
{
public:
    // Takes ownership of content, which may be null. The window starts hidden.
    explicit MaxMspWindowManager(ComponentWithOscInterface* content);
    ~MaxMspWindowManager() override;

    bool ProcessMessage(qev::OscMessage const& message, qev::MessageFlag const& flag) override;
    // The content's state followed by the window's.
    qev::OscBundle GetCurrentStateAsOscBundle() const override;

    ComponentWithOscInterface* GetContent() const noexcept { return content; }

private:
    // Owned by the window as its content; this only refers to it.
    ComponentWithOscInterface* const content;

    JUCE_DECLARE_NON_COPYABLE(MaxMspWindowManager)
};

} // namespace qgui
