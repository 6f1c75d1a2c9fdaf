#pragma once

namespace qev
{

class Thread
{
public:
    Thread() = delete;

    // Sleeps the calling thread for the whole milliseconds of the duration (fractions dropped).
    // A duration that is negative, below one millisecond or not a number returns at once; one
    // beyond the 32-bit millisecond range sleeps for that range's maximum (about 24.8 days).
    // A signal may cut the sleep short.
    static void Sleep(double milliseconds) noexcept;

    // The nanosleep request Sleep() makes for a duration; false when it does not sleep at all.
    static bool getSleepRequest(double milliseconds, long& seconds, long& nanoseconds) noexcept;
};

} // namespace qev
