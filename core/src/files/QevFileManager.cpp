#include "files/QevFileManager.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qev
{

namespace
{

bool writeAll(int fd, char const* data, std::size_t size) noexcept
{
    while (size > 0)
    {
        ssize_t const written = ::write(fd, data, size);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool copyRegularFile(std::string const& source, std::string const& destination, mode_t mode) noexcept
{
    int const in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    int const out = ::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0)
    {
        ::close(in);
        return false;
    }
    bool ok = true;
    std::vector<char> buffer(1 << 16);
    for (;;)
    {
        ssize_t const got = ::read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
        {
            ok = got == 0;
            break;
        }
        if (!writeAll(out, buffer.data(), static_cast<std::size_t>(got)))
        {
            ok = false;
            break;
        }
    }
    ::close(in);
    // Bits are set only once the content is there, so a read-only source still copies.
    ok = ok && ::fchmod(out, mode & 07777) == 0;
    // A full disk may only show itself when the data reaches it.
    ok = ::fsync(out) == 0 && ok;
    ok = ::close(out) == 0 && ok;
    if (!ok)
        ::unlink(destination.c_str());
    return ok;
}

bool copySymbolicLink(std::string const& source, std::string const& destination) noexcept
{
    std::string target(256, '\0');
    for (;;)
    {
        ssize_t const length = ::readlink(source.c_str(), &target[0], target.size());
        if (length < 0)
            return false;
        if (static_cast<std::size_t>(length) < target.size())
        {
            target.resize(static_cast<std::size_t>(length));
            break;
        }
        target.resize(target.size() * 2);
    }
    return ::symlink(target.c_str(), destination.c_str()) == 0;
}

bool listFolder(std::string const& path, std::vector<std::string>& names) noexcept
{
    DIR* folder = ::opendir(path.c_str());
    if (folder == nullptr)
        return false;
    errno = 0;
    while (dirent* entry = ::readdir(folder))
    {
        std::string name(entry->d_name);
        if (name != "." && name != "..")
            names.push_back(std::move(name));
        errno = 0;
    }
    bool const ok = errno == 0;
    ::closedir(folder);
    return ok;
}

bool copyItem(std::string const& source, std::string const& destination) noexcept;

bool copyFolder(std::string const& source, std::string const& destination, mode_t mode) noexcept
{
    // Owner-only until the content is complete, so that no one sees or fills a half copy.
    if (::mkdir(destination.c_str(), 0700) != 0)
        return false;
    std::vector<std::string> names;
    bool ok = listFolder(source, names);
    for (std::size_t i = 0; ok && i < names.size(); ++i)
        ok = copyItem(source + "/" + names[i], destination + "/" + names[i]);
    ok = ok && ::chmod(destination.c_str(), mode & 07777) == 0;
    if (!ok)
        FileManager::RemoveItem(String(destination));
    return ok;
}

bool copyItem(std::string const& source, std::string const& destination) noexcept
{
    struct stat info;
    if (::lstat(source.c_str(), &info) != 0)
        return false;
    if (S_ISREG(info.st_mode))
        return copyRegularFile(source, destination, info.st_mode);
    if (S_ISLNK(info.st_mode))
        return copySymbolicLink(source, destination);
    if (S_ISDIR(info.st_mode))
        return copyFolder(source, destination, info.st_mode);
    return false; // devices, pipes and sockets are not copied
}

bool removeItem(std::string const& path) noexcept
{
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(info.st_mode))
        return ::unlink(path.c_str()) == 0 || errno == ENOENT;
    std::vector<std::string> names;
    bool ok = listFolder(path, names);
    for (auto const& name : names)
        ok = removeItem(path + "/" + name) && ok;
    return ok && (::rmdir(path.c_str()) == 0 || errno == ENOENT);
}

} // namespace

bool FileManager::ItemExists(String const& path) noexcept
{
    struct stat info;
    return path.IsNotEmpty() && ::lstat(path.GetCString(), &info) == 0;
}

bool FileManager::CopyItem(String const& source, String const& destination) noexcept
{
    if (source.IsEmpty() || destination.IsEmpty() || ItemExists(destination))
        return false;
    std::string const& from = source.GetStdString();
    std::string const& to = destination.GetStdString();
    // A folder copied into itself would never end.
    if (to.size() > from.size() && to.compare(0, from.size(), from) == 0 && to[from.size()] == '/')
        return false;
    return copyItem(from, to);
}

bool FileManager::RemoveItem(String const& path) noexcept
{
    return path.IsNotEmpty() && removeItem(path.GetStdString());
}

bool FileManager::RenameWithoutReplacing(String const& source, String const& destination) noexcept
{
    if (::renameat2(AT_FDCWD, source.GetCString(), AT_FDCWD, destination.GetCString(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without the no-replace rename: check first and accept the short window.
    if (ItemExists(destination))
    {
        errno = EEXIST;
        return false;
    }
    return ::rename(source.GetCString(), destination.GetCString()) == 0;
}

bool FileManager::MoveItem(String const& source, String const& destination) noexcept
{
    if (RenameWithoutReplacing(source, destination))
        return true;
    if (errno != EXDEV || !CopyItem(source, destination))
        return false;
    if (RemoveItem(source))
        return true;
    // A file that could not be removed is intact, so the copy goes; a folder may be half removed,
    // and its copy is then the only complete one.
    struct stat info;
    if (::lstat(source.GetCString(), &info) == 0 && !S_ISDIR(info.st_mode))
        RemoveItem(destination);
    return false;
}

bool FileManager::LinkOrCopyItem(String const& source, String const& destination) noexcept
{
    if (::link(source.GetCString(), destination.GetCString()) == 0)
        return true;
    // link reports a taken destination before another file system.
    if (errno == EEXIST || errno == ENOENT)
        return false;
    return CopyItem(source, destination);
}

} // namespace qev
