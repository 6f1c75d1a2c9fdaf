#include "osc/QevOscMessage.h"

#include "memory/QevAlloc.h"
#include "osc/QevOscAddressMap.h"

#include <cmath>
#include <cstring>

namespace qev
{

OscMessage::OscMessage(OscAddressPattern const& addressPattern) : pattern(addressPattern) {}

OscMessage::OscMessage(OscAddressPattern&& addressPattern) noexcept : pattern(std::move(addressPattern)) {}

OscMessage::OscMessage(OscAddress const& address) : pattern(address) {}

OscMessage::OscMessage(char const* patternText) : pattern(patternText) {}

OscMessage::OscMessage(String const& patternText) : pattern(patternText) {}

OscMessage::OscMessage(OscMessage const& other) = default;
OscMessage::OscMessage(OscMessage&& other) noexcept = default;
OscMessage& OscMessage::operator=(OscMessage const& other) = default;
OscMessage& OscMessage::operator=(OscMessage&& other) noexcept = default;
OscMessage::~OscMessage() = default;

void OscMessage::ReserveArguments(unsigned long n)
{
    if (n > arguments.GetCapacity())
        Allocations::ReserveVector(arguments.GetStdVector(), n);
}

void OscMessage::pushArgument(OscArgument&& argument)
{
    auto& items = arguments.GetStdVector();
    if (items.size() < items.capacity())
    {
        items.push_back(std::move(argument));
        return;
    }
    try
    {
        items.push_back(std::move(argument));
    }
    catch (...)
    {
        VectorImplementation::RethrowPushBackFailure();
    }
}

void OscMessage::Add(int value)
{
    pushArgument(OscArgument(value));
}

void OscMessage::Add(float value)
{
    pushArgument(OscArgument(value));
}

void OscMessage::Add(bool value)
{
    pushArgument(OscArgument(value));
}

void OscMessage::Add(String const& text)
{
    pushArgument(OscArgument(text));
}

void OscMessage::Add(char const* text)
{
    pushArgument(OscArgument(text));
}

void OscMessage::Add(ColorRGBA const& colour)
{
    ReserveArguments(arguments.GetSize() + 4);
    pushArgument(OscArgument(colour.red));
    pushArgument(OscArgument(colour.green));
    pushArgument(OscArgument(colour.blue));
    pushArgument(OscArgument(colour.alpha));
}

void OscMessage::Add(OscArgument const& argument)
{
    pushArgument(OscArgument(argument));
}

void OscMessage::Add(OscArgument&& argument)
{
    pushArgument(std::move(argument));
}

namespace
{
// 2^64: the first double above the largest unsigned 64-bit value, which a double cannot hold.
constexpr double unsignedBound = 18446744073709551616.0;

bool fitsFormatLetter(char letter, OscArgument const& argument) noexcept
{
    char const tag = argument.GetType();
    switch (letter)
    {
    case 'b':
        return tag == 'F' || tag == 'T' || tag == 'h' || tag == 'i';
    case 'd':
        return tag == 'd';
    case 'f':
        return tag == 'f';
    case 'i':
    case 'l':
        return tag == 'h' || tag == 'i';
    case 'n':
        return argument.IsNumber();
    case 's':
        return tag == 's';
    case 'u':
        switch (tag)
        {
        case 'h':
            return argument.GetInt64() >= 0;
        case 'i':
            return argument.GetInt32() >= 0;
        case 'd':
        case 'f':
        {
            double const value = argument.GetNumberAsDouble();
            // NaN fails the first comparison.
            return value >= 0.0 && value < unsignedBound && value == std::floor(value);
        }
        default:
            return false;
        }
    default:
        return false;
    }
}
} // namespace

bool OscMessage::CheckArgumentsFormat(char const* format, bool exact) const noexcept
{
    unsigned long const letters = format != nullptr ? std::strlen(format) : 0;
    unsigned long const count = arguments.GetSize();
    if (exact ? count != letters : count < letters)
        return false;
    for (unsigned long i = 0; i < letters; ++i)
        if (!fitsFormatLetter(format[i], arguments[i]))
            return false;
    return true;
}

bool OscMessage::PatternMatches(OscAddress const& address) const
{
    if (!pattern.HasWildcard())
        return pattern.GetHash() == address.GetHash();
    unsigned long const parts = pattern.GetNumParts();
    if (parts != address.GetNumParts())
        return false;
    for (unsigned long i = 0; i < parts; ++i)
        if (!OscAddressPattern::matchOscPattern(pattern.GetPart(i).GetText(), address.GetPart(i).GetText()))
            return false;
    return true;
}

bool OscMessage::PatternMatches(char const* address) const
{
    return PatternMatches(OscAddressMap::GetGlobalSymbols()[address]);
}

OscMessage OscMessage::WithFirstPatternsTrimmed(unsigned int n) const
{
    OscMessage trimmed(*this);
    for (unsigned int i = 0; i < n && trimmed.pattern.GetNumParts() > 0; ++i)
        trimmed.pattern.TrimFirstPattern();
    return trimmed;
}

template <typename FloatType> Vector<FloatType> OscMessage::GetArgumentsAsFloatArray() const
{
    Vector<FloatType> values;
    for (auto const& argument : arguments)
        if (!argument.IsNumber())
            return values;
    Allocations::ReserveVector(values.GetStdVector(), arguments.GetSize());
    for (auto const& argument : arguments)
    {
        switch (argument.GetType())
        {
        case 'd':
            values.PushBack(static_cast<FloatType>(argument.GetFloat64()));
            break;
        case 'f':
            values.PushBack(static_cast<FloatType>(argument.GetFloat32()));
            break;
        default: // integers go through a double, as every integer does here
            values.PushBack(static_cast<FloatType>(argument.GetNumberAsDouble()));
            break;
        }
    }
    return values;
}

template Vector<float> OscMessage::GetArgumentsAsFloatArray<float>() const;
template Vector<double> OscMessage::GetArgumentsAsFloatArray<double>() const;

ColorRGBA OscMessage::GetArgumentsAsRGBA() const
{
    auto values = GetArgumentsAsFloatArray<float>();
    for (auto& value : values)
    {
        // A NaN would pass both comparisons of a plain clamp.
        if (!(value >= 0.0f))
            value = 0.0f;
        else if (value > 1.0f)
            value = 1.0f;
    }
    ColorRGBA colour(0.0f, 0.0f, 0.0f, 1.0f);
    unsigned long const count = values.GetSize();
    if (count > 0)
        colour.red = values[0];
    if (count > 1)
        colour.green = values[1];
    if (count > 2)
        colour.blue = values[2];
    if (count > 3)
        colour.alpha = values[3];
    return colour;
}

bool OscMessage::operator==(OscMessage const& other) const noexcept
{
    if (pattern.GetText() != other.pattern.GetText() || arguments.GetSize() != other.arguments.GetSize())
        return false;
    for (unsigned long i = 0; i < arguments.GetSize(); ++i)
        if (arguments[i] != other.arguments[i])
            return false;
    return true;
}

} // namespace qev
