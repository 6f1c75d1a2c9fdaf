#include "common/QevException.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscInputStream.h"
#include "osc/QevOscOutputStream.h"
#include "support/QuietLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace
{

using qev::MemoryBlock;
using qev::OscArgument;
using qev::OscBundle;
using qev::OscMessage;

using qevtest::QuietLog;

// Packet building blocks, spelled out independently of the writer.
std::string be32(std::uint32_t v)
{
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}
std::string be64(std::uint64_t v)
{
    return be32(std::uint32_t(v >> 32)) + be32(std::uint32_t(v));
}
std::size_t be32Value(std::string const& bytes, std::size_t at)
{
    return std::size_t(std::uint8_t(bytes[at])) << 24 | std::size_t(std::uint8_t(bytes[at + 1])) << 16 |
           std::size_t(std::uint8_t(bytes[at + 2])) << 8 | std::size_t(std::uint8_t(bytes[at + 3]));
}
std::string f32(float f)
{
    std::uint32_t v;
    std::memcpy(&v, &f, 4);
    return be32(v);
}
std::string f64(double d)
{
    std::uint64_t v;
    std::memcpy(&v, &d, 8);
    return be64(v);
}
std::string str(std::string s)
{
    s.push_back('\0');
    while (s.size() % 4 != 0)
        s.push_back('\0');
    return s;
}
std::string blob(std::string const& bytes)
{
    std::string b = be32(std::uint32_t(bytes.size())) + bytes;
    while (b.size() % 4 != 0)
        b.push_back('\0');
    return b;
}
std::string message(std::string const& address, std::string const& tags, std::string const& data = "")
{
    return str(address) + str("," + tags) + data;
}
std::string bundle(std::uint64_t timeTag, std::vector<std::string> const& contents)
{
    std::string b("#bundle\0", 8);
    b += be64(timeTag);
    for (std::string const& c : contents)
        b += be32(std::uint32_t(c.size())) + c;
    return b;
}

std::string written(OscBundle const& b)
{
    qev::OscOutputStream stream;
    EXPECT_TRUE(stream.WriteBundle(b));
    return std::string(stream.GetData(), stream.GetDataSize());
}

OscBundle read(std::string const& packet)
{
    return OscBundle::CreateFromData(packet.data(), packet.size());
}

struct Failure
{
    std::string text;
    unsigned long line;
    bool operator==(Failure const& o) const { return text == o.text && line == o.line; }
};
std::ostream& operator<<(std::ostream& os, Failure const& f)
{
    return os << '"' << f.text << "\" line " << f.line;
}

template <typename Read> Failure failureOf(Read&& readIt)
{
    try
    {
        readIt();
    }
    catch (qev::Exception const& e)
    {
        return {e.GetMessage().GetStdString(), e.GetLocation().GetLine()};
    }
    return {"no error", 0};
}

Failure packetFailure(std::string const& packet)
{
    return failureOf([&] { read(packet); });
}

OscMessage withArguments(char const* address, std::vector<OscArgument> const& arguments)
{
    OscMessage m(address);
    for (OscArgument const& a : arguments)
        m.Add(a);
    return m;
}

MemoryBlock blockOf(std::string const& bytes)
{
    return MemoryBlock(bytes.data(), bytes.size());
}

struct Encoding
{
    char const* name;
    OscBundle bundle;
    std::string packet;
    OscBundle readBack; // what reading the packet gives: 'h' narrowed to 'i', 'd' to 'f'
};

std::vector<Encoding> encodings()
{
    std::vector<Encoding> cases;
    auto one = [](OscMessage const& m) { return OscBundle(m); };

    cases.push_back({"empty bundle", OscBundle(), bundle(1, {}), OscBundle()});

    cases.push_back({"'h' leaves as 'i' with its low 32 bits", one(withArguments("/a", {OscArgument(5LL)})),
                     std::string("#bundle\0\0\0\0\0\0\0\0\x01\0\0\0\x0c/a\0\0,i\0\0\0\0\0\x05", 32),
                     one(withArguments("/a", {OscArgument(5)}))});
    cases.push_back({"'h' 2^32 + 2", one(withArguments("/a", {OscArgument((1LL << 32) + 2)})),
                     bundle(1, {message("/a", "i", be32(2))}), one(withArguments("/a", {OscArgument(2)}))});
    cases.push_back({"'h' -1", one(withArguments("/a", {OscArgument(-1LL)})),
                     bundle(1, {message("/a", "i", be32(0xffffffffu))}),
                     one(withArguments("/a", {OscArgument(-1)}))});

    OscMessage noArguments("/abc");
    cases.push_back({"message without arguments", one(noArguments), bundle(1, {str("/abc") + str(",")}),
                     one(noArguments)});

    cases.push_back({"'d' is written whole and read as 'f'", one(withArguments("/d", {OscArgument(0.1)})),
                     bundle(1, {message("/d", "d", f64(0.1))}),
                     one(withArguments("/d", {OscArgument(0.1f)}))});

    auto blobs = withArguments(
        "/b", {OscArgument(blockOf("12345")), OscArgument(blockOf("1234")), OscArgument(MemoryBlock())});
    cases.push_back({"blobs of 5, 4 and 0 bytes", one(blobs),
                     bundle(1, {message("/b", "bbb", blob("12345") + blob("1234") + blob(""))}), one(blobs)});

    std::string const longText(300, 'q');
    auto strings = withArguments(
        "/s", {OscArgument(""), OscArgument("abc"), OscArgument("abcd"), OscArgument(longText.c_str())});
    cases.push_back({"strings", one(strings),
                     bundle(1, {message("/s", "ssss", str("") + str("abc") + str("abcd") + str(longText))}),
                     one(strings)});

    auto mixed = withArguments("/m", {OscArgument(true), OscArgument(-7), OscArgument(false),
                                      OscArgument(1.5f), OscArgument(std::numeric_limits<int>::min())});
    cases.push_back(
        {"T, i, F, f, i", one(mixed),
         bundle(1, {message("/m", "TiFfi", be32(std::uint32_t(-7)) + f32(1.5f) + be32(0x80000000u))}),
         one(mixed)});

    // A NUL inside a text would end it for every reader: the writer ends it there.
    auto nul = withArguments("/n", {OscArgument(qev::String(std::string("ab\0cd", 5)))});
    cases.push_back({"text with a NUL", one(nul), bundle(1, {message("/n", "s", str("ab"))}),
                     one(withArguments("/n", {OscArgument("ab")}))});

    OscBundle inner;
    inner.SetTimeTag(0x0102030405060708ull);
    inner.Add(OscMessage("/x"));
    inner.Add(withArguments("/y", {OscArgument(3)}));
    OscBundle outer;
    outer.SetTimeTag(7);
    outer.Add(OscMessage("/w"));
    outer.AddNestedBundle(inner);
    outer.AddNestedBundle(OscBundle());
    std::string const innerPacket =
        bundle(0x0102030405060708ull, {message("/x", ""), message("/y", "i", be32(3))});
    cases.push_back({"nested bundles keep their time tags", outer,
                     bundle(7, {message("/w", ""), innerPacket, bundle(1, {})}), outer});
    return cases;
}

TEST(OscWire, WritesTheExpectedBytesAndReadsThemBack)
{
    for (Encoding const& c : encodings())
    {
        std::string const packet = written(c.bundle);
        EXPECT_EQ(packet, c.packet) << c.name;
        EXPECT_EQ(packet.size() % 4, 0u) << c.name;
        EXPECT_TRUE(read(packet) == c.readBack) << c.name;
    }
}

TEST(OscWire, ReadsALoneMessageAsABundleOfOne)
{
    OscBundle const b = read(message("/a/b", "ifs", be32(1) + f32(2.5f) + str("x")));
    ASSERT_EQ(b.GetNumElements(), 1u);
    EXPECT_EQ(b.GetTimeTag(), 1u);
    EXPECT_TRUE(b == OscBundle(withArguments("/a/b", {OscArgument(1), OscArgument(2.5f), OscArgument("x")})));
    // 'h' arrives whole.
    OscBundle const h = read(message("/h", "h", be64(0x123456789ull)));
    EXPECT_EQ(h[0].GetMessage()->GetArgument(0).GetType(), 'h');
    EXPECT_EQ(h[0].GetMessage()->GetArgument(0).GetInt64(), 0x123456789ll);
}

TEST(OscWire, RefusesArgumentsTheWireCannotCarry)
{
    qev::OscOutputStream stream;
    EXPECT_FALSE(stream.WriteArgument(OscArgument::Rgba(0x11223344u)));
    EXPECT_FALSE(stream.WriteArgument(OscArgument()));
    OscBundle b(withArguments("/r", {OscArgument(1), OscArgument::Rgba(1)}));
    EXPECT_FALSE(stream.WriteBundle(b));
}

TEST(OscWire, ReportsEachMalformationWithItsOwnTextAndLine)
{
    QuietLog quiet;
    std::string const pre = "OSC input stream ";
    std::string const exhausted = pre + "exhausted ";
    std::string const format = pre + "format error: ";
    struct Case
    {
        char const* name;
        std::string packet;
        Failure failure;
    };
    std::vector<Case> const cases = {
        {"int64 short", message("/a", "h", be32(1)), {exhausted + "while reading int64", 68}},
        {"int32 short", message("/a", "i", std::string(2, '\0')), {exhausted + "while reading int32", 78}},
        {"int32 missing", message("/a", "i"), {exhausted + "while reading int32", 78}},
        {"float missing", message("/a", "f"), {exhausted + "while reading float", 98}},
        {"double short", message("/a", "d", be32(0)), {exhausted + "while reading double", 108}},
        {"string missing", message("/a", "s"), {exhausted + "while reading string", 118}},
        {"string without NUL",
         message("/a", "s", "abcd"),
         {exhausted + "before finding null terminator of string", 129}},
        {"pattern without NUL", "/abc", {exhausted + "before finding null terminator of string", 129}},
        {"blob missing", message("/a", "b"), {exhausted + "while reading blob", 144}},
        {"blob beyond the end",
         message("/a", "b", be32(5) + "1234"),
         {exhausted + "before reaching end of blob", 151}},
        {"negative blob size",
         message("/a", "b", be32(0xfffffffcu) + "1234"),
         {exhausted + "before reaching end of blob", 151}},
        {"pattern alone", str("/a"), {exhausted + "while reading type tag string", 188}},
        {"no comma", str("/a") + std::string("i\0\0\0", 4), {format + "expected type tag string", 193}},
        {"tags without NUL", str("/a") + ",iii", {exhausted + "while reading type tag string", 200}},
        {"tag x", message("/a", "ix", be32(1)), {format + "encountered unsupported type tag : x", 212}},
        {"tag c", message("/a", "c", be32(1)), {format + "encountered unsupported type tag : c", 212}},
        {"tag S", message("/a", "S", str("s")), {format + "encountered unsupported type tag : S", 212}},
        {"tag m", message("/a", "m", be32(1)), {format + "encountered unsupported type tag : m", 212}},
        {"tag t", message("/a", "t", be64(1)), {format + "encountered unsupported type tag : t", 212}},
        {"tag N", message("/a", "N"), {format + "encountered unsupported type tag : N", 212}},
        {"tag I", message("/a", "I"), {format + "encountered unsupported type tag : I", 212}},
        {"tag r", message("/a", "r", be32(1)), {format + "encountered unsupported type tag : r", 212}},
        {"bundle short", std::string("#bundle\0\0\0\0\0", 12), {exhausted + "while reading bundle", 271}},
        {"bundle header",
         std::string("#bundlX\0", 8) + be64(1),
         {format + "bundle does not start with string '#bundle'", 276}},
        {"bundle header without NUL",
         std::string("#bundleXYZ") + std::string(6, 'x'),
         {exhausted + "before finding null terminator of string", 129}},
        {"element size 2", bundle(1, {}) + be32(2) + "ab\0\0", {format + "invalid bundle element size", 308}},
        {"element size 0", bundle(1, {}) + be32(0) + be32(0), {format + "invalid bundle element size", 308}},
        {"element size beyond the end",
         bundle(1, {}) + be32(100) + message("/a", ""),
         {exhausted + "while reading bundle element content", 319}},
        {"negative element size",
         bundle(1, {}) + be32(0xfffffff0u) + message("/a", ""),
         {exhausted + "while reading bundle element content", 319}},
        {"empty data", "", {pre.substr(0, 16) + ": invalid bundle element content", 328}},
        {"neither '#' nor '/'", "abcd", {pre.substr(0, 16) + ": invalid bundle element content", 345}},
        {"element neither '#' nor '/'",
         bundle(1, {"abcdefgh"}),
         {pre.substr(0, 16) + ": invalid bundle element content", 345}},
        {"non-zero string padding",
         std::string("/a\0x", 4) + str(","),
         {format + "missing padding zeros", 359}},
        {"non-zero tag padding",
         str("/a") + std::string(",i\0\1", 4) + be32(1),
         {format + "missing padding zeros", 359}},
        {"non-zero blob padding",
         message("/a", "b", be32(1) + std::string("z\0\0\1", 4)),
         {format + "missing padding zeros", 359}},
        {"bundle and 4 trailing bytes",
         bundle(1, {message("/a", "")}) + be32(0),
         {format + "wrong element content size encountered while reading bundle", 377}},
        {"nested bundle longer than its size",
         bundle(1, {bundle(1, {}) + be32(0)}),
         {format + "wrong element content size encountered while reading bundle", 377}},
        {"message and 4 trailing bytes",
         message("/a", "i", be32(1)) + be32(0),
         {format + "wrong element content size encountered while reading message", 390}},
        {"message shorter than its element",
         bundle(1, {message("/a", "") + be32(0)}),
         {format + "wrong element content size encountered while reading message", 390}},
    };
    for (Case const& c : cases)
        EXPECT_EQ(packetFailure(c.packet), c.failure) << c.name;

    // A malformed address pattern fails with the pattern's own text.
    EXPECT_EQ(packetFailure(message("/a[b", "")).text, "OSC format error: missing ']'");
}

TEST(OscWire, ReportsFailuresThatNoWholePacketReaches)
{
    QuietLog quiet;
    std::string const bytes(7, '\0');
    qev::OscInputStream timeTag(bytes.data(), 7);
    EXPECT_EQ(failureOf([&] { timeTag.ReadTimeTag(); }),
              (Failure{"OSC input stream exhausted while reading time tag", 166}));
    qev::OscInputStream size(bytes.data(), 3);
    EXPECT_EQ(failureOf([&] { size.ReadElement(); }),
              (Failure{"OSC input stream exhausted while reading bundle element size", 301}));
    qev::OscInputStream argument(bytes.data(), 7);
    EXPECT_EQ(failureOf([&] { argument.ReadArgument('N'); }),
              (Failure{"OSC input stream: internal error while reading message argument", 241}));
    EXPECT_EQ(failureOf([] { OscBundle::CreateFromData(nullptr, 8); }),
              (Failure{"OSC input stream: invalid bundle element content", 328}));

    std::string const tags = str(",ifsbhdTF");
    qev::OscInputStream tagStream(tags.data(), tags.size());
    qev::Vector<char> const list = tagStream.ReadTypeTagString();
    EXPECT_EQ(std::string(list.begin(), list.end()), "ifsbhdTF");
}

// Bundles nested levels deep around one message, built in one pass.
std::string nested(unsigned levels)
{
    std::string const innermost = bundle(1, {message("/deep", "i", be32(42))});
    std::string packet;
    packet.reserve(levels * 20 + innermost.size());
    for (unsigned i = 1; i < levels; ++i)
    {
        unsigned long const rest = (levels - i - 1) * 20ul + innermost.size();
        packet += std::string("#bundle\0", 8) + be64(1) + be32(std::uint32_t(rest));
    }
    return packet + innermost;
}

TEST(OscWire, RefusesBundlesNestedDeeperThan64Levels)
{
    QuietLog quiet;
    OscBundle b = read(nested(64));
    unsigned depth = 1;
    for (OscBundle const* p = &b; p->GetNumElements() == 1 && (*p)[0].GetBundle() != nullptr;
         p = (*p)[0].GetBundle())
        ++depth;
    EXPECT_EQ(depth, 64u);

    Failure const tooDeep{"OSC input stream format error: bundles nested deeper than 64 levels", 266};
    EXPECT_EQ(packetFailure(nested(65)), tooDeep);
    // 100,000 levels: 2 MB of bundle headers that would otherwise exhaust the stack.
    EXPECT_EQ(packetFailure(nested(100000)), tooDeep);
}

TEST(OscWire, SurvivesEveryTruncationAndCorruptionOfAValidPacket)
{
    QuietLog quiet;
    OscBundle inner;
    inner.Add(withArguments("/in/x", {OscArgument("text"), OscArgument(blockOf("\x01\x02\x03\x04\x05"))}));
    OscBundle b;
    b.Add(withArguments("/a/b", {OscArgument(1), OscArgument(2.5f), OscArgument(true)}));
    b.AddNestedBundle(inner);
    b.Add(OscMessage("/z"));
    std::string const packet = written(b);
    std::string const hd = message("/h", "hd", be64(5) + f64(0.25));
    ASSERT_TRUE(read(packet) == b);

    for (std::string const& valid : {packet, hd})
    {
        // A bundle cut after one of its elements is a shorter valid bundle; every other cut fails.
        std::vector<std::size_t> boundaries;
        if (valid[0] == '#')
        {
            for (std::size_t at = 16; at < valid.size(); at += 4 + be32Value(valid, at))
                boundaries.push_back(at);
        }
        for (std::size_t n = 0; n < valid.size(); ++n)
        {
            // Each prefix in a buffer of its own size, so that ASan sees any read beyond it.
            std::vector<char> prefix(valid.begin(), valid.begin() + long(n));
            bool const boundary = std::find(boundaries.begin(), boundaries.end(), n) != boundaries.end();
            if (boundary)
                EXPECT_NO_THROW(OscBundle::CreateFromData(prefix.data(), prefix.size())) << n;
            else
                EXPECT_THROW(OscBundle::CreateFromData(prefix.data(), prefix.size()), qev::Exception) << n;
        }
        for (std::size_t i = 0; i < valid.size(); ++i)
        {
            for (char v : {'\0', '\x01', '\x7f', '\x80', '\xff', '#', '/', ','})
            {
                std::vector<char> corrupt(valid.begin(), valid.end());
                corrupt[i] = v;
                try
                {
                    OscBundle::CreateFromData(corrupt.data(), corrupt.size());
                }
                catch (qev::Exception const&)
                {
                }
            }
        }
    }
}

} // namespace
