#pragma once

#include "memory/QevHeapBlock.h"

namespace qev
{

// A raw MIDI message with a time stamp. Messages of up to four bytes (every control change this
// program builds) live wholly inside the object: building, copying and destroying them never
// touches the heap. Longer ones own a block of their own; no two messages share one.
class MidiMessage
{
public:
    // The empty system-exclusive message F0 F7.
    MidiMessage() noexcept;
    // A copy of size bytes (a negative size counts as none). Throws qev::Exception
    // "out of memory" when a block for more than four bytes cannot be had.
    MidiMessage(unsigned char const* data, int size, double timeStamp = 0.0);

    MidiMessage(MidiMessage const& other);
    MidiMessage(MidiMessage&& other) noexcept;
    // On failure the message is left as it was.
    MidiMessage& operator=(MidiMessage const& other);
    MidiMessage& operator=(MidiMessage&& other) noexcept;
    ~MidiMessage() = default;

    // A 3-byte control change. Channels up to 0 give channel 1, channels above 16 give 16; the
    // controller number and the value keep their low 7 bits (128 becomes 0, -1 becomes 127).
    static MidiMessage ControllerEvent(int channel, int controllerNumber, int value) noexcept;

    // 1..16 for a channel message, 0 for a system message (status F0h and above).
    int GetChannel() const noexcept;
    bool IsController() const noexcept;
    // Data bytes 1 and 2 as stored; meaningful for control changes only (the size is not looked
    // at, so a shorter message yields whatever those bytes hold, zero for a fresh one).
    int GetControllerNumber() const noexcept;
    int GetControllerValue() const noexcept;

    unsigned char const* GetRawData() const noexcept
    {
        return external.IsNull() ? inlineBytes : external.Get();
    }
    int GetRawDataSize() const noexcept { return size; }
    double GetTimeStamp() const noexcept { return timeStamp; }

private:
    static constexpr int inlineCapacity = 4;

    // Makes the message hold a copy of the bytes; the old content stays on failure.
    void assign(unsigned char const* data, int newSize, double newTimeStamp);
    void resetToDefault() noexcept;

    double timeStamp = 0.0;
    HeapBlock<unsigned char> external;
    int size = 2;
    unsigned char inlineBytes[inlineCapacity] = {0xF0, 0xF7, 0, 0};
};

} // namespace qev
