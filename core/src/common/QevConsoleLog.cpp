#include "common/QevConsoleLog.h"

#include "text/QevString.h"

#include <cstdio>
#include <mutex>
#include <string>
#include <syslog.h>

namespace qev
{

int ConsoleLog::type = 0;

namespace
{

std::mutex& systemLogMutex()
{
    static std::mutex mutex;
    return mutex;
}

void writeLine(std::FILE* stream, std::string line)
{
    // One write per line, so that lines from several threads do not interleave.
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fflush(stream);
}

void writeToSystemLog(std::string const& text)
{
    // The mask is process-wide: restore the caller's so that the host's own lines still pass.
    std::lock_guard<std::mutex> lock(systemLogMutex());
    openlog("qev", LOG_PID | LOG_CONS | LOG_NDELAY | LOG_PERROR, LOG_USER);
    int const previousMask = setlogmask(LOG_UPTO(LOG_NOTICE));
    syslog(LOG_NOTICE, "%s", text.c_str());
    closelog();
    setlogmask(previousMask);
}

} // namespace

void ConsoleLog::Print(String const& text)
{
    std::ostringstream stream;
    stream << text;
    Print(stream);
}

void ConsoleLog::Print(std::ostringstream const& stream)
{
    switch (type)
    {
    case 0:
        writeToSystemLog(stream.str());
        break;
    case 1:
        writeLine(stderr, stream.str());
        break;
    case 2:
        writeLine(stdout, stream.str());
        break;
    default:
        break;
    }
}

} // namespace qev
