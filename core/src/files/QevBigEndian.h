#pragma once

#include <cstdint>
#include <cstring>

namespace qev
{

// Network-order loads and stores on raw bytes. memcpy keeps them free of alignment and
// aliasing assumptions; the compiler turns each into one load or store and one byte swap.
namespace BigEndian
{

inline std::uint32_t Load32(void const* bytes) noexcept
{
    std::uint32_t v;
    std::memcpy(&v, bytes, sizeof v);
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    return v;
}

inline std::uint64_t Load64(void const* bytes) noexcept
{
    std::uint64_t v;
    std::memcpy(&v, bytes, sizeof v);
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    return v;
}

inline void Store32(void* bytes, std::uint32_t v) noexcept
{
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    std::memcpy(bytes, &v, sizeof v);
}

inline void Store64(void* bytes, std::uint64_t v) noexcept
{
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    std::memcpy(bytes, &v, sizeof v);
}

inline std::uint32_t FloatBits(float f) noexcept
{
    std::uint32_t v;
    std::memcpy(&v, &f, sizeof v);
    return v;
}

inline std::uint64_t DoubleBits(double d) noexcept
{
    std::uint64_t v;
    std::memcpy(&v, &d, sizeof v);
    return v;
}

inline float FloatFromBits(std::uint32_t v) noexcept
{
    float f;
    std::memcpy(&f, &v, sizeof f);
    return f;
}

inline double DoubleFromBits(std::uint64_t v) noexcept
{
    double d;
    std::memcpy(&d, &v, sizeof d);
    return d;
}

} // namespace BigEndian
} // namespace qev
