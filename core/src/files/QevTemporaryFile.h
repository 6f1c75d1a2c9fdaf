#pragma once

#include "files/QevFile.h"

namespace qev
{

class MemoryOutputStream;

// Names a fresh sibling of a target file, through which the target is replaced safely: the new
// content is written and checked there, then moved over the target in one rename, so the target
// is always either the old or the complete new version. Nothing is created on disk until
// something writes the temporary file; whatever is left of it is removed on destruction.
class TemporaryFile
{
public:
    enum OptionFlags
    {
        useHiddenFile = 1,        // the temporary name begins with "."
        putNumbersInBrackets = 2, // passed on to File::GetNonexistentChildFile
    };

    // The temporary file is <folder>/<base>_temp<random hex><extension> for the target
    // <folder>/<base><extension>, made unique within the folder.
    TemporaryFile(File const& target, int options);
    ~TemporaryFile();

    TemporaryFile(TemporaryFile const&) = delete;
    TemporaryFile& operator=(TemporaryFile const&) = delete;

    File const& GetFile() const noexcept { return temporaryFile; }
    File const& GetTargetFile() const noexcept { return targetFile; }

    // Moves the temporary file over the target, retrying 5 times 100 ms apart. False at once
    // when the temporary file does not exist.
    bool OverwriteTargetFileWithTemporary() const;
    // Removes the temporary file, retrying 5 times 50 ms apart; true when it is gone.
    bool DeleteTemporaryFile() const;

    // The whole safe save: writes the bytes into the temporary file (created afresh, never
    // appended to), checks every byte and the close, then moves it over the target. On any
    // failure the temporary file is removed, the target is left as it was, and the result is
    // false. Throws qev::Exception only when the target's folder cannot be created or the
    // temporary file cannot be created; nothing is written then.
    bool WriteAndReplaceTarget(void const* data, unsigned long size) const;
    bool WriteAndReplaceTarget(MemoryOutputStream const& stream) const;

    // A save under an overwrite policy, in the order that never gives up the old file before the
    // new one is complete:
    // - RefuseEarly throws what File::OverwriteIfNeeded refuses (a folder at the target, or a
    //   file the policy keeps) before anything is written;
    // - Write puts the bytes into the temporary file, created afresh, and checks every byte and
    //   the close (throws when the file cannot be created);
    // - ReplaceTarget puts a link to the old file (or a copy) in the trash while it stays at the
    //   target, then moves the temporary file over the target in one rename; when the rename
    //   fails, the old file is taken out of the trash again. Throws as File::KeepOldVersionInTrash.
    void RefuseEarly(Overwrite const& overwrite) const;
    bool Write(void const* data, unsigned long size) const;
    bool ReplaceTarget(Overwrite const& overwrite) const;

    // When set, called by ReplaceTarget between trashing the old file and the rename, so that a
    // test can stop a save there.
    static void (*betweenTrashAndRename)();

private:
    File temporaryFile;
    File targetFile;
};

} // namespace qev
