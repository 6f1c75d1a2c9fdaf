#include "utils/QevCpuFeatures.h"

#include "utils/QevCpuid.h"

#include <cmath>

namespace
{

// Process-wide state, plain as the start-up that fills it is single-threaded.
std::uint64_t ownFeatures = 0;
int ownFeaturesAreValid = 0;
std::uint64_t ownFeaturesMask = ippCpuMMX | ippCpuSSE | ippCpuSSE2;

constexpr std::uint64_t avxRequest = ippCpuAVX | ippCpuAVX2;
constexpr std::uint64_t avx512Request = ippCpuAVX512F | ippCpuAVX512CD | ippCpuAVX512ER | ippCpuAVX512PF |
                                        ippCpuAVX512BW | ippCpuAVX512DQ | ippCpuAVX512VL | ippCpuAVX512VBMI |
                                        ippCpuAVX512_4FMADDPS | ippCpuAVX512_4VNNIW;
static_assert(avx512Request == 0x6FF00000ULL);

qev::CpuidRegisters query(std::uint32_t leaf, std::uint32_t subleaf = 0)
{
    return qev::GetCpuidReader().Query(leaf, subleaf);
}

bool has(std::uint32_t reg, unsigned int bit)
{
    return ((reg >> bit) & 1u) != 0;
}

std::uint32_t highestBasicLeaf()
{
    return query(0).eax;
}

// Whether leaf 80000001h exists, then its registers.
bool queryExtendedLeaf1(qev::CpuidRegisters& r)
{
    if (query(0x80000000u).eax < 0x80000001u)
        return false;
    r = query(0x80000001u);
    return true;
}

// Reads XGETBV only after OSXSAVE has been seen: without it the instruction faults.
bool osEnablesAvx(std::uint32_t leaf1Ecx)
{
    if (!has(leaf1Ecx, 27) || !has(leaf1Ecx, 28))
        return false;
    std::uint64_t const xcr0 = qev::GetCpuidReader().ReadExtendedControlRegister(0);
    return (xcr0 & 0x6u) == 0x6u;
}

bool osEnablesAvx512(std::uint32_t leaf1Ecx)
{
    if (!has(leaf1Ecx, 27))
        return false;
    std::uint64_t const xcr0 = qev::GetCpuidReader().ReadExtendedControlRegister(0);
    return (xcr0 & 0xE0u) == 0xE0u;
}

std::uint64_t detect()
{
    qev::CpuidRegisters const leaf0 = query(0);
    std::uint32_t const highestExtended = query(0x80000000u).eax;
    qev::CpuidRegisters const leaf1 = query(1);

    struct Source
    {
        std::uint32_t const* reg;
        unsigned int bit;
        std::uint64_t feature;
    };
    Source const leaf1Sources[] = {
        {&leaf1.edx, 23, ippCpuMMX},   {&leaf1.edx, 25, ippCpuSSE},   {&leaf1.edx, 26, ippCpuSSE2},
        {&leaf1.ecx, 0, ippCpuSSE3},   {&leaf1.ecx, 9, ippCpuSSSE3},  {&leaf1.ecx, 22, ippCpuMOVBE},
        {&leaf1.ecx, 19, ippCpuSSE41}, {&leaf1.ecx, 20, ippCpuSSE42}, {&leaf1.ecx, 28, ippCpuAVX},
        {&leaf1.ecx, 25, ippCpuAES},   {&leaf1.ecx, 1, ippCpuCLMUL},  {&leaf1.ecx, 30, ippCpuRDRAND},
        {&leaf1.ecx, 29, ippCpuF16C},
    };
    std::uint64_t mask = 0;
    for (Source const& s : leaf1Sources)
        if (has(*s.reg, s.bit))
            mask |= s.feature;
    if (osEnablesAvx(leaf1.ecx))
        mask |= ippCpuAvxEnabledByOs;
    if (((leaf1.eax >> 4) & 0xFFu) == 0xB1u)
        mask |= ippCpuKNC;

    if (leaf0.eax >= 7)
    {
        qev::CpuidRegisters const leaf7 = query(7);
        if (has(leaf1.ecx, 12) && has(leaf7.ebx, 5) && has(leaf7.ebx, 3) && has(leaf7.ebx, 8))
            mask |= ippCpuAVX2;
        Source const leaf7Sources[] = {
            {&leaf7.ebx, 19, ippCpuADX},
            {&leaf7.ebx, 18, ippCpuRDSEED},
            {&leaf7.ebx, 29, ippCpuSHA},
            {&leaf7.ebx, 16, ippCpuAVX512F},
            {&leaf7.ebx, 28, ippCpuAVX512CD},
            {&leaf7.ebx, 27, ippCpuAVX512ER},
            {&leaf7.ebx, 26, ippCpuAVX512PF},
            {&leaf7.ebx, 30, ippCpuAVX512BW},
            {&leaf7.ebx, 17, ippCpuAVX512DQ},
            {&leaf7.ebx, 31, ippCpuAVX512VL},
            {&leaf7.ecx, 1, ippCpuAVX512VBMI},
            {&leaf7.ebx, 14, ippCpuMPX},
            {&leaf7.edx, 3, ippCpuAVX512_4FMADDPS},
            {&leaf7.edx, 2, ippCpuAVX512_4VNNIW},
            {&leaf7.ebx, 21, ippCpuAVX512IFMA},
        };
        for (Source const& s : leaf7Sources)
            if (has(*s.reg, s.bit))
                mask |= s.feature;
        if (osEnablesAvx512(leaf1.ecx))
            mask |= ippCpuAvx512EnabledByOs;
    }

    if (highestExtended >= 0x80000001u && has(query(0x80000001u).ecx, 8))
        mask |= ippCpuPREFETCHW;
    return mask;
}

// The dispatch level of a feature set: its index and the features it needs besides. False when
// nothing at SSE2 level or better is there to dispatch on.
bool chooseLevel(std::uint64_t features, std::uint32_t& index, std::uint64_t& forces)
{
    struct Level
    {
        std::uint64_t needs;
        std::uint32_t index;
        std::uint64_t forces;
    };
    static constexpr Level levels[] = {
        {0x7300000, 4, 0x73081DF}, {0xF00000, 3, 0xF081DF}, {ippCpuAVX2, 3, 0x81DF}, {ippCpuAVX, 2, 0x1DF},
        {ippCpuSSE42, 1, 0xDF},    {ippCpuSSE41, 0, 0x5F},  {ippCpuMOVBE, 0, 0x3F},  {ippCpuSSSE3, 0, 0x1F},
        {ippCpuSSE3, 0, 0xF},      {ippCpuSSE2, 0, 0x7},
    };
    for (Level const& level : levels)
        if ((features & level.needs) == level.needs)
        {
            index = level.index;
            forces = level.forces;
            return true;
        }
    index = 0;
    forces = (features & ippCpuSSE) != 0 ? 0x3 : 0x1;
    return false;
}

// The x87 control word's exception masks in the abstract layout, bit for bit.
struct FpuFlag
{
    unsigned int x87;
    unsigned int abstract;
};
constexpr FpuFlag fpuFlags[] = {
    {0x01, ippFpuInvalid},  {0x02, ippFpuDenormal},  {0x04, ippFpuZeroDivide},
    {0x08, ippFpuOverflow}, {0x10, ippFpuUnderflow}, {0x20, ippFpuInexact},
};
constexpr unsigned int x87Precision = 0x300;
constexpr unsigned int x87Rounding = 0xC00;
constexpr unsigned int x87Infinity = 0x1000;

unsigned int fromX87Flags(unsigned int word)
{
    unsigned int result = 0;
    for (FpuFlag const& f : fpuFlags)
        if ((word & f.x87) != 0)
            result |= f.abstract;
    return result;
}

unsigned int fromX87Control(unsigned int word)
{
    unsigned int result = fromX87Flags(word);
    result |= ((word & x87Rounding) >> 10) << 8; // near, down, up, chop keep their order
    switch ((word & x87Precision) >> 8)
    {
    case 0:
        result |= ippFpuPrecision24;
        break;
    case 1:
        result |= ippFpuPrecisionMask;
        break;
    case 2:
        result |= ippFpuPrecision53;
        break;
    default:
        result |= ippFpuPrecision64;
        break;
    }
    if ((word & x87Infinity) != 0)
        result |= ippFpuInfinityAffine;
    return result;
}

unsigned int toX87Control(unsigned int abstract, unsigned int word)
{
    word &= ~(0x3Fu | x87Precision | x87Rounding | x87Infinity);
    for (FpuFlag const& f : fpuFlags)
        if ((abstract & f.abstract) != 0)
            word |= f.x87;
    word |= ((abstract & ippFpuRoundMask) >> 8) << 10;
    switch (abstract & ippFpuPrecisionMask)
    {
    case ippFpuPrecision24:
        break;
    case ippFpuPrecisionMask:
        word |= 0x100;
        break;
    case ippFpuPrecision53:
        word |= 0x200;
        break;
    default:
        word |= 0x300;
        break;
    }
    if ((abstract & ippFpuInfinityAffine) != 0)
        word |= x87Infinity;
    return word;
}

constexpr unsigned int mxcsrFlushToZero = 1u << 15;
constexpr unsigned int mxcsrDenormalsAreZero = 1u << 6;
constexpr unsigned int mxcsrRounding = 3u << 13;
constexpr unsigned int mxcsrControl = 0xFFC0u;

void setMxcsrBits(unsigned int bits, bool on)
{
    unsigned int const value = qev::processor::ReadMxcsr();
    qev::processor::WriteMxcsr(on ? (value | bits) : (value & ~bits));
}

} // namespace

