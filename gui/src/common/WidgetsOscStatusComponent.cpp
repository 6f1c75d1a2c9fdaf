#include "WidgetsOscStatusComponent.h"

#include "osc/QevOscBundle.h"

namespace widgets
{

OscStatusComponent::OscStatusComponent(qev::OscInterface& oscInterface)
    : OscInformationComponent(oscInterface)
{
    OscStatusComponent::updateContent();
}

OscStatusComponent::~OscStatusComponent() = default;

void OscStatusComponent::updateContent()
{
    showLines(GetInterface().GetCurrentStateAsOscBundle().ToStringArray());
}

} // namespace widgets
