// Our binary OSC against two independent OSC libraries: what we write they must read with the
// values we promise, and what they write we must read (or refuse with our own texts).
#include "common/QevException.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscOutputStream.h"
#include "support/QuietLog.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if QEV_HAVE_LIBLO
#include <lo/lo.h>
#include <lo/lo_lowlevel.h>
#endif
#if QEV_HAVE_OSCPACK
#include <osc/OscOutboundPacketStream.h>
#include <osc/OscReceivedElements.h>
#endif

namespace
{

using qev::MemoryBlock;
using qev::OscArgument;
using qev::OscBundle;
using qev::OscMessage;
using Lines = std::vector<std::string>;

using qevtest::QuietLog;

// One line per bundle start, message and bundle end, in the same words for every library:
// "begin <time tag>", "<path> <tags> <value>...", "end".
std::string hexOf(void const* data, std::size_t size)
{
    std::string out;
    char digits[3];
    for (std::size_t i = 0; i < size; ++i)
    {
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char const*>(data)[i]);
        out += digits;
    }
    return out;
}
std::string floatText(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", v);
    return text;
}
std::string valueText(char tag, long long integer, double real, std::string const& text,
                      std::string const& blobHex)
{
    switch (tag)
    {
    case 'i':
    case 'h':
        return std::string(1, tag) + ":" + std::to_string(integer);
    case 'f':
    case 'd':
        return std::string(1, tag) + ":" + floatText(real);
    case 's':
        return "s:\"" + text + "\"";
    case 'b':
        return "b:" + blobHex;
    default:
        return std::string(1, tag);
    }
}
std::string beginLine(std::uint64_t timeTag)
{
    return "begin " + std::to_string(timeTag);
}

void describe(OscBundle const& bundle, Lines& lines)
{
    lines.push_back(beginLine(bundle.GetTimeTag()));
    for (OscBundle::Element const& element : bundle)
    {
        if (OscBundle const* nested = element.GetBundle())
        {
            describe(*nested, lines);
            continue;
        }
        OscMessage const& m = *element.GetMessage();
        std::string tags;
        std::string values;
        for (unsigned long i = 0; i < m.GetNumArguments(); ++i)
        {
            OscArgument const& a = m.GetArgument(i);
            tags += a.GetType();
            long long const integer = a.GetType() == 'i' ? a.GetInt32() : a.GetInt64();
            double const real = a.GetType() == 'f' ? a.GetFloat32() : a.GetFloat64();
            values += " " + valueText(a.GetType(), integer, real, a.GetString().GetStdString(),
                                      hexOf(a.GetBlob().GetData(), a.GetBlob().GetSize()));
        }
        lines.push_back(m.GetAddressPattern().GetText().GetStdString() + " " + tags + values);
    }
    lines.push_back("end");
}

Lines describeOurs(std::string const& packet)
{
    Lines lines;
    describe(OscBundle::CreateFromData(packet.data(), packet.size()), lines);
    return lines;
}

std::string failureOf(std::string const& packet)
{
    QuietLog quiet;
    try
    {
        OscBundle::CreateFromData(packet.data(), packet.size());
    }
    catch (qev::Exception const& e)
    {
        return e.GetMessage().GetStdString();
    }
    return "no error";
}

std::string unsupported(char tag)
{
    return std::string("OSC input stream format error: encountered unsupported type tag : ") + tag;
}

// The packet our writer makes for the peers, and what they must find in it.
std::string const longText(333, 'L');

std::string ourPacket()
{
    OscMessage m("/track/1/gain");
    m.Add(0.5f);
    m.Add(OscArgument((1LL << 32) + 2));
    m.Add(OscArgument(""));
    m.Add(OscArgument(longText.c_str()));
    m.Add(true);
    m.Add(false);
    m.Add(OscArgument(MemoryBlock("\x01\x02\x03\x04\x05", 5)));
    m.Add(-3);
    m.Add(OscArgument(0.25));
    OscBundle nested;
    nested.SetTimeTag(1ull << 32);
    nested.Add(OscMessage("/nested/a"));
    OscMessage b("/nested/b");
    b.Add(7);
    nested.Add(b);
    OscBundle outer;
    outer.Add(m);
    outer.Add(OscMessage("/empty"));
    outer.AddNestedBundle(nested);

    qev::OscOutputStream stream;
    EXPECT_TRUE(stream.WriteBundle(outer));
    return std::string(stream.GetData(), stream.GetDataSize());
}