// The entry points take their C linkage from their declarations.

int ippJumpIndexForMergedLibs = -1;

// --- Detection ----------------------------------------------------------------------------------

void ownGetReg(std::uint32_t registers[4], std::uint32_t leaf, std::uint32_t subleaf)
{
    if (registers == nullptr)
        return;
    qev::CpuidRegisters const r = query(leaf, subleaf);
    registers[0] = r.eax;
    registers[1] = r.ebx;
    registers[2] = r.ecx;
    registers[3] = r.edx;
}

int ipp_has_cpuid(void)
{
    // Every 64-bit x86 processor has it.
    return 1;
}

int ipp_is_GenuineIntel(void)
{
    qev::CpuidRegisters const r = query(0);
    return r.ebx == 0x756e6547u && r.edx == 0x49656e69u && r.ecx == 0x6c65746eu;
}

int ipp_is_avx_extension(void)
{
    return osEnablesAvx(query(1).ecx);
}

int ipp_is_avx512_extension(void)
{
    return osEnablesAvx512(query(1).ecx);
}

int ownGetMaskFeatures(std::uint64_t* pFeatures)
{
    if (ownFeaturesAreValid == 0)
    {
        if (!ipp_has_cpuid())
            return 0;
        ownFeatures = detect();
        ownFeaturesAreValid = 1;
    }
    if (pFeatures != nullptr)
        *pFeatures = ownFeatures;
    return 1;
}

