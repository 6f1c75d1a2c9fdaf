#pragma once

// Temporary folders, their contents, and a full disk faked for the file tests.

#include "files/QevFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace qevtest
{

inline std::string readBytes(std::filesystem::path const& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(std::filesystem::path const& path, std::string const& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Sorted, since the directory's own order is whatever the file system keeps.
inline std::vector<std::string> namesIn(std::filesystem::path const& folder)
{
    std::vector<std::string> names;
    for (auto const& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A fresh folder /tmp/qev-<name>-XXXXXX, removed with everything in it when the object goes. The
// path is empty when no folder could be made, so that fixtures can fail in SetUp rather than throw.
class TemporaryFolder
{
public:
    explicit TemporaryFolder(std::string const& name)
    {
        std::string pattern = "/tmp/qev-" + name + "-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr)
            path = pattern;
    }
    ~TemporaryFolder()
    {
        if (path.empty())
            return;
        // A test may have taken its own rights away to provoke a failure.
        std::error_code ignored;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path, ignored);
    }
    TemporaryFolder(TemporaryFolder const&) = delete;
    TemporaryFolder& operator=(TemporaryFolder const&) = delete;

    std::string const& GetPath() const noexcept { return path; }

private:
    std::string path;
};

// Each test runs in a temporary folder of its own, reached by file name.
class FolderTest : public ::testing::Test
{
protected:
    explicit FolderTest(std::string const& name) : folder(name), root(folder.GetPath()) {}

    void SetUp() override { ASSERT_FALSE(root.empty()) << "no temporary folder"; }

    std::string pathOf(std::string const& name) const { return root + "/" + name; }
    qev::File fileOf(std::string const& name) const { return qev::File(pathOf(name).c_str()); }
    void put(std::string const& name, std::string const& bytes) const { writeBytes(pathOf(name), bytes); }
    std::string get(std::string const& name) const { return readBytes(pathOf(name)); }
    std::vector<std::string> listing() const { return namesIn(root); }

private:
    TemporaryFolder const folder;

protected:
    std::string const root;
};

// Sets (or, given nullptr, clears) an environment variable until the object goes.
class ScopedEnvironment
{
public:
    ScopedEnvironment(char const* name, char const* value) : name(name)
    {
        if (char const* old = std::getenv(name))
            saved = std::string(old);
        Set(value);
    }
    ~ScopedEnvironment() { Set(saved ? saved->c_str() : nullptr); }
    ScopedEnvironment(ScopedEnvironment const&) = delete;
    ScopedEnvironment& operator=(ScopedEnvironment const&) = delete;

    void Set(char const* value)
    {
        if (value != nullptr)
            ::setenv(name.c_str(), value, 1);
        else
            ::unsetenv(name.c_str());
    }

private:
    std::string name;
    std::optional<std::string> saved;
};

// Until the object goes, a write that would take a file past the limit fails as on a full disk,
// instead of the signal killing the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit tight = saved;
        tight.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &tight);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, savedHandler);
    }
    FileSizeLimit(FileSizeLimit const&) = delete;
    FileSizeLimit& operator=(FileSizeLimit const&) = delete;

private:
    rlimit saved{};
    void (*savedHandler)(int) = SIG_DFL;
};

// The exit status of body() run in a child process, -1 when the child did not exit normally.
// What the child does to its limits or descriptors leaves the test process alone.
template <typename Body> int exitStatusInChild(Body body)
{
    pid_t const pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Whether save, run in a child process whose files cannot grow past limit bytes, reports failure
// (returns false). The child keeps the limit away from the test runner's own output.
template <typename Save> bool saveFailsOnAFullDisk(rlim_t limit, Save save)
{
    return exitStatusInChild(
               [&]
               {
                   FileSizeLimit const full(limit);
                   return save() ? 1 : 0;
               }) == 0;
}

} // namespace qevtest
