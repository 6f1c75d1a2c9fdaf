#include "osc/QevOscDocumentation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using qev::OscAddressPattern;
using qev::OscDocumentation;
using qev::String;
using qev::StringArray;

namespace
{

std::vector<std::string> toVector(StringArray const& array)
{
    std::vector<std::string> result;
    for (unsigned long i = 0; i < array.GetSize(); ++i)
        result.emplace_back(array[i].GetCString());
    return result;
}

} // namespace

TEST(OscDocumentation, EntryNormalisesTypesAndLabel)
{
    struct Case
    {
        char const* types;
        char const* description;
        char const* label;
        char const* expectedTypes;
        char const* expectedLabel;
    };
    std::string const longDescription(200, 'x');
    std::string const almostLongDescription(199, 'x');
    Case const cases[] = {
        {"n", "d", "l", "[number]", "l"},
        {"iu", "d", "l", "[int][int]", "l"},
        {"fsb", "d", "l", "[number][string][boolean]", "l"},
        {"x", "d", "l", "x", "l"},
        {"if x", "d", "l", "if x", "l"},
        {"", "d", "l", "", "l"},
        {"", "set the gain.", "", "", "set the gain"},
        {"", "d", "two dots..", "", "two dots."},
        {"", longDescription.c_str(), "", "", ""},
        {"", almostLongDescription.c_str(), "", "", almostLongDescription.c_str()},
    };
    for (auto const& c : cases)
    {
        OscDocumentation::Entry const entry(OscAddressPattern("/a"), c.types, c.description, c.label);
        EXPECT_EQ(entry.GetArgumentTypes(), c.expectedTypes) << c.types;
        EXPECT_EQ(entry.GetLabel(), c.expectedLabel) << c.types << " / " << c.label;
        EXPECT_EQ(entry.GetDescription(), c.description);
    }
}

TEST(OscDocumentation, AddDropsEmptyAndEqualEntries)
{
    OscDocumentation doc;
    doc.Add(OscAddressPattern("/"), "", "root", "");
    doc.Add(OscAddressPattern("/a"), "", "", "label only");
    EXPECT_TRUE(doc.IsEmpty());
    OscDocumentation unnamed;
    unnamed.Add(OscAddressPattern(), "", "nothing", "");
    EXPECT_EQ(unnamed.GetNumEntries(), 1u) << "only the root pattern makes an entry empty";

    doc.Add(OscAddressPattern("/a"), "f", "one", "");
    doc.Add(OscAddressPattern("/a"), 'f', "one", "");  // same after expansion
    doc.Add(OscAddressPattern("/a"), "f", "one", "x"); // the label counts
    doc.Add(OscAddressPattern("/a"), "f", "two", "");
    doc.Add(OscAddressPattern("/b/*"), '\0', "any", "");
    ASSERT_EQ(doc.GetNumEntries(), 4u);
    EXPECT_EQ(toVector(doc.ToStringArray(false)),
              (std::vector<std::string>{"/a [number] : one", "/a [number] : one", "/a [number] : two",
                                        "/b/* : any"}));

    OscDocumentation other;
    other.Add(OscAddressPattern("/a"), "f", "two", "");
    other.Add(OscAddressPattern("/c"), "s", "three", "");
    doc.Add(other);
    doc.Add(doc);
    EXPECT_EQ(toVector(doc.GetAllPatterns()), (std::vector<std::string>{"/a", "/a", "/a", "/b/*", "/c"}));

    OscDocumentation const copy(doc);
    ASSERT_EQ(copy.GetNumEntries(), doc.GetNumEntries());
    for (unsigned long i = 0; i < copy.GetNumEntries(); ++i)
        EXPECT_TRUE(copy[i] == doc[i]);
}

TEST(OscDocumentation, AlignedLinesShareOneColumn)
{
    OscDocumentation doc;
    EXPECT_TRUE(doc.ToStringArray(true).IsEmpty());
    EXPECT_EQ(doc.getMaximumPatternAndArgsLength(), 0u);

    doc.Add(OscAddressPattern("/a"), "", "first", "");
    doc.Add(OscAddressPattern("/abc"), "n", "second", "");
    EXPECT_EQ(doc.getMaximumPatternAndArgsLength(), 13u);
    EXPECT_EQ(toVector(doc.ToStringArray(true)),
              (std::vector<std::string>{"/a" + std::string(11, ' ') + " : first", "/abc [number] : second"}));
    EXPECT_EQ(toVector(doc.ToStringArray(false)),
              (std::vector<std::string>{"/a : first", "/abc [number] : second"}));
}

TEST(OscDocumentation, SortingIgnoresCaseAndLeavesTheOriginal)
{
    OscDocumentation doc;
    doc.Add(OscAddressPattern("/gamma"), "", "g", "");
    doc.Add(OscAddressPattern("/Beta"), "", "b", "");
    doc.Add(OscAddressPattern("/alpha"), "", "a", "");
    auto const sorted = doc.SortedAlphabeticallyByPattern();
    EXPECT_EQ(toVector(sorted.GetAllPatterns()), (std::vector<std::string>{"/alpha", "/Beta", "/gamma"}));
    EXPECT_EQ(toVector(doc.GetAllPatterns()), (std::vector<std::string>{"/gamma", "/Beta", "/alpha"}));
}
