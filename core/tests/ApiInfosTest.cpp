#include "common/QevApiInfos.h"
#include "osc/QevOscAddressMap.h"
#include "osc/QevOscVocabulary.h"
#include "text/QevHashedString.h"
#include "text/QevPooledHashedString.h"
#include "utils/QevCpuFeatures.h"
#include "utils/QevCpuid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace
{

std::set<std::string> addressMapKeys()
{
    qev::StringArray const keys = qev::OscAddressMap::GetGlobalSymbols().GetKeys();
    std::set<std::string> texts;
    for (unsigned long i = 0; i < keys.GetSize(); ++i)
        texts.insert(keys[i].GetStdString());
    return texts;
}

// The parts of an address as the tokeniser cuts them, without pooling them on the way. The root
// address has none.
std::vector<std::string> partsOf(std::string const& address)
{
    std::vector<std::string> parts;
    if (address == "/")
        return parts;
    std::string::size_type start = 1;
    for (;;)
    {
        auto const slash = address.find('/', start);
        if (slash == std::string::npos)
        {
            parts.push_back(address.substr(start));
            return parts;
        }
        if (slash > start)
            parts.push_back(address.substr(start, slash - start));
        start = slash + 1;
    }
}

// The vocabulary as it is written down, separated by blanks (the lone "/" stands between /size and
// /snapshot).
char const* const vocabularyTexts =
    "/active /adc /aed /aformat /air /anchor /anchors /angle /annotation /aperture /area /armed "
    "/attack /axis /azim /background /background/color /backgroundimage /band /bang /beam /beams "
    "/bformat /blur /bounds /bril /buffering /build /bus /buttons /bypass /cascade /cascades /center "
    "/channel /channels /circular /clear /close /cluster /cluster/gain /col /color /colormap "
    "/compressor /constraint /constraints /convention /coordinates /crossfade /crossover /cue "
    "/cursor /curve /cutoff /dac /dashed /db /decoder /delete /delay /delays /device /diag /dim "
    "/dimension /direct /direction /display /dist /distance /divergence /doppler /doubleclick /drag "
    "/drop /drop/mode /dump /dumplevels /dsp /dsp/cpu /dsp/mute /dsp/bypass /dsp/samplerate "
    "/dsp/latency /dsp/buffersize /dsp/automute/active /dsp/automute/attack /dsp/clear /dsp/post "
    "/dynamics /early /editable /eigenmike /elapsed /elev /emphasis /enable /encoder "
    "/energycompensation /env /equalizer /export /expander /file /fill /filter /fh /fl /floating "
    "/focus /font /foreground /format /frame /freq /frequency /fullscreen /G0 /Gl /Gm /Gh /gain "
    "/gains /grid /group /height /help /heav /heaviness /hidesondeactivate /history /hoa /hrtf "
    "/indices /infinite /interpolation /internals /ir /itd /itdadapt /justification /keymapping "
    "/label /labels /law /layout /legend /length /level /levels /lfe /link /listener /live /liveness "
    "/load /lock /lookahead /lookat /loop /magnet /magnitude /makeup /marker /max /maximize /memory "
    "/method /microphone /microphones /min /minimise /mirror /mode /monitor /mouse /move /moveable "
    "/multi /mute /name /nearfield /neighbors /nfc /norm /normalize /number /numchannels /numinputs "
    "/numinternals /numoutputs /numspeakers /offset /offsetx /offsety /offsetz /om /omni /opacity "
    "/open /openorclose /options /order /orientation /output /overwrite /pack /panlaw /panning "
    "/panrev /parallel /params /pattern /pause /phantom /phaseinvert /phone /phones /pitch /point "
    "/points /post /prer /pres /preset /progress /proportion /quality /quat /query /radial /radius "
    "/ramp /ramp/time /range /rate /ratio /reduction /reference /regularization /release /rendering "
    "/reset /resizable /result /resume /response /reverb /reverberance /revp /rmsaverage /roll /row "
    "/rowcol /room /roomsize /rotation /routing /ruler /samplerate /scale /scaling /select "
    "/selectivity /selected /session /set /settings /shape /size / /snapshot /solo /sorting /source "
    "/sources /spacing /speaker /speakers /speakerhull /speed /spread /start /status /stereo "
    "/stereos /stop /stride /style /subwoofer /subwoofers /tab /tau /teleport /text /thickness "
    "/threshold /time /title /tofront /toback /tooltip /topleft /topology /tree /trim /tr0 /trl /trm "
    "/trh /track /triangulation /type /unit /value /vertex /viewer /viewpoint /visible /vumeter "
    "/vumeters /warm /warmth /wclose /weight /weights /width /window /warp /wrap /xtick /xy /xyz "
    "/yaw /ypr /ytick /zoom /preset/export /preset/save /preset/store /preset/load /preset/import "
    "/preset/recall /post/state /post/doc /post/version /post/symbols";

std::vector<std::string> wordsOf(char const* text)
{
    std::istringstream stream(text);
    return {std::istream_iterator<std::string>(stream), std::istream_iterator<std::string>()};
}

// Each template with its "#" replaced by each value in turn.
void expandInto(std::set<std::string>& texts, std::vector<std::string> const& templates,
                std::vector<std::string> const& values)
{
    for (std::string const& value : values)
        for (std::string text : templates)
            texts.insert(text.replace(text.find('#'), 1, value));
}

std::vector<std::string> numbers(int last)
{
    std::vector<std::string> values;
    for (int n = 1; n <= last; ++n)
        values.push_back(std::to_string(n));
    return values;
}

// The mixer-strip addresses, expanded from their templates.
std::set<std::string> stripAddresses()
{
    std::set<std::string> texts;
    // clang-format off
    expandInto(texts,
               {"/speaker/#", "/speaker/#/delay", "/source/#", "/track/#", "/bus/#", "/channel/#", "/filter/#",
                "/filter/#/order", "/filter/#/freq", "/filter/#/Q", "/filter/#/gain", "/routing/input/#/adc",
                "/routing/output/#/master", "/output/#", "/microphone/#", "/source/#/xyz", "/source/#/aed",
                "/speaker/#/aed", "/speaker/#/name", "/speaker/#/gain", "/row/#/name", "/col/#/name"},
               numbers(64));
    // clang-format on
    expandInto(texts,
               {"/beam/#/direction", "/beam/#/direction/ae", "/beam/#/selectivity", "/beam/#/color",
                "/beam/#/visible", "/marker/#/freq", "/marker/#/color"},
               numbers(8));
    expandInto(texts, {"/bus/#", "/bus/#/gain", "/bus/#/mute", "/bus/#/destination"},
               {"A", "B", "C", "D", "E", "F"});
    return texts;
}

bool pooled(std::string const& part)
{
    auto const* entry = qev::PooledHashedString::GetGlobalPool().Find(qev::HashedString::ComputeHash(part));
    return entry != nullptr && entry->GetText().GetStdString() == part;
}

// Plays a processor with SSE2 and the given vendor.
class Sse2Processor final : public qev::CpuidReader
{
public:
    explicit Sse2Processor(char const* vendor) { std::memcpy(name, vendor, 12); }

    qev::CpuidRegisters Query(uint32_t leaf, uint32_t) override
    {
        qev::CpuidRegisters r;
        if (leaf == 0)
        {
            r.eax = 1;
            std::memcpy(&r.ebx, name, 4);
            std::memcpy(&r.edx, name + 4, 4);
            std::memcpy(&r.ecx, name + 8, 4);
        }
        else if (leaf == 1)
            r.edx = (1u << 23) | (1u << 25) | (1u << 26);
        return r;
    }
    uint64_t ReadExtendedControlRegister(uint32_t) override { return 0; }

private:
    char name[12];
};

TEST(ApiInfos, VersionTexts)
{
    EXPECT_EQ(qev::ApiInfos::GetVersion().ToString(), "5.0.2");
    EXPECT_EQ((qev::SoftwareVersion{10, 0, 255}.ToString()), "10.0.255");
    EXPECT_EQ(qev::ApiInfos::GetVersionAsString(false), "libqev v5.0.2");
    EXPECT_EQ(qev::ApiInfos::GetVersionAsString(true), "libqev v5.0.2 (32-bit float)");
    EXPECT_EQ(qev::ApiInfos::GetFloatingPointPrecisionString(), "32-bit float");
    EXPECT_EQ(omvar_xmltextContentAttributeName, "text");
}

TEST(ApiInfos, VocabularyIsPooledAtStartUp)
{
    std::vector<std::string> const expected = wordsOf(vocabularyTexts);
    ASSERT_EQ(expected.size(), 348u);
    char const* const* const texts = qev::OscVocabulary::GetTexts();
    EXPECT_EQ(std::vector<std::string>(texts, texts + qev::OscVocabulary::numTexts), expected);

    qev::ApiInfos::InitializeLibrary();
    std::set<std::string> const keys = addressMapKeys();
    for (std::string const& address : expected)
    {
        EXPECT_EQ(keys.count(address), 1u) << address;
        for (std::string const& part : partsOf(address))
            EXPECT_TRUE(pooled(part)) << "part \"" << part << "\" of " << address;
    }
}

TEST(ApiInfos, StartUpSucceedsOnlyWithTheExpectedVendor)
{
    struct Case
    {
        char const* vendor;
        bool success;
    };
    for (Case const& c : {Case{"GenuineIntel", true}, Case{"AuthenticAMD", false}})
    {
        Sse2Processor processor(c.vendor);
        qev::SetCpuidReader(&processor);
        qev::ResetCpuFeatureState();
        EXPECT_EQ(Trov::ApiInfos::InitializeLibrary(), c.success) << c.vendor;
        // Either way the features are enabled and a dispatch level is chosen.
        EXPECT_EQ(ippGetEnabledCpuFeatures(), 0x7u) << c.vendor;
        EXPECT_EQ(ippJumpIndexForMergedLibs, 0) << c.vendor;
        qev::SetCpuidReader(nullptr);
    }
    qev::ResetCpuFeatureState();
}

TEST(ApiInfos, MixerStripAddressesOnlyAfterTheSymbolList)
{
    qev::ApiInfos::InitializeLibrary();
    std::set<std::string> const before = addressMapKeys();
    for (char const* text : {"/speaker/1/gain", "/bus/F/destination", "/speaker/1"})
        EXPECT_EQ(before.count(text), 0u) << text;

    Tessaron::Strips::InitializeSymbolList();
    std::set<std::string> const after = addressMapKeys();
    std::set<std::string> expected = stripAddresses();
    EXPECT_EQ(expected.size(), 1488u);
    expected.insert(before.begin(), before.end());
    EXPECT_EQ(after, expected);

    // A second call finds every address already there.
    Tessaron::Strips::InitializeSymbolList();
    EXPECT_EQ(qev::OscAddressMap::GetGlobalSymbols().GetNumEntries(), after.size());
}

} // namespace