Lines const ourPacketLines = {
    "begin 1",
    "/track/1/gain fissTFbid f:0.5 i:2 s:\"\" s:\"" + longText + "\" T F b:0102030405 i:-3 d:0.25",
    "/empty ",
    "begin 4294967296",
    "/nested/a ",
    "/nested/b i i:7",
    "end",
    "end",
};

TEST(OscInterop, OurReaderFindsWhatTheWriterPromised)
{
    // The same, but 'd' arrives as 'f'.
    Lines expected = ourPacketLines;
    expected[1] =
        "/track/1/gain fissTFbif f:0.5 i:2 s:\"\" s:\"" + longText + "\" T F b:0102030405 i:-3 f:0.25";
    EXPECT_EQ(describeOurs(ourPacket()), expected);
}

#if QEV_HAVE_LIBLO

int loMessage(char const* path, char const* types, lo_arg** argv, int argc, lo_message, void* user)
{
    std::string line = std::string(path) + " " + types;
    for (int i = 0; i < argc; ++i)
    {
        // liblo aligns its arguments to 4 bytes only: read them out, never through the union.
        void const* const data = argv[i];
        char const tag = types[i];
        long long integer = 0;
        double real = 0.0;
        if (tag == 'i' || tag == 'f')
        {
            std::int32_t i32;
            float f32;
            std::memcpy(&i32, data, 4);
            std::memcpy(&f32, data, 4);
            integer = i32;
            real = f32;
        }
        else if (tag == 'h' || tag == 'd')
        {
            std::int64_t i64;
            std::memcpy(&i64, data, 8);
            std::memcpy(&real, data, 8);
            integer = i64;
        }
        std::string const text = tag == 's' ? std::string(static_cast<char const*>(data)) : "";
        std::string const blobHex =
            tag == 'b' ? hexOf(lo_blob_dataptr((lo_blob)argv[i]), lo_blob_datasize((lo_blob)argv[i])) : "";
        line += " " + valueText(tag, integer, real, text, blobHex);
    }
    static_cast<Lines*>(user)->push_back(line);
    return 0;
}
int loBundleStart(lo_timetag t, void* user)
{
    static_cast<Lines*>(user)->push_back(beginLine(std::uint64_t(t.sec) << 32 | t.frac));
    return 0;
}
int loBundleEnd(void* user)
{
    static_cast<Lines*>(user)->push_back("end");
    return 0;
}
void loError(int, char const*, char const*) {}

TEST(OscInterop, LibloReadsOurPackets)
{
    Lines lines;
    lo_server server = lo_server_new_with_proto(nullptr, LO_UDP, loError);
    ASSERT_NE(server, nullptr) << "liblo could not open a UDP socket";
    lo_server_add_method(server, nullptr, nullptr, loMessage, &lines);
    lo_server_add_bundle_handlers(server, loBundleStart, loBundleEnd, &lines);

    std::string packet = ourPacket();
    EXPECT_EQ(lo_server_dispatch_data(server, packet.data(), packet.size()), int(packet.size()));
    EXPECT_EQ(lines, ourPacketLines);
    lo_server_free(server);

    // The first element on its own, as a lone message.
    std::uint32_t size = 0;
    std::memcpy(&size, packet.data() + 16, 4);
    size = __builtin_bswap32(size);
    int result = -1;
    lo_message m = lo_message_deserialise(&packet[20], size, &result);
    ASSERT_NE(m, nullptr) << result;
    EXPECT_STREQ(lo_message_get_types(m), "fissTFbid");
    std::int32_t narrowed = 0;
    std::memcpy(&narrowed, lo_message_get_argv(m)[1], 4);
    EXPECT_EQ(narrowed, 2);
    lo_message_free(m);
}