IppStatus ippGetCpuFeatures(std::uint64_t* pFeaturesMask, std::uint32_t pCpuidInfoRegs[4])
{
    std::uint64_t detected = 0;
    if (!ownGetMaskFeatures(&detected))
        return ippStsCpuNotSupported;
    if (pFeaturesMask == nullptr)
        return ippStsNullPtrErr;
    std::uint64_t const onEntry = *pFeaturesMask;
    *pFeaturesMask = detected;
    if (pCpuidInfoRegs == nullptr)
        return ippStsNoErr;
    if (onEntry == ippCpuGetInfoQuery)
        ownGetReg(pCpuidInfoRegs, pCpuidInfoRegs[0], pCpuidInfoRegs[2]);
    else
        ownGetReg(pCpuidInfoRegs, 1, 0);
    return ippStsNoErr;
}

// --- Enabling -----------------------------------------------------------------------------------

void ownSetFeatureMask(std::uint64_t features)
{
    ownFeaturesMask = features;
}

void ownMaskIsFeatures(void)
{
    ownFeatures = ownFeaturesMask;
    ownFeaturesAreValid = 1;
}

int ownGetFeature(std::uint64_t features)
{
    return (ownFeaturesMask & features) == features;
}

std::uint64_t ownFeaturesToIdx(std::uint64_t features, std::uint32_t* pIndex)
{
    std::uint32_t index = 0;
    std::uint64_t forces = 0;
    chooseLevel(features, index, forces);
    if (pIndex != nullptr)
        *pIndex = index;
    return forces;
}

