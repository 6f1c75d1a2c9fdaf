#include "common/QevException.h"
#include "osc/QevOscAddressMap.h"
#include "osc/QevOscBundle.h"
#include "utils/QevSystemClipboard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using qev::ColorRGBA;
using qev::OscAddress;
using qev::OscAddressPattern;
using qev::OscBundle;
using qev::OscMessage;
using qev::String;

namespace
{

OscMessage oneInt(char const* pattern, int value)
{
    OscMessage message(pattern);
    message.Add(value);
    return message;
}

// /a, then a nested bundle of /b and /c (time tag 7), then /d; time tag 5.
OscBundle nestedExample()
{
    OscBundle inner;
    inner.SetTimeTag(7);
    inner.Add(oneInt("/b", 2));
    inner.Add(oneInt("/c", 3));
    OscBundle outer;
    outer.SetTimeTag(5);
    outer.Add(oneInt("/a", 1));
    outer.AddNestedBundle(inner);
    outer.Add(oneInt("/d", 4));
    return outer;
}

std::vector<std::string> patternsOf(OscBundle const& bundle)
{
    std::vector<std::string> patterns;
    for (auto const& element : bundle)
    {
        if (element.GetMessage() != nullptr)
            patterns.push_back(element.GetMessage()->GetAddressPattern().GetText().GetCString());
        else
            patterns.push_back("{" + std::to_string(element.GetBundle()->GetNumElements()) + "}");
    }
    return patterns;
}

} // namespace

TEST(OscBundle, AddNewMessageOverloads)
{
    OscAddressPattern const pattern("/p/*");
    OscBundle bundle;
    bundle.AddNewMessage("/a", true);
    bundle.AddNewMessage("/a", true); // appended again, never replaced
    bundle.AddNewMessage(pattern, false);
    bundle.AddNewMessage("/c", ColorRGBA(0.1f, 0.2f, 0.3f, 0.4f));
    bundle.AddNewMessage("/s", String("text"));
    bundle.AddNewMessage("/s", "literal");
    bundle.AddNewMessage(pattern, "literal");
    bundle.AddNewMessage(pattern, String("text"));
    bundle.AddNewMessage(String("/f"), 0.5f);
    bundle.AddNewMessage("/f", 0.5f);
    bundle.AddNewMessage(pattern, 0.5f);
    bundle.AddNewMessage(OscAddress("/g"), 0.5f);

    struct Expected
    {
        char const* pattern;
        char const* format;
    };
    std::vector<Expected> const expected = {
        {"/a", "b"},   {"/a", "b"},   {"/p/*", "b"}, {"/c", "ffff"}, {"/s", "s"},   {"/s", "s"},
        {"/p/*", "s"}, {"/p/*", "s"}, {"/f", "f"},   {"/f", "f"},    {"/p/*", "f"}, {"/g", "f"},
    };
    ASSERT_EQ(bundle.GetNumElements(), expected.size());
    for (unsigned long i = 0; i < expected.size(); ++i)
    {
        OscMessage const* message = bundle[i].GetMessage();
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->GetAddressPattern().GetText(), expected[i].pattern) << i;
        EXPECT_TRUE(message->CheckArgumentsFormat(expected[i].format, true)) << i;
    }
    EXPECT_EQ(bundle[0].GetMessage()->GetArgument(0).GetType(), 'T');
    EXPECT_EQ(bundle[2].GetMessage()->GetArgument(0).GetType(), 'F');
    EXPECT_TRUE(bundle[2].GetMessage()->GetAddressPattern().HasWildcard());
    EXPECT_EQ(bundle[3].GetMessage()->GetArgumentsAsRGBA(), ColorRGBA(0.1f, 0.2f, 0.3f, 0.4f));
    EXPECT_EQ(bundle[5].GetMessage()->GetArgument(0).GetString(), "literal");
    EXPECT_EQ(bundle.GetTimeTag(), OscBundle::immediately);

    // A text address comes from the process-wide cache; one that is not an address adds nothing.
    auto& cache = qev::OscAddressMap::GetGlobalSymbols();
    EXPECT_EQ(&cache["/a"], &cache["/a"]);
    EXPECT_THROW(bundle.AddNewMessage("/x/*", 1.0f), qev::Exception);
    EXPECT_THROW(bundle.AddNewMessage("/x y", true), qev::Exception);
    EXPECT_EQ(bundle.GetNumElements(), expected.size());
}

