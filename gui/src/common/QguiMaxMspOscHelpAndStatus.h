#pragma once

#include "common/QguiDocumentWindow.h"
#include "common/WidgetsOscDocumentationComponent.h"
#include "common/WidgetsOscSnapshotComponent.h"
#include "common/WidgetsOscStatusComponent.h"
#include "osc/QevOscInterface.h"
#include "osc/QevOscMessage.h"

#include <memory>

namespace qgui
{

// The companion windows of an OSC-controlled object. Each is created hidden around its panel and
// outlives any closing, so a reopened window shows the same panel with its state. The interface
// must outlive the window. Message thread only.
class MaxMspOscHelpWindow : public DocumentWindow
{
public:
    // Lists the commands the object documents.
    explicit MaxMspOscHelpWindow(qev::OscInterface& oscInterface);
    ~MaxMspOscHelpWindow() override;

    widgets::OscDocumentationComponent* GetPanel() const noexcept { return panel.get(); }

private:
    std::unique_ptr<widgets::OscDocumentationComponent> panel;

    JUCE_DECLARE_NON_COPYABLE(MaxMspOscHelpWindow)
};

class MaxMspOscStatusWindow : public DocumentWindow
{
public:
    // Lists the messages of the object's current state.
    explicit MaxMspOscStatusWindow(qev::OscInterface& oscInterface);
    ~MaxMspOscStatusWindow() override;

    widgets::OscStatusComponent* GetPanel() const noexcept { return panel.get(); }

private:
    std::unique_ptr<widgets::OscStatusComponent> panel;

    JUCE_DECLARE_NON_COPYABLE(MaxMspOscStatusWindow)
};

class MaxMspOscSnapshotWindow : public DocumentWindow
{
public:
    // Stores, recalls and exports snapshots of the object's state.
    explicit MaxMspOscSnapshotWindow(qev::OscInterface& oscInterface);
    ~MaxMspOscSnapshotWindow() override;

    widgets::OscSnapshotComponent* GetPanel() const noexcept { return panel.get(); }

private:
    std::unique_ptr<widgets::OscSnapshotComponent> panel;

    JUCE_DECLARE_NON_COPYABLE(MaxMspOscSnapshotWindow)
};

// Holds the help, status and snapshot windows of one interface and answers the commands under
// "/help", "/status" and "/snapshot" that open, close and adjust them. Message thread only.
class MaxMspOscHelpAndStatus
{
public:
    // The interface must outlive this; only the windows and their panels refer to it.
    explicit MaxMspOscHelpAndStatus(qev::OscInterface& oscInterface);

    // True when the message was one of the window commands and was applied; false, with nothing
    // changed, otherwise. The flag is not read.
    bool ProcessMessage(qev::OscMessage const& message, qev::MessageFlag const& flag);

    MaxMspOscHelpWindow& GetHelpWindow() noexcept { return helpWindow; }
    MaxMspOscStatusWindow& GetStatusWindow() noexcept { return statusWindow; }
    MaxMspOscSnapshotWindow& GetSnapshotWindow() noexcept { return snapshotWindow; }

private:
    MaxMspOscHelpWindow helpWindow;
    MaxMspOscStatusWindow statusWindow;
    MaxMspOscSnapshotWindow snapshotWindow;

    JUCE_DECLARE_NON_COPYABLE(MaxMspOscHelpAndStatus)
};

} // namespace qgui
