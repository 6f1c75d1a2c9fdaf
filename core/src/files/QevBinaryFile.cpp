#include "files/QevBinaryFile.h"

#include "files/QevFileReader.h"
#include "files/QevMemoryOutputStream.h"
#include "files/QevTemporaryFile.h"
#include "memory/QevMemoryBlock.h"

namespace qev
{

void BinaryFile::ReadData(MemoryBlock& block, File const& file)
{
    FileReader reader(file);
    reader.Read(block);
}

MemoryBlock BinaryFile::ReadData(File const& file)
{
    MemoryBlock block;
    ReadData(block, file);
    return block;
}

bool BinaryFile::WriteData(char const* bytes, unsigned long count, File const& file,
                           Overwrite const& overwrite)
{
    // Refusals and folders throw here. A file that may be replaced is not moved away first: the
    // final rename replaces it, so a failed save leaves it in place.
    if (overwrite != Overwrite::Replace || file.IsDirectory())
        file.OverwriteIfNeeded(overwrite);
    TemporaryFile const temporary(file, 0);
    return temporary.WriteAndReplaceTarget(bytes, count);
}

bool BinaryFile::WriteData(MemoryOutputStream const& stream, File const& file, Overwrite const& overwrite)
{
    return WriteData(stream.GetData(), stream.GetDataSize(), file, overwrite);
}

} // namespace qev
