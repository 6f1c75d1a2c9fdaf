#include "midi/QevMidiOscConversion.h"
#include "midi/QevMidiOscMap.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace
{

using qev::MidiMessage;
using qev::MidiOscMap;
using qev::OscAddress;
using qev::OscMessage;
using Events = std::vector<std::string>;

std::string g7(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", static_cast<double>(value));
    return text;
}

std::uint32_t bits(float value)
{
    std::uint32_t b;
    std::memcpy(&b, &value, sizeof b);
    return b;
}

std::string bytes(MidiMessage const& m)
{
    std::string s;
    char hex[8];
    for (int i = 0; i < m.GetRawDataSize(); ++i)
        s += (std::snprintf(hex, sizeof hex, " %02X", m.GetRawData()[i]), hex);
    return s;
}

OscMessage oscFloat(char const* address, float value)
{
    OscMessage message(address);
    message.Add(value);
    return message;
}

// Everything the map tells it, in order: "midi B0 07 40", "osc /a 0.5 /b 1", "learn B0 07 40".
struct Recorder : MidiOscMap::Listener
{
    Events events;
    std::vector<float> oscValues;
    std::function<void(MidiMessage const&)> onLearn;

    void MessageProcessed(MidiMessage const& m) override { events.push_back("midi" + bytes(m)); }
    void MessageProcessed(qev::OscBundle const& bundle) override
    {
        std::string s = "osc";
        for (auto const& element : bundle)
        {
            auto const& message = *element.GetMessage();
            EXPECT_TRUE(message.CheckArgumentsFormat("f", true));
            oscValues.push_back(message[0].GetFloat32());
            s += " " + std::string(message.GetAddressPattern().GetText().GetView()) + " " +
                 g7(oscValues.back());
        }
        events.push_back(s);
    }
    void MessageReceivedWhileMidiLearn(MidiMessage const& m) override
    {
        events.push_back("learn" + bytes(m));
        if (onLearn)
            onLearn(m);
    }
};

struct MidiOscMapTest : ::testing::Test
{
    MidiOscMap map;
    Recorder recorder;
    void SetUp() override { map.AddListener(&recorder); }

    // The OSC value that a lone entry /x (channel 1, controller 7) computes for controller value v.
    float midiToOsc(int v, float minimum, float maximum, float exponent)
    {
        map.Clear();
        map.AddEntry(1, 7, OscAddress("/x"), minimum, maximum, exponent);
        recorder.oscValues.clear();
        map.Process(MidiMessage::ControllerEvent(1, 7, v));
        EXPECT_EQ(recorder.oscValues.size(), 1u);
        return recorder.oscValues.empty() ? NAN : recorder.oscValues.back();
    }

    // What a lone entry /x (channel 1, controller 7) sends for an OSC message.
    Events oscToMidi(OscMessage const& message, float minimum, float maximum, float exponent)
    {
        map.Clear();
        map.AddEntry(1, 7, OscAddress("/x"), minimum, maximum, exponent);
        recorder.events.clear();
        map.Process(message);
        return recorder.events;
    }
};

TEST(MidiOscConversion, NormalisationDiffersFromQuotientByOneUlpInFourteenPlaces)
{
    std::vector<int> found;
    for (int v = 0; v <= 127; ++v)
    {
        float const quotient = static_cast<float>(v) / 127.0f;
        float const n = qev::MidiOscConversion::NormaliseControllerValue(static_cast<float>(v));
        if (n != quotient)
            found.push_back(v);
        EXPECT_LE(std::abs(static_cast<long>(bits(n)) - static_cast<long>(bits(quotient))), 1) << v;
    }
    EXPECT_EQ(found, (std::vector<int>{5, 7, 14, 15, 29, 30, 31, 39, 43, 62, 65, 78, 86, 123}));
}

TEST(MidiOscConversion, TruncationIsDefinedForEveryFloat)
{
    float const inf = std::numeric_limits<float>::infinity();
    // clang-format off
    struct { float value; int expected; } const cases[] = {
        {64.9f, 64}, {-0.5f, 0}, {-64.9f, -64}, {NAN, 0}, {inf, INT_MAX}, {-inf, INT_MIN}, {3e9f, INT_MAX},
        {-3e9f, INT_MIN}, {2147483520.0f, 2147483520}, {-2147483648.0f, INT_MIN}};
    // clang-format on
    for (auto const& c : cases)
        EXPECT_EQ(qev::MidiOscConversion::TruncateToInt(c.value), c.expected) << c.value;
}

TEST_F(MidiOscMapTest, MidiToOsc)
{
    // clang-format off
    struct { int v; char const* e1; char const* e2; char const* eHalf; } const cases[] = {
        {0, "0", "0", "0"},
        {1, "0.007874016", "6.200012e-05", "0.08873565"},
        {32, "0.2519685", "0.06348813", "0.5019646"},
        {64, "0.503937", "0.2539525", "0.7098852"},
        {96, "0.7559055", "0.5713931", "0.8694283"},
        {127, "1", "1", "1"}};
    // clang-format on
    for (auto const& c : cases)
    {
        EXPECT_EQ(g7(midiToOsc(c.v, 0, 1, 1)), c.e1) << c.v;
        EXPECT_EQ(g7(midiToOsc(c.v, 0, 1, 2)), c.e2) << c.v;
        EXPECT_EQ(g7(midiToOsc(c.v, 0, 1, 0.5f)), c.eHalf) << c.v;
    }
    EXPECT_EQ(bits(midiToOsc(64, 0, 1, 1)), bits(0.50393700599670410f));
    // Exact curve values: 7 and 5 take the detour through 122 and 5, 35 the step (p x 127) / 127.
    // clang-format off
    struct { int v; float exponent, expected; } const curve[] = {
        {7, 2, 0.00303800567f}, {35, 2, 0.0759501383f}, {5, 0.5f, 0.19841896f}, {35, 0.5f, 0.524967253f}};
    // clang-format on
    for (auto const& c : curve)
        EXPECT_EQ(bits(midiToOsc(c.v, 0, 1, c.exponent)), bits(c.expected)) << c.v << " " << c.exponent;
    for (float exponent : {0.0001f, 0.3f, 1.0f, 2.0f, 7.5f})
    {
        EXPECT_EQ(bits(midiToOsc(0, -3.5f, 9, exponent)), bits(-3.5f)) << exponent;
        EXPECT_EQ(bits(midiToOsc(127, 0, 1, exponent)), bits(1.0f)) << exponent;
    }
    EXPECT_EQ(g7(midiToOsc(100, 0, 10, 1)), "7.874016");
    EXPECT_EQ(g7(midiToOsc(64, -1, 1, 1)), "0.007874012");
    EXPECT_EQ(bits(midiToOsc(127, 10, 0, 1)), bits(0.0f));
    // 1.00001 is the editor's 1; anything else near 1 takes the curve.
    for (int v = 1; v < 127; ++v)
    {
        float const straight = midiToOsc(v, 0, 1, 1);
        ASSERT_EQ(bits(midiToOsc(v, 0, 1, 1.00001f)), bits(straight)) << v;
        ASSERT_NE(bits(midiToOsc(v, 0, 1, 0.99999f)), bits(straight)) << v;
        ASSERT_NE(bits(midiToOsc(v, 0, 1, 1.0001f)), bits(straight)) << v;
    }
}

TEST_F(MidiOscMapTest, OscToMidi)
{
    // clang-format off
    struct { float x, exponent; int sent; char const* stored; } const cases[] = {
        {0, 1, 0, "0"},          {0, 2, 0, "0"},             {0, 0.5f, 0, "0"},
        {0.25f, 1, 31, "31.75"}, {0.25f, 2, 63, "63.5"},     {0.25f, 0.5f, 7, "7.9375"},
        {0.5f, 1, 63, "63.5"},   {0.5f, 2, 89, "89.80256"},  {0.5f, 0.5f, 31, "31.75"},
        {0.75f, 1, 95, "95.25"}, {0.75f, 2, 109, "109.9852"}, {0.75f, 0.5f, 71, "71.4375"},
        {1, 1, 127, "127"},      {1, 2, 127, "127"},         {1, 0.5f, 127, "127"},
        {0.503937f, 1, 64, "64"}, {2, 1, 127, "127"},        {1e9f, 1, 127, "127"}, {-1, 1, 0, "0"},
        {0.5f, 1.00001f, 63, "63.5"}, {0.5f, 0.99999f, 63, "63.49956"}, {0.5f, 1.0001f, 63, "63.50441"}};
    // clang-format on
    for (auto const& c : cases)
    {
        EXPECT_EQ(oscToMidi(oscFloat("/x", c.x), 0, 1, c.exponent),
                  Events{"midi" + bytes(MidiMessage::ControllerEvent(1, 7, c.sent))})
            << c.x << " " << c.exponent;
        EXPECT_EQ(g7(map.GetEntry(0).currentMidi), c.stored) << c.x << " " << c.exponent;
        EXPECT_EQ(bits(map.GetEntry(0).currentOsc), bits(c.x));
    }

    // Exactly one number, of any numeric type; a plain address only.
    using qev::OscArgument;
    Events const full{"midi B0 07 7F"}, half{"midi B0 07 3F"}, none;
    // clang-format off
    struct { std::vector<OscArgument> arguments; Events expected; } const argumentCases[] = {
        {{OscArgument(1)}, full}, {{OscArgument(1L)}, full}, {{OscArgument(0.5)}, half}, {{}, none},
        {{OscArgument(0.5f), OscArgument(0.5f)}, none}, {{OscArgument("0.5")}, none}, {{OscArgument(true)}, none}};
    // clang-format on
    for (auto const& c : argumentCases)
    {
        OscMessage message("/x");
        for (auto const& argument : c.arguments)
            message.Add(argument);
        EXPECT_EQ(oscToMidi(message, 0, 1, 1), c.expected) << message.ToString().GetView();
    }
    EXPECT_EQ(oscToMidi(oscFloat("/y", 0.5f), 0, 1, 1), none);
    EXPECT_EQ(oscToMidi(oscFloat("/x/", 0.5f), 0, 1, 1), half); // the same address once normalised
    map.AddEntry(1, 8, OscAddress("/x/y"), 0, 1, 1);
    recorder.events.clear();
    map.Process(oscFloat("/x/*", 0.5f));
    map.Process(oscFloat("/x/[xy]", 0.5f));
    EXPECT_EQ(recorder.events, none);
}

TEST_F(MidiOscMapTest, OscToMidiStaysDefinedOutsideTheUsualRanges)
{
    map.AddEntry(0, 5, OscAddress("/a"), 0, 1, 1);
    map.AddEntry(20, 133, OscAddress("/a"), 0, 1, 1);
    map.AddEntry(3, 5, OscAddress("/a"), 2, 2, 1); // equal ends send 0 and store 0, not NaN
    map.Process(oscFloat("/a", 1));
    // Channel 0 sends on 1, channel 20 on 16, controller 133 as 5.
    EXPECT_EQ(recorder.events, (Events{"midi B0 05 7F", "midi BF 05 7F", "midi B2 05 00"}));
    EXPECT_TRUE(map.GetEntry(1).currentMidi == 127 && map.GetEntry(1).currentOsc == 1);
    EXPECT_EQ(bits(map.GetEntry(2).currentMidi), bits(0.0f));

    // A negative exponent reaches infinity at 0, capped at the largest float; a NaN argument
    // counts as 0. Neither is ever stored.
    map.EditEntry(0, 1, 5, OscAddress("/a"), 0, 1, -2);
    recorder.events.clear();
    map.Process(oscFloat("/a", 0));
    map.Process(oscFloat("/a", NAN));
    EXPECT_EQ(recorder.events, (Events{"midi B0 05 7F", "midi BF 05 00", "midi B2 05 00", "midi B0 05 7F",
                                       "midi BF 05 00", "midi B2 05 00"}));
    EXPECT_EQ(bits(map.GetEntry(0).currentMidi), bits(FLT_MAX));
    EXPECT_EQ(bits(map.GetEntry(0).currentOsc), bits(0.0f));
    recorder.events.clear();
    map.ForceUpdate();
    EXPECT_EQ(recorder.events[0], "midi B0 05 7F");
}

TEST_F(MidiOscMapTest, StraightLineRoundTripIsExact)
{
    map.AddEntry(1, 7, OscAddress("/x"), 0, 1, 1);
    for (int v = 0; v <= 127; ++v)
    {
        recorder.oscValues.clear();
        map.Process(MidiMessage::ControllerEvent(1, 7, v));
        recorder.events.clear();
        map.Process(oscFloat("/x", recorder.oscValues.at(0)));
        ASSERT_EQ(recorder.events, Events{"midi" + bytes(MidiMessage::ControllerEvent(1, 7, v))});
    }
}

TEST_F(MidiOscMapTest, ResultsAndLearnReportsArriveInOrder)
{
    Recorder second;
    map.AddListener(&second);
    map.AddEntry(1, 7, OscAddress("/a"), 0, 1, 1);
    map.AddEntry(2, 7, OscAddress("/b"), 0, 2, 1);
    map.AddEntry(3, 7, OscAddress("/c"), 0, 1, 1);
    map.EditEntry(1, 1, 7, OscAddress("/b"), 0, 2, 1); // a second entry on channel 1, controller 7
    recorder.events.clear();
    second.events.clear();
    map.SetMidiLearn(true);

    map.Process(MidiMessage::ControllerEvent(1, 7, 127));
    unsigned char const noteOn[] = {0x90, 60, 100};
    map.Process(MidiMessage(noteOn, 3));
    EXPECT_EQ(recorder.events, (Events{"osc /a 1 /b 2", "learn B0 07 7F", "learn 90 3C 64"}));
    EXPECT_EQ(second.events, recorder.events);
    EXPECT_EQ(bytes(map.GetLastMessage()), " 90 3C 64");
    EXPECT_EQ(map.GetEntry(2).currentOsc, 0.0f); // channel 3 untouched

    map.SetMidiLearn(false);
    recorder.events.clear();
    map.Process(MidiMessage::ControllerEvent(2, 7, 1));
    EXPECT_TRUE(recorder.events.empty());
    map.RemoveListener(&second);
}

TEST_F(MidiOscMapTest, LearnCallbacksMayEditTheTableAndTheListeners)
{
    // As the editor's row does: take the learned controller into entry 0, which re-enters
    // Process, and meanwhile change who is listening.
    Recorder late, removed;
    map.AddListener(&removed);
    map.AddEntry(1, 0, OscAddress("/foo"), 0, 1, 1);
    map.SetMidiLearn(true);
    bool learned = false;
    recorder.onLearn = [&](MidiMessage const& m)
    {
        if (std::exchange(learned, true))
            return;
        map.AddListener(&late);
        map.RemoveListener(&removed);
        auto const& e = map.GetEntry(0);
        map.EditEntry(0, m.GetChannel(), m.GetControllerNumber(), e.address, e.minimum, e.maximum, e.exponent,
                      m.GetControllerValue());
        map.SetMidiLearn(false);
    };
    map.Process(MidiMessage::ControllerEvent(5, 9, 64));
    EXPECT_EQ(recorder.events, (Events{"learn B4 09 40", "osc /foo 0.503937", "learn B4 09 40"}));
    EXPECT_EQ(late.events, (Events{"osc /foo 0.503937", "learn B4 09 40"}));
    EXPECT_TRUE(removed.events.empty());
    EXPECT_EQ(map.GetEntry(0).channel, 5);
    map.RemoveListener(&late);
}

TEST_F(MidiOscMapTest, AddEntryReplacesByChannelAndController)
{
    map.AddEntry(1, 7, OscAddress("/a"), 0, 1, 2);
    map.Process(MidiMessage::ControllerEvent(1, 7, 64));
    map.AddEntry(2, 7, OscAddress("/c"), 0, 1, 1);
    map.AddEntry(1, 7, OscAddress("/b"), 5, 10, 1);
    ASSERT_EQ(map.GetNumEntries(), 2u);
    auto const& e = map.GetEntry(0);
    EXPECT_TRUE(e.address == OscAddress("/b") && e.minimum == 5 && e.maximum == 10 && e.exponent == 1 &&
                e.currentMidi == 0 && e.currentOsc == 0);
    EXPECT_EQ(map.GetEntry(1).channel, 2);

    // clang-format off
    struct { float given, stored; } const exponents[] = {
        {0, 0.0001f}, {-3, 0.0001f}, {NAN, 0.0001f}, {0.00005f, 0.0001f}, {0.5f, 0.5f}};
    // clang-format on
    for (auto const& c : exponents)
    {
        map.AddEntry(4, 4, OscAddress("/e"), 0, 1, c.given);
        EXPECT_EQ(map.GetEntry(2).exponent, c.stored) << c.given;
    }
    EXPECT_EQ(recorder.events.size(), 1u); // only the Process above
}

TEST_F(MidiOscMapTest, AddNewEntryTakesTheLowestFreeControllerOnChannelOne)
{
    std::vector<std::pair<int, int>> full;
    for (int c = 0; c < 128; ++c)
        full.emplace_back(1, c);
    // clang-format off
    struct { std::vector<std::pair<int, int>> existing; int expected; } const cases[] = {
        {{}, 0}, {{{1, 0}}, 1}, {{{1, 0}, {1, 2}}, 1}, {{{2, 0}, {3, 0}}, 0}, {{{1, 2}, {1, 1}, {1, 0}}, 3},
        {full, 128}};
    // clang-format on
    for (auto const& c : cases)
    {
        map.Clear();
        for (auto const& [channel, controller] : c.existing)
            map.AddEntry(channel, controller, OscAddress("/a"), 0, 1, 1);
        map.AddNewEntry();
        auto const& added = map.GetEntry(map.GetNumEntries() - 1);
        EXPECT_EQ(added.controller, c.expected);
        EXPECT_TRUE(added.channel == 1 && added.address == OscAddress("/foo") && added.maximum == 1);
    }
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(MidiOscMapTest, EditEntryReprocessesOnlyWhenSomethingChanged)
{
    map.AddEntry(1, 7, OscAddress("/a"), 0, 1, 1);
    map.Process(oscFloat("/a", 0.51102364f));
    ASSERT_EQ(g7(map.GetEntry(0).currentMidi), "64.9");
    map.Process(MidiMessage::ControllerEvent(2, 2, 2));
    recorder.events.clear();

    map.EditEntry(0, 1, 7, OscAddress("/a"), 0, 1, 1);
    map.EditEntry(0, 1, 7, OscAddress("/a"), 0, 1, 1, 64);
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_EQ(bytes(map.GetLastMessage()), " B1 02 02");

    map.EditEntry(0, 1, 7, OscAddress("/a"), 0, 10, 1);
    EXPECT_EQ(recorder.events, Events{"osc /a 5.03937"});
    EXPECT_EQ(bytes(map.GetLastMessage()), " B0 07 40");
    recorder.events.clear();
    map.EditEntry(0, 1, 7, OscAddress("/a"), 0, 10, 2); // the exponent alone
    EXPECT_EQ(recorder.events, Events{"osc /a 2.539525"});

    map.EditEntry(0, 1, 7, OscAddress("/a"), 0, 10, 0, 200);
    EXPECT_EQ(map.GetEntry(0).exponent, 0.0f);
    EXPECT_EQ(map.GetEntry(0).currentMidi, 72.0f);
    EXPECT_EQ(bytes(map.GetLastMessage()), " B0 07 48");

    // No MIDI message carries these: masked or clamped, theirs would process /b or /c instead.
    map.AddEntry(1, 0, OscAddress("/b"), 0, 1, 1);
    map.AddEntry(16, 7, OscAddress("/c"), 0, 1, 1);
    recorder.events.clear();
    for (auto const& [channel, controller] : {std::pair(1, 128), {1, -128}, {0, 0}, {20, 7}, {17, 135}})
    {
        map.EditEntry(0, channel, controller, OscAddress("/a"), 0, 10, 0);
        EXPECT_TRUE(map.GetEntry(0).channel == channel && map.GetEntry(0).controller == controller);
    }
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_EQ(bytes(map.GetLastMessage()), " B0 07 48");
}

TEST_F(MidiOscMapTest, ForceUpdateSendsStoredValuesUnchanged)
{
    map.AddEntry(1, 7, OscAddress("/a"), 0, 127, 1);
    map.AddEntry(2, 8, OscAddress("/b"), 0, 1, 1);
    map.AddEntry(0, 136, OscAddress("/c"), 0, 1, 1); // sent on channel 1, controller 8
    map.Process(oscFloat("/a", 64.7f));
    recorder.events.clear();
    recorder.oscValues.clear();
    map.ForceUpdate();
    EXPECT_EQ(recorder.events, (Events{"midi B0 07 40", "osc /a 64.7", "midi B1 08 00", "osc /b 0",
                                       "midi B0 08 00", "osc /c 0"}));
    EXPECT_EQ(bits(recorder.oscValues[0]), bits(64.7f));
    EXPECT_EQ(bytes(map.GetLastMessage()), " F0 F7");
}

TEST_F(MidiOscMapTest, ListenersAndEntryRemoval)
{
    Recorder other, stranger;
    map.AddListener(&recorder);
    map.AddListener(nullptr);
    map.AddListener(&other);
    map.RemoveListener(nullptr);
    map.RemoveListener(&stranger);
    for (char const* address : {"/a", "/b", "/c"})
        map.AddEntry(1, address[1], OscAddress(address), 0, 1, 1);
    map.RemoveEntry(0);
    ASSERT_EQ(map.GetNumEntries(), 2u);
    EXPECT_TRUE(map.GetEntry(0).address == OscAddress("/b") && map.GetEntry(1).address == OscAddress("/c"));

    map.SetMidiLearn(true);
    map.Process(MidiMessage::ControllerEvent(1, 1, 1));
    map.Clear();
    EXPECT_TRUE(map.GetNumEntries() == 0 && map.IsMidiLearnOn());
    EXPECT_EQ(bytes(map.GetLastMessage()), " B0 01 01");
    map.ForceUpdate();
    map.Process(MidiMessage::ControllerEvent(1, 1, 1));
    EXPECT_EQ(recorder.events, (Events{"learn B0 01 01", "learn B0 01 01"}));
    EXPECT_EQ(other.events, recorder.events);
    map.RemoveListener(&other);
}

} // namespace
