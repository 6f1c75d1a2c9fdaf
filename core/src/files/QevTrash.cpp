#include "files/QevTrash.h"

#include "files/QevFile.h"
#include "files/QevFileManager.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace qev
{

namespace
{

char const filesFolder[] = "files";
char const infoFolder[] = "info";
char const infoExtension[] = ".trashinfo";

// Creates the folder and its missing parents, owner-only as the trash requires.
bool makeFolders(std::string const& path)
{
    auto const isFolder = [](std::string const& part)
    {
        struct stat info;
        return ::stat(part.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    };
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1))
    {
        std::string const part = path.substr(0, slash);
        // Existing folders are not made again: mkdir may refuse them for want of rights.
        if (!isFolder(part) && ::mkdir(part.c_str(), 0700) != 0 && !(errno == EEXIST && isFolder(part)))
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

bool isInside(std::string const& path, std::string const& folder)
{
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '/';
}

std::string deletionDate()
{
    std::time_t const now = std::time(nullptr);
    std::tm local{};
    char text[32] = {};
    if (::localtime_r(&now, &local) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local) == 0)
        return std::string();
    return text;
}

bool writeRecord(int fd, std::string const& record)
{
    std::size_t done = 0;
    while (done < record.size())
    {
        ssize_t const written = ::write(fd, record.data() + done, record.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

String Trash::GetTrashFolder()
{
    // A relative XDG_DATA_HOME is invalid and ignored.
    char const* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/')
        return File::Combine(String(data), String("Trash"));
    String const home = File::GetUserHomeDirectoryAsString();
    return home.IsEmpty() ? String() : File::Combine(home, String(".local/share/Trash"));
}

String Trash::encodePath(String const& path)
{
    static char const hex[] = "0123456789ABCDEF";
    std::string encoded;
    for (char const c : path.GetStdString())
    {
        auto const byte = static_cast<unsigned char>(c);
        bool const plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                           byte == '~' || byte == '/';
        if (plain)
            encoded += c;
        else
        {
            encoded += '%';
            encoded += hex[byte >> 4];
            encoded += hex[byte & 15];
        }
    }
    return String(std::move(encoded));
}

namespace
{

// Puts the item into the trash under a free name, after its record: moved, or with keepOriginal
// linked or copied. Where it lies in the trash; empty when it could not be put there.
String putInTrash(String const& absolutePath, bool keepOriginal)
{
    std::string const& path = absolutePath.GetStdString();
    if (path.size() < 2 || path[0] != '/' || !FileManager::ItemExists(absolutePath))
        return String();
    std::string const folder = Trash::GetTrashFolder().GetStdString();
    if (folder.empty() || path == folder || isInside(path, folder) || isInside(folder, path))
        return String();
    std::string const files = folder + "/" + filesFolder;
    std::string const infos = folder + "/" + infoFolder;
    if (!makeFolders(files) || !makeFolders(infos))
        return String();

    String const name = File(absolutePath).GetFileName();
    std::int64_t const dot = name.IndexOfLastOccurence('.', Case::Sensitive);
    std::string const stem =
        dot > 0 ? name.SubString(0, static_cast<unsigned long>(dot)).GetStdString() : name.GetStdString();
    std::string const extension =
        dot > 0 ? name.SubString(static_cast<unsigned long>(dot)).GetStdString() : std::string();
    std::string const record = "[Trash Info]\nPath=" + Trash::encodePath(absolutePath).GetStdString() +
                               "\nDeletionDate=" + deletionDate() + "\n";

    for (unsigned long n = 1;; ++n)
    {
        std::string const candidate =
            n == 1 ? name.GetStdString() : stem + "." + std::to_string(n) + extension;
        // Creating the record exclusively reserves the name against every other trasher.
        std::string const info = infos + "/" + candidate + infoExtension;
        int const fd = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0)
        {
            if (errno == EEXIST)
                continue;
            return String();
        }
        bool const written = writeRecord(fd, record);
        if (::close(fd) != 0 || !written)
        {
            ::unlink(info.c_str());
            return String();
        }
        String const destination(files + "/" + candidate);
        bool const put = keepOriginal ? FileManager::LinkOrCopyItem(absolutePath, destination)
                                      : FileManager::MoveItem(absolutePath, destination);
        if (put)
            return destination;
        int const error = errno;
        // A folder copied whole but removed only in part stays restorable with its record.
        if (FileManager::ItemExists(destination) && FileManager::ItemExists(absolutePath) && error != EEXIST)
            return String();
        ::unlink(info.c_str());
        if (error != EEXIST) // an item without a record holds this name: try the next
            return String();
    }
}

} // namespace

bool Trash::MoveToTrash(String const& absolutePath)
{
    return putInTrash(absolutePath, false).IsNotEmpty();
}

String Trash::LinkIntoTrash(String const& absolutePath)
{
    return putInTrash(absolutePath, true);
}

bool Trash::Withdraw(String const& trashedPath)
{
    std::string const folder = GetTrashFolder().GetStdString();
    std::string const files = folder + "/" + filesFolder;
    std::string const& path = trashedPath.GetStdString();
    if (folder.empty() || !isInside(path, files) || path.find('/', files.size() + 1) != std::string::npos)
        return false;
    // The item first: a record left alone names nothing that a file manager would show.
    if (!FileManager::RemoveItem(trashedPath))
        return false;
    std::string const info = folder + "/" + infoFolder + path.substr(files.size()) + infoExtension;
    return ::unlink(info.c_str()) == 0 || errno == ENOENT;
}

} // namespace qev
