#include "files/QevFile.h"

#include "common/QevException.h"
#include "files/QevFileManager.h"
#include "files/QevTrash.h"
#include "text/QevStringArray.h"
#include "utils/QevScopedAutoReleasePool.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qev
{

namespace
{

Case const sensitive = Case::Sensitive;

std::string workingFolder()
{
    // No fixed buffer: a deep working folder must not turn relative names into wrong paths.
    char* text = ::getcwd(nullptr, 0);
    if (text == nullptr)
        return std::string();
    std::string folder(text);
    std::free(text);
    // Anything but an absolute path (a folder outside this process's root) names nothing usable.
    return !folder.empty() && folder[0] == '/' ? folder : std::string();
}

// The home folder of a user from the password database; false when the user is unknown.
bool homeOfUser(std::string const& user, std::string& home)
{
    long const suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    for (;;)
    {
        passwd entry;
        passwd* found = nullptr;
        int const error = ::getpwnam_r(user.c_str(), &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (1u << 20))
        {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error != 0 || found == nullptr || found->pw_dir == nullptr)
            return false;
        home = found->pw_dir;
        return true;
    }
}

bool isFolder(String const& path)
{
    struct stat info;
    return path.IsNotEmpty() && ::stat(path.GetCString(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool accessible(String const& path, int mode)
{
    return path.IsNotEmpty() && ::access(path.GetCString(), mode) == 0;
}

String quoted(String const& text)
{
    return text.Quoted('"');
}

// The name without its extension and the extension with its dot; a leading dot is part of the name.
void splitName(String const& name, String& stem, String& extension)
{
    std::int64_t const dot = name.IndexOfLastOccurence('.', sensitive);
    if (dot > 0)
    {
        stem = name.SubString(0, static_cast<unsigned long>(dot));
        extension = name.SubString(static_cast<unsigned long>(dot));
    }
    else
    {
        stem = name;
        extension = String();
    }
}

// The decimal number of a text made only of digits (empty counts as 0); false when it would not
// leave room to count on.
bool bracketNumber(String const& digits, unsigned long& number)
{
    if (!digits.ContainsOnly(String("0123456789")) || digits.GetLength() > 18)
        return false;
    number = 0;
    for (unsigned long i = 0; i < digits.GetLength(); ++i)
        number = number * 10 + static_cast<unsigned long>(digits[i] - '0');
    return true;
}

} // namespace

File::File(String const& path) : fullPath(parseAbsolutePath(path)) {}

File::File(char const* path) : fullPath(parseAbsolutePath(String(path))) {}

String File::parseAbsolutePath(String const& text)
{
    if (text.IsEmpty())
        return String();
    String trimmed(text);
    trimmed.RemoveLeadingAndTrailingSpaces();
    trimmed.Replace(String("\\ "), String(" "));
    std::string path = trimmed.GetStdString();

    // A text of blanks only is a relative path like any other: it names the working folder.
    if (path.empty() || path[0] != '~')
    {
        if (path.empty() || path[0] != '/')
        {
            std::string const folder = workingFolder();
            if (folder.empty())
                return String();
            return File(String(folder)).resolveChild(trimmed).fullPath;
        }
    }
    else if (path.size() == 1 || path[1] == '/')
    {
        String const home = GetUserHomeDirectoryAsString();
        if (home.IsEmpty())
            return String();
        path = home.GetStdString() + path.substr(1);
    }
    else
    {
        // The user name ends at the first "/"; without one it is empty and names no one, so
        // "~name" stays as it is.
        std::size_t const slash = path.find('/', 1);
        std::string home;
        if (slash != std::string::npos && homeOfUser(path.substr(1, slash - 1), home))
        {
            if (home.empty() || home.back() != '/')
                home += '/';
            path = home + path.substr(slash + 1);
        }
    }

    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return String(std::move(path));
}

File const& File::NonExistent()
{
    static File const none;
    return none;
}

String const& File::SeparatorString()
{
    static String const separator("/");
    return separator;
}

String File::Combine(String const& a, String const& b)
{
    if (a.EndsWith('/'))
        return parseAbsolutePath(a + b);
    return parseAbsolutePath(a + "/" + b);
}

//==============================================================================================
bool File::ExistsAsFile() const
{
    if (!accessible(fullPath, F_OK))
        return false;
    struct stat info;
    return ::stat(fullPath.GetCString(), &info) != 0 || !S_ISDIR(info.st_mode);
}

bool File::IsDirectory() const
{
    return isFolder(fullPath);
}

String File::GetFileName() const
{
    std::int64_t const slash = fullPath.IndexOfLastOccurence('/', sensitive);
    return slash < 0 ? fullPath : fullPath.SubString(static_cast<unsigned long>(slash) + 1);
}

bool File::HasFileExtension(String const& extensions) const
{
    std::int64_t const slash = fullPath.IndexOfLastOccurence('/', sensitive);
    std::int64_t const dot = fullPath.IndexOfLastOccurence('.', sensitive);
    bool const hasDot = dot > slash;
    if (extensions.IsEmpty())
        return !hasDot;

    String own = hasDot ? fullPath.SubString(static_cast<unsigned long>(dot) + 1) : String();
    own.MakeLowerCase();
    StringArray const wanted = StringArray::SplitString(extensions, ' ', true);
    for (unsigned long i = 0; i < wanted.GetSize(); ++i)
    {
        String item = wanted[i].GetLength() > 0 && wanted[i][0] == '.' ? wanted[i].SubString(1) : wanted[i];
        item.MakeLowerCase();
        if (item == own)
            return true;
    }
    return false;
}

bool File::HasAnExtension() const
{
    return GetFileName().IndexOfLastOccurence('.', sensitive) > 0;
}

String File::getPathUpToLastSlash() const
{
    std::int64_t const slash = fullPath.IndexOfLastOccurence('/', sensitive);
    if (slash < 0)
        return fullPath;
    if (slash == 0)
        return SeparatorString();
    return fullPath.SubString(0, static_cast<unsigned long>(slash));
}

bool File::HasWriteAccess() const
{
    // The nearest existing ancestor decides for a path that does not exist yet.
    File current(*this);
    for (;;)
    {
        if (accessible(current.fullPath, F_OK))
            return accessible(current.fullPath, W_OK);
        if (!current.fullPath.Contains('/'))
            return false;
        File parent(current.getPathUpToLastSlash());
        if (parent.fullPath == current.fullPath)
            return false;
        current = std::move(parent);
    }
}

//==============================================================================================
File File::WithAnotherExtension(String const& extension) const
{
    if (fullPath.IsEmpty())
        return File();
    String name = GetFileName();
    std::int64_t const dot = name.IndexOfLastOccurence('.', sensitive);
    if (dot >= 0)
        name = name.SubString(0, static_cast<unsigned long>(dot));
    if (extension.IsNotEmpty() && extension[0] != '.')
        name << '.';
    name << extension;
    return GetSiblingFile(name);
}

File File::GetSiblingFile(String const& name) const
{
    return File(getPathUpToLastSlash()).childNamed(name);
}

void File::AppendExtension(String const& extension)
{
    if (extension.IsEmpty() || fullPath.IsEmpty() || HasFileExtension(extension))
        return;
    String path(fullPath);
    if (path.EndsWith('.'))
        path.RemoveLastCharacter();
    if (extension[0] != '.')
        path << '.';
    path << extension;
    fullPath = std::move(path);
}

File File::GetChildFile(String const& relativePath) const
{
    if (relativePath.GetLength() > 0 && (relativePath[0] == '~' || relativePath[0] == '/'))
        return File(relativePath);
    return resolveChild(relativePath);
}

File File::childNamed(String const& name) const
{
    // A bare name beginning with "~" is a name like any other here, not a home folder.
    if (name.GetLength() > 0 && name[0] == '/')
        return File(name);
    return resolveChild(name);
}

File File::resolveChild(String const& relativePath) const
{
    if (fullPath.IsEmpty())
        return File();
    std::string const& relative = relativePath.GetStdString();
    std::string path = fullPath.GetStdString();
    std::size_t const n = relative.size();
    std::size_t r = 0;
    auto skipSlashes = [&]
    {
        while (r < n && relative[r] == '/')
            ++r;
    };
    while (r < n && relative[r] == '.')
    {
        if (r + 1 < n && relative[r + 1] == '.' && (r + 2 == n || relative[r + 2] == '/'))
        {
            std::size_t const slash = path.rfind('/');
            if (slash != std::string::npos)
                path.erase(slash);
            r += 2;
            skipSlashes();
        }
        else if (r + 1 == n || relative[r + 1] == '/')
        {
            r += 1;
            skipSlashes();
        }
        else
            break;
    }
    if (path.empty() || path.back() != '/')
        path += '/';
    path.append(relative, r, std::string::npos);
    return File(String(std::move(path)));
}

File File::GetNonexistentChildFile(String const& prefix, String const& suffix,
                                   bool putNumbersInBrackets) const
{
    // A dangling symbolic link is not a free name: writing through it would create its target.
    File candidate = childNamed(prefix + suffix);
    if (candidate.fullPath.IsEmpty() || !FileManager::ItemExists(candidate.fullPath))
        return candidate;

    unsigned long number = 1;
    String base(prefix);
    bool brackets;
    if (prefix.Trimmed().EndsWith(')'))
    {
        brackets = true;
        std::int64_t const open = prefix.IndexOfLastOccurence('(', sensitive);
        std::int64_t const close = prefix.IndexOfLastOccurence(')', sensitive);
        unsigned long taken = 0;
        if (open >= 1 && close > open &&
            bracketNumber(
                prefix.SubString(static_cast<unsigned long>(open) + 1, static_cast<unsigned long>(close)),
                taken))
        {
            number = taken;
            base = prefix.SubString(0, static_cast<unsigned long>(open));
        }
    }
    else
    {
        char const last = prefix.GetLastCharacter();
        brackets = putNumbersInBrackets || (last >= '0' && last <= '9');
    }

    for (unsigned long n = number + 1;; ++n)
    {
        String name(base);
        if (brackets)
            name << '(' << String(n) << ')';
        else
            name << String(n);
        candidate = childNamed(name + suffix);
        if (candidate.fullPath.IsEmpty() || !FileManager::ItemExists(candidate.fullPath))
            return candidate;
    }
}

//==============================================================================================
String File::GetUserHomeDirectoryAsString()
{
    for (char const* variable : {"HOME", "home"})
    {
        char const* value = std::getenv(variable);
        if (value == nullptr)
            continue;
        // An empty value names nothing, and one beginning with "~" would expand into itself.
        String text(value);
        text.RemoveLeadingAndTrailingSpaces();
        if (text.IsEmpty() || text[0] == '~')
            continue;
        return parseAbsolutePath(text);
    }
    return parseAbsolutePath(String(workingFolder()));
}

File File::GetUserHomeDirectory()
{
    File home;
    home.fullPath = GetUserHomeDirectoryAsString();
    return home;
}

File File::GetCurrentWorkingDirectory()
{
    return File(String(workingFolder()));
}

File File::getExecutableFile()
{
    // readlink neither terminates its text nor says whether it was cut: grow until it fits.
    std::string buffer(4096, '\0');
    for (;;)
    {
        ssize_t const length = ::readlink("/proc/self/exe", &buffer[0], buffer.size());
        if (length < 1)
            return File();
        if (static_cast<std::size_t>(length) < buffer.size())
        {
            buffer.resize(static_cast<std::size_t>(length));
            return File(String(std::move(buffer)));
        }
        if (buffer.size() >= (1u << 20))
            return File();
        buffer.resize(buffer.size() * 2);
    }
}

File File::GetSpecialLocation(SpecialLocation const& location)
{
    switch (location)
    {
    case SpecialLocation::CurrentWorkingDirectory:
        return GetCurrentWorkingDirectory();
    case SpecialLocation::UserHomeDirectory:
        return GetUserHomeDirectory();
    case SpecialLocation::UserDocumentsDirectory:
        return File("~/Documents");
    case SpecialLocation::UserDesktopDirectory:
        return File("~/Desktop");
    case SpecialLocation::UserMusicDirectory:
        return File("~/Music");
    case SpecialLocation::UserMoviesDirectory:
        return File("~/Movies");
    case SpecialLocation::UserPicturesDirectory:
        return File("~/Pictures");
    case SpecialLocation::UserDownloadsDirectory:
        return File("~/Downloads");
    case SpecialLocation::UserApplicationCacheDirectory:
    {
        String name = getExecutableFile().GetFileName();
        std::int64_t const dot = name.IndexOfLastOccurence('.', sensitive);
        if (dot > 0)
            name = name.SubString(0, static_cast<unsigned long>(dot));
        File folder(String("~/Library/Caches/") + name);
        folder.CreateDirectory();
        return folder;
    }
    case SpecialLocation::GlobalApplicationsDirectory:
        return File("/Applications");
    case SpecialLocation::CurrentExecutableFile:
    case SpecialLocation::CurrentApplicationFile:
        return getExecutableFile();
    case SpecialLocation::OmvarApplicationSupportDirectory:
        return File("~/Library/Application Support/Omvar");
    case SpecialLocation::OmvarDocumentsDirectory:
        return File("~/Documents/Omvar");
    case SpecialLocation::TrovDocumentsDirectory:
        return File("~/Documents/Omvar/trov");
    case SpecialLocation::TessaronDocumentsDirectory:
        return File("~/Documents/Omvar/tessaron");
    case SpecialLocation::TrovPresetsDirectory:
        return File("~/Documents/Omvar/trov/presets");
    case SpecialLocation::SofaDirectory:
        return File("~/Documents/Omvar/sofa");
    case SpecialLocation::QdlDocumentsDirectory:
        return File("~/Documents/Omvar/qdl");
    case SpecialLocation::AmbrelisDocumentsDirectory:
        return File("~/Documents/Ambrelis");
    }
    return File();
}

//==============================================================================================
bool File::DeleteFile() const
{
    if (fullPath.IsEmpty())
        return true;
    // lstat, so that a link is removed as a link, even one that leads nowhere.
    struct stat info;
    if (::lstat(fullPath.GetCString(), &info) != 0)
        return true;
    if (S_ISDIR(info.st_mode))
        return ::rmdir(fullPath.GetCString()) == 0;
    return std::remove(fullPath.GetCString()) == 0;
}

namespace
{

char const fallbackTrashFolder[] = "~/.Trash";

// A free place for the item in a trash folder of the home folder, for when the user's trash
// cannot take it; empty when there is no such folder.
File fallbackTrashPlace(File const& item)
{
    File const trash(fallbackTrashFolder);
    String const& path = trash.GetFullPathName();
    if (path.IsEmpty() ||
        (!trash.IsDirectory() && ::mkdir(path.GetCString(), 0700) != 0 && !trash.IsDirectory()))
        return File();
    String stem, extension;
    splitName(item.GetFileName(), stem, extension);
    return trash.GetNonexistentChildFile(stem, extension, false);
}

} // namespace

bool File::MoveToTrash() const
{
    if (!FileManager::ItemExists(fullPath))
        return true;
    {
        [[maybe_unused]] ScopedAutoReleasePool pool;
        Trash::MoveToTrash(fullPath);
    }
    if (!FileManager::ItemExists(fullPath))
        return true;

    // No usable trash: the fallback, under a name that no earlier item holds.
    File const destination = fallbackTrashPlace(*this);
    if (destination.fullPath.IsEmpty())
        return false;
    return FileManager::MoveItem(fullPath, destination.fullPath) || !FileManager::ItemExists(fullPath);
}

bool File::MoveFileTo(File const& target) const
{
    if (fullPath == target.fullPath)
        return true;
    if (!FileManager::ItemExists(fullPath))
        return false;
    // The target is never deleted first: until the rename it keeps its old content.
    return moveInternal(target);
}

bool File::moveInternal(File const& target) const
{
    if (target.fullPath.IsEmpty())
        return false;
    if (::rename(fullPath.GetCString(), target.fullPath.GetCString()) == 0)
        return true;
    if (errno != EXDEV)
        return false;

    // Another file system: copy beside the target, then one rename puts the copy in its place.
    // The source must be removable afterwards, or this would be a copy, not a move.
    if (!File(getPathUpToLastSlash()).HasWriteAccess())
        return false;
    File const staging =
        File(target.getPathUpToLastSlash())
            .GetNonexistentChildFile(String(".") + target.GetFileName() + ".moving", String(), false);
    if (staging.fullPath.IsEmpty() || !copyTo(staging.fullPath, fullPath))
        return false;
    if (::rename(staging.fullPath.GetCString(), target.fullPath.GetCString()) != 0)
    {
        FileManager::RemoveItem(staging.fullPath);
        return false;
    }
    // The target holds the new content now; a source that resists removal merely stays behind.
    FileManager::RemoveItem(fullPath);
    return true;
}

bool File::copyTo(String const& destination, String const& source)
{
    [[maybe_unused]] ScopedAutoReleasePool pool;
    if (!FileManager::ItemExists(source))
        return false;
    return FileManager::CopyItem(source, destination);
}

bool File::CreateDirectory() const
{
    if (IsDirectory())
        return true;
    String const parent = getPathUpToLastSlash();
    if (parent == fullPath)
        throw Exception(String("Cannot create directory ") + quoted(fullPath),
                        SourceLineInfo("QevFile", 2233), true, false);
    if (!File(parent).CreateDirectory())
        return false;
    String path(fullPath);
    while (path.GetLength() > 1 && path.EndsWith('/'))
        path.RemoveLastCharacter();
    if (::mkdir(path.GetCString(), 0777) == 0)
        return true;
    // Made meanwhile by someone else: the folder is there all the same.
    return errno == EEXIST && IsDirectory();
}

bool File::CreateDirectoryFor() const
{
    if (IsDirectory())
        return true;
    return File(getPathUpToLastSlash()).CreateDirectory();
}

bool File::replacesOldFile(Overwrite const& overwrite) const
{
    if (!ExistsAsFile())
    {
        if (IsDirectory())
            throw Exception(quoted(fullPath) + " is a folder", SourceLineInfo("QevFile", 2335), true, false);
        return false;
    }
    if (overwrite != Overwrite::Replace)
        throw Exception(String("File already exists ") + quoted(fullPath), SourceLineInfo("QevFile", 2327),
                        true, false);
    return accessible(fullPath, F_OK);
}

void File::throwCannotTrash() const
{
    throw Exception(String("Error deleting ") + quoted(fullPath), SourceLineInfo("QevFile", 2322), true,
                    false);
}

bool File::OverwriteIfNeeded(Overwrite const& overwrite) const
{
    if (!replacesOldFile(overwrite) || MoveToTrash())
        return true;
    throwCannotTrash();
}

File File::KeepOldVersionInTrash(Overwrite const& overwrite) const
{
    if (!replacesOldFile(overwrite))
        return File();
    String trashed;
    {
        [[maybe_unused]] ScopedAutoReleasePool pool;
        trashed = Trash::LinkIntoTrash(fullPath);
    }
    if (trashed.IsNotEmpty())
        return File(trashed);
    File const destination = fallbackTrashPlace(*this);
    if (destination.fullPath.IsNotEmpty() && FileManager::LinkOrCopyItem(fullPath, destination.fullPath))
        return destination;
    throwCannotTrash();
}

bool File::WithdrawFromTrash() const
{
    if (Trash::Withdraw(fullPath))
        return true;
    File const trash(fallbackTrashFolder);
    return trash.fullPath.IsNotEmpty() && getPathUpToLastSlash() == trash.fullPath && DeleteFile();
}

//==============================================================================================
String File::TranslateAbsolutePathFromMaxMSP(String const& name)
{
    if (name.GetLength() > 0 && name[0] == '/')
        return name;
    std::int64_t const colon = name.IndexOfFirstOccurence(':', sensitive);
    if (colon < 0)
        return name;
    return String("/Volumes/") + name.SubString(0, static_cast<unsigned long>(colon)) +
           name.SubString(static_cast<unsigned long>(colon) + 1);
}

File File::inHomeFolder(String const& name)
{
    // With no known home folder, a name must not end up at the root instead.
    String const home = GetUserHomeDirectoryAsString();
    return home.IsEmpty() ? File() : File(Combine(home, name));
}

File File::CleanMaxMspFilename(String const& name)
{
    if (name.IsEmpty())
        return File();
    if (name[0] == '/' || name[0] == '~')
        return File(name);
    if (name.Contains(String(":/")))
        return File(TranslateAbsolutePathFromMaxMSP(name));
    return inHomeFolder(name);
}

File File::LoadFilenameFromMaxMsp(String const& name)
{
    if (name.IsEmpty())
        return File();
    bool const hostForm = name[0] != '/' && name[0] != '~' && name.Contains(String(":/"));
    File const candidate(hostForm ? TranslateAbsolutePathFromMaxMSP(name) : name);
    if (accessible(candidate.fullPath, F_OK))
        return candidate;
    File const underHome = inHomeFolder(name);
    if (accessible(underHome.fullPath, F_OK))
        return underHome;
    throw Exception(String("Could not find file ") + quoted(name), SourceLineInfo("QevFile", 2990), true,
                    false);
}

File File::CleanPresetFilenameFromMaxMSP(String const& name)
{
    if (name.GetLength() > 0 && name[0] == '/')
        return File(name);
    if (name.Contains(String(":/")))
        return File(TranslateAbsolutePathFromMaxMSP(name));
    File const presets = GetSpecialLocation(SpecialLocation::TrovPresetsDirectory);
    if (!presets.IsDirectory())
        presets.CreateDirectory();
    return File(Combine(presets.fullPath, name));
}

} // namespace qev
