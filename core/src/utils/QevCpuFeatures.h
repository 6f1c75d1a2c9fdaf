#pragma once

// The CPU-dispatch entry points: processor-feature detection, the process-wide enabled feature
// mask and the dispatch index chosen from it. They keep C names because the loadable bundle
// exports them under these names (objects/exports.map). No entry point throws; each outcome is a
// status value. The state has no lock: start-up runs once, before anything else of the library.

#include <cstdint>

// C names, visible outside the bundle.
#define QEV_CPU_EXPORT extern "C" __attribute__((visibility("default")))

using IppStatus = int;

// Status values.
enum
{
    ippStsNoErr = 0,
    ippStsOtherVendorCpu = 20,        // warning: the vendor is not "GenuineIntel"
    ippStsCpuNotSupported = 36,       // nothing at SSE2 level or better to dispatch on
    ippStsFeatureNotAvailable = 49,   // a requested feature is not detected or not enabled
    ippStsFeaturesIncomplete = 51,    // the request lacks features its dispatch level needs
    ippStsNullPtrErr = -8,            // a required pointer is null
    ippStsNoProcessorFacility = -9999 // no SSE, or no denormals-are-zero
};

// Feature mask bits.
#define ippCpuMMX 0x1ULL
#define ippCpuSSE 0x2ULL
#define ippCpuSSE2 0x4ULL
#define ippCpuSSE3 0x8ULL
#define ippCpuSSSE3 0x10ULL
#define ippCpuMOVBE 0x20ULL
#define ippCpuSSE41 0x40ULL
#define ippCpuSSE42 0x80ULL
#define ippCpuAVX 0x100ULL
#define ippCpuAvxEnabledByOs 0x200ULL
#define ippCpuAES 0x400ULL
#define ippCpuCLMUL 0x800ULL
#define ippCpuRDRAND 0x2000ULL
#define ippCpuF16C 0x4000ULL
#define ippCpuAVX2 0x8000ULL
#define ippCpuADX 0x10000ULL
#define ippCpuRDSEED 0x20000ULL
#define ippCpuPREFETCHW 0x40000ULL
#define ippCpuSHA 0x80000ULL
#define ippCpuAVX512F 0x100000ULL
#define ippCpuAVX512CD 0x200000ULL
#define ippCpuAVX512ER 0x400000ULL
#define ippCpuAVX512PF 0x800000ULL
#define ippCpuAVX512BW 0x1000000ULL
#define ippCpuAVX512DQ 0x2000000ULL
#define ippCpuAVX512VL 0x4000000ULL
#define ippCpuAVX512VBMI 0x8000000ULL
#define ippCpuMPX 0x10000000ULL
#define ippCpuAVX512_4FMADDPS 0x20000000ULL
#define ippCpuAVX512_4VNNIW 0x40000000ULL
#define ippCpuKNC 0x80000000ULL
#define ippCpuAVX512IFMA 0x100000000ULL
#define ippCpuAvx512EnabledByOs 0x200000000ULL
// In a request: enable the rest without checking it against the processor.
#define ippCpuNoChecking 0x8000000000000000ULL
// As the mask given to ippGetCpuFeatures: fill the registers from the leaf and subleaf held in
// their first and third elements ("getinfoa" in little-endian bytes).
#define ippCpuGetInfoQuery 0x616f666e69746567ULL

// Abstract x87 control and status layout of ipp_control87, ipp_status87 and ipp_clear87. An
// exception bit set in the control word masks that exception.
#define ippFpuInexact 0x1u
#define ippFpuUnderflow 0x2u
#define ippFpuOverflow 0x4u
#define ippFpuZeroDivide 0x8u
#define ippFpuInvalid 0x10u
#define ippFpuDenormal 0x80000u
#define ippFpuRoundNear 0x0u
#define ippFpuRoundDown 0x100u
#define ippFpuRoundUp 0x200u
#define ippFpuRoundChop 0x300u
#define ippFpuRoundMask 0x300u
#define ippFpuPrecision64 0x0u
#define ippFpuPrecision53 0x10000u
#define ippFpuPrecision24 0x20000u
#define ippFpuPrecisionMask 0x30000u // both bits: the reserved precision field value 01
#define ippFpuInfinityAffine 0x40000u

