#pragma once

#include <cstdint>

namespace qev
{

// The four registers that one CPUID query returns.
struct CpuidRegisters
{
    std::uint32_t eax = 0;
    std::uint32_t ebx = 0;
    std::uint32_t ecx = 0;
    std::uint32_t edx = 0;
};

// Where processor-feature detection reads its facts. The running processor answers unless a test
// installs a reader that plays another one.
class CpuidReader
{
public:
    virtual ~CpuidReader() = default;

    // CPUID with EAX = leaf and ECX = subleaf.
    virtual CpuidRegisters Query(std::uint32_t leaf, std::uint32_t subleaf) = 0;

    // XGETBV of the extended control register index. Callers ask only after CPUID.1:ECX has
    // reported OSXSAVE: without it the instruction faults.
    virtual std::uint64_t ReadExtendedControlRegister(std::uint32_t index) = 0;
};

// The reader in use.
CpuidReader& GetCpuidReader() noexcept;

// Installs reader (null puts the running processor back) and returns the reader it replaces,
// or null when that was the running processor.
CpuidReader* SetCpuidReader(CpuidReader* reader) noexcept;

// The running processor's own registers, never replaced: time-stamp counter, x87 and SSE control.
namespace processor
{
// CPUID as a serialising instruction: waits for every earlier instruction to finish.
void Serialise() noexcept;

std::uint64_t ReadTimeStampCounter() noexcept;
// RDTSCP where the processor has it (CPUID.80000001h:EDX[27]); RDTSC otherwise.
std::uint64_t ReadTimeStampCounterAndProcessor() noexcept;

std::uint16_t ReadFpuControlWord() noexcept;
void WriteFpuControlWord(std::uint16_t word) noexcept;
std::uint16_t ReadFpuStatusWord() noexcept;
// Clears the x87 exception flags.
void ClearFpuExceptions() noexcept;

std::uint32_t ReadMxcsr() noexcept;
// Bits outside GetMxcsrWritableBits() are dropped: setting a reserved bit would fault.
void WriteMxcsr(std::uint32_t value) noexcept;
// The MXCSR bits the processor accepts, as FXSAVE reports them.
std::uint32_t GetMxcsrWritableBits() noexcept;
} // namespace processor

} // namespace qev
