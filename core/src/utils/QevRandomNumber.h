#pragma once

#include <atomic>
#include <cstdint>

namespace qev
{

// A linear congruential generator (multiplier 0x5DEECE66D, increment 11, modulus 2^48). Not for
// cryptography. Draws are atomic, so threads sharing one generator never get the same value from
// the same state.
class RandomNumber
{
public:
    explicit RandomNumber(std::int64_t initialSeed = 1) noexcept;
    RandomNumber(RandomNumber const& other) noexcept;
    RandomNumber& operator=(RandomNumber const& other) noexcept;

    void SetSeed(std::int64_t newSeed) noexcept;
    std::int64_t GetSeed() const noexcept;

    // Mixes value into the seed together with two draws.
    void CombineSeed(std::int64_t value) noexcept;

    // Mixes the clocks into the seed; every such seeding also feeds a process-wide value.
    void SetSeedRandomly() noexcept;

    // Bits 16 to 47 of the next state.
    int NextInt() noexcept;

    // The process-wide generator, seeded from the clocks on first use.
    static RandomNumber& GetSystemRandom() noexcept;

private:
    std::atomic<std::uint64_t> seed;
};

} // namespace qev
