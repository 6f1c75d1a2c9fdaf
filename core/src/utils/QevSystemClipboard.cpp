#include "utils/QevSystemClipboard.h"

#include <mutex>

namespace qev
{

namespace
{
struct ClipboardState
{
    std::mutex lock;
    SystemClipboard::Backend* backend = nullptr;
    String text;
};

ClipboardState& state() noexcept
{
    static ClipboardState instance;
    return instance;
}
} // namespace

void SystemClipboard::CopyTextToClipboard(String const& text) noexcept
{
    ClipboardState& clipboard = state();
    std::lock_guard<std::mutex> guard(clipboard.lock);
    try
    {
        if (clipboard.backend != nullptr)
            clipboard.backend->CopyText(text);
        else
            clipboard.text = text;
    }
    catch (...)
    {
    }
}

String SystemClipboard::GetTextFromClipboard() noexcept
{
    ClipboardState& clipboard = state();
    std::lock_guard<std::mutex> guard(clipboard.lock);
    try
    {
        return clipboard.backend != nullptr ? clipboard.backend->GetText() : clipboard.text;
    }
    catch (...)
    {
        return String();
    }
}

void SystemClipboard::SetBackend(Backend* backend) noexcept
{
    ClipboardState& clipboard = state();
    std::lock_guard<std::mutex> guard(clipboard.lock);
    clipboard.backend = backend;
}

} // namespace qev
