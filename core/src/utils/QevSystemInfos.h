#pragma once

#include "text/QevString.h"

namespace qev
{

// Facts about the running process.
class SystemInfos
{
public:
    SystemInfos() = delete;

    // Nothing to prepare on this platform; kept for the library start-up sequence.
    static void InitializeSystemInfos() noexcept;

    // The full path of the running executable, without trailing whitespace; empty when unknown.
    static String GetFullpathOfTheCurrentProcess() noexcept;

    // Whether the host process is the Live application.
    static bool IsRunningInsideAbletonLive() noexcept;

    // The test IsRunningInsideAbletonLive() applies to the executable's path (case-sensitive).
    static bool isAbletonLivePath(String const& path) noexcept;
};

} // namespace qev
