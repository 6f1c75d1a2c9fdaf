#pragma once

#include "text/QevString.h"

namespace qev
{

class Demangling
{
public:
    Demangling() = delete;

    // The readable form of a symbol mangled under the Itanium C++ ABI, of any length. A text that
    // is not such a symbol (a C function, "main") comes back unchanged.
    static String Demangle(String const& mangledName);
};

} // namespace qev