std::string loSerialised(lo_bundle b)
{
    std::size_t size = 0;
    void* data = lo_bundle_serialise(b, nullptr, &size);
    std::string packet(static_cast<char*>(data), size);
    std::free(data);
    return packet;
}

TEST(OscInterop, WeReadLibloPackets)
{
    lo_blob blob = lo_blob_new(3, "abc");
    lo_message a = lo_message_new();
    lo_message_add_int32(a, 42);
    lo_message_add_float(a, 1.5f);
    lo_message_add_string(a, "hello");
    lo_message_add_blob(a, blob);
    lo_message_add_int64(a, 1LL << 40);
    lo_message_add_double(a, 0.1);
    lo_message_add_true(a);
    lo_message_add_false(a);
    lo_message n = lo_message_new();
    lo_message_add_int32(n, -1);
    lo_bundle inner = lo_bundle_new(lo_timetag{5, 6});
    lo_bundle_add_message(inner, "/lo/n", n);
    lo_bundle outer = lo_bundle_new(LO_TT_IMMEDIATE);
    lo_bundle_add_message(outer, "/lo/a", a);
    lo_bundle_add_message(outer, "/lo/empty", lo_message_new());
    lo_bundle_add_bundle(outer, inner);
    std::string const packet = loSerialised(outer);
    lo_bundle_free_recursive(outer);
    lo_blob_free(blob);

    Lines const expected = {
        "begin 1",
        // 'd' arrives as 'f', rounded to single precision.
        "/lo/a ifsbhfTF i:42 f:1.5 s:\"hello\" b:616263 h:1099511627776 f:" + floatText(0.1f) + " T F",
        "/lo/empty ",
        beginLine(5ull << 32 | 6),
        "/lo/n i i:-1",
        "end",
        "end",
    };
    EXPECT_EQ(describeOurs(packet), expected);

    // A lone message becomes a bundle of one with time tag 1.
    lo_message lone = lo_message_new();
    lo_message_add_string(lone, "x");
    std::size_t size = 0;
    void* data = lo_message_serialise(lone, "/lone", nullptr, &size);
    EXPECT_EQ(describeOurs(std::string(static_cast<char*>(data), size)),
              (Lines{"begin 1", "/lone s s:\"x\"", "end"}));
    std::free(data);
    lo_message_free(lone);

    // Tags we do not read are refused by name.
    struct Refused
    {
        char tag;
        void (*add)(lo_message);
    };
    Refused const refused[] = {
        {'c', [](lo_message m) { lo_message_add_char(m, 'x'); }},
        {'S', [](lo_message m) { lo_message_add_symbol(m, "sym"); }},
        {'m',
         [](lo_message m)
         {
             std::uint8_t midi[4] = {0, 0x90, 60, 100};
             lo_message_add_midi(m, midi);
         }},
        {'t',
         [](lo_message m) {
             lo_message_add_timetag(m, lo_timetag{1, 2});
         }},
        {'N', [](lo_message m) { lo_message_add_nil(m); }},
        {'I', [](lo_message m) { lo_message_add_infinitum(m); }},
    };
    for (Refused const& r : refused)
    {
        lo_message m = lo_message_new();
        lo_message_add_int32(m, 1);
        r.add(m);
        void* bytes = lo_message_serialise(m, "/x", nullptr, &size);
        EXPECT_EQ(failureOf(std::string(static_cast<char*>(bytes), size)), unsupported(r.tag));
        std::free(bytes);
        lo_message_free(m);
    }
}