TEST(OscBundle, TextFormWithNesting)
{
    OscBundle const bundle = nestedExample();
    auto const lines = bundle.ToStringArray();
    ASSERT_EQ(lines.GetSize(), 3u);
    EXPECT_EQ(lines[0], "/a 1");
    EXPECT_EQ(lines[1], "/b 2\n/c 3");
    EXPECT_EQ(lines[2], "/d 4");
    EXPECT_EQ(bundle.ToString(", "), "/a 1, /b 2\n/c 3, /d 4");
    EXPECT_EQ(bundle.ToString(String::NewLine()), "/a 1\n/b 2\n/c 3\n/d 4");

    OscBundle deeper;
    deeper.AddNestedBundle(bundle);
    deeper.Add(oneInt("/e", 5));
    EXPECT_EQ(deeper.ToString(" | "), "/a 1\n/b 2\n/c 3\n/d 4 | /e 5");

    OscBundle emptyNested;
    emptyNested.AddNestedBundle(OscBundle());
    EXPECT_FALSE(emptyNested.IsEmpty());
    ASSERT_EQ(emptyNested.ToStringArray().GetSize(), 1u);
    EXPECT_EQ(emptyNested.ToStringArray()[0], "");
    EXPECT_EQ(emptyNested.ToString(", "), "");
    EXPECT_TRUE(OscBundle().ToStringArray().IsEmpty());
    EXPECT_EQ(OscBundle().ToString(", "), "");
}

TEST(OscBundle, FlatteningAndTimeTags)
{
    OscBundle const bundle = nestedExample();
    OscBundle const flat = bundle.Flattened();
    EXPECT_EQ(patternsOf(flat), (std::vector<std::string>{"/a", "/b", "/c", "/d"}));
    EXPECT_EQ(flat.GetTimeTag(), 1u);
    EXPECT_FALSE(flat.HasNestedBundle());

    OscBundle plain;
    plain.SetTimeTag(9);
    plain.Add(oneInt("/a", 1));
    EXPECT_EQ(plain.Flattened().GetTimeTag(), 9u);
    EXPECT_EQ(plain.Flattened(), plain);

    // AddFlattening keeps this bundle's time tag and drops the others'.
    plain.AddFlattening(bundle);
    EXPECT_EQ(patternsOf(plain), (std::vector<std::string>{"/a", "/a", "/b", "/c", "/d"}));
    EXPECT_EQ(plain.GetTimeTag(), 9u);
    plain.AddFlattening(plain);
    EXPECT_EQ(plain.GetNumElements(), 10u);
}

TEST(OscBundle, CopiesAreDeep)
{
    OscBundle const original = nestedExample();
    OscBundle copy(original);
    EXPECT_EQ(copy, original);
    EXPECT_EQ(copy[1].GetBundle()->GetTimeTag(), 7u);
    EXPECT_NE(copy[1].GetBundle(), original[1].GetBundle());
    EXPECT_NE(copy[0].GetMessage(), original[0].GetMessage());

    copy.PrependPattern(OscAddress("/x"));
    EXPECT_EQ(copy.ToString(" "), "/x/a 1 /x/b 2\n/x/c 3 /x/d 4");
    EXPECT_EQ(original.ToString(" "), "/a 1 /b 2\n/c 3 /d 4");
    EXPECT_NE(copy, original);
    EXPECT_EQ(copy[1].GetBundle()->GetTimeTag(), 7u);

    OscBundle assigned;
    assigned = original;
    EXPECT_EQ(assigned, original);
    OscBundle::Element element(original[1]);
    ASSERT_NE(element.GetBundle(), nullptr);
    EXPECT_EQ(element.GetMessage(), nullptr);
    EXPECT_EQ(*element.GetBundle(), *original[1].GetBundle());

    OscBundle none;
    none.PrependPattern(OscAddress("/x"));
    EXPECT_TRUE(none.IsEmpty());
}

TEST(OscBundle, ClearKeepsTheTimeTag)
{
    OscBundle bundle = nestedExample();
    bundle.Clear();
    EXPECT_TRUE(bundle.IsEmpty());
    EXPECT_EQ(bundle.GetTimeTag(), 5u);

    OscBundle const single(oneInt("/one", 1));
    EXPECT_EQ(single.GetNumElements(), 1u);
    EXPECT_EQ(single.GetTimeTag(), 1u);
}

TEST(OscBundle, CopyToClipboard)
{
    qev::SystemClipboard::CopyTextToClipboard("previous");
    OscBundle().CopyToClipboard(", ");
    EXPECT_EQ(qev::SystemClipboard::GetTextFromClipboard(), "");
    nestedExample().CopyToClipboard(String::NewLine());
    EXPECT_EQ(qev::SystemClipboard::GetTextFromClipboard(), "/a 1\n/b 2\n/c 3\n/d 4");
}
