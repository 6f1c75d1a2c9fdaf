#pragma once

#include "text/QevString.h"

#include <cstdint>

namespace qev
{

// The save policy handed to every save operation: Replace lets an existing file be replaced (the
// old one goes to the trash); any other value refuses.
enum class Overwrite : std::uint8_t
{
    Refuse = 0,
    Replace = 1
};

// Well-known folders. The paths under the home folder are the same on every platform: users and
// other programs look for them there.
enum class SpecialLocation : std::int32_t
{
    CurrentWorkingDirectory = 0,
    UserHomeDirectory = 1,
    UserDocumentsDirectory = 2,
    UserDesktopDirectory = 3,
    UserMusicDirectory = 4,
    UserMoviesDirectory = 5,
    UserPicturesDirectory = 6,
    UserDownloadsDirectory = 7,
    UserApplicationCacheDirectory = 8,
    GlobalApplicationsDirectory = 9,
    CurrentExecutableFile = 10,
    CurrentApplicationFile = 11,
    OmvarApplicationSupportDirectory = 12,
    OmvarDocumentsDirectory = 13,
    TrovDocumentsDirectory = 14,
    TessaronDocumentsDirectory = 15,
    TrovPresetsDirectory = 16,
    SofaDirectory = 17,
    QdlDocumentsDirectory = 18,
    AmbrelisDocumentsDirectory = 19
};

// A file or folder named by one absolute, normalised path. The empty path is the no-file value.
// Queries never throw; they answer false or an empty value when the file system refuses.
class File
{
public:
    File() noexcept = default;
    // The text goes through parseAbsolutePath().
    explicit File(String const& path);
    explicit File(char const* path);

    File(File const&) = default;
    File(File&&) noexcept = default;
    File& operator=(File const&) = default;
    File& operator=(File&&) noexcept = default;

    String const& GetFullPathName() const noexcept { return fullPath; }
    bool IsEmpty() const noexcept { return fullPath.IsEmpty(); }

    // Trims whitespace, turns "\ " into a space, expands a leading "~" or "~user/", makes a
    // relative text absolute against the working folder (only its leading "./" and "../" are
    // resolved) and drops trailing slashes. Blank text is relative: it gives the working folder.
    // Empty text, a relative text while the working folder cannot be read, and "~/..." while the
    // home folder is unknown give the empty path. "~name/..." of an unknown user, and "~name"
    // without a slash, stay as they are.
    static String parseAbsolutePath(String const& text);

    static File const& NonExistent();
    static String const& SeparatorString();

    // a + "/" + b normalised (no second slash when a already ends with one).
    static String Combine(String const& a, String const& b);

    //==========================================================================================
    // Queries

    // Something that is not a folder exists at the path.
    bool ExistsAsFile() const;
    bool IsDirectory() const;
    // The text after the last "/".
    String GetFileName() const;
    // extensions: one or more extensions separated by spaces, with or without their dot, any
    // case. An empty text (or an empty item) asks whether the file has no extension.
    bool HasFileExtension(String const& extensions) const;
    // The file name has a dot after its first character.
    bool HasAnExtension() const;
    // The folder part: "/" for a file at the root, the whole path when it holds no "/".
    String getPathUpToLastSlash() const;
    // Whether the path can be written, or, for a path that does not exist yet, whether its
    // nearest existing ancestor can.
    bool HasWriteAccess() const;

    //==========================================================================================
    // Derived files

    // The sibling whose name loses everything from its last dot and gains extension (an empty
    // extension strips it).
    File WithAnotherExtension(String const& extension) const;
    File GetSiblingFile(String const& name) const;
    // Appends the extension unless the file already has it; an empty extension changes nothing.
    void AppendExtension(String const& extension);
    // relativePath beginning with "/" or "~" stands alone; otherwise its leading "./" and "../"
    // are resolved against this path. The no-file value has no children.
    File GetChildFile(String const& relativePath) const;
    // A child named prefix + suffix, or, when something is there, the first free name counting
    // on from 2 (or from a number in brackets that ends prefix): "take2", "take 1(2)",
    // "take(5)". Numbers go in brackets when putNumbersInBrackets is set or prefix ends with a
    // digit.
    File GetNonexistentChildFile(String const& prefix, String const& suffix, bool putNumbersInBrackets) const;

