#include "common/QevConsoleLog.h"
#include "common/QevException.h"
#include "osc/QevOscMessage.h"
#include "text/QevString.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Text preset lines are user files: any bytes must either parse or be refused with
// qev::Exception, and a parsed message must print back as a single line.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qev::ConsoleLog::type = -1; // most inputs are refused, each with a logged exception
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    qev::String const text(std::string_view(reinterpret_cast<char const*>(data), size));
    try
    {
        qev::OscMessage const message = qev::OscMessage::CreateFromText(text);
        qev::String const line = message.ToString();
        if (line.Contains('\n') || line.Contains('\r'))
            __builtin_trap();
    }
    catch (qev::Exception const&)
    {
    }
    return 0;
}