IppStatus ownSetCpuFeaturesAndIdx(std::uint64_t features, std::uint32_t* pIndex)
{
    IppStatus status = ippStsNoErr;
    if ((features & ippCpuNoChecking) != 0)
    {
        features &= ~ippCpuNoChecking;
        ownMaskIsFeatures();
    }
    else
    {
        std::uint64_t detected = 0;
        ownGetMaskFeatures(&detected);
        if ((features & avxRequest) != 0 && (detected & ippCpuAvxEnabledByOs) == 0)
        {
            features &= ~avxRequest;
            status = ippStsFeatureNotAvailable;
        }
        if ((features & avx512Request) != 0 && (detected & ippCpuAvx512EnabledByOs) == 0)
        {
            features &= ~avx512Request;
            status = ippStsFeatureNotAvailable;
        }
        if ((features & ~detected) != 0)
            status = ippStsFeatureNotAvailable;
    }

    std::uint32_t index = 0;
    std::uint64_t forces = 0;
    bool const dispatchable = chooseLevel(features, index, forces);
    ownFeaturesMask = features | forces;
    if (pIndex != nullptr)
        *pIndex = index;

    if (status != ippStsNoErr)
        return status;
    if (!dispatchable)
        return ippStsCpuNotSupported;
    return (forces & ~features) != 0 ? ippStsFeaturesIncomplete : ippStsNoErr;
}

IppStatus ippSetCpuFeatures(std::uint64_t features)
{
    std::uint32_t index = 0;
    IppStatus const status = ownSetCpuFeaturesAndIdx(features, &index);
    ippJumpIndexForMergedLibs = static_cast<int>(index);
    return status;
}

IppStatus ippSetCpuFeaturesMask(std::uint64_t features)
{
    ownSetFeatureMask(features);
    return ippStsNoErr;
}

std::uint64_t ippGetEnabledCpuFeatures(void)
{
    return ownFeaturesMask;
}

IppStatus ippInit(void)
{
    std::uint64_t detected = 0;
    IppStatus const detection = ippGetCpuFeatures(&detected, nullptr);
    if (detection != ippStsNoErr)
    {
        ippJumpIndexForMergedLibs = 0;
        ownFeaturesMask = ippCpuMMX | ippCpuSSE | ippCpuSSE2;
        return detection;
    }
    std::uint32_t index = 0;
    IppStatus const status = ownSetCpuFeaturesAndIdx(detected, &index);
    ippJumpIndexForMergedLibs = static_cast<int>(index);
    return ipp_is_GenuineIntel() ? status : ippStsOtherVendorCpu;
}

// --- Single facts ---------------------------------------------------------------------------------

int ipp_has_rdtsc(void)
{
    return has(query(1).edx, 4);
}

int ipp_is_mmx_extension(void)
{
    return has(query(1).edx, 23);
}

int ipp_is_ssx_extension(void)
{
    return has(query(1).edx, 25);
}

int ipp_is_wni_extension(void)
{
    return has(query(1).edx, 26);
}

int ipp_is_pni_extension(void)
{
    return has(query(1).ecx, 0);
}

int ipp_is_mni_extension(void)
{
    return has(query(1).ecx, 9);
}

int ipp_is_sse41_extension(void)
{
    return has(query(1).ecx, 19);
}

int ipp_is_sse42_extension(void)
{
    return has(query(1).ecx, 20);
}

int ipp_is_movbe(void)
{
    return has(query(1).ecx, 22);
}

int ipp_is_htt_extension(void)
{
    qev::CpuidRegisters const r = query(1);
    return has(r.edx, 28) && ((r.ebx >> 16) & 0xFFu) > 1;
}

