#include "common/QevException.h"
#include "osc/QevOscMessage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

using qev::ColorRGBA;
using qev::MemoryBlock;
using qev::OscAddress;
using qev::OscArgument;
using qev::OscMessage;

namespace
{

OscMessage messageWith(std::vector<OscArgument> const& arguments, char const* pattern = "/m")
{
    OscMessage message(pattern);
    for (auto const& argument : arguments)
        message.Add(argument);
    return message;
}

std::vector<char> bytesOf(MemoryBlock const& block)
{
    return std::vector<char>(block.GetData(), block.GetData() + block.GetSize());
}

} // namespace

TEST(OscArgument, CopiesOnlyWhatTheTagUses)
{
    char const raw[] = {1, 2, 0, 3, 4};
    MemoryBlock blob(raw, sizeof raw);
    struct Case
    {
        OscArgument argument;
        std::uint64_t expectedSlot;
    };
    std::vector<Case> const cases = {
        {OscArgument(-1), 0xFFFFFFFFu},
        {OscArgument::FromValueSlot('i', 0xABCD000000000005u), 5},
        {OscArgument::FromValueSlot('f', 0xABCD00003F800000u), 0x3F800000u},
        {OscArgument::FromValueSlot('r', 0xFFFFFFFF12345678u), 0x12345678u},
        {OscArgument::FromValueSlot('h', 0xABCD000000000005u), 0xABCD000000000005u},
        {OscArgument::FromValueSlot('T', 0x100), 1},
        {OscArgument::FromValueSlot('F', 1), 0},
        {OscArgument::FromValueSlot('N', 77), 0},
        {OscArgument(blob), 0},
    };
    for (auto const& c : cases)
    {
        OscArgument const copy(c.argument);
        EXPECT_EQ(copy.GetType(), c.argument.GetType());
        EXPECT_EQ(copy.GetValueSlot(), c.expectedSlot) << c.argument.GetType();
        EXPECT_EQ(copy, c.argument);
        OscArgument assigned("previous text");
        assigned = c.argument;
        EXPECT_EQ(assigned.GetValueSlot(), c.expectedSlot) << c.argument.GetType();
        EXPECT_TRUE(assigned.GetString().IsEmpty()) << c.argument.GetType();
    }

    OscArgument const blobArgument(blob);
    OscArgument const blobCopy(blobArgument);
    EXPECT_EQ(bytesOf(blobCopy.GetBlob()), bytesOf(blob));
    EXPECT_NE(blobCopy.GetBlob().GetData(), blobArgument.GetBlob().GetData());
}

TEST(OscMessage, CheckArgumentsFormat)
{
    double const twoTo64 = 18446744073709551616.0;
    double const largestBelow = std::nextafter(twoTo64, 0.0);
    char const raw[] = {1};
    struct Case
    {
        std::vector<OscArgument> arguments;
        char const* format;
        bool exact;
        bool expected;
    };
    std::vector<Case> const cases = {
        {{OscArgument(1.0f), OscArgument(2.0f)}, "ff", true, true},
        {{OscArgument(1.0f), OscArgument(2.0f), OscArgument(3.0f)}, "ff", true, false},
        {{OscArgument(1.0f), OscArgument(2.0f), OscArgument(3.0f)}, "ff", false, true},
        {{OscArgument(1.0f)}, "ff", false, false},
        {{}, "", true, true},
        {{OscArgument(1)}, "", true, false},
        {{OscArgument(1)}, "", false, true},
        {{OscArgument(1)}, nullptr, false, true},
        // i and l: any integer, never a float
        {{OscArgument(5L)}, "i", true, true},
        {{OscArgument(5)}, "l", true, true},
        {{OscArgument(3.0f)}, "i", true, false},
        {{OscArgument(3.0)}, "l", true, false},
        // n: any number
        {{OscArgument(5L), OscArgument(3.0f), OscArgument(1.5), OscArgument(2)}, "nnnn", true, true},
        {{OscArgument("1")}, "n", true, false},
        {{OscArgument(true)}, "n", true, false},
        // b: boolean or integer
        {{OscArgument(true), OscArgument(false), OscArgument(5), OscArgument(7L)}, "bbbb", true, true},
        {{OscArgument(1.0f)}, "b", true, false},
        {{OscArgument("true")}, "b", true, false},
        // d, f and s are exact
        {{OscArgument(1.0)}, "d", true, true},
        {{OscArgument(1.0f)}, "d", true, false},
        {{OscArgument(1.0)}, "f", true, false},
        {{OscArgument("x")}, "s", true, true},
        {{OscArgument(MemoryBlock(raw, 1))}, "s", true, false},
        // u: non-negative whole numbers below 2^64
        {{OscArgument(3.0f)}, "u", true, true},
        {{OscArgument(0L)}, "u", true, true},
        {{OscArgument(0)}, "u", true, true},
        {{OscArgument(2.5f)}, "u", true, false},
        {{OscArgument(-1.0f)}, "u", true, false},
        {{OscArgument(-1)}, "u", true, false},
        {{OscArgument(-1L)}, "u", true, false},
        {{OscArgument(std::nanf(""))}, "u", true, false},
        {{OscArgument(std::numeric_limits<float>::infinity())}, "u", true, false},
        {{OscArgument(largestBelow)}, "u", true, true},
        {{OscArgument(twoTo64)}, "u", true, false},
        {{OscArgument(1e20f)}, "u", true, false},
        {{OscArgument(true)}, "u", true, false},
        // letters outside the table never fit
        {{OscArgument(1)}, "x", true, false},
        {{OscArgument(1)}, "h", true, false},
    };
    for (auto const& c : cases)
        EXPECT_EQ(messageWith(c.arguments).CheckArgumentsFormat(c.format, c.exact), c.expected)
            << (c.format != nullptr ? c.format : "(null)") << " exact=" << c.exact
            << " args=" << c.arguments.size();
}

