#include "utils/QevSystemInfos.h"

#include <string>
#include <unistd.h>

namespace qev
{

void SystemInfos::InitializeSystemInfos() noexcept {}

String SystemInfos::GetFullpathOfTheCurrentProcess() noexcept
{
    // readlink neither terminates the text nor says whether it was cut: grow until it fits.
    std::string buffer(1024, '\0');
    for (;;)
    {
        ssize_t const length = readlink("/proc/self/exe", &buffer[0], buffer.size());
        if (length < 0)
            return String();
        if (static_cast<std::size_t>(length) < buffer.size())
        {
            buffer.resize(static_cast<std::size_t>(length));
            break;
        }
        if (buffer.size() >= (1u << 20))
            return String();
        buffer.resize(buffer.size() * 2);
    }
    return String(buffer).Trimmed();
}

bool SystemInfos::isAbletonLivePath(String const& path) noexcept
{
    return path.Contains(String("Ableton Live")) || path.EndsWith(String("Live")) ||
           path.Contains(String("Ableton"));
}

bool SystemInfos::IsRunningInsideAbletonLive() noexcept
{
    return isAbletonLivePath(GetFullpathOfTheCurrentProcess());
}

} // namespace qev
