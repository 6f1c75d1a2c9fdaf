#include "QguiMaxMspWindowManager.h"

#include "osc/QevCommonPatterns.h"
#include "osc/QevOscAddress.h"

namespace qgui
{
namespace
{

qev::OscAddress const& keyMappingAddress()
{
    static qev::OscAddress const address("/keymapping");
    return address;
}

} // namespace

MaxMspWindowManager::MaxMspWindowManager(ComponentWithOscInterface* content_)
    : DocumentWindow(content_), content(content_)
{
    // Presets loaded or saved through this window's commands concern the content too.
    if (content != nullptr)
        GetPresetManager().AddListener(content);
}

MaxMspWindowManager::~MaxMspWindowManager() = default;

bool MaxMspWindowManager::ProcessMessage(qev::OscMessage const& message, qev::MessageFlag const& flag)
{
    auto const& pattern = message.GetAddressPattern();
    // The window's own command sets: a message under their prefix that none of their commands
    // takes is unhandled, never passed on.
    if (pattern.StartsWith(qev::CommonPatterns::window()) || pattern.StartsWith(keyMappingAddress()))
        return false;
    if (ProcessCommonMessage(message, flag))
        return true;
    if (content != nullptr)
        return content->ProcessMessage(message, flag);
    return false;
}

qev::OscBundle MaxMspWindowManager::GetCurrentStateAsOscBundle() const
{
    if (content != nullptr)
        return content->GetCurrentStateAsOscBundle();
    return qev::OscBundle();
}

} // namespace qgui
