#include "common/QevApiInfos.h"

#include "osc/QevOscAddressMap.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscVocabulary.h"
#include "utils/QevCpuFeatures.h"
#include "utils/QevSystemInfos.h"

#include <string>
#include <utility>

qev::String const omvar_xmltextContentAttributeName("text");

namespace qev
{

namespace
{

constexpr SoftwareVersion libraryVersion{5, 0, 2};
constexpr unsigned int floatingPointPrecision = 32;

} // namespace

String SoftwareVersion::ToString() const
{
    return String(major) + "." + String(minor) + "." + String(patch);
}

SoftwareVersion ApiInfos::GetVersion() noexcept
{
    return libraryVersion;
}

unsigned int ApiInfos::GetFloatingPointPrecision() noexcept
{
    return floatingPointPrecision;
}

bool ApiInfos::InitializeLibrary()
{
    SystemInfos::InitializeSystemInfos();
    PreInitializeOscSymbols();

    IppStatus const status = ippInit();
    uint64_t features = 0;
    uint32_t registers[4] = {};
    ippGetCpuFeatures(&features, registers);
    ippSetCpuFeatures(features);
    return status == ippStsNoErr;
}

void ApiInfos::PreInitializeOscSymbols()
{
    // Building a message parses its address, and parsing pools every part; the messages
    // themselves are not wanted.
    OscBundle bundle;
    bundle.Reserve(OscVocabulary::numTexts);
    char const* const* const texts = OscVocabulary::GetTexts();
    for (unsigned long i = 0; i < OscVocabulary::numTexts; ++i)
        bundle.AddNewMessage(texts[i], 0.0f);
}

String ApiInfos::GetVersionAsString(bool withPrecision)
{
    String text = "libqev v" + libraryVersion.ToString();
    if (withPrecision)
        text += " (" + GetFloatingPointPrecisionString() + ")";
    return text;
}

String ApiInfos::GetFloatingPointPrecisionString()
{
    return String(floatingPointPrecision) + "-bit float";
}

} // namespace qev

namespace Tessaron
{

void Strips::InitializeSymbolList()
{
    struct Family
    {
        char const* prefix;
        char const* suffix;
    };
    static constexpr Family channels[] = {
        {"/speaker/", ""},
        {"/speaker/", "/delay"},
        {"/source/", ""},
        {"/track/", ""},
        {"/bus/", ""},
        {"/channel/", ""},
        {"/filter/", ""},
        {"/filter/", "/order"},
        {"/filter/", "/freq"},
        {"/filter/", "/Q"},
        {"/filter/", "/gain"},
        {"/routing/input/", "/adc"},
        {"/routing/output/", "/master"},
        {"/output/", ""},
        {"/microphone/", ""},
        {"/source/", "/xyz"},
        {"/source/", "/aed"},
        {"/speaker/", "/aed"},
        {"/speaker/", "/name"},
        {"/speaker/", "/gain"},
        {"/row/", "/name"},
        {"/col/", "/name"},
    };
    static constexpr Family beams[] = {
        {"/beam/", "/direction"}, {"/beam/", "/direction/ae"}, {"/beam/", "/selectivity"},
        {"/beam/", "/color"},     {"/beam/", "/visible"},      {"/marker/", "/freq"},
        {"/marker/", "/color"},
    };
    static constexpr Family buses[] = {
        {"/bus/", ""}, {"/bus/", "/gain"}, {"/bus/", "/mute"}, {"/bus/", "/destination"}};

    qev::OscAddressMap& symbols = qev::OscAddressMap::GetGlobalSymbols();
    auto insert = [&symbols](Family const& family, std::string const& name)
    {
        std::string text;
        text.reserve(40);
        text.append(family.prefix).append(name).append(family.suffix);
        symbols.Insert(qev::String(std::move(text)));
    };

    for (int n = 1; n <= 64; ++n)
    {
        std::string const number = std::to_string(n);
        for (Family const& family : channels)
            insert(family, number);
    }
    for (int n = 1; n <= 8; ++n)
    {
        std::string const number = std::to_string(n);
        for (Family const& family : beams)
            insert(family, number);
    }
    for (char const letter : std::string("ABCDEF"))
        for (Family const& family : buses)
            insert(family, std::string(1, letter));
}

} // namespace Tessaron
