#pragma once

#include "common/WidgetsOscInformationComponent.h"

namespace widgets
{

// The messages of an object's current state, one per line.
class OscStatusComponent : public OscInformationComponent
{
public:
    explicit OscStatusComponent(qev::OscInterface& oscInterface);
    ~OscStatusComponent() override;

    void updateContent() override;
};

} // namespace widgets
