#pragma once

#include "text/QevString.h"

#include <cstdint>

namespace qev
{

struct SoftwareVersion
{
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t patch = 0;

    // "major.minor.patch" in decimal.
    String ToString() const;
};

// The library's version and its one-time start-up.
class ApiInfos
{
public:
    ApiInfos() = delete;

    static SoftwareVersion GetVersion() noexcept;
    // The bits of the floating-point type the library computes with.
    static unsigned int GetFloatingPointPrecision() noexcept;

    // Prepares the process-wide state once, on the loading thread, before anything else of the
    // library runs: system information, the OSC vocabulary in the pool of hashed strings, and the
    // processor features. True when the processor-feature start-up reported success; a processor
    // of another vendor gives false and changes nothing else. Failures propagate as exceptions.
    static bool InitializeLibrary();

    // Enters every part of every vocabulary address in the pool of hashed strings (and the
    // addresses in the global address map), so that messages find them already there.
    static void PreInitializeOscSymbols();

    // "libqev v5.0.2", then " (32-bit float)" when withPrecision is set.
    static String GetVersionAsString(bool withPrecision);
    // "32-bit float".
    static String GetFloatingPointPrecisionString();
};

} // namespace qev

namespace Trov
{

class ApiInfos
{
public:
    ApiInfos() = delete;

    // The library start-up, first step of the host start-up.
    static bool InitializeLibrary() { return qev::ApiInfos::InitializeLibrary(); }
};

} // namespace Trov

namespace Tessaron
{

// The numbered mixer-strip addresses.
class Strips
{
public:
    Strips() = delete;

    // Inserts the 1488 mixer-strip addresses in the global address map. The host start-up calls
    // it only inside the Live application, whose sessions address the strips.
    static void InitializeSymbolList();
};

} // namespace Tessaron

// The attribute under which the XML tree keeps a text element's content: "text".
extern qev::String const omvar_xmltextContentAttributeName;
