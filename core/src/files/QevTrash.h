#pragma once

#include "text/QevString.h"

namespace qev
{

// The user's trash, as the desktop's file managers know it: the freedesktop.org trash in the
// user's data folder ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash). Each trashed item lies
// under "files" with a record under "info" naming where it came from and when, so that it can be
// restored; an item never replaces one trashed earlier.
class Trash
{
public:
    Trash() = delete;

    // Moves the item at the absolute path (a file, a link or a folder) into the trash, across
    // file systems by copying it first. False when it could not be moved; the item is then
    // where it was.
    static bool MoveToTrash(String const& absolutePath);

    // Puts the item at the absolute path into the trash, with its record, and leaves it where it
    // is: the trash gets a hard link to it, or a copy where the trash lies on another file system.
    // The trashed item's path; empty when the trash could not take it.
    static String LinkIntoTrash(String const& absolutePath);

    // Removes an item lying in the trash for good, with its record: one that LinkIntoTrash put
    // there for an original that was kept after all. False, touching nothing, for a path that is
    // not a trashed item.
    static bool Withdraw(String const& trashedPath);

    // The trash folder; empty when neither XDG_DATA_HOME nor the home folder is known.
    static String GetTrashFolder();

    // "/a b" gives "/a%20b": every byte but the unreserved URI characters and "/" escaped.
    static String encodePath(String const& path);
};

} // namespace qev
