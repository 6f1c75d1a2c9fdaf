#pragma once

#include "common/QguiComponent.h"
#include "common/WidgetsButtons.h"
#include "common/WidgetsOscSnapshotRows.h"
#include "common/WidgetsViewport.h"
#include "osc/QevOscInterface.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace widgets
{

// The snapshot panel: a "+" button that adds an empty slot above a scrolling list of slots, each
// storing, recalling, deleting, exporting or copying one snapshot of the target's state. The
// target must outlive the panel; the snapshots live and die with the panel. Message thread only.
class OscSnapshotComponent : public qgui::ComponentWithOscInterface, private juce::Button::Listener
{
public:
    explicit OscSnapshotComponent(qev::OscInterface& target);
    ~OscSnapshotComponent() override;

    void mouseDown(juce::MouseEvent const& event) override;
    void resized() override;

    // The fonts stay fixed (13 for the slots, 11 for "+"): the rows are 22 pixels high, and a
    // larger text would be clipped.
    void SetFontSize(float size);

    OscSnapshotRows& GetRows() noexcept { return rows; }
    Viewport& GetViewport() noexcept { return viewport; }
    PushButton& GetAddButton() noexcept { return addButton; }

private:
    void buttonClicked(juce::Button* button) override;

    Viewport viewport;
    OscSnapshotRows rows;
    PushButton addButton;

    JUCE_DECLARE_NON_COPYABLE(OscSnapshotComponent)
};

} // namespace widgets