TEST(OscInterop, WeLoadAMessageThatOscsendWroteToAFile)
{
    if (std::system("command -v oscsend >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "oscsend (package liblo-tools) is not installed";
    qevtest::TemporaryFolder const folder("oscsend");
    ASSERT_FALSE(folder.GetPath().empty());
    std::string const file = folder.GetPath() + "/message.osc";
    std::string const command = "oscsend file://" + file + " /a i 5";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string const packet = qevtest::readBytes(file);
    EXPECT_EQ(packet.size(), 12u);
    EXPECT_EQ(describeOurs(packet), (Lines{"begin 1", "/a i i:5", "end"}));
}

#endif // QEV_HAVE_LIBLO

#if QEV_HAVE_OSCPACK

void walk(osc::ReceivedBundle const& bundle, Lines& lines)
{
    lines.push_back(beginLine(bundle.TimeTag()));
    for (auto e = bundle.ElementsBegin(); e != bundle.ElementsEnd(); ++e)
    {
        if (e->IsBundle())
        {
            walk(osc::ReceivedBundle(*e), lines);
            continue;
        }
        osc::ReceivedMessage const m(*e);
        std::string line =
            std::string(m.AddressPattern()) + " " + std::string(m.TypeTags(), m.ArgumentCount());
        for (auto a = m.ArgumentsBegin(); a != m.ArgumentsEnd(); ++a)
        {
            char const tag = a->TypeTag();
            long long const integer = tag == 'i' ? a->AsInt32() : tag == 'h' ? a->AsInt64() : 0;
            double const real = tag == 'f' ? a->AsFloat() : tag == 'd' ? a->AsDouble() : 0.0;
            std::string const text = tag == 's' ? a->AsString() : "";
            std::string blobHex;
            if (tag == 'b')
            {
                void const* data = nullptr;
                osc::osc_bundle_element_size_t size = 0;
                a->AsBlob(data, size);
                blobHex = hexOf(data, std::size_t(size));
            }
            line += " " + valueText(tag, integer, real, text, blobHex);
        }
        lines.push_back(line);
    }
    lines.push_back("end");
}

TEST(OscInterop, OscpackReadsOurPackets)
{
    std::string const packet = ourPacket();
    Lines lines;
    osc::ReceivedPacket const received(packet.data(), packet.size());
    ASSERT_TRUE(received.IsBundle());
    walk(osc::ReceivedBundle(received), lines);
    EXPECT_EQ(lines, ourPacketLines);
}

TEST(OscInterop, WeReadOscpackPackets)
{
    char buffer[1024];
    osc::OutboundPacketStream p(buffer, sizeof buffer);
    p << osc::BeginBundle(99) << osc::BeginMessage("/op/a") << 7 << 2.5f << "str" << osc::Blob("wxyz", 4)
      << osc::int64(-5) << 0.5 << true << false << osc::EndMessage << osc::BeginBundle(3)
      << osc::BeginMessage("/op/n") << osc::EndMessage << osc::EndBundle << osc::EndBundle;
    Lines const expected = {
        "begin 99", "/op/a ifsbhfTF i:7 f:2.5 s:\"str\" b:7778797a h:-5 f:0.5 T F",
        "begin 3",  "/op/n ",
        "end",      "end",
    };
    EXPECT_EQ(describeOurs(std::string(p.Data(), p.Size())), expected);

    struct Refused
    {
        char tag;
        void (*add)(osc::OutboundPacketStream&);
    };
    Refused const refused[] = {
        {'c', [](osc::OutboundPacketStream& s) { s << 'x'; }},
        {'S', [](osc::OutboundPacketStream& s) { s << osc::Symbol("sym"); }},
        {'m', [](osc::OutboundPacketStream& s) { s << osc::MidiMessage(0x00903c64u); }},
        {'t', [](osc::OutboundPacketStream& s) { s << osc::TimeTag(5); }},
        {'N', [](osc::OutboundPacketStream& s) { s << osc::OscNil; }},
        {'I', [](osc::OutboundPacketStream& s) { s << osc::Infinitum; }},
        {'r', [](osc::OutboundPacketStream& s) { s << osc::RgbaColor(0x11223344u); }},
        {'[', [](osc::OutboundPacketStream& s) { s << osc::BeginArray << 1 << osc::EndArray; }},
    };
    for (Refused const& r : refused)
    {
        osc::OutboundPacketStream s(buffer, sizeof buffer);
        s << osc::BeginMessage("/x") << 1;
        r.add(s);
        s << osc::EndMessage;
        EXPECT_EQ(failureOf(std::string(s.Data(), s.Size())), unsupported(r.tag));
    }
}

#endif // QEV_HAVE_OSCPACK

} // namespace
