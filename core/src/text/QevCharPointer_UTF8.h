#pragma once

#include <cstring>

namespace qev
{

// A non-owning pointer to UTF-8 bytes. Cheap to copy; the bytes must outlive it.
class CharPointer_UTF8
{
public:
    using CharType = char;

    constexpr explicit CharPointer_UTF8(char const* address) noexcept : data(address) {}

    constexpr char const* GetAddress() const noexcept { return data; }

    // Number of bytes before the terminating NUL; 0 for a null pointer.
    unsigned long LengthInBytes() const noexcept { return data != nullptr ? std::strlen(data) : 0; }

    constexpr bool operator==(CharPointer_UTF8 other) const noexcept { return data == other.data; }
    constexpr bool operator!=(CharPointer_UTF8 other) const noexcept { return data != other.data; }

private:
    char const* data;
};

} // namespace qev
