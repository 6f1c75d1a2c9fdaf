#include "utils/QevRandomNumber.h"

#include "utils/QevCpuTime.h"

namespace qev
{

namespace
{
constexpr std::uint64_t multiplier = 0x5DEECE66Dull;
constexpr std::uint64_t increment = 11u;
constexpr std::uint64_t stateMask = (1ull << 48) - 1u;

std::atomic<std::uint64_t>& globalSeed() noexcept
{
    static std::atomic<std::uint64_t> value{0};
    return value;
}
} // namespace

RandomNumber::RandomNumber(std::int64_t initialSeed) noexcept : seed(static_cast<std::uint64_t>(initialSeed))
{
}

RandomNumber::RandomNumber(RandomNumber const& other) noexcept
    : seed(other.seed.load(std::memory_order_relaxed))
{
}

RandomNumber& RandomNumber::operator=(RandomNumber const& other) noexcept
{
    seed.store(other.seed.load(std::memory_order_relaxed), std::memory_order_relaxed);
    return *this;
}

void RandomNumber::SetSeed(std::int64_t newSeed) noexcept
{
    seed.store(static_cast<std::uint64_t>(newSeed), std::memory_order_relaxed);
}

std::int64_t RandomNumber::GetSeed() const noexcept
{
    return static_cast<std::int64_t>(seed.load(std::memory_order_relaxed));
}

int RandomNumber::NextInt() noexcept
{
    std::uint64_t current = seed.load(std::memory_order_relaxed);
    std::uint64_t next = 0;
    do
        next = (current * multiplier + increment) & stateMask;
    while (!seed.compare_exchange_weak(current, next, std::memory_order_relaxed));
    return static_cast<int>(static_cast<std::uint32_t>(next >> 16));
}

void RandomNumber::CombineSeed(std::int64_t value) noexcept
{
    auto const high = static_cast<std::uint64_t>(static_cast<std::uint32_t>(NextInt()));
    auto const low = static_cast<std::uint64_t>(static_cast<std::uint32_t>(NextInt()));
    seed.fetch_xor(((high << 32) | low) ^ static_cast<std::uint64_t>(value), std::memory_order_relaxed);
}

void RandomNumber::SetSeedRandomly() noexcept
{
    CombineSeed(static_cast<std::int64_t>(CpuTime::GetMillisecondCounter()));
    CombineSeed(static_cast<std::int64_t>(CpuTime::GetHighResolutionTicks()));
    CombineSeed(static_cast<std::int64_t>(CpuTime::GetMillisecondCounter()));
    globalSeed().fetch_xor(seed.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

RandomNumber& RandomNumber::GetSystemRandom() noexcept
{
    static RandomNumber sysRand = []
    {
        RandomNumber generator(1);
        generator.SetSeedRandomly();
        return generator;
    }();
    return sysRand;
}

} // namespace qev
