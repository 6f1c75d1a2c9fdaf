#include "utils/QevCpuFeatures.h"
#include "utils/QevCpuid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <utility>

namespace
{

using qev::CpuidRegisters;

constexpr uint32_t bit(unsigned int n)
{
    return 1u << n;
}

// A processor played through the CPUID seam: answers from a table of leaves, counts the queries
// and records any XGETBV made before OSXSAVE was reported.
class FakeProcessor final : public qev::CpuidReader
{
public:
    std::map<std::pair<uint32_t, uint32_t>, CpuidRegisters> leaves;
    uint64_t xcr0 = 0;
    int queries = 0;
    int xgetbvWithoutOsxsave = 0;

    CpuidRegisters& Leaf(uint32_t leaf, uint32_t subleaf = 0) { return leaves[{leaf, subleaf}]; }

    CpuidRegisters Query(uint32_t leaf, uint32_t subleaf) override
    {
        ++queries;
        auto const found = leaves.find({leaf, subleaf});
        return found != leaves.end() ? found->second : CpuidRegisters();
    }

    uint64_t ReadExtendedControlRegister(uint32_t index) override
    {
        if ((Leaf(1).ecx & bit(27)) == 0)
            ++xgetbvWithoutOsxsave;
        return index == 0 ? xcr0 : 0;
    }

    void SetVendor(char const* twelve)
    {
        std::memcpy(&Leaf(0).ebx, twelve, 4);
        std::memcpy(&Leaf(0).edx, twelve + 4, 4);
        std::memcpy(&Leaf(0).ecx, twelve + 8, 4);
    }

    // Nothing but the leaf structure: basic leaves up to 7, extended up to 80000001h.
    static FakeProcessor Bare()
    {
        FakeProcessor p;
        p.SetVendor("GenuineIntel");
        p.Leaf(0).eax = 7;
        p.Leaf(1);
        p.Leaf(7);
        p.Leaf(0x80000000u).eax = 0x80000001u;
        p.Leaf(0x80000001u);
        return p;
    }

    // A processor with everything up to the AVX-512 dispatch level, all enabled by the system.
    static FakeProcessor Avx512()
    {
        FakeProcessor p = Bare();
        p.Leaf(1).edx = bit(4) | bit(23) | bit(25) | bit(26);
        p.Leaf(1).ecx = bit(0) | bit(1) | bit(9) | bit(12) | bit(19) | bit(20) | bit(22) | bit(25) | bit(27) |
                        bit(28) | bit(29) | bit(30);
        p.Leaf(7).ebx =
            bit(3) | bit(5) | bit(8) | bit(16) | bit(17) | bit(18) | bit(19) | bit(28) | bit(30) | bit(31);
        p.xcr0 = 0xE7;
        return p;
    }
};

// What FakeProcessor::Avx512() reports.
constexpr uint64_t avx512Detected = 0x20733EFFFULL;

class CpuFeatures : public ::testing::Test
{
protected:
    void SetUp() override { qev::ResetCpuFeatureState(); }
    void TearDown() override
    {
        qev::SetCpuidReader(nullptr);
        qev::ResetCpuFeatureState();
    }

    // Installs the processor (kept in this fixture) and forgets what was detected before.
    FakeProcessor& Play(FakeProcessor p)
    {
        processor = std::move(p);
        qev::SetCpuidReader(&processor);
        qev::ResetCpuFeatureState();
        return processor;
    }

    static uint64_t Detected()
    {
        uint64_t mask = 0;
        EXPECT_EQ(ippGetCpuFeatures(&mask, nullptr), ippStsNoErr);
        return mask;
    }

