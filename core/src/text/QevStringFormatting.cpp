#include "text/QevStringFormatting.h"

#include <climits>
#include <cmath>
#include <cstdint>

namespace qev
{

namespace
{
// Truncation toward zero that cannot overflow: NaN reads 0, out-of-range values the nearest limit.
int truncateToInt32(double value) noexcept
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

// Round half to even on a non-negative value that fits in 64 bits.
std::uint64_t roundHalfToEven(double value) noexcept
{
    double const whole = std::floor(value);
    double const fraction = value - whole;
    auto rounded = static_cast<std::uint64_t>(whole);
    if (fraction > 0.5 || (fraction == 0.5 && (rounded & 1u) != 0))
        ++rounded;
    return rounded;
}

struct SampleRateText
{
    double hertz;
    char const* text;
};

constexpr SampleRateText sampleRateTexts[] = {
    {44100.0, "44.1 kHz"}, {48000.0, "48 kHz"},     {96000.0, "96 kHz"},     {22050.0, "22.05 kHz"},
    {88200.0, "88.2 kHz"}, {176400.0, "176.4 kHz"}, {352800.0, "352.8 kHz"},
};
} // namespace

String StringFormatting::decibelsToString(double value, int decimals, bool withUnit) noexcept
{
    String text;
    if (value > 0.0 || value < 0.0)
    {
        text << (value > 0.0 ? '+' : '-');
        double const magnitude = std::fabs(value);
        if (decimals == 0)
            text << (std::isinf(magnitude) ? String(magnitude) : String(truncateToInt32(magnitude)));
        else if (decimals < 0)
            text << String(magnitude);
        else
            text << String(magnitude, static_cast<unsigned int>(decimals));
    }
    else
        text << '0';
    if (withUnit)
        text << " dB";
    return text;
}

String StringFormatting::MakeHumanReadableDuration(
    std::chrono::duration<double, std::milli> const& duration) noexcept
{
    double const milliseconds = duration.count();
    if (std::isnan(milliseconds))
        return String(milliseconds) + " ms";
    double seconds = milliseconds / 1000.0;
    if (seconds < 1.0)
    {
        if (milliseconds < 100.0)
            return String(milliseconds, 1u) + " ms";
        return String(static_cast<unsigned int>(std::floor(milliseconds))) + " ms";
    }
    if (seconds <= 30.0)
        return String(seconds, 2u) + " sec";

    // Keeps the hours within 32 bits and all the arithmetic below exact.
    double const longest = 4294967295.0 * 3600.0 + 3599.0;
    if (seconds > longest)
        seconds = longest;
    auto const wholeSeconds = static_cast<std::uint64_t>(std::floor(seconds));
    std::uint64_t hours = wholeSeconds / 3600u;
    std::uint64_t minutes = (wholeSeconds % 3600u) / 60u;
    std::uint64_t secs = roundHalfToEven(seconds) - hours * 3600u - minutes * 60u;
    if (secs == 60u)
    {
        secs = 0;
        ++minutes;
    }
    if (minutes == 60u)
    {
        minutes = 0;
        ++hours;
    }

    String text;
    if (hours != 0)
        text << String(static_cast<unsigned long>(hours)) << " h";
    if (minutes != 0 || (secs != 0 && hours != 0))
    {
        if (hours != 0)
            text << ' ';
        text << String(static_cast<unsigned long>(minutes)) << " min";
    }
    if (secs != 0)
    {
        if (hours != 0 || minutes != 0)
            text << ' ';
        text << String(static_cast<unsigned long>(secs)) << " sec";
    }
    return text;
}

String StringFormatting::frequencyToString(double hertz, bool withUnit) noexcept
{
    if (!withUnit)
    {
        String text = frequencyToString(hertz, true);
        text.RemoveLastOccurence(String("Hz"), Case::Sensitive);
        text.RemoveAllOccurence(' ');
        return text;
    }

    for (auto const& sampleRate : sampleRateTexts)
        if (hertz == sampleRate.hertz)
            return String(sampleRate.text);

    int const wholeHertz = truncateToInt32(hertz);
    if (hertz < 1000.0)
        return String(wholeHertz) + " Hz";
    if (hertz >= 1e9)
        return String(hertz / 1e9, String("%.2f")) + " GHz";
    if (hertz >= 1e6)
        return String(hertz / 1e6, String("%.2f")) + " MHz";
    double const kilohertz = hertz / 1000.0;
    int const wholeKilohertz = truncateToInt32(kilohertz);
    if (kilohertz == static_cast<double>(wholeKilohertz))
        return String(wholeKilohertz) + " kHz";
    return String(wholeHertz) + " Hz";
}

} // namespace qev
