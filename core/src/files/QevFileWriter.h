#pragma once

#include "files/QevFile.h"

namespace qev
{

class MemoryOutputStream;

// Writes bytes at the end of a file. Every write is checked byte for byte and a failure sticks:
// once a write has failed, Close() reports false as well, so a caller that checks Close() alone
// still learns that the file is incomplete.
class FileWriter
{
public:
    enum class Mode
    {
        append,   // an existing file is appended to, a missing one is created
        createNew // the file must not exist yet; it is created exclusively
    };

    // Creates the folder that will hold the file, then opens the file. Throws qev::Exception
    // when the folder cannot be created or the file cannot be opened (in createNew mode, also
    // when something is already there).
    explicit FileWriter(File const& file, Mode mode = Mode::append);
    // Closes the file; a failure there is lost: call Close() to learn it.
    ~FileWriter();

    FileWriter(FileWriter const&) = delete;
    FileWriter& operator=(FileWriter const&) = delete;

    File const& GetFile() const noexcept { return file; }
    bool IsOpen() const noexcept { return handle >= 0; }
    // The offset the next write goes to.
    long long GetPosition() const noexcept { return position; }
    // A write failed, or the file could not be opened.
    bool HasFailed() const noexcept { return failed; }

    // Writes all count bytes, retrying short and interrupted writes. False, and the writer
    // marked failed, when not every byte reached the file.
    bool Write(void const* data, unsigned long count);
    bool Write(MemoryOutputStream const& stream);

    // Flushes the file to the device and closes it. True only when the file was open, every
    // write succeeded, and the flush and close succeeded. Later writes fail.
    bool Close();

private:
    File file;
    long long position = 0;
    int handle = -1;
    bool failed = false;
};

} // namespace qev