TEST(OscMessage, PatternMatches)
{
    struct Case
    {
        char const* pattern;
        char const* address;
        bool expected;
    };
    std::vector<Case> const cases = {
        {"/a/b", "/a/b", true},
        {"/a/b", "/a/c", false},
        {"/a/b/", "/a/b", true}, // the same text once normalised
        {"/a/*", "/a/b", true},
        {"/a/*", "/a/b/c", false},
        {"/*", "/", false},
        {"/track/[1-16]/gain", "/track/12/gain", true},
        {"/track/[1-16]/gain", "/track/17/gain", false},
        {"/{x,y}/?", "/y/z", true},
    };
    for (auto const& c : cases)
    {
        OscMessage const message(c.pattern);
        EXPECT_EQ(message.PatternMatches(OscAddress(c.address)), c.expected) << c.pattern << " " << c.address;
        EXPECT_EQ(message.PatternMatches(c.address), c.expected) << c.pattern << " " << c.address;
    }
    // The text form goes through the address cache, which refuses patterns.
    EXPECT_THROW(OscMessage("/a/b").PatternMatches("/a/*"), qev::Exception);
}

TEST(OscMessage, FloatArrayAndColour)
{
    auto const floats = messageWith({OscArgument(3), OscArgument(0.5f), OscArgument(-2L), OscArgument(0.25)})
                            .GetArgumentsAsFloatArray<float>();
    ASSERT_EQ(floats.GetSize(), 4u);
    EXPECT_EQ(floats[0], 3.0f);
    EXPECT_EQ(floats[1], 0.5f);
    EXPECT_EQ(floats[2], -2.0f);
    EXPECT_EQ(floats[3], 0.25f);
    EXPECT_TRUE(messageWith({OscArgument(1), OscArgument("x")}).GetArgumentsAsFloatArray<float>().IsEmpty());
    EXPECT_TRUE(messageWith({OscArgument(true)}).GetArgumentsAsFloatArray<float>().IsEmpty());

    struct Case
    {
        std::vector<OscArgument> arguments;
        ColorRGBA expected;
    };
    float const nan = std::nanf("");
    std::vector<Case> const cases = {
        {{}, {0, 0, 0, 1}},
        {{OscArgument(2.0f), OscArgument(-1.0f)}, {1, 0, 0, 1}},
        {{OscArgument("s")}, {0, 0, 0, 1}},
        {{OscArgument(0.5f)}, {0.5f, 0, 0, 1}},
        {{OscArgument(0.1f), OscArgument(0.2f), OscArgument(0.3f)}, {0.1f, 0.2f, 0.3f, 1}},
        {{OscArgument(0.1f), OscArgument(0.2f), OscArgument(0.3f), OscArgument(0.4f), OscArgument(0.5f)},
         {0.1f, 0.2f, 0.3f, 0.4f}},
        {{OscArgument(nan), OscArgument(nan), OscArgument(nan), OscArgument(nan)}, {0, 0, 0, 0}},
        {{OscArgument(1), OscArgument(0L)}, {1, 0, 0, 1}},
    };
    for (auto const& c : cases)
        EXPECT_EQ(messageWith(c.arguments).GetArgumentsAsRGBA(), c.expected) << c.arguments.size();

    OscMessage colour("/colour");
    colour.Add(ColorRGBA(0.25f, 1.5f, -0.5f, 0.75f));
    ASSERT_EQ(colour.GetNumArguments(), 4u);
    EXPECT_TRUE(colour.CheckArgumentsFormat("ffff", true));
    EXPECT_EQ(colour.GetArgumentsAsRGBA(), ColorRGBA(0.25f, 1.0f, 0.0f, 0.75f));
}

TEST(OscMessage, AddOverloadsKeepTheirTypes)
{
    OscMessage message("/m");
    message.Add(1);
    message.Add(1.5f);
    message.Add(true);
    message.Add("literal");
    message.Add(qev::String("text"));
    message.Add(OscArgument(9L));
    message.Add(OscArgument("literal"));
    EXPECT_TRUE(message.CheckArgumentsFormat("ifbssls", true));
    EXPECT_EQ(message[2].GetType(), 'T');
    EXPECT_EQ(message[3].GetString(), "literal");
}

TEST(OscMessage, WithFirstPatternsTrimmedKeepsArguments)
{
    auto const message = messageWith({OscArgument(1), OscArgument("x")}, "/window/open");
    struct Case
    {
        unsigned int n;
        char const* expected;
    };
    for (auto const& c : std::vector<Case>{{0, "/window/open"}, {1, "/open"}, {2, "/"}, {7, "/"}})
    {
        auto const trimmed = message.WithFirstPatternsTrimmed(c.n);
        EXPECT_EQ(trimmed.GetAddressPattern().GetText(), c.expected);
        EXPECT_TRUE(trimmed.CheckArgumentsFormat("is", true));
        EXPECT_EQ(trimmed[1].GetString(), "x");
    }
    EXPECT_EQ(message.GetAddressPattern().GetText(), "/window/open");
}
