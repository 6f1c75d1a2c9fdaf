#include "osc/QevOscArgument.h"

#include <cstring>
#include <utility>

namespace qev
{

namespace
{
constexpr std::uint64_t lowWord = 0xFFFFFFFFu;

template <typename Source> std::uint64_t bitsOf(Source value) noexcept
{
    static_assert(sizeof(Source) == 4 || sizeof(Source) == 8, "the value slot holds 4 or 8 bytes");
    if constexpr (sizeof(Source) == 4)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        return bits;
    }
    else
    {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        return bits;
    }
}

// The part of the value slot that a tag uses; tags without scalar data keep nothing.
std::uint64_t usedSlot(char tag, std::uint64_t slot) noexcept
{
    switch (tag)
    {
    case 'T':
        return 1;
    case 'F':
        return 0;
    case 'd':
    case 'h':
        return slot;
    case 'f':
    case 'i':
    case 'r':
        return slot & lowWord;
    default:
        return 0;
    }
}
} // namespace

OscArgument::OscArgument(int value) noexcept : tag('i'), slot(static_cast<std::uint32_t>(value)) {}
OscArgument::OscArgument(float value) noexcept : tag('f'), slot(bitsOf(value)) {}
OscArgument::OscArgument(long value) noexcept : tag('h'), slot(static_cast<std::uint64_t>(value)) {}
OscArgument::OscArgument(long long value) noexcept : tag('h'), slot(static_cast<std::uint64_t>(value)) {}
OscArgument::OscArgument(double value) noexcept : tag('d'), slot(bitsOf(value)) {}
OscArgument::OscArgument(bool value) noexcept : tag(value ? 'T' : 'F'), slot(value ? 1 : 0) {}
OscArgument::OscArgument(String const& value) noexcept : tag('s'), text(value) {}
OscArgument::OscArgument(String&& value) noexcept : tag('s'), text(std::move(value)) {}
OscArgument::OscArgument(char const* value) noexcept : tag('s'), text(value) {}
OscArgument::OscArgument(MemoryBlock const& value) : tag('b'), blob(value) {}
OscArgument::OscArgument(MemoryBlock&& value) noexcept : tag('b'), blob(std::move(value)) {}

OscArgument OscArgument::Rgba(std::uint32_t value) noexcept
{
    return OscArgument('r', value);
}

OscArgument OscArgument::FromValueSlot(char tag, std::uint64_t slot) noexcept
{
    return OscArgument(tag, usedSlot(tag, slot));
}

OscArgument::OscArgument(OscArgument const& other) : tag(other.tag), slot(usedSlot(other.tag, other.slot))
{
    if (tag == 's')
        text = other.text;
    else if (tag == 'b')
        blob = other.blob;
}

OscArgument::OscArgument(OscArgument&& other) noexcept
    : tag(other.tag), slot(other.slot), text(std::move(other.text)), blob(std::move(other.blob))
{
}

OscArgument& OscArgument::operator=(OscArgument const& other)
{
    if (this != &other)
        copyUsedParts(other);
    return *this;
}

OscArgument& OscArgument::operator=(OscArgument&& other) noexcept
{
    tag = other.tag;
    slot = other.slot;
    text = std::move(other.text);
    blob = std::move(other.blob);
    return *this;
}

void OscArgument::copyUsedParts(OscArgument const& other)
{
    // Copy the parts that may throw first, so a failure leaves this argument as it was.
    String newText = other.tag == 's' ? other.text : String();
    MemoryBlock newBlob = other.tag == 'b' ? other.blob : MemoryBlock();
    tag = other.tag;
    slot = usedSlot(other.tag, other.slot);
    text = std::move(newText);
    blob = std::move(newBlob);
}

float OscArgument::GetFloat32() const noexcept
{
    auto const bits = static_cast<std::uint32_t>(slot);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double OscArgument::GetFloat64() const noexcept
{
    double value;
    std::memcpy(&value, &slot, sizeof value);
    return value;
}

double OscArgument::GetNumberAsDouble() const noexcept
{
    switch (tag)
    {
    case 'd':
        return GetFloat64();
    case 'f':
        return static_cast<double>(GetFloat32());
    case 'h':
        return static_cast<double>(GetInt64());
    case 'i':
        return static_cast<double>(GetInt32());
    default:
        return 0.0;
    }
}

bool OscArgument::operator==(OscArgument const& other) const noexcept
{
    if (tag != other.tag)
        return false;
    if (tag == 's')
        return text == other.text;
    if (tag == 'b')
        return blob == other.blob;
    return usedSlot(tag, slot) == usedSlot(other.tag, other.slot);
}

} // namespace qev
