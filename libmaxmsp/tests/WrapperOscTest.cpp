// Host messages to OSC and OSC results out of an outlet.

#include "LibloTestSupport.h"
#include "MaxWrapper.h"
#include "MaxWrapperOsc.h"
#include "WrapperTestSupport.h"
#include "common/QevException.h"
#include "osc/QevOscOutputStream.h"

#include <cstring>
#include <gtest/gtest.h>
#include <thread>

using namespace wrappertest;

namespace
{

std::string thrownBy(symbol* selector, std::vector<atom> atoms)
{
    try
    {
        maxmsp::Atoms2OscMessage(nullptr, selector, static_cast<long>(atoms.size()), atoms.data());
    }
    catch (qev::Exception const& e)
    {
        return e.what();
    }
    return "(nothing thrown)";
}

// The messages liblo finds in a packet, one line each: address, tags.
std::vector<std::string> libloMessages(std::string const& packet)
{
    return hosttest::LibloLines(packet.data(), packet.size(), "(refused)",
                                [](char const* path, char const* types, lo_arg**, int)
                                { return std::string(path) + " " + types; });
}

qev::OscMessage message(char const* address, float value)
{
    qev::OscMessage m(address);
    m.Add(value);
    return m;
}

} // namespace

TEST(MaxOsc, HostMessagesBecomeOscMessages)
{
    atom atoms[] = {longAtom(1LL << 40), floatAtom(0.1), symbolAtom("hi"), typedAtom(A_OBJ)};
    qev::OscMessage const m = maxmsp::Atoms2OscMessage(nullptr, gensym("/a/b"), 4, atoms);
    EXPECT_EQ(m.GetAddressPattern().GetText(), "/a/b");
    ASSERT_EQ(m.GetNumArguments(), 4u);
    EXPECT_EQ(m[0].GetType(), 'h');
    EXPECT_EQ(m[0].GetInt64(), 1LL << 40);
    EXPECT_EQ(m[1].GetType(), 'f');
    EXPECT_EQ(m[1].GetFloat32(), 0.1f);
    EXPECT_EQ(m[2].GetString(), "hi");
    EXPECT_EQ(m[3].GetType(), 's');
    EXPECT_EQ(m[3].GetString(), "");
    EXPECT_EQ(maxmsp::Atoms2OscMessage(nullptr, gensym("/"), 0, nullptr).GetNumArguments(), 0u);
}

TEST(MaxOsc, BadSelectorsAndAtomsThrowTheirTexts)
{
    struct Case
    {
        char const* selector;
        std::vector<atom> atoms;
        char const* text;
    };
    Case const cases[] = {
        {"foo", {longAtom(1), symbolAtom("bar")}, "malformed OSC address (missing initial '/') : foo 1 bar"},
        {"foo", {}, "malformed OSC address (missing initial '/') : foo "},
        {"a/b", {}, "malformed OSC address (missing initial '/') : a/b "},
        {"", {floatAtom(0.5)}, "malformed OSC address (missing initial '/') :  0.5"},
        {"/a", {longAtom(1), typedAtom(A_SEMI)}, "unexpected atom type (A_SEMI) in \"/a 1\""},
        {"/a", {typedAtom(A_COMMA), longAtom(2)}, "unexpected atom type (A_COMMA) in \"/a  2\""},
        {"/a", {typedAtom(A_DOLLAR)}, "unexpected atom type (A_DOLLAR) in \"/a \""},
        {"/a", {typedAtom(A_DOLLSYM)}, "unexpected atom type (A_DOLLSYM) in \"/a \""},
        {"/a", {typedAtom(77)}, "unexpected atom type in \"/a \""},
        {"/a", {typedAtom(A_NOTHING)}, "unexpected atom type in \"/a \""},
    };
    for (Case const& c : cases)
        EXPECT_EQ(thrownBy(gensym(c.selector), c.atoms), c.text) << c.selector;
    EXPECT_EQ(thrownBy(nullptr, {}), "malformed OSC address (missing initial '/') :  ");
    EXPECT_EQ(thrownBy(gensym("/a b"), {}).rfind("OSC format error: ", 0), 0u);
}

TEST(MaxOsc, TheAddressLockIsRecursiveAndSharedByThreads)
{
    std::lock_guard<std::recursive_mutex> const outer(maxmsp::getGlobalCriticalSection());
    EXPECT_EQ(maxmsp::Atoms2OscMessage(nullptr, gensym("/held/by/caller"), 0, nullptr)
                  .GetAddressPattern()
                  .GetText(),
              "/held/by/caller");
}

TEST(MaxOsc, ManyThreadsParseNewAddressesAtOnce)
{
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back(
            [t, &failures]
            {
                for (int i = 0; i < 300; ++i)
                {
                    std::string const address = "/thread/" + std::to_string(t) + "/part" + std::to_string(i);
                    atom value = floatAtom(i);
                    if (maxmsp::Atoms2OscMessage(nullptr, gensym(address.c_str()), 1, &value)
                            .GetAddressPattern()
                            .GetText() != address.c_str())
                        ++failures;
                }
            });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
}