// What ipp_get_pentium_ident reports.
struct IppCpuIdent
{
    int family;   // CPUID.1:EAX bits 8 to 11
    int model;    // bits 4 to 7
    int stepping; // bits 0 to 3
    int type;     // bits 12 to 13
    int extendedFamily;
    int extendedModel;
    std::uint32_t featureWord; // CPUID.1:EDX
    int hasRdtsc;
    int hasMmx;
    int hasSse;
    int hasSse2;
    int hasSse3;
    int hasSsse3;
    int hasSse41;
    int hasSse42;
    int hasMovbe;
    int hasHtt;
    int is64Bit;
    int coresOnDie;
    std::uint32_t cacheDescriptorsEax; // CPUID.2:EAX (0 without leaf 2)
    std::uint32_t cacheDescriptorsEdx; // CPUID.2:EDX
};

// The dispatch index (0 to 4) chosen from the enabled features; -1 until ippInit or
// ippSetCpuFeatures has run.
QEV_CPU_EXPORT int ippJumpIndexForMergedLibs;

// --- Start-up path -------------------------------------------------------------------------

// Detects the features, enables them and sets the dispatch index. 20 on a processor of another
// vendor whatever else happened.
QEV_CPU_EXPORT IppStatus ippInit(void);
// Writes the detected mask into *pFeaturesMask and, when pCpuidInfoRegs is given, EAX, EBX, ECX,
// EDX of CPUID leaf 1 (or of the leaf and subleaf it holds, for the ippCpuGetInfoQuery mask).
QEV_CPU_EXPORT IppStatus ippGetCpuFeatures(std::uint64_t* pFeaturesMask, std::uint32_t pCpuidInfoRegs[4]);
// Checks the request against the processor, enables it with the features its dispatch level
// needs and sets the dispatch index. An unavailable request is reduced or flagged (49, 51) but
// still sets a mask and an index.
QEV_CPU_EXPORT IppStatus ippSetCpuFeatures(std::uint64_t features);
// Stores the enabled mask as it is; always 0.
QEV_CPU_EXPORT IppStatus ippSetCpuFeaturesMask(std::uint64_t features);
QEV_CPU_EXPORT std::uint64_t ippGetEnabledCpuFeatures(void);

// --- Detection internals --------------------------------------------------------------------

// The detected mask, read once and cached; 1 on success.
QEV_CPU_EXPORT int ownGetMaskFeatures(std::uint64_t* pFeatures);
// One CPUID query into EAX, EBX, ECX, EDX.
QEV_CPU_EXPORT void ownGetReg(std::uint32_t registers[4], std::uint32_t leaf, std::uint32_t subleaf);
// Validation, dispatch level and enabled mask of ippSetCpuFeatures, the index handed back.
QEV_CPU_EXPORT IppStatus ownSetCpuFeaturesAndIdx(std::uint64_t features, std::uint32_t* pIndex);
QEV_CPU_EXPORT void ownSetFeatureMask(std::uint64_t features);
// Makes later detections report the enabled mask.
QEV_CPU_EXPORT void ownMaskIsFeatures(void);
// 1 when every given bit is enabled.
QEV_CPU_EXPORT int ownGetFeature(std::uint64_t features);
// The dispatch-level table alone: returns the bits the level forces and stores its index.
QEV_CPU_EXPORT std::uint64_t ownFeaturesToIdx(std::uint64_t features, std::uint32_t* pIndex);
QEV_CPU_EXPORT int ipp_has_cpuid(void);
QEV_CPU_EXPORT int ipp_is_avx_extension(void);
QEV_CPU_EXPORT int ipp_is_avx512_extension(void);
QEV_CPU_EXPORT int ipp_is_GenuineIntel(void);

// --- Single facts about the processor -------------------------------------------------------

