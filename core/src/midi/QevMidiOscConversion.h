#pragma once

namespace qev
{

// The arithmetic of the mapping table, in single precision and in a fixed order of operations:
// mapping files and patches depend on the exact floats it yields, so this code is compiled
// without contraction or reassociation of float operations.
class MidiOscConversion
{
public:
    // Exponents 1.0 and 1.00001 (the editor's way of holding 1) both mean a straight line.
    static bool IsStraightLine(float exponent) noexcept;

    // The curve input for controller value v (0..127). Equal to v / 127 up to one unit in the
    // last place; the curve path of ControllerToOsc relies on exactly this value.
    static float NormaliseControllerValue(float value) noexcept;

    // The OSC value for a controller value; normalised is NormaliseControllerValue(value),
    // passed in so that one incoming message computes it once for all its entries. Never NaN or
    // infinite (see ToFinite).
    static float ControllerToOsc(float value, float normalised, float minimum, float maximum,
                                 float exponent) noexcept;

    // The controller value, not yet truncated, for an OSC value: clamped to the range, then
    // through the inverse curve. A range whose ends are equal gives 0. Never NaN or infinite.
    static float OscToController(float value, float minimum, float maximum, float exponent) noexcept;

    // A finite float for any number: beyond the float range the largest float of its sign, NaN
    // the given replacement. The conversions fall back on it, after computing again in double
    // precision, only where single precision overflows: every finite result stays as it is.
    static float ToFinite(double value, float nanReplacement) noexcept;

    // Truncation toward zero that is defined for every float: NaN gives 0, values beyond the int
    // range give its nearest end.
    static int TruncateToInt(float value) noexcept;

    MidiOscConversion() = delete;
};

} // namespace qev
