#pragma once

#include "files/QevFile.h"
#include "files/QevInputStream.h"

namespace qev
{

class MemoryBlock;

// The descriptor layer under the readers and writers. A handle is a POSIX descriptor; -1 means
// that no file is open (0 is a valid descriptor). Every descriptor is opened close-on-exec, so
// programs started by the host never inherit the user's files.
class FileHandle
{
public:
    FileHandle() = delete;

    static constexpr int invalid = -1;

    // Read-only. Never blocks on a FIFO or device waiting for a writer. Throws qev::Exception
    // "Could not open file ... Unsupported format?" when the file cannot be opened.
    static int OpenFileForReading(File const& file);
    // The same without an exception (and so without a log entry): invalid when the file cannot be
    // opened.
    static int TryOpenFileForReading(File const& file) noexcept;
    // An existing file is opened read-write with the descriptor at its end, so that writing
    // appends; otherwise the file is created exclusively (a file or link appearing meanwhile
    // makes the open fail rather than be written through). Nothing is ever truncated.
    // Throws as OpenFileForReading does.
    static int OpenFileForWriting(File const& file);
    // Creates the file exclusively, read-write; throws as above when anything is already there.
    static int CreateFileForWriting(File const& file);

    // True when the descriptor was closed without error. Not retried after EINTR: on Linux the
    // descriptor is released all the same.
    static bool Close(int handle) noexcept;
    // Reads until count bytes arrived, the end of the file or an error; the bytes read.
    static long long ReadFully(int handle, void* destination, long long count) noexcept;
    // Writes all count bytes, retrying short and interrupted writes; the bytes written.
    static unsigned long WriteFully(int handle, void const* source, unsigned long count) noexcept;
};

// A file as a byte stream. The descriptor is moved lazily: SetPosition only records the new
// position and the next Read seeks there.
class FileReader : public InputStream
{
public:
    // Throws qev::exceptions::NoSuchFile when no file is at the path (a folder does not count), and
    // qev::Exception when the file cannot be opened.
    explicit FileReader(File const& file);
    ~FileReader() override;

    FileReader(FileReader const&) = delete;
    FileReader& operator=(FileReader const&) = delete;

    File const& GetFile() const noexcept { return file; }

    // The size when the file was opened.
    long long GetTotalLength() const override { return totalLength; }
    bool IsExhausted() const override { return position >= totalLength; }
    // Reads until count bytes arrived, the end of the file or a read error; the bytes read.
    // An error never moves the position backwards and is never counted as bytes.
    long long Read(void* destination, long long count) override;
    long long GetPosition() const override { return position; }
    // Clamps to [0, total length]; always true.
    bool SetPosition(long long newPosition) override;

    // The whole file from its start: the block is sized to the total length and filled.
    // Returns that length. Throws qev::Exception "Could not read file" (leaving the block
    // empty) when not every byte could be read, so that a partial file never passes for the
    // whole one.
    long long Read(MemoryBlock& block);

private:
    File file;
    long long totalLength = 0;
    long long position = 0;
    int handle = FileHandle::invalid;
    bool needsSeek = true;
};

} // namespace qev
