#include "utils/QevThread.h"

#include <climits>
#include <time.h>

namespace qev
{

bool Thread::getSleepRequest(double milliseconds, long& seconds, long& nanoseconds) noexcept
{
    seconds = 0;
    nanoseconds = 0;
    // Written so that a NaN fails the test too.
    if (!(milliseconds >= 1.0))
        return false;
    int const wholeMilliseconds =
        milliseconds >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(milliseconds);
    seconds = wholeMilliseconds / 1000;
    nanoseconds = static_cast<long>(wholeMilliseconds % 1000) * 1000000L;
    return true;
}

void Thread::Sleep(double milliseconds) noexcept
{
    long seconds = 0;
    long nanoseconds = 0;
    if (!getSleepRequest(milliseconds, seconds, nanoseconds))
        return;
    timespec request{};
    request.tv_sec = static_cast<time_t>(seconds);
    request.tv_nsec = nanoseconds;
    nanosleep(&request, nullptr);
}

} // namespace qev
