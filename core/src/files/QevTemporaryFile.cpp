#include "files/QevTemporaryFile.h"

#include "files/QevFileWriter.h"
#include "files/QevMemoryOutputStream.h"
#include "utils/QevRandomNumber.h"
#include "utils/QevThread.h"

namespace qev
{

namespace
{
constexpr int maxAttempts = 5;
constexpr double moveRetryDelayMs = 100.0;
constexpr double deleteRetryDelayMs = 50.0;
} // namespace

void (*TemporaryFile::betweenTrashAndRename)() = nullptr;

TemporaryFile::TemporaryFile(File const& target, int options) : targetFile(target)
{
    String const& path = target.GetFullPathName();
    std::int64_t const slash = path.IndexOfLastOccurence('/', Case::Sensitive);
    std::int64_t const dot = path.IndexOfLastOccurence('.', Case::Sensitive);
    bool const hasExtension = dot > slash;

    String const folder = target.getPathUpToLastSlash();
    unsigned long const nameStart = static_cast<unsigned long>(slash + 1);
    String const base =
        hasExtension ? path.SubString(nameStart, static_cast<unsigned long>(dot)) : path.SubString(nameStart);
    String const extension = hasExtension ? path.SubString(static_cast<unsigned long>(dot)) : String();

    String name = base + "_temp" + String::ToHexString(RandomNumber::GetSystemRandom().NextInt());
    if ((options & useHiddenFile) != 0)
        name.Prepend('.');
    temporaryFile =
        File(folder).GetNonexistentChildFile(name, extension, (options & putNumbersInBrackets) != 0);
}

TemporaryFile::~TemporaryFile()
{
    DeleteTemporaryFile();
}

bool TemporaryFile::OverwriteTargetFileWithTemporary() const
{
    if (temporaryFile.IsEmpty() || !temporaryFile.ExistsAsFile())
        return false;
    // Another program (a virus scanner, an indexer) may hold the target for a moment.
    for (int attempt = 0; attempt < maxAttempts; ++attempt)
    {
        if (temporaryFile.MoveFileTo(targetFile))
            return true;
        Thread::Sleep(moveRetryDelayMs);
    }
    return false;
}

bool TemporaryFile::DeleteTemporaryFile() const
{
    for (int attempt = 0; attempt < maxAttempts; ++attempt)
    {
        if (temporaryFile.DeleteFile())
            return true;
        Thread::Sleep(deleteRetryDelayMs);
    }
    return false;
}

bool TemporaryFile::Write(void const* data, unsigned long size) const
{
    // Created afresh: a file that appeared under this name since is never appended to. When the
    // open throws, nothing of ours is on disk.
    FileWriter writer(temporaryFile, FileWriter::Mode::createNew);
    bool const written = writer.Write(data, size);
    return writer.Close() && written;
}

bool TemporaryFile::WriteAndReplaceTarget(void const* data, unsigned long size) const
{
    if (Write(data, size) && OverwriteTargetFileWithTemporary())
        return true;
    DeleteTemporaryFile();
    return false;
}

void TemporaryFile::RefuseEarly(Overwrite const& overwrite) const
{
    // A file that may be replaced stays where it is until the new one is complete.
    if (overwrite != Overwrite::Replace || !targetFile.ExistsAsFile())
        targetFile.OverwriteIfNeeded(overwrite);
}

bool TemporaryFile::ReplaceTarget(Overwrite const& overwrite) const
{
    // The old file is never moved away: the rename swaps the new one in, so the target holds a
    // complete file whenever the process dies, and the trash already has the old one.
    File const trashed = targetFile.KeepOldVersionInTrash(overwrite);
    if (betweenTrashAndRename != nullptr)
        betweenTrashAndRename();
    if (OverwriteTargetFileWithTemporary())
        return true;
    // The old file is still in place: the trash must not claim it as well.
    if (!trashed.IsEmpty())
        trashed.WithdrawFromTrash();
    return false;
}

bool TemporaryFile::WriteAndReplaceTarget(MemoryOutputStream const& stream) const
{
    return WriteAndReplaceTarget(stream.GetData(), stream.GetDataSize());
}

} // namespace qev
