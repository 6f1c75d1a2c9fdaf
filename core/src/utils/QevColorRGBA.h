#pragma once

namespace qev
{

// A colour as four floats from 0 to 1, stored as given (no clamping). OSC messages carry it as
// four float arguments in member order.
class ColorRGBA
{
public:
    // Opaque black.
    constexpr ColorRGBA() noexcept = default;
    constexpr ColorRGBA(float r, float g, float b, float a) noexcept : red(r), green(g), blue(b), alpha(a) {}

    constexpr bool operator==(ColorRGBA const& other) const noexcept
    {
        return red == other.red && green == other.green && blue == other.blue && alpha == other.alpha;
    }
    constexpr bool operator!=(ColorRGBA const& other) const noexcept { return !(*this == other); }

    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 1.0f;
};

} // namespace qev
