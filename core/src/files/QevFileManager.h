#pragma once

#include "text/QevString.h"

namespace qev
{

// The file manager: item-level copies and removals that the plain system calls do not offer.
// Paths are absolute; symbolic links are handled as links, never followed.
class FileManager
{
public:
    FileManager() = delete;

    // Something is at the path, even a symbolic link that leads nowhere.
    static bool ItemExists(String const& path) noexcept;

    // Copies the item at source (a regular file, a symbolic link, or a folder with everything in
    // it) to destination, which must not exist yet. Permission bits are kept. When it fails,
    // nothing of the copy is left at destination.
    static bool CopyItem(String const& source, String const& destination) noexcept;

    // Removes the item at the path, a folder with everything in it. True when nothing is left.
    static bool RemoveItem(String const& path) noexcept;

    // Renames source to destination only when nothing is at destination; false (errno set) when
    // something is, or when the rename fails.
    static bool RenameWithoutReplacing(String const& source, String const& destination) noexcept;

    // Moves the item to destination, which must be free; across file systems by copying it and
    // removing the original. False when nothing was moved, except that a folder whose original
    // could only be removed in part keeps its complete copy at destination.
    static bool MoveItem(String const& source, String const& destination) noexcept;

    // Gives the item a second place at destination, which must be free, and leaves it where it
    // is: a hard link, else (another file system, a folder, a link the system refuses) a copy.
    // False when nothing was made; errno is EEXIST when destination was taken.
    static bool LinkOrCopyItem(String const& source, String const& destination) noexcept;
};

} // namespace qev
