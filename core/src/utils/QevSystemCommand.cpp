#include "utils/QevSystemCommand.h"

#include <cstdio>
#include <mutex>
#include <string_view>

namespace qev
{

namespace
{
std::recursive_mutex& commandLock() noexcept
{
    static std::recursive_mutex lock;
    return lock;
}

struct PipeCloser
{
    FILE* pipe;
    ~PipeCloser() { pclose(pipe); }
};
} // namespace

String SystemCommand::Execute(String const& command) noexcept
{
    std::lock_guard<std::recursive_mutex> guard(commandLock());
    FILE* const pipe = popen(command.GetCString(), "r");
    if (pipe == nullptr)
        return String("ERROR");
    PipeCloser const closer{pipe};
    try
    {
        String output;
        char buffer[4096];
        // fread rather than a line reader: output holding NUL bytes arrives whole too.
        for (;;)
        {
            std::size_t const count = std::fread(buffer, 1, sizeof(buffer), pipe);
            if (count > 0)
                output.Append(String(std::string_view(buffer, count)));
            if (count < sizeof(buffer))
                break;
        }
        if (std::ferror(pipe))
            return String();
        return output;
    }
    catch (...)
    {
        return String();
    }
}

} // namespace qev
