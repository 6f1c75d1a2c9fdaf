#pragma once

#include "files/QevMemoryInputStream.h"
#include "memory/QevMemoryBlock.h"
#include "memory/QevVector.h"
#include "osc/QevOscAddress.h"
#include "osc/QevOscArgument.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscMessage.h"

#include <cstdint>

namespace qev
{

// Reads one OSC 1.0 packet from the caller's bytes, in place; the bytes must outlive the
// reading. Every malformation throws qev::Exception with a text beginning "OSC input stream"
// (a malformed address pattern throws its own "OSC format error: "). A type tag string is
// required; 'd' arrives as 'f'. Bundles nest at most maxBundleDepth levels deep.
class OscInputStream
{
public:
    static constexpr unsigned maxBundleDepth = 64;

    OscInputStream(char const* data, unsigned long size) noexcept : input(data, size) {}

    std::int32_t ReadInt32();
    std::int64_t ReadInt64();
    float ReadFloat32();
    double ReadFloat64();
    std::uint64_t ReadTimeTag();
    // The text before the NUL; the NUL and the padding are consumed.
    String ReadString();
    // Consumes the zero bytes that pad n bytes to a multiple of 4.
    void readPaddingZeros(unsigned long n);
    MemoryBlock ReadBlob();
    OscAddressPattern ReadAddressPattern();
    Vector<char> ReadTypeTagString();
    OscArgument ReadArgument(char const& tag);
    OscMessage ReadMessage();
    // Reads elements while fewer than limit bytes of the bundle were read and the data lasts.
    OscBundle ReadBundle(unsigned long limit);
    // One element with its size in front.
    OscBundle::Element ReadElement();
    OscBundle::Element ReadElementWithKnownSize(unsigned long size);
    OscMessage readMessageWithCheckedSize(unsigned long size);
    OscBundle readBundleWithCheckedSize(unsigned long size);

    // The whole data as one packet: a bundle, or a lone message as a bundle of one.
    OscBundle ReadPacket();

private:
    // Checks the type tag string in place and returns its tags (in the caller's bytes).
    char const* readTypeTags(unsigned long& numTags);
    // The text of an OSC string, left in the caller's bytes; the NUL and padding are consumed.
    char const* readStringInPlace(unsigned long& length);
    unsigned long countElements(unsigned long limit) const noexcept;
    // The first byte of an element of the given size, after the checks every element passes.
    char checkElementContent(unsigned long size) const;
    // The hot path's small steps, inlined where they are used.
    std::uint32_t take32(unsigned failure);
    std::uint64_t take64(unsigned failure);
    void skipPadding(unsigned long n);
    void need(unsigned long bytes, unsigned failure) const
    {
        if (input.GetRemaining() < bytes)
            failWith(failure);
    }
    [[noreturn]] static void failWith(unsigned failure);

    MemoryInputStream input;
    unsigned depth = 0;
};

} // namespace qev
