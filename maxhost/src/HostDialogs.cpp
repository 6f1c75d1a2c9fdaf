// File dialogs answered from a script, and the folder ids they hand out.

#include "HostState.h"

#include <climits>
#include <cstring>
#include <optional>
#include <unistd.h>

namespace
{

struct Dialogs
{
    std::mutex lock;
    std::deque<std::optional<std::string>> answers; // nullopt: cancel
    std::vector<std::string> folders;               // folder id i + 1
};

Dialogs& dialogs()
{
    static Dialogs* const d = new Dialogs;
    return *d;
}

std::string absolutePath(std::string const& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    std::string cwd(PATH_MAX, '\0');
    if (getcwd(cwd.data(), cwd.size()) == nullptr)
        return "/" + path;
    cwd.resize(std::strlen(cwd.c_str()));
    return cwd == "/" ? "/" + path : cwd + "/" + path;
}

// Called with the lock held.
short folderId(Dialogs& d, std::string const& folder)
{
    for (std::size_t i = 0; i < d.folders.size(); ++i)
        if (d.folders[i] == folder)
            return static_cast<short>(i + 1);
    if (d.folders.size() >= SHRT_MAX)
        return 0;
    d.folders.push_back(folder);
    return static_cast<short>(d.folders.size());
}

// 0 and the chosen file's name and folder id, else 1 (cancelled or unusable).
short answerDialog(char const* what, char* name, short* pathId)
{
    if (name == nullptr || pathId == nullptr)
        return 1;
    if (!maxhost::IsMainThread())
    {
        maxhost::detail::note(std::string(what) + ": dialogs open on the main thread only; cancelled");
        return 1;
    }
    Dialogs& d = dialogs();
    std::lock_guard<std::mutex> const guard(d.lock);
    if (d.answers.empty())
        return 1;
    std::optional<std::string> const answer = d.answers.front();
    d.answers.pop_front();
    if (!answer)
        return 1;
    std::string const path = absolutePath(*answer);
    std::size_t const slash = path.find_last_of('/');
    std::string const file = path.substr(slash + 1);
    std::string const folder = slash == 0 ? "/" : path.substr(0, slash);
    if (file.empty() || file.size() >= HOST_FILENAME_CHARS)
    {
        maxhost::detail::note(std::string(what) + ": the answer " + path +
                              " names no usable file; cancelled");
        return 1;
    }
    short const id = folderId(d, folder);
    if (id == 0)
        return 1;
    std::memcpy(name, file.c_str(), file.size() + 1);
    *pathId = id;
    return 0;
}

short fullPath(short pathId, char const* file, char* path)
{
    if (path == nullptr)
        return 1;
    std::string result;
    {
        Dialogs& d = dialogs();
        std::lock_guard<std::mutex> const guard(d.lock);
        if (pathId < 1 || static_cast<std::size_t>(pathId) > d.folders.size())
            return 1;
        result = d.folders[static_cast<std::size_t>(pathId) - 1];
    }
    if (file != nullptr && file[0] != '\0')
        result = (result == "/" ? "" : result) + "/" + file;
    if (result.size() >= HOST_PATH_CHARS)
        return 1;
    std::memcpy(path, result.c_str(), result.size() + 1);
    return 0;
}

void chooseType(long* chosenType, long* types, short typeCount)
{
    if (chosenType != nullptr)
        *chosenType = (types != nullptr && typeCount > 0) ? types[0] : 0;
}

} // namespace

namespace maxhost
{

void QueueDialogAnswer(std::string const& path)
{
    Dialogs& d = dialogs();
    std::lock_guard<std::mutex> const guard(d.lock);
    d.answers.emplace_back(path);
}

void QueueDialogCancel()
{
    Dialogs& d = dialogs();
    std::lock_guard<std::mutex> const guard(d.lock);
    d.answers.emplace_back(std::nullopt);
}

void ClearDialogAnswers()
{
    Dialogs& d = dialogs();
    std::lock_guard<std::mutex> const guard(d.lock);
    d.answers.clear();
}

} // namespace maxhost

extern "C"
{

    short open_dialog(char* name, short* pathId, long* chosenType, long* types, short typeCount)
    {
        short const result = answerDialog("open_dialog", name, pathId);
        if (result == 0)
            chooseType(chosenType, types, typeCount);
        return result;
    }

    short saveasdialog_extended(char* name, short* pathId, long* chosenType, long* types, short typeCount)
    {
        short const result = answerDialog("saveasdialog_extended", name, pathId);
        if (result == 0)
            chooseType(chosenType, types, typeCount);
        return result;
    }

    short path_topathname(short pathId, char const* file, char* path)
    {
        return fullPath(pathId, file, path);
    }

    short path_topotentialname(short pathId, char const* file, char* path, short /*check*/)
    {
        return fullPath(pathId, file, path);
    }

} // extern "C"
