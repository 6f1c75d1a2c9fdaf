#pragma once

#include "memory/QevMemoryBlock.h"
#include "text/QevString.h"

#include <cstdint>
#include <string>

namespace qev
{

// One typed OSC argument. The type tag decides which member holds the value:
//   'i' int32, 'f' float32, 'h' int64, 'd' float64, 'T'/'F' true/false, 'r' 32-bit RGBA
//   (all in the 8-byte value slot), 's' the text, 'b' the blob.
// Members a tag does not use stay empty, and copies copy only what the tag uses.
class OscArgument
{
public:
    // Tag 0: no argument at all; prints as nothing and fits no format letter.
    OscArgument() noexcept = default;

    explicit OscArgument(int value) noexcept;          // 'i'
    explicit OscArgument(float value) noexcept;        // 'f'
    explicit OscArgument(long value) noexcept;         // 'h'
    explicit OscArgument(long long value) noexcept;    // 'h'
    explicit OscArgument(double value) noexcept;       // 'd'
    explicit OscArgument(bool value) noexcept;         // 'T' or 'F'
    explicit OscArgument(String const& text) noexcept; // 's'
    explicit OscArgument(String&& text) noexcept;      // 's'
    explicit OscArgument(char const* text) noexcept;   // 's'
    explicit OscArgument(MemoryBlock const& blob);     // 'b'
    explicit OscArgument(MemoryBlock&& blob) noexcept; // 'b'

    // 'r': a 32-bit colour, carried through unchanged.
    static OscArgument Rgba(std::uint32_t value) noexcept;
    // A tag whose data fit the value slot (including tags without data, such as 'N' or 'I').
    static OscArgument FromValueSlot(char tag, std::uint64_t slot) noexcept;

    OscArgument(OscArgument const& other);
    OscArgument(OscArgument&& other) noexcept;
    OscArgument& operator=(OscArgument const& other);
    OscArgument& operator=(OscArgument&& other) noexcept;
    ~OscArgument() = default;

    char GetType() const noexcept { return tag; }

    // Each reads the value slot as the named type; meaningful for the matching tag only.
    std::int32_t GetInt32() const noexcept
    {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(slot));
    }
    float GetFloat32() const noexcept;
    std::int64_t GetInt64() const noexcept { return static_cast<std::int64_t>(slot); }
    double GetFloat64() const noexcept;
    bool GetBool() const noexcept { return (slot & 0xFFu) != 0; }
    std::uint32_t GetRgba() const noexcept { return static_cast<std::uint32_t>(slot); }
    std::uint64_t GetValueSlot() const noexcept { return slot; }

    String const& GetString() const noexcept { return text; }
    MemoryBlock const& GetBlob() const noexcept { return blob; }

    // 'd', 'f', 'h' or 'i'.
    bool IsNumber() const noexcept { return tag == 'd' || tag == 'f' || tag == 'h' || tag == 'i'; }
    // A number as a double ('d' as is, 'f' widened, 'h' and 'i' converted); 0 for other tags.
    double GetNumberAsDouble() const noexcept;

    // The one-word text form: numbers in decimal with '.' whatever the locale, 'T'/'F' as 1/0,
    // strings in double quotes, anything else as the empty text.
    String ToString() const;
    // Appends the same text to out, without a temporary string.
    void AppendText(std::string& out) const;

    // Same tag and same content (scalars compare their value slots bit for bit).
    bool operator==(OscArgument const& other) const noexcept;
    bool operator!=(OscArgument const& other) const noexcept { return !(*this == other); }

private:
    OscArgument(char tag, std::uint64_t slot) noexcept : tag(tag), slot(slot) {}
    void copyUsedParts(OscArgument const& other);

    char tag = 0;
    std::uint64_t slot = 0;
    String text;
    MemoryBlock blob;
};

} // namespace qev
