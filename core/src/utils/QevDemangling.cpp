#include "utils/QevDemangling.h"

#include <cstdlib>
#include <cxxabi.h>

namespace qev
{

String Demangling::Demangle(String const& mangledName)
{
    if (mangledName.IsEmpty())
        return mangledName;
    // The runtime allocates the result itself: a caller-held buffer would be realloc'ed behind
    // our back for long names.
    int status = 0;
    char* const readable = abi::__cxa_demangle(mangledName.GetCString(), nullptr, nullptr, &status);
    if (status != 0 || readable == nullptr)
    {
        std::free(readable);
        return mangledName;
    }
    String result(readable);
    std::free(readable);
    return result;
}

} // namespace qev
