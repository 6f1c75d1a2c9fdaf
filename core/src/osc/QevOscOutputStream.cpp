#include "osc/QevOscOutputStream.h"

#include "files/QevBigEndian.h"

#include <cstdint>
#include <cstring>

namespace qev
{

namespace
{
constexpr unsigned long maxWireCount = 0x7FFFFFFFul; // sizes travel as signed 32-bit counts

inline unsigned long paddedLength(unsigned long n) noexcept
{
    return (n + 3) & ~3ul;
}
} // namespace

void OscOutputStream::writeString(String const& text)
{
    // A NUL inside the text would end the string for every reader, so the text ends there.
    char const* const bytes = text.GetCString();
    unsigned long length = text.GetLength();
    if (void const* nul = std::memchr(bytes, 0, length))
        length = static_cast<unsigned long>(static_cast<char const*>(nul) - bytes);

    unsigned long const total = paddedLength(length + 1);
    char* const destination = stream.PrepareToWrite(total);
    // Zero the last word first: it holds the NUL and every padding byte.
    BigEndian::Store32(destination + total - 4, 0);
    std::memcpy(destination, bytes, length);
}

bool OscOutputStream::WriteBundle(OscBundle const& bundle)
{
    char* const header = stream.PrepareToWrite(16);
    std::memcpy(header, "#bundle", 8);
    BigEndian::Store64(header + 8, bundle.GetTimeTag());

    for (OscBundle::Element const& element : bundle)
    {
        if (!WriteBundleElement(element))
            return false;
    }
    return true;
}

bool OscOutputStream::WriteBundleElement(OscBundle::Element const& element)
{
    unsigned long const sizePosition = stream.GetDataSize();
    BigEndian::Store32(stream.PrepareToWrite(4), 0);

    bool written = false;
    if (OscMessage const* message = element.GetMessage())
        written = WriteMessage(*message);
    else if (OscBundle const* nested = element.GetBundle())
        written = WriteBundle(*nested);

    unsigned long const contentSize = stream.GetDataSize() - sizePosition - 4;
    if (contentSize > maxWireCount)
        return false;
    BigEndian::Store32(stream.GetWrittenData(sizePosition), static_cast<std::uint32_t>(contentSize));
    return written;
}

bool OscOutputStream::WriteMessage(OscMessage const& message)
{
    writeString(message.GetAddressPattern().GetText());

    // ',' then the tags and a NUL, padded: written in one piece.
    unsigned long const numArguments = message.GetNumArguments();
    unsigned long const tagBytes = paddedLength(numArguments + 2);
    char* const tags = stream.PrepareToWrite(tagBytes);
    BigEndian::Store32(tags + tagBytes - 4, 0);
    tags[0] = ',';
    for (unsigned long i = 0; i < numArguments; ++i)
    {
        char const tag = message.GetArgument(i).GetType();
        tags[i + 1] = tag == 'h' ? 'i' : tag;
    }

    for (unsigned long i = 0; i < numArguments; ++i)
    {
        if (!WriteArgument(message.GetArgument(i)))
            return false;
    }
    return true;
}

bool OscOutputStream::WriteArgument(OscArgument const& argument)
{
    switch (argument.GetType())
    {
    case 'T':
    case 'F':
        return true;
    case 'i':
        BigEndian::Store32(stream.PrepareToWrite(4), static_cast<std::uint32_t>(argument.GetInt32()));
        return true;
    case 'h': // the low 32 bits, under tag 'i'
        BigEndian::Store32(stream.PrepareToWrite(4), static_cast<std::uint32_t>(argument.GetInt64()));
        return true;
    case 'f':
        BigEndian::Store32(stream.PrepareToWrite(4), BigEndian::FloatBits(argument.GetFloat32()));
        return true;
    case 'd':
        BigEndian::Store64(stream.PrepareToWrite(8), BigEndian::DoubleBits(argument.GetFloat64()));
        return true;
    case 's':
        writeString(argument.GetString());
        return true;
    case 'b':
    {
        MemoryBlock const& blob = argument.GetBlob();
        unsigned long const count = blob.GetSize();
        if (count > maxWireCount)
            return false;
        unsigned long const total = 4 + paddedLength(count);
        char* const destination = stream.PrepareToWrite(total);
        BigEndian::Store32(destination + total - 4, 0); // the padding; an empty blob's count follows
        BigEndian::Store32(destination, static_cast<std::uint32_t>(count));
        if (count != 0)
            std::memcpy(destination + 4, blob.GetData(), count);
        return true;
    }
    default:
        return false;
    }
}

} // namespace qev
