#include "QguiComponent.h"

namespace qgui
{

Component::Component()
{
    setLookAndFeel(&lookAndFeel);
}

Component::~Component()
{
    // The framework keeps a reference to the look-and-feel; it must let go before the member dies.
    setLookAndFeel(nullptr);
}

} // namespace qgui
