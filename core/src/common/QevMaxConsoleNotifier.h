#pragma once

#include "memory/QevVector.h"
#include "text/QevString.h"
#include "text/QevStringArray.h"

#include <cstdint>

namespace qev
{

// A source of console texts (plain lines, warnings, errors) that does not know who prints them:
// every text goes to the registered listeners, in the order they were added. The listeners are
// not owned. Adding, removing and sending must not overlap; the owner serialises them.
class MaxConsoleNotifier
{
public:
    enum class Notification : std::int32_t
    {
        Message = 0,
        Warning = 1,
        Error = 2
    };

    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void ConsoleNotificationReceived(MaxConsoleNotifier const* /*sender*/,
                                                 Notification const& /*kind*/, String const& /*text*/)
        {
        }
    };

    MaxConsoleNotifier() = default;
    virtual ~MaxConsoleNotifier();

    // Null, or a listener already registered, is ignored.
    virtual void AddMaxConsoleListener(Listener* listener);
    // Removes the first occurrence; null or an unknown listener is ignored.
    virtual void RemoveMaxConsoleListener(Listener* listener);

    void Send(Notification const& kind, String const& text) const;
    void SendMessage(String const& text) const;
    void SendError(String const& text) const;
    // One message per line: each line reaches every listener before the next line is sent.
    void SendMessage(StringArray const& lines) const;

private:
    Vector<Listener*> listeners;
};

} // namespace qev
