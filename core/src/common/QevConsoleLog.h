#pragma once

#include <sstream>

namespace qev
{

class String;

// The process log that every exception writes itself to.
class ConsoleLog
{
public:
    // 0 the system log (identity "qev"), 1 standard error, 2 standard output, anything else
    // writes nothing.
    static int type;

    // The text followed by a new line.
    static void Print(String const& text);
    static void Print(std::ostringstream const& stream);

    ConsoleLog() = delete;
};

} // namespace qev