    //==========================================================================================
    // Locations

    // HOME, else "home", else the working folder; values that are empty or begin with "~" do not
    // count. Empty when none of them can be read.
    static File GetUserHomeDirectory();
    static String GetUserHomeDirectoryAsString();
    // Empty when the working folder cannot be read (it was removed, for instance).
    static File GetCurrentWorkingDirectory();
    // The running executable; empty when it cannot be found.
    static File getExecutableFile();
    // The folder for the value (the application cache folder is created first); empty for a
    // value outside the enumeration.
    static File GetSpecialLocation(SpecialLocation const& location);

    //==========================================================================================
    // File-system changes: each reports success by its result only, unless stated otherwise.

    // True when nothing is left at the path. A folder is removed only when it is empty.
    bool DeleteFile() const;
    // Moves what is at the path into the user's trash, under a free name; true when nothing is
    // left at the path.
    bool MoveToTrash() const;
    // Puts this file in place of target with one atomic rename, so target is either the old or
    // the new version, never neither. Across file systems the file is copied beside target
    // first and renamed over it.
    bool MoveFileTo(File const& target) const;
    bool moveInternal(File const& target) const;
    // Copies the item (a file, a symbolic link or a whole folder) at source to destination,
    // which must not exist yet; nothing is left at destination when it fails.
    static bool copyTo(String const& destination, String const& source);
    // Creates the folder and its missing parents. Throws qev::Exception for a path that has no
    // parent to create it in.
    bool CreateDirectory() const;
    // Creates the folder that will hold this file (nothing when the path is itself a folder).
    bool CreateDirectoryFor() const;
    // Prepares a save at this path: true when it is free or has been freed. Throws qev::Exception
    // when the path is a folder, when a file is there and the policy refuses, or when the old
    // file cannot be moved to the trash. The old file is never deleted outright.
    bool OverwriteIfNeeded(Overwrite const& overwrite) const;
    // Prepares a save that renames the new file over this path; throws as OverwriteIfNeeded does.
    // An old file that may be replaced stays at the path, so that the path never lacks a file,
    // while the trash (the user's, else ~/.Trash) gets a hard link to it or a copy. Returns that
    // trashed item, for WithdrawFromTrash should the rename fail; an empty File when no old file
    // was there.
    File KeepOldVersionInTrash(Overwrite const& overwrite) const;
    // Removes for good, with its record, an item that KeepOldVersionInTrash put in a trash; false,
    // touching nothing, for a file that lies in no trash.
    bool WithdrawFromTrash() const;

    //==========================================================================================
    // Path names of the Max host: a volume name, a colon, then a slash path. Text only; the host
    // is not asked.

    // "HD:/a/b" gives "/Volumes/HD/a/b"; text beginning with "/" or without ":" is unchanged.
    static String TranslateAbsolutePathFromMaxMSP(String const& name);
    // A file to read: the name as it is (relative to the working folder), else under the home
    // folder. Throws qev::Exception "Could not find file" when neither exists.
    static File LoadFilenameFromMaxMsp(String const& name);
    // A file to write: a relative name is placed under the home folder.
    static File CleanMaxMspFilename(String const& name);
    // A preset file: a relative name is placed in the presets folder, which is created.
    static File CleanPresetFilenameFromMaxMSP(String const& name);

    bool operator==(File const& other) const noexcept { return fullPath == other.fullPath; }
    bool operator!=(File const& other) const noexcept { return fullPath != other.fullPath; }

private:
    // The child at relativePath with its leading "./" and "../" resolved.
    File resolveChild(String const& relativePath) const;
    // The child of that name; a name beginning with "~" is not expanded.
    File childNamed(String const& name) const;
    static File inHomeFolder(String const& name);
    // Throws what a save under the policy must not do here; true when an old file is to be replaced.
    bool replacesOldFile(Overwrite const& overwrite) const;
    [[noreturn]] void throwCannotTrash() const;

    String fullPath;
};

} // namespace qev
