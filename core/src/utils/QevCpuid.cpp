#include "utils/QevCpuid.h"

#include <atomic>

#if defined(__x86_64__) || defined(__i386__)
#define QEV_X86 1
#include <cpuid.h>
#include <x86intrin.h>
#else
#define QEV_X86 0
#endif

namespace qev
{

namespace
{

CpuidRegisters queryProcessor(std::uint32_t leaf, std::uint32_t subleaf) noexcept
{
    CpuidRegisters r;
#if QEV_X86
    __cpuid_count(leaf, subleaf, r.eax, r.ebx, r.ecx, r.edx);
#else
    (void)leaf;
    (void)subleaf;
#endif
    return r;
}

class ProcessorCpuidReader final : public CpuidReader
{
public:
    CpuidRegisters Query(std::uint32_t leaf, std::uint32_t subleaf) override
    {
        return queryProcessor(leaf, subleaf);
    }

    std::uint64_t ReadExtendedControlRegister(std::uint32_t index) override
    {
#if QEV_X86
        std::uint32_t low = 0;
        std::uint32_t high = 0;
        __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(index));
        return (std::uint64_t(high) << 32) | low;
#else
        (void)index;
        return 0;
#endif
    }
};

ProcessorCpuidReader processorReader;
std::atomic<CpuidReader*> installedReader{nullptr};

} // namespace

CpuidReader& GetCpuidReader() noexcept
{
    CpuidReader* const reader = installedReader.load(std::memory_order_acquire);
    return reader != nullptr ? *reader : processorReader;
}

CpuidReader* SetCpuidReader(CpuidReader* reader) noexcept
{
    return installedReader.exchange(reader, std::memory_order_acq_rel);
}

namespace processor
{

void Serialise() noexcept
{
    CpuidRegisters const r = queryProcessor(0, 0);
    __asm__ volatile("" ::"r"(r.eax) : "memory");
}

std::uint64_t ReadTimeStampCounter() noexcept
{
#if QEV_X86
    return __rdtsc();
#else
    return 0;
#endif
}

std::uint64_t ReadTimeStampCounterAndProcessor() noexcept
{
#if QEV_X86
    // RDTSCP faults on a processor without it.
    static bool const hasRdtscp = queryProcessor(0x80000000u, 0).eax >= 0x80000001u &&
                                  (queryProcessor(0x80000001u, 0).edx & (1u << 27)) != 0;
    if (!hasRdtscp)
        return __rdtsc();
    unsigned int processorId = 0;
    return __rdtscp(&processorId);
#else
    return 0;
#endif
}

std::uint16_t ReadFpuControlWord() noexcept
{
    std::uint16_t word = 0;
#if QEV_X86
    __asm__ volatile("fnstcw %0" : "=m"(word));
#endif
    return word;
}

void WriteFpuControlWord(std::uint16_t word) noexcept
{
#if QEV_X86
    __asm__ volatile("fldcw %0" ::"m"(word));
#else
    (void)word;
#endif
}

std::uint16_t ReadFpuStatusWord() noexcept
{
    std::uint16_t word = 0;
#if QEV_X86
    __asm__ volatile("fnstsw %0" : "=m"(word));
#endif
    return word;
}

void ClearFpuExceptions() noexcept
{
#if QEV_X86
    __asm__ volatile("fnclex");
#endif
}

std::uint32_t ReadMxcsr() noexcept
{
#if QEV_X86
    return _mm_getcsr();
#else
    return 0;
#endif
}

void WriteMxcsr(std::uint32_t value) noexcept
{
#if QEV_X86
    _mm_setcsr(value & GetMxcsrWritableBits());
#else
    (void)value;
#endif
}

std::uint32_t GetMxcsrWritableBits() noexcept
{
#if QEV_X86
    static std::uint32_t const bits = []
    {
        alignas(16) unsigned char area[512] = {};
        __asm__ volatile("fxsave %0" : "=m"(area));
        std::uint32_t const mask = std::uint32_t(area[28]) | (std::uint32_t(area[29]) << 8) |
                                   (std::uint32_t(area[30]) << 16) | (std::uint32_t(area[31]) << 24);
        // A zero mask field means the processor predates it: every bit but denormals-are-zero.
        return mask != 0 ? mask : 0xFFBFu;
    }();
    return bits;
#else
    return 0;
#endif
}

} // namespace processor

} // namespace qev
