#include "midi/QevMidiMessage.h"

#include "common/QevException.h"

#include <cstring>
#include <utility>

namespace qev
{

namespace
{
[[noreturn]] void throwOutOfMemory(unsigned long line)
{
    throw Exception(String("out of memory"), SourceLineInfo("QevMidiMessage", line), true, false);
}
} // namespace

MidiMessage::MidiMessage() noexcept = default;

MidiMessage::MidiMessage(unsigned char const* data, int size, double timeStamp)
{
    assign(data, size, timeStamp);
}

MidiMessage::MidiMessage(MidiMessage const& other) : timeStamp(other.timeStamp), size(other.size)
{
    std::memcpy(inlineBytes, other.inlineBytes, inlineCapacity);
    if (!other.external.IsNull())
    {
        if (!external.Malloc(static_cast<unsigned long>(size), 1))
            throwOutOfMemory(__LINE__);
        std::memcpy(external.Get(), other.external.Get(), static_cast<unsigned long>(size));
    }
}

MidiMessage::MidiMessage(MidiMessage&& other) noexcept
    : timeStamp(other.timeStamp), external(std::move(other.external)), size(other.size)
{
    std::memcpy(inlineBytes, other.inlineBytes, inlineCapacity);
    other.resetToDefault();
}

MidiMessage& MidiMessage::operator=(MidiMessage const& other)
{
    if (this != &other)
        assign(other.GetRawData(), other.size, other.timeStamp);
    return *this;
}

MidiMessage& MidiMessage::operator=(MidiMessage&& other) noexcept
{
    if (this != &other)
    {
        timeStamp = other.timeStamp;
        external = std::move(other.external);
        size = other.size;
        std::memcpy(inlineBytes, other.inlineBytes, inlineCapacity);
        other.resetToDefault();
    }
    return *this;
}

void MidiMessage::resetToDefault() noexcept
{
    // A moved-from message must not claim bytes it no longer holds.
    timeStamp = 0.0;
    external.Free();
    size = 2;
    inlineBytes[0] = 0xF0;
    inlineBytes[1] = 0xF7;
    inlineBytes[2] = 0;
    inlineBytes[3] = 0;
}

void MidiMessage::assign(unsigned char const* data, int newSize, double newTimeStamp)
{
    if (newSize < 0 || data == nullptr)
        newSize = 0;
    auto const byteCount = static_cast<unsigned long>(newSize);
    if (newSize <= inlineCapacity)
    {
        unsigned char bytes[inlineCapacity] = {0, 0, 0, 0};
        if (byteCount > 0)
            std::memcpy(bytes, data, byteCount);
        external.Free();
        std::memcpy(inlineBytes, bytes, inlineCapacity);
    }
    else
    {
        // The new block is complete before the old one goes, so a failure changes nothing.
        HeapBlock<unsigned char> block;
        if (!block.Malloc(byteCount, 1))
            throwOutOfMemory(__LINE__);
        std::memcpy(block.Get(), data, byteCount);
        external = std::move(block);
    }
    size = newSize;
    timeStamp = newTimeStamp;
}

MidiMessage MidiMessage::ControllerEvent(int channel, int controllerNumber, int value) noexcept
{
    int const index = channel <= 0 ? 0 : (channel - 1 >= 15 ? 15 : channel - 1);
    MidiMessage message;
    message.size = 3;
    message.inlineBytes[0] = static_cast<unsigned char>(0xB0 | index);
    message.inlineBytes[1] = static_cast<unsigned char>(controllerNumber & 0x7F);
    message.inlineBytes[2] = static_cast<unsigned char>(value & 0x7F);
    message.inlineBytes[3] = 0;
    return message;
}

int MidiMessage::GetChannel() const noexcept
{
    int const status = GetRawData()[0];
    return (status & 0xF0) < 0xF0 ? (status & 0x0F) + 1 : 0;
}

bool MidiMessage::IsController() const noexcept
{
    return (GetRawData()[0] & 0xF0) == 0xB0;
}

int MidiMessage::GetControllerNumber() const noexcept
{
    return GetRawData()[1];
}

int MidiMessage::GetControllerValue() const noexcept
{
    return GetRawData()[2];
}

} // namespace qev
