#include "midi/QevMidiOscConversion.h"

#include <cfloat>
#include <climits>
#include <cmath>

namespace qev
{

bool MidiOscConversion::IsStraightLine(float exponent) noexcept
{
    return exponent == 1.0f || exponent == 1.00001f;
}

float MidiOscConversion::NormaliseControllerValue(float value) noexcept
{
    // Kept step by step: the detour through 122 and 5 moves 14 of the 128 results by one unit in
    // the last place, and stored curves were shaped with those values.
    float a = value / 127.0f;
    a = a * 122.0f;
    a = a + 5.0f;
    a = a < 5.0f ? 5.0f : a;
    a = a - 5.0f;
    a = a / 122.0f;
    a = a * 127.0f;
    a = a + 0.0f;
    return a / 127.0f;
}

float MidiOscConversion::ControllerToOsc(float value, float normalised, float minimum, float maximum,
                                         float exponent) noexcept
{
    float t;
    if (IsStraightLine(exponent))
        t = value / 127.0f;
    else
    {
        float const p = ::powf(normalised, exponent);
        t = (p * 127.0f) / 127.0f;
    }
    float const result = minimum + (maximum - minimum) * t;
    if (std::isfinite(result))
        return result;
    // A range wider than the float range, or a negative exponent at value 0. In double precision
    // the first gives the true value; the second stays infinite and is capped, and an empty range
    // times an infinite curve (NaN) is the range's one value.
    double const wide = IsStraightLine(exponent) ? static_cast<double>(value) / 127.0
                                                 : std::pow(static_cast<double>(normalised),
                                                            static_cast<double>(exponent));
    double const lo = minimum;
    return ToFinite(lo + (static_cast<double>(maximum) - lo) * wide, minimum);
}

float MidiOscConversion::OscToController(float value, float minimum, float maximum, float exponent) noexcept
{
    // Equal ends leave nothing to divide by; 0 keeps NaN out of the entry and the file.
    if (minimum == maximum)
        return 0.0f;
    float clamped = value;
    if (value < minimum)
        clamped = minimum;
    else if (maximum < value)
        clamped = maximum;
    float m = ((clamped - minimum) / (maximum - minimum)) * 127.0f + 0.0f;
    if (!IsStraightLine(exponent))
    {
        float const inverse = 1.0f / exponent;
        m = ::powf(m / 127.0f, inverse) * 127.0f;
    }
    if (std::isfinite(m))
        return m;
    // A range wider than the float range (infinity over infinity), or a negative exponent at the
    // bottom of the range, which stays infinite and is capped.
    double const lo = minimum;
    double wide = ((static_cast<double>(clamped) - lo) / (static_cast<double>(maximum) - lo)) * 127.0;
    if (!IsStraightLine(exponent))
        wide = std::pow(wide / 127.0, 1.0 / static_cast<double>(exponent)) * 127.0;
    return ToFinite(wide, 0.0f);
}

float MidiOscConversion::ToFinite(double value, float nanReplacement) noexcept
{
    if (std::isnan(value))
        return nanReplacement;
    if (value >= static_cast<double>(FLT_MAX))
        return FLT_MAX;
    if (value <= -static_cast<double>(FLT_MAX))
        return -FLT_MAX;
    return static_cast<float>(value);
}

int MidiOscConversion::TruncateToInt(float value) noexcept
{
    // 2^31 is exactly representable; INT_MAX is not, so the upper test uses the bound itself.
    constexpr float upperBound = 2147483648.0f;
    if (std::isnan(value))
        return 0;
    if (value >= upperBound)
        return INT_MAX;
    if (value < -upperBound)
        return INT_MIN;
    return static_cast<int>(value);
}

} // namespace qev
