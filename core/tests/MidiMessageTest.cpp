#include "midi/QevMidiMessage.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace
{

using qev::MidiMessage;

std::vector<int> bytesOf(MidiMessage const& message)
{
    return std::vector<int>(message.GetRawData(), message.GetRawData() + message.GetRawDataSize());
}

// Whether the bytes live inside the object itself (no heap block).
bool storedInside(MidiMessage const& message)
{
    auto const* begin = reinterpret_cast<unsigned char const*>(&message);
    return message.GetRawData() >= begin && message.GetRawData() < begin + sizeof(message);
}

TEST(MidiMessage, ControllerEventClampsTheChannelAndMasksTheDataBytes)
{
    // clang-format off
    struct { int channel, controller, value; std::vector<int> bytes; } const cases[] = {
        {1, 7, 100, {0xB0, 7, 100}},   {16, 7, 100, {0xBF, 7, 100}},   {0, 7, 100, {0xB0, 7, 100}},
        {-3, 7, 100, {0xB0, 7, 100}},  {17, 7, 100, {0xBF, 7, 100}},   {1000, 7, 100, {0xBF, 7, 100}},
        {1, 130, 255, {0xB0, 2, 127}}, {1, 128, 200, {0xB0, 0, 72}},   {1, -1, -1, {0xB0, 127, 127}},
        {INT_MIN, 0, 0, {0xB0, 0, 0}}, {INT_MAX, 0, 0, {0xBF, 0, 0}}};
    // clang-format on
    for (auto const& c : cases)
    {
        MidiMessage const message = MidiMessage::ControllerEvent(c.channel, c.controller, c.value);
        EXPECT_EQ(bytesOf(message), c.bytes) << c.channel << " " << c.controller << " " << c.value;
        EXPECT_TRUE(storedInside(message) && message.GetTimeStamp() == 0.0);
    }
    for (int channel = 1; channel <= 16; ++channel)
        for (int number = 0; number <= 127; number += 9)
            for (int value = 0; value <= 127; value += 7)
            {
                MidiMessage const m = MidiMessage::ControllerEvent(channel, number, value);
                ASSERT_TRUE(m.GetChannel() == channel && m.IsController() &&
                            m.GetControllerNumber() == number && m.GetControllerValue() == value);
            }
}

TEST(MidiMessage, StatusByteDecidesChannelAndKind)
{
    // clang-format off
    struct { unsigned char status; int channel; bool controller; } const cases[] = {
        {0xF0, 0, false}, {0xF8, 0, false}, {0xFF, 0, false}, {0x9F, 16, false}, {0x80, 1, false},
        {0xB5, 6, true},  {0xEF, 16, false}};
    // clang-format on
    for (auto const& c : cases)
    {
        unsigned char const bytes[] = {c.status, 1, 2};
        MidiMessage const message(bytes, 3);
        EXPECT_EQ(message.GetChannel(), c.channel) << int(c.status);
        EXPECT_EQ(message.IsController(), c.controller) << int(c.status);
    }
    MidiMessage const empty;
    EXPECT_EQ(bytesOf(empty), (std::vector<int>{0xF0, 0xF7}));
    EXPECT_TRUE(empty.GetChannel() == 0 && !empty.IsController());
    // Bytes beyond a short message's size read as zero, never as leftovers.
    unsigned char const two[] = {0x90, 60};
    EXPECT_EQ(MidiMessage(MidiMessage(two, 2)).GetControllerValue(), 0);
    EXPECT_EQ(MidiMessage(nullptr, -4).GetRawDataSize(), 0);
}

TEST(MidiMessage, LongMessagesOwnTheirBytes)
{
    std::vector<unsigned char> const sysex = {0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7};
    std::vector<int> const expected(sysex.begin(), sysex.end());
    auto* source = new MidiMessage(sysex.data(), static_cast<int>(sysex.size()), 12.5);
    MidiMessage copy(*source);
    MidiMessage assigned = MidiMessage::ControllerEvent(1, 2, 3);
    assigned = *source;
    delete source;
    for (auto const* message : {&copy, &assigned})
        EXPECT_TRUE(bytesOf(*message) == expected && message->GetTimeStamp() == 12.5 &&
                    !storedInside(*message));

    assigned = MidiMessage::ControllerEvent(2, 3, 4);
    EXPECT_EQ(bytesOf(assigned), (std::vector<int>{0xB1, 3, 4}));
    EXPECT_TRUE(storedInside(assigned));

    // A moved-from message is the default one, not a view of bytes it gave away.
    MidiMessage moved(std::move(copy));
    EXPECT_EQ(bytesOf(moved), expected);
    EXPECT_EQ(bytesOf(copy), (std::vector<int>{0xF0, 0xF7}));
    auto const& alias = moved;
    moved = alias;
    EXPECT_EQ(bytesOf(moved), expected);
}

} // namespace
