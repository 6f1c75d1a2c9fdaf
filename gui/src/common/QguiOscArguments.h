#pragma once

// Readers of a command's single argument, shared by every window's OSC commands so that they all
// accept the same argument types. Each returns false, leaving value alone, when the message does not
// carry exactly one argument of the kind asked for.

#include "osc/QevOscMessage.h"
#include "text/QevString.h"

namespace qgui
{

inline bool hasNoArgument(qev::OscMessage const& message)
{
    return message.GetNumArguments() == 0;
}

inline bool asString(qev::OscMessage const& message, qev::String& value)
{
    if (message.GetNumArguments() != 1 || message[0].GetType() != 's')
        return false;
    value = message[0].GetString();
    return true;
}

inline bool asNumber(qev::OscMessage const& message, double& value)
{
    if (message.GetNumArguments() != 1 || !message[0].IsNumber())
        return false;
    value = message[0].GetNumberAsDouble();
    return true;
}

// A float is never a boolean, and of the integers only 1 is true, so that 2 does not turn a setting
// on.
inline bool asBoolean(qev::OscMessage const& message, bool& value)
{
    if (message.GetNumArguments() != 1)
        return false;
    auto const& argument = message[0];
    switch (argument.GetType())
    {
    case 'T':
    case 'F':
        value = argument.GetBool();
        return true;
    case 'i':
        value = argument.GetInt32() == 1;
        return true;
    case 'h':
        value = argument.GetInt64() == 1;
        return true;
    default:
        return false;
    }
}

} // namespace qgui
