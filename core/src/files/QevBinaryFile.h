#pragma once

#include "files/QevFile.h"

namespace qev
{

class MemoryBlock;
class MemoryOutputStream;

// Whole files as raw bytes.
class BinaryFile
{
public:
    BinaryFile() = delete;

    // The whole file into the block. Throws as FileReader does, and when the file cannot be
    // read completely.
    static void ReadData(MemoryBlock& block, File const& file);
    static MemoryBlock ReadData(File const& file);

    // Saves the bytes safely (TemporaryFile): the new content is written and checked beside the
    // file, then a file being replaced goes to the trash and the new one takes its place. A
    // failed write leaves an existing file as it was and returns false. Throws qev::Exception
    // when a folder is at the path, when a file is there and overwrite refuses, when the folder
    // cannot be created, or when no trash can take the old file.
    static bool WriteData(char const* bytes, unsigned long count, File const& file,
                          Overwrite const& overwrite);
    static bool WriteData(MemoryOutputStream const& stream, File const& file, Overwrite const& overwrite);
};

} // namespace qev
