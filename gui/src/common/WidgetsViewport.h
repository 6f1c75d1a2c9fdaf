#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace widgets
{

// A scrolling view with thin scroll bars that show only when the content needs them.
class Viewport : public juce::Viewport
{
public:
    Viewport();
    ~Viewport() override;

private:
    JUCE_DECLARE_NON_COPYABLE(Viewport)
};

} // namespace widgets