int ipp_is_em64t_extension(void)
{
    qev::CpuidRegisters r;
    return queryExtendedLeaf1(r) && has(r.edx, 29);
}

int ipp_get_cores_on_die(void)
{
    if (highestBasicLeaf() < 4)
        return 1;
    return static_cast<int>((query(4).eax >> 26) & 0x3Fu) + 1;
}

std::uint32_t ipp_get_pentium_ident(IppCpuIdent* ident)
{
    bool const hasLeaf2 = highestBasicLeaf() >= 2;
    qev::CpuidRegisters const leaf2 = hasLeaf2 ? query(2) : qev::CpuidRegisters();
    if (ident != nullptr)
    {
        qev::CpuidRegisters const leaf1 = query(1);
        ident->family = static_cast<int>((leaf1.eax >> 8) & 0xFu);
        ident->model = static_cast<int>((leaf1.eax >> 4) & 0xFu);
        ident->stepping = static_cast<int>(leaf1.eax & 0xFu);
        ident->type = static_cast<int>((leaf1.eax >> 12) & 0x3u);
        ident->extendedFamily = static_cast<int>((leaf1.eax >> 20) & 0xFFu);
        ident->extendedModel = static_cast<int>((leaf1.eax >> 16) & 0xFu);
        ident->featureWord = leaf1.edx;
        ident->hasRdtsc = has(leaf1.edx, 4);
        ident->hasMmx = has(leaf1.edx, 23);
        ident->hasSse = has(leaf1.edx, 25);
        ident->hasSse2 = has(leaf1.edx, 26);
        ident->hasSse3 = has(leaf1.ecx, 0);
        ident->hasSsse3 = has(leaf1.ecx, 9);
        ident->hasSse41 = has(leaf1.ecx, 19);
        ident->hasSse42 = has(leaf1.ecx, 20);
        ident->hasMovbe = has(leaf1.ecx, 22);
        ident->hasHtt = has(leaf1.edx, 28) && ((leaf1.ebx >> 16) & 0xFFu) > 1;
        ident->is64Bit = ipp_is_em64t_extension();
        ident->coresOnDie = ipp_get_cores_on_die();
        ident->cacheDescriptorsEax = leaf2.eax;
        ident->cacheDescriptorsEdx = leaf2.edx;
    }
    return leaf2.eax;
}

int ownGetCacheSize(int const* table)
{
    if (table == nullptr || highestBasicLeaf() < 2)
        return -1;
    qev::CpuidRegisters const r = query(2);
    if ((r.eax & 0xFFu) != 1)
        return -1;
    // Each register holds four descriptor bytes unless its bit 31 says it holds none; the low
    // byte of EAX is the query count, not a descriptor.
    unsigned char descriptors[16] = {};
    int count = 0;
    std::uint32_t const registers[] = {r.eax & 0xFFFFFF00u, r.ebx, r.ecx, r.edx};
    for (std::uint32_t reg : registers)
        if ((reg & 0x80000000u) == 0)
            for (int b = 0; b < 4; ++b)
                if (unsigned char const d = static_cast<unsigned char>(reg >> (8 * b)); d != 0)
                    descriptors[count++] = d;
    for (int const* pair = table; pair[0] != 0; pair += 2)
        for (int i = 0; i < count; ++i)
            if (descriptors[i] == pair[0])
                return pair[1];
    return -1;
}

// --- Time-stamp counter ------------------------------------------------------------------------

std::uint64_t ipp_get_pentium_counter(void)
{
    return qev::processor::ReadTimeStampCounter();
}

std::uint64_t ippStartTsc(void)
{
    qev::processor::Serialise();
    return qev::processor::ReadTimeStampCounter();
}

std::uint64_t ippStopTsc(void)
{
    std::uint64_t const t = qev::processor::ReadTimeStampCounter();
    qev::processor::Serialise();
    return t;
}

std::uint64_t ippStartTscp(void)
{
    qev::processor::Serialise();
    return qev::processor::ReadTimeStampCounterAndProcessor();
}

std::uint64_t ippStopTscp(void)
{
    std::uint64_t const t = qev::processor::ReadTimeStampCounterAndProcessor();
    qev::processor::Serialise();
    return t;
}

