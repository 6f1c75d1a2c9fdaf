#include "common/QevMaxConsoleNotifier.h"

namespace qev
{

MaxConsoleNotifier::~MaxConsoleNotifier() = default;

void MaxConsoleNotifier::AddMaxConsoleListener(Listener* listener)
{
    if (listener == nullptr || listeners.Contains(listener))
        return;
    listeners.PushBack(listener);
}

void MaxConsoleNotifier::RemoveMaxConsoleListener(Listener* listener)
{
    if (listener == nullptr)
        return;
    auto const index = listeners.IndexOf(listener);
    if (index >= 0)
        listeners.Remove(static_cast<unsigned long>(index));
}

void MaxConsoleNotifier::Send(Notification const& kind, String const& text) const
{
    // The size is read again on every step: a listener that breaks the rule and removes itself
    // may cost another one its notification, but never a read past the list.
    for (unsigned long i = 0; i < listeners.GetSize(); ++i)
        listeners[i]->ConsoleNotificationReceived(this, kind, text);
}

void MaxConsoleNotifier::SendMessage(String const& text) const
{
    Send(Notification::Message, text);
}

void MaxConsoleNotifier::SendError(String const& text) const
{
    Send(Notification::Error, text);
}

void MaxConsoleNotifier::SendMessage(StringArray const& lines) const
{
    for (unsigned long i = 0; i < lines.GetSize(); ++i)
        Send(Notification::Message, lines[i]);
}

} // namespace qev
