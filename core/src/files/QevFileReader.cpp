#include "files/QevFileReader.h"

#include "common/QevException.h"
#include "common/QevExceptions.h"
#include "memory/QevMemoryBlock.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qev
{

namespace
{
// Larger requests are split: Linux moves at most about 2 GiB per call anyway.
constexpr long long maxChunk = 1LL << 30;

// Opening failures are logged as an unsupported file first, then reported to the caller as a
// plain exception with the same text.
[[noreturn]] void throwCannotOpen(File const& file, unsigned long firstLine, unsigned long line)
{
    exceptions::UnsupportedFile const first(file, SourceLineInfo("QevFileHandle", firstLine));
    throw Exception(first.GetMessage(), SourceLineInfo("QevFileHandle", line), true, false);
}

int openRetrying(char const* path, int flags, mode_t mode) noexcept
{
    int handle;
    do
        handle = ::open(path, flags | O_CLOEXEC, mode);
    while (handle < 0 && errno == EINTR);
    return handle;
}
} // namespace

//==============================================================================================
int FileHandle::TryOpenFileForReading(File const& file) noexcept
{
    // O_NONBLOCK: opening a FIFO would otherwise wait for a writer forever. Regular files ignore it.
    return openRetrying(file.GetFullPathName().GetCString(), O_RDONLY | O_NONBLOCK, 0644);
}

int FileHandle::OpenFileForReading(File const& file)
{
    int const handle = TryOpenFileForReading(file);
    if (handle < 0)
        throwCannotOpen(file, 73, 78);
    return handle;
}

int FileHandle::OpenFileForWriting(File const& file)
{
    if (file.ExistsAsFile())
    {
        int const handle = openRetrying(file.GetFullPathName().GetCString(), O_RDWR, 0644);
        if (handle < 0)
            throwCannotOpen(file, 129, 149);
        if (::lseek(handle, 0, SEEK_END) < 0)
        {
            Close(handle);
            throwCannotOpen(file, 129, 149);
        }
        return handle;
    }
    return CreateFileForWriting(file);
}

int FileHandle::CreateFileForWriting(File const& file)
{
    int const handle = openRetrying(file.GetFullPathName().GetCString(), O_RDWR | O_CREAT | O_EXCL, 0644);
    if (handle < 0)
        throwCannotOpen(file, 143, 149);
    return handle;
}

bool FileHandle::Close(int handle) noexcept
{
    return handle >= 0 && ::close(handle) == 0;
}

long long FileHandle::ReadFully(int handle, void* destination, long long count) noexcept
{
    char* const bytes = static_cast<char*>(destination);
    long long done = 0;
    while (done < count)
    {
        ssize_t const got =
            ::read(handle, bytes + done, static_cast<size_t>(std::min(count - done, maxChunk)));
        if (got > 0)
            done += got;
        else if (got == 0 || errno != EINTR)
            break;
    }
    return done;
}

unsigned long FileHandle::WriteFully(int handle, void const* source, unsigned long count) noexcept
{
    char const* const bytes = static_cast<char const*>(source);
    unsigned long done = 0;
    while (done < count)
    {
        unsigned long const chunk = std::min(count - done, static_cast<unsigned long>(maxChunk));
        ssize_t const written = ::write(handle, bytes + done, chunk);
        if (written > 0)
            done += static_cast<unsigned long>(written);
        else if (written == 0 || errno != EINTR)
            break;
    }
    return done;
}

//==============================================================================================
FileReader::FileReader(File const& fileToRead) : file(fileToRead)
{
    if (!file.ExistsAsFile())
        throw exceptions::NoSuchFile(file, SourceLineInfo("QevFileReader", 30));
    handle = FileHandle::OpenFileForReading(file);
    if (handle < 0)
        throw exceptions::UnsupportedFile(file, SourceLineInfo("QevFileReader", 39));
    // The size of the file actually opened, not of whatever the path names by now.
    struct stat info;
    if (::fstat(handle, &info) == 0 && info.st_size > 0)
        totalLength = static_cast<long long>(info.st_size);
}

FileReader::~FileReader()
{
    FileHandle::Close(handle);
}

long long FileReader::Read(void* destination, long long count)
{
    if (count < 1)
        return 0;
    if (needsSeek)
    {
        if (handle < 0 || position < 0 || ::lseek(handle, static_cast<off_t>(position), SEEK_SET) != position)
            return 0;
        needsSeek = false;
    }
    long long const got = FileHandle::ReadFully(handle, destination, count);
    position += got;
    return got;
}

bool FileReader::SetPosition(long long newPosition)
{
    long long const clamped = std::clamp(newPosition, 0LL, totalLength);
    if (clamped != position)
    {
        position = clamped;
        needsSeek = true;
    }
    return true;
}

long long FileReader::Read(MemoryBlock& block)
{
    SetPosition(0);
    block.SetSize(static_cast<unsigned long>(totalLength), false);
    if (totalLength == 0)
        return 0;
    if (Read(block.GetData(), totalLength) != totalLength)
    {
        block.SetSize(0, false);
        throw Exception(String("Could not read file ") + file.GetFullPathName().Quoted('"'),
                        SourceLineInfo("QevFileReader", __LINE__), true, false);
    }
    return totalLength;
}

} // namespace qev
