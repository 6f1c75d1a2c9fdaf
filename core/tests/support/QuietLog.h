#pragma once

#include "common/QevConsoleLog.h"

namespace qevtest
{

// Exceptions write themselves to the system log; the many deliberate failures of a test need not.
class QuietLog
{
public:
    QuietLog() : saved(qev::ConsoleLog::type) { qev::ConsoleLog::type = -1; }
    ~QuietLog() { qev::ConsoleLog::type = saved; }
    QuietLog(QuietLog const&) = delete;
    QuietLog& operator=(QuietLog const&) = delete;

private:
    int saved;
};

} // namespace qevtest
