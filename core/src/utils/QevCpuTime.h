#pragma once

#include <atomic>
#include <cstdint>

namespace qev
{

// The process's clocks: a millisecond counter for coarse timing and a high-resolution tick count.
// Both run from an arbitrary origin near system start-up and never follow wall-clock changes.
class CpuTime
{
public:
    CpuTime() = delete;

    // Milliseconds since system start-up. Always the fresh reading; the stored last value is held
    // back across small backward steps (see applyBackwardStepRule).
    static std::uint64_t GetMillisecondCounter() noexcept;

    // A monotonic tick count; GetHighResolutionTicksPerSecond() ticks make one second.
    static std::uint64_t GetHighResolutionTicks() noexcept;
    static std::uint64_t GetHighResolutionTicksPerSecond() noexcept;

    // The last value stored by GetMillisecondCounter().
    static std::uint64_t GetLastMillisecondCounterValue() noexcept;

    // Records the reading now in last unless it lies at most one second below it, and returns now.
    // Several threads may store at once; each still gets its own reading back.
    static std::uint64_t applyBackwardStepRule(std::atomic<std::uint64_t>& last, std::uint64_t now) noexcept;

private:
    static std::atomic<std::uint64_t> lastMSCounterValue;
};

} // namespace qev