    FakeProcessor processor;
};

TEST_F(CpuFeatures, EachCpuidBitSetsItsFeatureAlone)
{
    struct Case
    {
        uint32_t leaf;
        char reg;
        unsigned int bitNumber;
        uint64_t feature;
    };
    Case const cases[] = {
        {1, 'd', 23, ippCpuMMX},
        {1, 'd', 25, ippCpuSSE},
        {1, 'd', 26, ippCpuSSE2},
        {1, 'c', 0, ippCpuSSE3},
        {1, 'c', 9, ippCpuSSSE3},
        {1, 'c', 22, ippCpuMOVBE},
        {1, 'c', 19, ippCpuSSE41},
        {1, 'c', 20, ippCpuSSE42},
        {1, 'c', 28, ippCpuAVX},
        {1, 'c', 25, ippCpuAES},
        {1, 'c', 1, ippCpuCLMUL},
        {1, 'c', 30, ippCpuRDRAND},
        {1, 'c', 29, ippCpuF16C},
        {7, 'b', 19, ippCpuADX},
        {7, 'b', 18, ippCpuRDSEED},
        {0x80000001u, 'c', 8, ippCpuPREFETCHW},
        {7, 'b', 29, ippCpuSHA},
        {7, 'b', 16, ippCpuAVX512F},
        {7, 'b', 28, ippCpuAVX512CD},
        {7, 'b', 27, ippCpuAVX512ER},
        {7, 'b', 26, ippCpuAVX512PF},
        {7, 'b', 30, ippCpuAVX512BW},
        {7, 'b', 17, ippCpuAVX512DQ},
        {7, 'b', 31, ippCpuAVX512VL},
        {7, 'c', 1, ippCpuAVX512VBMI},
        {7, 'b', 14, ippCpuMPX},
        {7, 'd', 3, ippCpuAVX512_4FMADDPS},
        {7, 'd', 2, ippCpuAVX512_4VNNIW},
        {7, 'b', 21, ippCpuAVX512IFMA},
        // Parts of a combined feature, and bits that name nothing, add nothing alone; OSXSAVE alone
        // lets XGETBV report the AVX-512 state.
        {1, 'c', 12, 0},
        {7, 'b', 5, 0},
        {1, 'c', 27, ippCpuAvx512EnabledByOs},
        {1, 'd', 4, 0},
        {7, 'a', 0, 0},
    };
    for (Case const& c : cases)
    {
        FakeProcessor& p = Play(FakeProcessor::Bare());
        p.xcr0 = 0xE7;
        CpuidRegisters& r = p.Leaf(c.leaf);
        uint32_t& reg = c.reg == 'a' ? r.eax : c.reg == 'b' ? r.ebx : c.reg == 'c' ? r.ecx : r.edx;
        reg |= bit(c.bitNumber);
        EXPECT_EQ(Detected(), c.feature)
            << "leaf " << std::hex << c.leaf << " " << c.reg << "x bit " << std::dec << c.bitNumber;
    }
}

TEST_F(CpuFeatures, CombinedFeaturesNeedEveryPart)
{
    struct Case
    {
        char const* what;
        uint32_t leaf1Ecx;
        uint32_t leaf1Eax;
        uint32_t leaf7Ebx;
        uint64_t xcr0;
        uint64_t expected;
    };
    uint32_t const fmaAndAvx = bit(12) | bit(28);
    uint32_t const avx2Bmi = bit(3) | bit(5) | bit(8);
    Case const cases[] = {
        {"avx2 with fma, bmi1, bmi2", fmaAndAvx, 0, avx2Bmi, 0, ippCpuAVX | ippCpuAVX2},
        {"avx2 without fma", bit(28), 0, avx2Bmi, 0, ippCpuAVX},
        {"avx2 without bmi2", fmaAndAvx, 0, bit(3) | bit(5), 0, ippCpuAVX},
        {"avx enabled by the system", bit(27) | bit(28), 0, 0, 0x6, ippCpuAVX | ippCpuAvxEnabledByOs},
        {"avx but xcr0 lacks ymm", bit(27) | bit(28), 0, 0, 0x3, ippCpuAVX},
        {"avx-512 state enabled", bit(27), 0, 0, 0xE0, ippCpuAvx512EnabledByOs},
        {"avx-512 state partly enabled", bit(27), 0, 0, 0x60, 0},
        {"knights corner family and model", 0, 0xB10, 0, 0, ippCpuKNC},
        {"another family", 0, 0xB20, 0, 0, 0},
    };
    for (Case const& c : cases)
    {
        FakeProcessor& p = Play(FakeProcessor::Bare());
        p.Leaf(1).ecx = c.leaf1Ecx;
        p.Leaf(1).eax = c.leaf1Eax;
        p.Leaf(7).ebx = c.leaf7Ebx;
        p.xcr0 = c.xcr0;
        EXPECT_EQ(Detected(), c.expected) << c.what;
        EXPECT_EQ(p.xgetbvWithoutOsxsave, 0) << c.what;
    }
}

TEST_F(CpuFeatures, MissingLeavesLeaveTheirBitsClear)
{
    FakeProcessor full = FakeProcessor::Avx512();
    full.Leaf(0x80000001u).ecx = bit(8);

    FakeProcessor& noLeaf7 = Play(full);
    noLeaf7.Leaf(0).eax = 6;
    EXPECT_EQ(Detected(), 0x6FFFULL | ippCpuPREFETCHW);

    FakeProcessor& noExtended = Play(full);
    noExtended.Leaf(0x80000000u).eax = 0x80000000u;
    EXPECT_EQ(Detected(), avx512Detected);
}

TEST_F(CpuFeatures, DetectionIsCachedAndXgetbvNeedsOsxsave)
{
    FakeProcessor& p = Play(FakeProcessor::Avx512());
    p.Leaf(1).ecx &= ~bit(27); // AVX without OSXSAVE: XGETBV would fault
    uint64_t const first = Detected();
    EXPECT_EQ(first & (ippCpuAvxEnabledByOs | ippCpuAvx512EnabledByOs), 0u);
    EXPECT_EQ(p.xgetbvWithoutOsxsave, 0);

    int const queries = p.queries;
    EXPECT_GT(queries, 0);
    p.Leaf(1).edx = 0;
    EXPECT_EQ(Detected(), first);
    EXPECT_EQ(p.queries, queries);
}

TEST_F(CpuFeatures, GetCpuFeaturesArguments)
{
    FakeProcessor& p = Play(FakeProcessor::Avx512());
    p.Leaf(1).eax = 0x50654;
    p.Leaf(4, 2) = {11, 12, 13, 14};

    uint32_t registers[4] = {1, 2, 3, 4};
    EXPECT_EQ(ippGetCpuFeatures(nullptr, registers), ippStsNullPtrErr);
    EXPECT_EQ(registers[0], 1u);
    EXPECT_EQ(registers[3], 4u);

    uint64_t mask = 0;
    EXPECT_EQ(ippGetCpuFeatures(&mask, nullptr), ippStsNoErr);
    EXPECT_EQ(mask, avx512Detected);

    // Any value but the query word reads leaf 1.
    uint32_t leafOne[4] = {4, 0, 2, 0};
    mask = ippCpuGetInfoQuery + 1;
    EXPECT_EQ(ippGetCpuFeatures(&mask, leafOne), ippStsNoErr);
    EXPECT_EQ(mask, avx512Detected);
    EXPECT_EQ(leafOne[0], 0x50654u);
    EXPECT_EQ(leafOne[2], p.Leaf(1).ecx);

    uint32_t chosen[4] = {4, 0, 2, 0};
    mask = ippCpuGetInfoQuery;
    EXPECT_EQ(ippGetCpuFeatures(&mask, chosen), ippStsNoErr);
    EXPECT_EQ(mask, avx512Detected);
    EXPECT_EQ(chosen[0], 11u);
    EXPECT_EQ(chosen[1], 12u);
    EXPECT_EQ(chosen[2], 13u);
    EXPECT_EQ(chosen[3], 14u);
}

TEST_F(CpuFeatures, SetCpuFeaturesChecksRequestsAndChoosesTheLevel)
{
    FakeProcessor avxOff = FakeProcessor::Avx512();
    avxOff.xcr0 = 0x3;
    FakeProcessor avx512Off = FakeProcessor::Avx512();
    avx512Off.xcr0 = 0x7;
    struct Case
    {
        char const* what;
        FakeProcessor const* processor;
        uint64_t request;
        IppStatus status;
        uint64_t enabled;
        int index;
    };
    FakeProcessor const full = FakeProcessor::Avx512();
    Case const cases[] = {
        {"sse2 base", &full, 0x7, ippStsNoErr, 0x7, 0},
        {"sse only", &full, 0x3, ippStsCpuNotSupported, 0x3, 0},
        {"nothing", &full, 0x0, ippStsCpuNotSupported, 0x1, 0},
        {"avx alone", &full, ippCpuAVX, ippStsFeaturesIncomplete, 0x1DF, 2},
        {"avx with its base", &full, 0x1DF, ippStsNoErr, 0x1DF, 2},
        {"sse4.2 with its base", &full, 0xDF, ippStsNoErr, 0xDF, 1},
        {"movbe alone", &full, ippCpuMOVBE, ippStsFeaturesIncomplete, 0x3F, 0},
        {"everything detected", &full, avx512Detected, ippStsNoErr, avx512Detected, 4},
        {"an undetected feature", &full, 0x7 | ippCpuSHA, ippStsFeatureNotAvailable, 0x7 | ippCpuSHA, 0},
        {"bit 34", &full, 0x7 | (1ULL << 34), ippStsFeatureNotAvailable, 0x7 | (1ULL << 34), 0},
        {"avx off in xcr0", &avxOff, 0x81DF, ippStsFeatureNotAvailable, 0xDF, 1},
        {"avx-512 off in xcr0", &avx512Off, avx512Detected & ~ippCpuAvx512EnabledByOs,
         ippStsFeatureNotAvailable, avx512Detected & ~(ippCpuAvx512EnabledByOs | 0x6FF00000ULL), 3},
        {"unchecked undetected", &full, ippCpuNoChecking | 0x7 | (1ULL << 40), ippStsNoErr,
         0x7 | (1ULL << 40), 0},
    };
    for (Case const& c : cases)
    {
        Play(*c.processor);
        EXPECT_EQ(ippSetCpuFeatures(c.request), c.status) << c.what;
        EXPECT_EQ(ippGetEnabledCpuFeatures(), c.enabled) << c.what;
        EXPECT_EQ(ippJumpIndexForMergedLibs, c.index) << c.what;
    }
}

TEST_F(CpuFeatures, UncheckedRequestMakesTheEnabledMaskTheDetectedOne)
{
    Play(FakeProcessor::Avx512());
    EXPECT_EQ(ippSetCpuFeaturesMask(0x1F), ippStsNoErr);
    EXPECT_EQ(ippJumpIndexForMergedLibs, -1);
    EXPECT_EQ(ippSetCpuFeatures(ippCpuNoChecking | 0x7), ippStsNoErr);
    EXPECT_EQ(Detected(), 0x1Fu);
    EXPECT_EQ(ippGetEnabledCpuFeatures(), 0x7u);
    EXPECT_TRUE(ownGetFeature(0x7));
    EXPECT_FALSE(ownGetFeature(0xF));
}

TEST_F(CpuFeatures, InitReportsVendorAndSystemSupport)
{
    FakeProcessor other = FakeProcessor::Avx512();
    other.SetVendor("AuthenticAMD");
    FakeProcessor avxOff = FakeProcessor::Avx512();
    avxOff.xcr0 = 0x3;
    FakeProcessor const full = FakeProcessor::Avx512();
    FakeProcessor sseOnly = FakeProcessor::Bare();
    sseOnly.Leaf(1).edx = bit(23) | bit(25);
    struct Case
    {
        char const* what;
        FakeProcessor const& processor;
        IppStatus status;
        uint64_t enabled;
        int index;
    };
    Case const cases[] = {
        {"avx-512", full, ippStsNoErr, avx512Detected, 4},
        {"another vendor", other, ippStsOtherVendorCpu, avx512Detected, 4},
        {"avx off in xcr0", avxOff, ippStsFeatureNotAvailable,
         avx512Detected &
             ~(ippCpuAVX | ippCpuAVX2 | ippCpuAvxEnabledByOs | ippCpuAvx512EnabledByOs | 0x6FF00000ULL),
         1},
        {"no sse2", sseOnly, ippStsCpuNotSupported, 0x3, 0},
    };
    for (Case const& c : cases)
    {
        Play(c.processor);
        EXPECT_EQ(ippInit(), c.status) << c.what;
        EXPECT_EQ(ippGetEnabledCpuFeatures(), c.enabled) << c.what;
        EXPECT_EQ(ippJumpIndexForMergedLibs, c.index) << c.what;
    }
}

TEST_F(CpuFeatures, SingleFactsAndCacheDescriptors)
{
    FakeProcessor& p = Play(FakeProcessor::Avx512());
    p.Leaf(1).eax = 0x000306C3; // family 6, model 0xC, stepping 3, extended model 3
    p.Leaf(1).ebx = 8u << 16;
    p.Leaf(1).edx |= bit(28);
    p.Leaf(4).eax = 3u << 26;
    p.Leaf(2) = {0x665B5001, 0x80000000u | 0x2C, 0, 0x007A7000};
    p.Leaf(0x80000001u).edx = bit(29);

    EXPECT_TRUE(ipp_is_GenuineIntel());
    EXPECT_TRUE(ipp_is_htt_extension());
    EXPECT_TRUE(ipp_is_em64t_extension());
    EXPECT_TRUE(ipp_is_avx_extension());
    EXPECT_TRUE(ipp_is_avx512_extension());
    EXPECT_EQ(ipp_get_cores_on_die(), 4);

    IppCpuIdent ident{};
    EXPECT_EQ(ipp_get_pentium_ident(&ident), 0x665B5001u);
    EXPECT_EQ(ident.family, 6);
    EXPECT_EQ(ident.model, 0xC);
    EXPECT_EQ(ident.stepping, 3);
    EXPECT_EQ(ident.extendedModel, 3);
    EXPECT_EQ(ident.coresOnDie, 4);
    EXPECT_TRUE(ident.hasSse42 && ident.hasRdtsc && ident.hasHtt && ident.is64Bit);
    EXPECT_EQ(ipp_get_pentium_ident(nullptr), 0x665B5001u);

    // The first table descriptor found wins; EBX (bit 31) and EAX's count byte hold none.
    int const table[] = {0x2C, 32, 0x01, 99, 0x7A, 256, 0x5B, 64, 0};
    EXPECT_EQ(ownGetCacheSize(table), 256);
    int const absent[] = {0x2C, 32, 0x01, 99, 0};
    EXPECT_EQ(ownGetCacheSize(absent), -1);
    EXPECT_EQ(ownGetCacheSize(nullptr), -1);
    p.Leaf(2).eax = 0x665B5002; // more than one query: not read
    EXPECT_EQ(ownGetCacheSize(table), -1);

    p.Leaf(0).eax = 3;
    p.Leaf(1).ebx = 1u << 16;
    p.Leaf(0x80000000u).eax = 0x80000000u;
    p.SetVendor("GenuineIotel");
    EXPECT_FALSE(ipp_is_GenuineIntel());
    EXPECT_FALSE(ipp_is_htt_extension());
    EXPECT_FALSE(ipp_is_em64t_extension());
    EXPECT_EQ(ipp_get_cores_on_die(), 1);
}

TEST_F(CpuFeatures, RunningProcessorAgreesWithTheCompilersDetection)
{
    EXPECT_EQ(ippInit(), ipp_is_GenuineIntel() ? ippStsNoErr : ippStsOtherVendorCpu);
    uint64_t const mask = Detected();
    EXPECT_GE(ippJumpIndexForMergedLibs, 0);
    EXPECT_LE(ippJumpIndexForMergedLibs, 4);
    __builtin_cpu_init();
    struct Case
    {
        bool compiler;
        uint64_t ours;
    };
    Case const cases[] = {
        {__builtin_cpu_supports("mmx") != 0, ippCpuMMX},
        {__builtin_cpu_supports("sse2") != 0, ippCpuSSE2},
        {__builtin_cpu_supports("sse3") != 0, ippCpuSSE3},
        {__builtin_cpu_supports("ssse3") != 0, ippCpuSSSE3},
        {__builtin_cpu_supports("sse4.1") != 0, ippCpuSSE41},
        {__builtin_cpu_supports("sse4.2") != 0, ippCpuSSE42},
        {__builtin_cpu_supports("aes") != 0, ippCpuAES},
        {__builtin_cpu_supports("pclmul") != 0, ippCpuCLMUL},
        {__builtin_cpu_supports("avx") != 0, ippCpuAVX | ippCpuAvxEnabledByOs},
    };
    for (Case const& c : cases)
        EXPECT_EQ(c.compiler, (mask & c.ours) == c.ours) << std::hex << c.ours;
}

TEST(CpuControlRegisters, X87ControlAndStatusInTheAbstractLayout)
{
    unsigned int const saved = ps_get_cw_fpu();
    unsigned int const set =
        ipp_control87(ippFpuRoundDown | ippFpuPrecision53, ippFpuRoundMask | ippFpuPrecisionMask);
    EXPECT_EQ(set & (ippFpuRoundMask | ippFpuPrecisionMask), ippFpuRoundDown | ippFpuPrecision53);
    EXPECT_EQ(ps_get_cw_fpu() & 0xF00u, 0x600u); // x87 rounding 01, precision 10
    // Unmasking is not asked for: every exception stays masked.
    EXPECT_EQ(set & 0x8001Fu, 0x8001Fu);
    ipp_set_rcpc_fpu(3, 0);
    EXPECT_EQ(ipp_control87(0, 0) & (ippFpuRoundMask | ippFpuPrecisionMask),
              ippFpuRoundChop | ippFpuPrecision24);
    EXPECT_EQ(ipp_set_cw_fpu(saved) & 0xF00u, 0xC00u);
    EXPECT_EQ(ps_get_cw_fpu(), saved);

    ipp_clear87();
    volatile long double zero = 0.0L;
    volatile long double quotient = 1.0L / zero;
    (void)quotient;
    EXPECT_EQ(ipp_status87() & ippFpuZeroDivide, ippFpuZeroDivide);
    EXPECT_NE(ps_get_sw_fpu() & 0x4u, 0u);
    EXPECT_EQ(ipp_clear87() & ippFpuZeroDivide, ippFpuZeroDivide);
    EXPECT_EQ(ipp_status87(), 0u);
}

TEST(CpuControlRegisters, MxcsrFieldsAndReservedBits)
{
    unsigned int const saved = ps_get_ssx();
    EXPECT_EQ(ipp_set_rc_ssx(3), (saved >> 13) & 3u);
    EXPECT_EQ(ps_get_ssx() & 0x6000u, 0x6000u);

    EXPECT_EQ(ippSetFlushToZero(1), ippStsNoErr);
    EXPECT_NE(ps_get_ssx() & 0x8000u, 0u);
    EXPECT_EQ(ippSetFlushToZero(0), ippStsNoErr);
    EXPECT_EQ(ps_get_ssx() & 0x8000u, 0u);
    if (ipp_tst_daz_ssx())
    {
        EXPECT_EQ(ippSetDenormAreZeros(1), ippStsNoErr);
        EXPECT_NE(ps_get_ssx() & 0x40u, 0u);
    }

    // A reserved bit would fault the processor: it is dropped, the rest is set.
    ps_set_ssx(0xFFFF8000u, 0xFFFF8000u);
    EXPECT_EQ(ps_get_ssx() & ~qev::processor::GetMxcsrWritableBits(), 0u);
    EXPECT_EQ(ps_get_ssx() & 0xFFFF8000u, 0xFFFF8000u & qev::processor::GetMxcsrWritableBits());

    EXPECT_EQ(ipp_clear_ssx() & 0x8000u, 0x8000u);
    EXPECT_EQ(ps_get_ssx(), 0x1F80u);
    ipp_set_cw_ssx(saved);
    EXPECT_EQ(ps_get_ssx() & 0xFFC0u, saved & 0xFFC0u);
    ps_set_ssx(saved, 0xFFFFFFFFu);
}

TEST(CpuControlRegisters, SseFacilitiesNeedSse)
{
    FakeProcessor noSse = FakeProcessor::Bare();
    qev::SetCpuidReader(&noSse);
    qev::ResetCpuFeatureState();
    EXPECT_EQ(ippSetFlushToZero(1), ippStsNoProcessorFacility);
    EXPECT_EQ(ippSetDenormAreZeros(1), ippStsNoProcessorFacility);
    qev::SetCpuidReader(nullptr);
    qev::ResetCpuFeatureState();
}

TEST(CpuControlRegisters, TimeStampCounterReadsInOrder)
{
    uint64_t const start = ippStartTsc();
    uint64_t const middle = ipp_get_pentium_counter();
    uint64_t const stop = ippStopTscp();
    EXPECT_LE(start, middle);
    EXPECT_LE(middle, stop);
    uint64_t const startP = ippStartTscp();
    EXPECT_LE(startP, ippStopTsc());
}

} // namespace
