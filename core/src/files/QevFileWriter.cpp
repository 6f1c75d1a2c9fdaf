#include "files/QevFileWriter.h"

#include "common/QevException.h"
#include "files/QevFileReader.h"
#include "files/QevMemoryOutputStream.h"

#include <cerrno>
#include <unistd.h>

namespace qev
{

FileWriter::FileWriter(File const& fileToWrite, Mode mode) : file(fileToWrite)
{
    if (!file.CreateDirectoryFor())
        throw Exception(String("Couldn't create or write in folder ") +
                            file.getPathUpToLastSlash().Quoted('"'),
                        SourceLineInfo("QevFileWriter", 35), true, false);
    handle = mode == Mode::createNew ? FileHandle::CreateFileForWriting(file)
                                     : FileHandle::OpenFileForWriting(file);
    off_t const offset = ::lseek(handle, 0, SEEK_CUR);
    if (offset < 0)
    {
        FileHandle::Close(handle);
        handle = FileHandle::invalid;
        failed = true;
        return;
    }
    position = static_cast<long long>(offset);
}

FileWriter::~FileWriter()
{
    FileHandle::Close(handle);
}

bool FileWriter::Write(void const* data, unsigned long count)
{
    if (handle < 0)
    {
        failed = true;
        return false;
    }
    unsigned long const written = count == 0 ? 0 : FileHandle::WriteFully(handle, data, count);
    position += static_cast<long long>(written);
    if (written != count)
        failed = true;
    return written == count;
}

bool FileWriter::Write(MemoryOutputStream const& stream)
{
    return Write(stream.GetData(), stream.GetDataSize());
}

bool FileWriter::Close()
{
    if (handle >= 0)
    {
        // Delayed write errors (a full disk, a failing device, a network file system) surface
        // only here. Files that cannot be synchronised (EINVAL) are not an error.
        if (::fsync(handle) != 0 && errno != EINVAL && errno != EROFS)
            failed = true;
        if (!FileHandle::Close(handle))
            failed = true;
        handle = FileHandle::invalid;
    }
    return !failed;
}

} // namespace qev
