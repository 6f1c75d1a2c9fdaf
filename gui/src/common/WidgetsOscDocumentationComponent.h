#pragma once

#include "common/WidgetsOscInformationComponent.h"

namespace widgets
{

// The OSC commands that an object documents, one per line: pattern, arguments, " : ", description.
// The "sort" toggle lists them by address pattern.
class OscDocumentationComponent : public OscInformationComponent
{
public:
    explicit OscDocumentationComponent(qev::OscInterface& oscInterface);
    ~OscDocumentationComponent() override;

    void updateContent() override;
};

} // namespace widgets
