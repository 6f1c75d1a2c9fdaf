#include "utils/QevCpuTime.h"

#include <time.h>

namespace qev
{

namespace
{
std::uint64_t readMonotonicNanoseconds() noexcept
{
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0)
        return 0;
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000000ull + static_cast<std::uint64_t>(now.tv_nsec);
}
} // namespace

std::atomic<std::uint64_t> CpuTime::lastMSCounterValue{0};

std::uint64_t CpuTime::applyBackwardStepRule(std::atomic<std::uint64_t>& last, std::uint64_t now) noexcept
{
    std::uint64_t const previous = last.load(std::memory_order_relaxed);
    // Unsigned on purpose: below 1000 the lower bound wraps and every reading is stored.
    if (now < previous && now >= previous - 1000u)
        return now;
    last.store(now, std::memory_order_relaxed);
    return now;
}

std::uint64_t CpuTime::GetMillisecondCounter() noexcept
{
    return applyBackwardStepRule(lastMSCounterValue, readMonotonicNanoseconds() / 1000000u);
}

std::uint64_t CpuTime::GetHighResolutionTicks() noexcept
{
    return readMonotonicNanoseconds();
}

std::uint64_t CpuTime::GetHighResolutionTicksPerSecond() noexcept
{
    return 1000000000u;
}

std::uint64_t CpuTime::GetLastMillisecondCounterValue() noexcept
{
    return lastMSCounterValue.load(std::memory_order_relaxed);
}

} // namespace qev