QEV_CPU_EXPORT int ipp_has_rdtsc(void);
QEV_CPU_EXPORT int ipp_is_mmx_extension(void);
QEV_CPU_EXPORT int ipp_is_ssx_extension(void);
QEV_CPU_EXPORT int ipp_is_wni_extension(void);
QEV_CPU_EXPORT int ipp_is_pni_extension(void);
QEV_CPU_EXPORT int ipp_is_mni_extension(void);
QEV_CPU_EXPORT int ipp_is_sse41_extension(void);
QEV_CPU_EXPORT int ipp_is_sse42_extension(void);
QEV_CPU_EXPORT int ipp_is_movbe(void);
QEV_CPU_EXPORT int ipp_is_htt_extension(void);
QEV_CPU_EXPORT int ipp_is_em64t_extension(void);
QEV_CPU_EXPORT int ipp_get_cores_on_die(void);
// Fills *ident when it is given; returns CPUID.2:EAX.
QEV_CPU_EXPORT std::uint32_t ipp_get_pentium_ident(IppCpuIdent* ident);
// The size paired with the first descriptor of the table (pairs of descriptor and size, ended
// by a descriptor 0) that CPUID leaf 2 reports; -1 when none is.
QEV_CPU_EXPORT int ownGetCacheSize(int const* table);

// --- Time-stamp counter ---------------------------------------------------------------------

QEV_CPU_EXPORT std::uint64_t ipp_get_pentium_counter(void);
// The start forms serialise before reading, the stop forms after. The P forms read RDTSCP where
// the processor has it.
QEV_CPU_EXPORT std::uint64_t ippStartTsc(void);
QEV_CPU_EXPORT std::uint64_t ippStopTsc(void);
QEV_CPU_EXPORT std::uint64_t ippStartTscp(void);
QEV_CPU_EXPORT std::uint64_t ippStopTscp(void);

// --- x87 control and status words -----------------------------------------------------------

QEV_CPU_EXPORT unsigned int ps_get_cw_fpu(void);
// Sets the bits of mask from value; returns the control word before.
QEV_CPU_EXPORT unsigned int ps_set_cw_fpu(unsigned int value, unsigned int mask);
QEV_CPU_EXPORT unsigned int ps_get_sw_fpu(void);
// Clears the exception flags; returns the status word before.
QEV_CPU_EXPORT unsigned int ps_clear_fpu(void);
// Sets the whole control word; returns the one before.
QEV_CPU_EXPORT unsigned int ipp_set_cw_fpu(unsigned int value);
// Sets rounding (0 nearest, 1 down, 2 up, 3 toward zero) and precision (0 single, 2 double,
// 3 extended) control; returns the control word before.
QEV_CPU_EXPORT unsigned int ipp_set_rcpc_fpu(unsigned int rounding, unsigned int precision);
// The control word in the abstract layout, its mask bits set from newValue; returns the result.
QEV_CPU_EXPORT unsigned int ipp_control87(unsigned int newValue, unsigned int mask);
QEV_CPU_EXPORT unsigned int ipp_status87(void);
// Returns the status like ipp_status87, then clears the exception flags.
QEV_CPU_EXPORT unsigned int ipp_clear87(void);

// --- SSE control register MXCSR ---------------------------------------------------------------

QEV_CPU_EXPORT unsigned int ps_get_ssx(void);
// Sets the bits of mask from value (reserved bits never); returns MXCSR before.
QEV_CPU_EXPORT unsigned int ps_set_ssx(unsigned int value, unsigned int mask);
// Sets the control fields (bits 6 to 15) from value and keeps the exception flags; returns the
// register before.
QEV_CPU_EXPORT unsigned int ipp_set_cw_ssx(unsigned int value);
// Sets the rounding field (0 nearest, 1 down, 2 up, 3 toward zero); returns the field before.
QEV_CPU_EXPORT unsigned int ipp_set_rc_ssx(unsigned int rounding);
// Resets MXCSR to 0x1F80; returns the register before.
QEV_CPU_EXPORT unsigned int ipp_clear_ssx(void);
QEV_CPU_EXPORT int ipp_tst_daz_ssx(void);
// Non-zero value sets, zero clears the flag.
QEV_CPU_EXPORT IppStatus ippSetFlushToZero(int value);
QEV_CPU_EXPORT IppStatus ippSetDenormAreZeros(int value);

QEV_CPU_EXPORT int ipp_isnan(double value);
QEV_CPU_EXPORT int ipp_finite(double value);

namespace qev
{
// Puts the detection cache, the enabled mask and the dispatch index back to their load-time
// values, so that a test can detect again under another processor.
void ResetCpuFeatureState() noexcept;
} // namespace qev
