#pragma once

#include "text/QevString.h"

#include <chrono>

namespace qev
{

// Display texts for levels, durations and frequencies.
class StringFormatting
{
public:
    StringFormatting() = delete;

    // "+3.0 dB", "-6.02 dB", "0 dB": a sign for non-zero values, then the magnitude truncated
    // (decimals 0), in general form (decimals < 0) or with that many decimals. Zero and NaN give
    // "0" alone. Magnitudes beyond the 32-bit range are clamped when truncated.
    template <typename T> static String dBToString(T value, int decimals, bool withUnit) noexcept
    {
        return decibelsToString(static_cast<double>(value), decimals, withUnit);
    }

    // "12.3 ms", "250 ms", "1.50 sec", "1 h 0 min 5 sec". Above 30 s the seconds are rounded half
    // to even and carried into minutes and hours; hours beyond the 32-bit range are clamped.
    static String
    MakeHumanReadableDuration(std::chrono::duration<double, std::milli> const& duration) noexcept;

    // "440 Hz", "44.1 kHz", "2 kHz", "2.50 MHz", "1.50 GHz"; without the unit, the same text
    // without its last "Hz" and without spaces ("44.1k", "440").
    template <typename T> static String FrequencyToString(T hertz, bool withUnit) noexcept
    {
        return frequencyToString(static_cast<double>(hertz), withUnit);
    }

private:
    static String decibelsToString(double value, int decimals, bool withUnit) noexcept;
    static String frequencyToString(double hertz, bool withUnit) noexcept;
};

} // namespace qev
