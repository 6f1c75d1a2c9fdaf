#include "files/QevTextFileReader.h"

#include "files/QevFileReader.h"
#include "memory/QevMemoryBlock.h"

#include <cerrno>
#include <new>
#include <string>
#include <unistd.h>

namespace qev
{

namespace
{
constexpr unsigned long bufferSize = 64 * 1024;

void appendUTF8(std::string& text, std::uint32_t c)
{
    if (c < 0x80)
        text += static_cast<char>(c);
    else if (c < 0x800)
    {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}
} // namespace

//==============================================================================================
TextFileReader::~TextFileReader()
{
    Close();
}

bool TextFileReader::Open(File const& fileToRead)
{
    bool const closed = Close();
    file = fileToRead;
    if (!closed)
        return false;
    // A file that cannot be opened is the caller's to report: nothing reaches the log from here.
    handle = FileHandle::TryOpenFileForReading(file);
    if (handle < 0)
    {
        failed = true;
        return false;
    }
    if (buffer.size() != bufferSize)
        buffer.resize(bufferSize);
    return true;
}

bool TextFileReader::Close()
{
    atEnd = false;
    bufferPosition = bufferEnd = 0;
    if (handle < 0)
    {
        failed = false;
        return true;
    }
    failed = !FileHandle::Close(handle);
    handle = FileHandle::invalid;
    return !failed;
}

bool TextFileReader::refill()
{
    for (;;)
    {
        ssize_t const got = ::read(handle, buffer.data(), buffer.size());
        if (got > 0)
        {
            bufferPosition = 0;
            bufferEnd = static_cast<unsigned long>(got);
            return true;
        }
        if (got == 0)
            atEnd = true;
        else if (errno == EINTR)
            continue;
        else
            failed = true;
        return false;
    }
}

String TextFileReader::GetNextLine(bool carriageReturnEndsLine)
{
    std::string line;
    if (!isGood())
        return String(std::move(line));
    for (;;)
    {
        if (bufferPosition == bufferEnd && !refill())
            break;
        char const* const begin = buffer.data() + bufferPosition;
        char const* const stop = buffer.data() + bufferEnd;
        char const* p = begin;
        while (p != stop && *p != '\n' && !(carriageReturnEndsLine && *p == '\r'))
            ++p;
        line.append(begin, p);
        bufferPosition = static_cast<unsigned long>(p - buffer.data());
        if (p != stop)
        {
            ++bufferPosition; // the terminator is consumed, not stored
            break;
        }
    }
    return String(std::move(line));
}

String TextFileReader::ReadEntireFileAsString(File const& fileToRead)
{
    MemoryBlock block;
    FileReader(fileToRead).Read(block);
    unsigned long const size = block.GetSize();
    if (size == 0)
        return String();
    char const* const data = block.GetData();
    if (UTFConversions::LooksLikeUTF16(data, size))
        return UTFConversions::ConvertUTF16ToUTF8(data + 2, (size - 2) / 2,
                                                  static_cast<unsigned char>(data[0]) == 0xFE);
    return String(std::string(data, size));
}

//==============================================================================================
bool UTFConversions::LooksLikeUTF16(void const* data, unsigned long size) noexcept
{
    if (data == nullptr || size < 2)
        return false;
    unsigned char const* const bytes = static_cast<unsigned char const*>(data);
    return (bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF);
}

String UTFConversions::ConvertUTF16ToUTF8(void const* data, unsigned long count)
{
    return ConvertUTF16ToUTF8(data, count, false);
}

String UTFConversions::ConvertUTF16ToUTF8(void const* data, unsigned long count, bool bigEndian)
{
    if (data == nullptr || count == 0)
        return String();
    unsigned char const* const bytes = static_cast<unsigned char const*>(data);
    auto const unitAt = [bytes, bigEndian](unsigned long i) -> std::uint32_t
    {
        unsigned char const first = bytes[2 * i];
        unsigned char const second = bytes[2 * i + 1];
        return bigEndian ? (std::uint32_t{first} << 8) | second : (std::uint32_t{second} << 8) | first;
    };
    try
    {
        std::string text;
        text.reserve(count + count / 2);
        for (unsigned long i = 0; i < count; ++i)
        {
            std::uint32_t c = unitAt(i);
            if (c >= 0xDC00 && c <= 0xDFFF)
                return String();
            if (c >= 0xD800 && c <= 0xDBFF)
            {
                if (i + 1 == count)
                    return String();
                std::uint32_t const low = unitAt(++i);
                if (low < 0xDC00 || low > 0xDFFF)
                    return String();
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            }
            appendUTF8(text, c);
        }
        return String(std::move(text));
    }
    catch (std::bad_alloc const&)
    {
        return String();
    }
}

} // namespace qev
