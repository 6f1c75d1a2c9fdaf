// Any bytes a ".osc" file or a peer can hold: reading must either give a bundle or throw
// qev::Exception, and what it gives must survive our own writer and reader.
#include "common/QevConsoleLog.h"
#include "common/QevException.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscOutputStream.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace
{

// Equal after one trip over the wire: 'h' leaves as 'i' with its low 32 bits, and a pattern's
// text may lose a trailing '/', so patterns are not compared.
bool sameAfterTrip(qev::OscBundle const& before, qev::OscBundle const& after)
{
    if (before.GetTimeTag() != after.GetTimeTag() || before.GetNumElements() != after.GetNumElements())
        return false;
    for (unsigned long e = 0; e < before.GetNumElements(); ++e)
    {
        qev::OscBundle::Element const& x = before[e];
        qev::OscBundle::Element const& y = after[e];
        if ((x.GetBundle() != nullptr) != (y.GetBundle() != nullptr))
            return false;
        if (x.GetBundle() != nullptr)
        {
            if (!sameAfterTrip(*x.GetBundle(), *y.GetBundle()))
                return false;
            continue;
        }
        qev::OscMessage const& m = *x.GetMessage();
        qev::OscMessage const& n = *y.GetMessage();
        if (m.GetNumArguments() != n.GetNumArguments())
            return false;
        for (unsigned long i = 0; i < m.GetNumArguments(); ++i)
        {
            qev::OscArgument const& a = m.GetArgument(i);
            qev::OscArgument const& b = n.GetArgument(i);
            if (a.GetType() == 'h')
            {
                if (b.GetType() != 'i' || b.GetInt32() != static_cast<std::int32_t>(a.GetInt64()))
                    return false;
            }
            else if (a != b)
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qev::ConsoleLog::type = -1; // every refused input builds an exception; keep the log quiet
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    qev::OscBundle bundle;
    try
    {
        bundle = qev::OscBundle::CreateFromData(reinterpret_cast<char const*>(data), size);
    }
    catch (qev::Exception const&)
    {
        return 0;
    }

    qev::OscOutputStream out;
    if (!out.WriteBundle(bundle))
        std::abort(); // everything we read, we can write
    try
    {
        if (!sameAfterTrip(bundle, qev::OscBundle::CreateFromData(out.GetData(), out.GetDataSize())))
            std::abort();
    }
    catch (qev::Exception const&)
    {
        std::abort(); // our own packet refused by our own reader
    }
    return 0;
}
