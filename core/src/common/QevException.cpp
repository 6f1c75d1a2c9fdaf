#include "common/QevException.h"

#include "common/QevConsoleLog.h"

#include <cstdlib>

namespace qev
{

Exception::Exception(String const& message, SourceLineInfo const& where, bool logWithLocation, bool fatal)
    : message(message), location(where)
{
    handleIt(logWithLocation, fatal);
}

Exception::Exception(std::exception const& e, SourceLineInfo const& where, bool logWithLocation, bool fatal)
    : message(e.what()), location(where)
{
    handleIt(logWithLocation, fatal);
}

Exception::Exception(Exception const& e, SourceLineInfo const& where, bool logWithLocation, bool fatal)
    : message(e.what()), location(where)
{
    handleIt(logWithLocation, fatal);
}

Exception::~Exception() = default;

char const* Exception::what() const noexcept
{
    return message.GetCString();
}

String Exception::GetLogText(bool logWithLocation) const
{
    String text;
    if (logWithLocation && location.GetFile().IsNotEmpty())
        text << "Exception occurred in " << location.ToString() << ": \n" << message << "\n\n";
    else
        text << "Exception occurred: " << message << "\n\n";
    return text;
}

void Exception::handleIt(bool logWithLocation, bool fatal)
{
    ConsoleLog::Print(GetLogText(logWithLocation));
    if (fatal)
        std::exit(1);
}

} // namespace qev
