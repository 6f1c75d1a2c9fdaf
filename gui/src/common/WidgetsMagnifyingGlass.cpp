#include "WidgetsMagnifyingGlass.h"

#include "common/QguiFunctions.h"
#include "common/QguiSvgIcons.h"

namespace widgets
{

MagnifyingGlass::MagnifyingGlass()
    : MagnifyingGlass(qev::SvgResources::GetSvgFor(qev::SvgResources::MagnifyingGlass))
{
}

MagnifyingGlass::MagnifyingGlass(const qev::String& svgText) : drawable(qgui::CreateDrawableFromSVG(svgText))
{
}

MagnifyingGlass::~MagnifyingGlass() = default;

void MagnifyingGlass::paint(juce::Graphics& g)
{
    g.fillAll(backgroundColour);
    if (drawable != nullptr)
        drawable->drawWithin(g, getLocalBounds().toFloat(), juce::RectanglePlacement::centred, opacity);
}

} // namespace widgets