// --- x87 ----------------------------------------------------------------------------------------

unsigned int ps_get_cw_fpu(void)
{
    return qev::processor::ReadFpuControlWord();
}

unsigned int ps_set_cw_fpu(unsigned int value, unsigned int mask)
{
    unsigned int const before = qev::processor::ReadFpuControlWord();
    qev::processor::WriteFpuControlWord(static_cast<std::uint16_t>((before & ~mask) | (value & mask)));
    return before;
}

unsigned int ps_get_sw_fpu(void)
{
    return qev::processor::ReadFpuStatusWord();
}

unsigned int ps_clear_fpu(void)
{
    unsigned int const before = qev::processor::ReadFpuStatusWord();
    qev::processor::ClearFpuExceptions();
    return before;
}

unsigned int ipp_set_cw_fpu(unsigned int value)
{
    return ps_set_cw_fpu(value, 0xFFFFu);
}

unsigned int ipp_set_rcpc_fpu(unsigned int rounding, unsigned int precision)
{
    return ps_set_cw_fpu(((rounding & 3u) << 10) | ((precision & 3u) << 8), x87Rounding | x87Precision);
}

unsigned int ipp_control87(unsigned int newValue, unsigned int mask)
{
    unsigned int const word = qev::processor::ReadFpuControlWord();
    unsigned int const abstract = (fromX87Control(word) & ~mask) | (newValue & mask);
    qev::processor::WriteFpuControlWord(static_cast<std::uint16_t>(toX87Control(abstract, word)));
    return fromX87Control(qev::processor::ReadFpuControlWord());
}

unsigned int ipp_status87(void)
{
    return fromX87Flags(qev::processor::ReadFpuStatusWord());
}

unsigned int ipp_clear87(void)
{
    return fromX87Flags(ps_clear_fpu());
}

// --- MXCSR ----------------------------------------------------------------------------------------

unsigned int ps_get_ssx(void)
{
    return qev::processor::ReadMxcsr();
}

unsigned int ps_set_ssx(unsigned int value, unsigned int mask)
{
    unsigned int const before = qev::processor::ReadMxcsr();
    qev::processor::WriteMxcsr((before & ~mask) | (value & mask));
    return before;
}

unsigned int ipp_set_cw_ssx(unsigned int value)
{
    return ps_set_ssx(value, mxcsrControl);
}

unsigned int ipp_set_rc_ssx(unsigned int rounding)
{
    return (ps_set_ssx((rounding & 3u) << 13, mxcsrRounding) & mxcsrRounding) >> 13;
}

unsigned int ipp_clear_ssx(void)
{
    unsigned int const before = qev::processor::ReadMxcsr();
    qev::processor::WriteMxcsr(0x1F80u);
    return before;
}

int ipp_tst_daz_ssx(void)
{
    return (qev::processor::GetMxcsrWritableBits() & mxcsrDenormalsAreZero) != 0;
}

IppStatus ippSetFlushToZero(int value)
{
    std::uint64_t detected = 0;
    if (!ownGetMaskFeatures(&detected) || (detected & ippCpuSSE) == 0)
        return ippStsNoProcessorFacility;
    setMxcsrBits(mxcsrFlushToZero, value != 0);
    return ippStsNoErr;
}

IppStatus ippSetDenormAreZeros(int value)
{
    std::uint64_t detected = 0;
    if (!ownGetMaskFeatures(&detected) || (detected & ippCpuSSE) == 0 || !ipp_tst_daz_ssx())
        return ippStsNoProcessorFacility;
    setMxcsrBits(mxcsrDenormalsAreZero, value != 0);
    return ippStsNoErr;
}

int ipp_isnan(double value)
{
    return std::isnan(value);
}

int ipp_finite(double value)
{
    return std::isfinite(value);
}

namespace qev
{

void ResetCpuFeatureState() noexcept
{
    ownFeatures = 0;
    ownFeaturesAreValid = 0;
    ownFeaturesMask = ippCpuMMX | ippCpuSSE | ippCpuSSE2;
    ippJumpIndexForMergedLibs = -1;
}

} // namespace qev
