#include "WidgetsOscDocumentationComponent.h"

#include "osc/QevOscDocumentation.h"

namespace widgets
{

OscDocumentationComponent::OscDocumentationComponent(qev::OscInterface& oscInterface)
    : OscInformationComponent(oscInterface)
{
    GetSortToggle().setVisible(true);
    resized();
    // Qualified: from a constructor, a virtual call reaches only this class's version.
    OscDocumentationComponent::updateContent();
}

OscDocumentationComponent::~OscDocumentationComponent() = default;

void OscDocumentationComponent::updateContent()
{
    qev::OscDocumentation documentation = GetInterface().GetOscDocumentation(true);
    if (GetSortToggle().getToggleState())
        documentation = documentation.SortedAlphabeticallyByPattern();
    showLines(documentation.ToStringArray(false));
}

} // namespace widgets
