#pragma once

#include "text/QevString.h"

namespace qev
{

// Included by the containers' allocation helpers: kept free of the string-array header.
class StringArray;

// Stack traces with readable function names. Only functions the linker exports have names to
// give; the executables export theirs.
//
// Two line forms are understood, whichever system produced them:
//   "image(symbol+0x1c) [0xaddress]"                    (the symbol part may be empty)
//   "3   image   0x000000010f5e3c1d symbol + 29"        (exactly six blank-separated fields)
class Backtrace
{
public:
    Backtrace() = delete;

    // One text per captured frame, innermost first (entry 0 is GetStack itself): the function
    // name alone with namesOnly, else the whole line with its symbol made readable. Empty when
    // nothing can be captured or described.
    static StringArray GetStack(unsigned int frameCount, bool namesOnly);

    // The demangled name of the function that called the function calling this one, or the
    // empty text when the stack or its symbols cannot be read. Never throws.
    static String GetCallerFunctionName() noexcept;

    // The readable function name of one line; empty when the line names no function or has
    // neither form. "main" and "start" read "main()" and "start()".
    static String getFunctionNameFromBacktraceSymbol(String const& line);

    // The line with its symbol made readable: a line without a symbol is returned as it is in
    // the first form, and a six-field line comes back with single blanks between its fields.
    // Empty when the line has neither form.
    static String demangleBacktraceSymbol(String const& line);

    // What GetStack gives for one line: "???" for a frame the system could not describe.
    static String describeFrame(String const& line, bool namesOnly);
};

} // namespace qev