TEST(MaxOsc, OscMessagesLeaveAsHostMessages)
{
    TestObject object;
    qev::OscMessage all("/x");
    all.Add(true);
    all.Add(false);
    all.Add(0.5f);
    all.Add(qev::OscArgument(5LL));
    all.Add(-3);
    all.Add("a\\b\\c d");
    all.Add("plain");
    qev::OscMessage onlyDouble("/d");
    onlyDouble.Add(qev::OscArgument(0.25));
    qev::OscMessage mixed("/m");
    mixed.Add(qev::OscArgument(0.25));
    mixed.Add(1);
    struct Case
    {
        qev::OscMessage const* message;
        std::vector<std::string> lines;
    };
    qev::OscMessage const bare("/bare");
    Case const cases[] = {
        {&all, {"outlet: /x 1 0 0.5 5 -3 \"a/b/c d\" plain"}},
        {&bare, {"outlet: /bare"}},
        {&onlyDouble, {"post: error in maxmsp::OutletOsc (unexpected type tag)"}},
        {&mixed, {"post: error in maxmsp::OutletOsc (unexpected type tag)", "outlet: /m 1"}},
    };
    for (Case const& c : cases)
    {
        Capture capture;
        maxmsp::OutletOsc(object.x->out, *c.message);
        EXPECT_EQ(capture.Take(), c.lines) << c.message->ToString();
    }

    Capture capture;
    qev::OscMessage huge("/huge");
    for (int i = 0; i < 40000; ++i)
        huge.Add(i);
    maxmsp::OutletOsc(object.x->out, huge);
    EXPECT_EQ(capture.Take(),
              std::vector<std::string>{"post: error in maxmsp::OutletOsc (too many arguments)"});
}

TEST(MaxOsc, BundlesLeaveAsOneMessageOrOneFullPacket)
{
    TestObject object;
    maxmsp::CommonSymbols::Initialize();
    qev::OscBundle one(message("/one", 1.0f));
    qev::OscBundle three;
    three.Add(message("/track/1/gain", -12.755905f));
    three.Add(message("/track/2/gain", 0.5f));
    three.Add(message("/track/3/gain", 1.0f));
    qev::OscBundle empty;
    qev::OscBundle nested;
    nested.Add(message("/outer", 2.0f));
    nested.AddNestedBundle(three);
    qev::OscBundle onlyNested;
    onlyNested.AddNestedBundle(one);

    struct Case
    {
        qev::OscBundle const* bundle;
        bool walk;
        std::vector<std::string> lines;
    };
    auto packetLine = [](qev::OscBundle const& b)
    {
        qev::OscOutputStream stream;
        stream.WriteBundle(b);
        return "outlet: FullPacket " + std::to_string(stream.GetDataSize());
    };
    Case const cases[] = {
        {&one, false, {"outlet: /one 1.0"}},
        {&one, true, {"outlet: /one 1.0"}},
        {&three, false, {packetLine(three)}},
        {&three,
         true,
         {"outlet: /track/1/gain -12.755905", "outlet: /track/2/gain 0.5", "outlet: /track/3/gain 1.0"}},
        {&empty, false, {"outlet: FullPacket 16"}},
        {&empty, true, {}},
        {&nested,
         true,
         {"outlet: /outer 2.0", "outlet: /track/1/gain -12.755905", "outlet: /track/2/gain 0.5",
          "outlet: /track/3/gain 1.0"}},
        {&onlyNested, false, {packetLine(onlyNested)}},
    };
    for (Case const& c : cases)
    {
        Capture capture;
        maxmsp::OutletFullPacket(object.x->out, *c.bundle, c.walk);
        EXPECT_EQ(capture.Take(), c.lines) << c.bundle->ToString("; ") << " walk " << c.walk;
        // Every packet reads back as the bundle, by our reader and by liblo.
        for (std::string const& packet : capture.packets)
        {
            EXPECT_EQ(qev::OscBundle::CreateFromData(packet.data(), packet.size()), *c.bundle);
            std::vector<std::string> const seen = libloMessages(packet);
            EXPECT_EQ(std::count(seen.begin(), seen.end(), "(refused)"), 0);
        }
    }

    Capture capture;
    maxmsp::OutletFullPacket(object.x->out, three, false);
    ASSERT_EQ(capture.packets.size(), 1u);
    EXPECT_EQ(libloMessages(capture.packets[0]),
              (std::vector<std::string>{"/track/1/gain f", "/track/2/gain f", "/track/3/gain f"}));
}

TEST(MaxOsc, ABundleThatCannotBeWrittenSendsNothing)
{
    TestObject object;
    qev::OscBundle bundle;
    bundle.Add(message("/fine", 1.0f));
    qev::OscMessage odd("/odd");
    odd.Add(qev::OscArgument());
    bundle.Add(odd);
    Capture capture;
    maxmsp::OutletFullPacket(object.x->out, bundle, false);
    EXPECT_EQ(capture.Take(),
              std::vector<std::string>{
                  "post: error in maxmsp::OutletFullPacket (the bundle cannot be written as OSC)"});
}
