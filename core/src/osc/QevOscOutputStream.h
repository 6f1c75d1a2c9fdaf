#pragma once

#include "files/QevMemoryOutputStream.h"
#include "osc/QevOscArgument.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscMessage.h"

namespace qev
{

// Writes one OSC 1.0 packet, always a bundle, in a single pass: each element's size is written
// as a placeholder and patched once the element is complete. 64-bit integers leave as 32-bit
// integers (tag 'i', the low 32 bits) for receivers that know no 'h'.
class OscOutputStream
{
public:
    OscOutputStream() : stream(256) {}

    // False when an element could not be written (an argument of a type the wire cannot
    // carry, or a blob or element beyond 2 GiB); the stream then holds a partial packet.
    bool WriteBundle(OscBundle const& bundle);
    // One element with its size in front.
    bool WriteBundleElement(OscBundle::Element const& element);
    bool WriteMessage(OscMessage const& message);
    // The argument's data, without its tag.
    bool WriteArgument(OscArgument const& argument);

    char const* GetData() const noexcept { return stream.GetData(); }
    unsigned long GetDataSize() const noexcept { return stream.GetDataSize(); }

private:
    void writeString(String const& text);

    MemoryOutputStream stream;
};

} // namespace qev
