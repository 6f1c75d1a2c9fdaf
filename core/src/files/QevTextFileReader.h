#pragma once

#include "files/QevFile.h"

#include <vector>

namespace qev
{

// Reads a text file line by line, or whole. Bytes are passed through unchanged; only files
// marked as UTF-16 are converted (whole reads).
class TextFileReader
{
public:
    TextFileReader() = default;
    ~TextFileReader();

    TextFileReader(TextFileReader const&) = delete;
    TextFileReader& operator=(TextFileReader const&) = delete;

    // Closes any open file, then opens this one. True when it can be read.
    bool Open(File const& file);
    // False when closing failed; the reader is then in the failed state.
    bool Close();

    File const& GetFile() const noexcept { return file; }

    // The next line without its terminator: a line feed, or also a carriage return when
    // carriageReturnEndsLine is set (so CR LF then gives an extra empty line). Without the flag
    // a CR stays at the end of the line. A file ending in a line feed yields one last empty line.
    // Empty once nothing more can be read.
    String GetNextLine(bool carriageReturnEndsLine);
    // True once a read reached the end of the file, and whenever nothing more can be read (no
    // file open, a read error), so that loops on it always end.
    bool IsExhausted() const noexcept { return !isGood(); }

    // The whole file as text: UTF-16 with a byte-order mark (either order) is converted to
    // UTF-8, anything else is taken byte for byte. Throws as FileReader does.
    static String ReadEntireFileAsString(File const& file);

private:
    bool isGood() const noexcept { return handle >= 0 && !atEnd && !failed; }
    // Refills the buffer; false at the end of the file or on an error (which sets the state).
    bool refill();

    File file;
    int handle = -1;
    bool atEnd = false;
    bool failed = false;
    std::vector<char> buffer;
    unsigned long bufferPosition = 0;
    unsigned long bufferEnd = 0;
};

class UTFConversions
{
public:
    UTFConversions() = delete;

    // At least two bytes, the first two being FF FE or FE FF.
    static bool LooksLikeUTF16(void const* data, unsigned long size) noexcept;
    // count 16-bit code units, little-endian unless bigEndian, surrogate pairs combined, as
    // UTF-8. An unpaired surrogate gives the empty text.
    static String ConvertUTF16ToUTF8(void const* data, unsigned long count);
    static String ConvertUTF16ToUTF8(void const* data, unsigned long count, bool bigEndian);
};

} // namespace qev
