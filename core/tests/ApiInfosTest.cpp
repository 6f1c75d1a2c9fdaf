#include "common/QevApiInfos.h"
#include "osc/QevOscAddressMap.h"
#include "osc/QevOscVocabulary.h"
#include "text/QevHashedString.h"
#include "text/QevPooledHashedString.h"
#include "utils/QevCpuFeatures.h"
#include "utils/QevCpuid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
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
    char const* const* const texts = qev::OscVocabulary::GetTexts();
    std::set<std::string> const distinct(texts, texts + qev::OscVocabulary::numTexts);
    EXPECT_EQ(distinct.size(), qev::OscVocabulary::numTexts);
    EXPECT_EQ(std::string(texts[0]), "/active");
    EXPECT_EQ(std::string(texts[qev::OscVocabulary::numTexts - 1]), "/post/symbols");

    qev::ApiInfos::InitializeLibrary();
    for (std::string const& address : distinct)
        for (std::string const& part : partsOf(address))
            EXPECT_TRUE(pooled(part)) << "part \"" << part << "\" of " << address;
    EXPECT_GE(qev::OscAddressMap::GetGlobalSymbols().GetNumEntries(), qev::OscVocabulary::numTexts);
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
    EXPECT_EQ(after.size(), before.size() + 1488);
    for (char const* text :
         {"/speaker/1/gain", "/bus/F/destination", "/speaker/64/delay", "/routing/input/64/adc",
          "/routing/output/1/master", "/filter/32/Q", "/col/64/name", "/beam/8/direction/ae",
          "/marker/1/color", "/bus/A", "/bus/C/mute"})
        EXPECT_EQ(after.count(text), 1u) << text;
    for (char const* text : {"/speaker/65", "/speaker/0", "/beam/9/color", "/bus/G", "/marker/1/gain"})
        EXPECT_EQ(after.count(text), 0u) << text;
    for (std::string const& text : before)
        EXPECT_EQ(after.count(text), 1u) << text;

    // A second call finds every address already there.
    Tessaron::Strips::InitializeSymbolList();
    EXPECT_EQ(qev::OscAddressMap::GetGlobalSymbols().GetNumEntries(), after.size());
}

} // namespace
