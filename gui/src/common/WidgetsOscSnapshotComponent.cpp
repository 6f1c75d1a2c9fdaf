#include "common/WidgetsOscSnapshotComponent.h"

#include "common/QguiFunctions.h"

namespace widgets
{

OscSnapshotComponent::OscSnapshotComponent(qev::OscInterface& target) : rows(target), addButton("+")
{
    viewport.setViewedComponent(&rows, false);
    addButton.SetFont(qgui::GetFont("Arial", "plain", 11.0f));
    addButton.SetTooltip("add new snapshot");
    addAndMakeVisible(viewport);
    addAndMakeVisible(addButton);
    addButton.addListener(this);
    setSize(450, 350);
}

OscSnapshotComponent::~OscSnapshotComponent()
{
    // The rows die before the viewport that shows them.
    viewport.setViewedComponent(nullptr, false);
}

void OscSnapshotComponent::mouseDown(juce::MouseEvent const&)
{
    juce::Component::unfocusAllComponents();
}

void OscSnapshotComponent::resized()
{
    addButton.setBounds(4, 5, 25, 19);
    viewport.setBounds(0, 30, getWidth(), getHeight() - 30);
}

void OscSnapshotComponent::SetFontSize(float) {}

void OscSnapshotComponent::buttonClicked(juce::Button* button)
{
    if (button != &addButton)
        return;
    try
    {
        rows.StoreAllTitles();
        rows.GetManager().AddNewSnapshot();
        rows.Update();
    }
    catch (std::exception const& e)
    {
        rows.ReportError("add", e);
    }
}

} // namespace widgets
