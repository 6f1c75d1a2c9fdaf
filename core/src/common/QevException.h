#pragma once

#include "common/QevSourceLineInfo.h"
#include "text/QevString.h"

#include <exception>

namespace qev
{

// The one exception type of the library. Building one writes it to the process log at once,
// so every failure leaves a trace even when a caller swallows it.
class Exception : public std::exception
{
public:
    Exception(String const& message, SourceLineInfo const& where, bool logWithLocation, bool fatal);
    Exception(std::exception const& e, SourceLineInfo const& where, bool logWithLocation, bool fatal);
    Exception(Exception const& e, SourceLineInfo const& where, bool logWithLocation, bool fatal);
    Exception(Exception const&) = default;
    Exception& operator=(Exception const&) = default;
    ~Exception() override;

    char const* what() const noexcept override;

    String const& GetMessage() const noexcept { return message; }
    SourceLineInfo const& GetLocation() const noexcept { return location; }

    // The text written to the log for this exception.
    String GetLogText(bool logWithLocation) const;

private:
    void handleIt(bool logWithLocation, bool fatal);

    String message;
    SourceLineInfo location;
};

} // namespace qev
