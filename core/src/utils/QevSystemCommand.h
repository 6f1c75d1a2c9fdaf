#pragma once

#include "text/QevString.h"

namespace qev
{

// Runs shell commands, one at a time across the process.
class SystemCommand
{
public:
    SystemCommand() = delete;

    // The command's whole standard output (its exit status is not looked at). "ERROR" when the
    // command cannot be started, the empty text when reading its output fails. Never throws.
    // The lock is recursive: a thread already running a command may start another.
    static String Execute(String const& command) noexcept;
};

} // namespace qev
