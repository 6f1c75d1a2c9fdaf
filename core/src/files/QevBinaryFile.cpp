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
    TemporaryFile const temporary(file, 0);
    temporary.RefuseEarly(overwrite);
    return temporary.Write(bytes, count) && temporary.ReplaceTarget(overwrite);
}

bool BinaryFile::WriteData(MemoryOutputStream const& stream, File const& file, Overwrite const& overwrite)
{
    return WriteData(stream.GetData(), stream.GetDataSize(), file, overwrite);
}

} // namespace qev
