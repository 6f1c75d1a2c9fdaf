#include "common/QevConsoleLog.h"
#include "common/QevException.h"
#include "osc/QevOscAddress.h"
#include "text/QevString.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Address and pattern texts come from the host and from OSC packets: any bytes must either parse
// or be refused with qev::Exception, and a parsed pattern must survive its own operations.
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
        qev::OscAddressPattern pattern(text);
        try
        {
            qev::OscAddress const address(text);
            (void)pattern.StartsWith(address);
            pattern.Prepend(address);
        }
        catch (qev::Exception const&)
        {
        }
        (void)pattern.StartsWith(qev::OscAddress("/a/1"));
        while (pattern.GetNumParts() > 0)
            pattern.TrimFirstPattern();
    }
    catch (qev::Exception const&)
    {
    }
    return 0;
}
