#include "common/QevConsoleLog.h"
#include "common/QevException.h"
#include "common/QevExceptions.h"
#include "files/QevBinaryFile.h"
#include "files/QevFile.h"
#include "files/QevTemporaryFile.h"
#include "files/QevTrash.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <optional>
#include <pwd.h>
#include <regex>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using qev::File;
using qev::Overwrite;
using qev::SpecialLocation;
using qev::String;
namespace fs = std::filesystem;

namespace
{

using qevtest::readBytes;
using qevtest::ScopedEnvironment;
using qevtest::writeBytes;

std::string text(String const& s)
{
    return s.GetStdString();
}

std::string pathOf(File const& file)
{
    return file.GetFullPathName().GetStdString();
}

// The message of the qev::Exception that action throws.
template <typename Action> std::string thrownMessage(Action&& action)
{
    try
    {
        action();
    }
    catch (qev::Exception const& e)
    {
        return e.what();
    }
    return "(nothing thrown)";
}

std::set<std::string> namesIn(fs::path const& folder)
{
    std::set<std::string> names;
    if (fs::is_directory(folder))
        for (auto const& entry : fs::directory_iterator(folder))
            names.insert(entry.path().filename().string());
    return names;
}

// Every test runs in its own folder, with HOME, the data folder and the working folder inside it.
class FileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        savedLogType = qev::ConsoleLog::type;
        qev::ConsoleLog::type = 3; // expected exceptions need not reach the system log
        ASSERT_FALSE(temporary.GetPath().empty());
        root = temporary.GetPath();
        home = root / "home";
        work = root / "w";
        fs::create_directories(home);
        fs::create_directories(work / "v");
        savedWorkingFolder = fs::current_path();
        fs::current_path(work);
        homeVariable.Set(home.c_str());
        dataVariable.Set((root / "data").c_str());
    }
    void TearDown() override
    {
        fs::current_path(savedWorkingFolder);
        qev::ConsoleLog::type = savedLogType;
    }
    fs::path trash() const { return root / "data" / "Trash"; }

    qevtest::TemporaryFolder const temporary{"file"};
    fs::path root, home, work, savedWorkingFolder;
    int savedLogType = 0;
    // Never the real home folder or trash; SetUp points them into the test's folder.
    ScopedEnvironment homeVariable{"HOME", nullptr};
    ScopedEnvironment lowerHomeVariable{"home", nullptr};
    ScopedEnvironment dataVariable{"XDG_DATA_HOME", nullptr};
};

std::string homeOf(char const* user)
{
    passwd const* entry = ::getpwnam(user);
    return entry != nullptr ? entry->pw_dir : std::string();
}

TEST_F(FileTest, Normalisation)
{
    std::string const h = home.string(), w = work.string();
    std::string const rootHome = homeOf("root");
    struct Case
    {
        std::string input, expected;
    } const cases[] = {
        {"  ~/a\\ b/c/  ", h + "/a b/c"},
        {"~", h},
        {"/", "/"},
        {"/tmp///", "/tmp"},
        {"", ""},
        {" \t ", w},
        {"notes.txt", w + "/notes.txt"},
        {"./a/./b", w + "/a/./b"},
        {".//a", w + "/a"},
        {"../x", root.string() + "/x"},
        {"a/../b", w + "/a/../b"},
        {"../../../../../../../../../../x", "/x"},
        {"~qev-no-such-user-x/a/", "~qev-no-such-user-x/a"},
        {"~root", "~root"},
        {"~root/a", rootHome.empty() ? "~root/a" : (fs::path(rootHome) / "a").string()},
    };
    for (auto const& c : cases)
        EXPECT_EQ(text(File::parseAbsolutePath(String(c.input))), c.expected) << '"' << c.input << '"';

    fs::current_path(work / "v");
    EXPECT_EQ(pathOf(File("../x")), w + "/x");
    EXPECT_EQ(text(File::Combine(String("/a/"), String("b"))), "/a/b");
    EXPECT_EQ(text(File::Combine(String("/a"), String("b/"))), "/a/b");
}

TEST_F(FileTest, HomeFolderFromTheEnvironment)
{
    std::string const w = work.string();
    struct Case
    {
        char const* upper;
        char const* lower;
        std::string expected;
    } const cases[] = {
        {home.c_str(), "/elsewhere", home.string()},
        {nullptr, "/other/home/", "/other/home"},
        {"", "/other/home", "/other/home"},     // empty counts as unset
        {"~x", nullptr, w},                     // would expand into itself
        {" ~", "~/y", w},                       // so would this, once trimmed
        {"relative", nullptr, w + "/relative"}, // made absolute like any name
        {nullptr, nullptr, w},
    };
    for (auto const& c : cases)
    {
        homeVariable.Set(c.upper);
        lowerHomeVariable.Set(c.lower);
        EXPECT_EQ(text(File::GetUserHomeDirectoryAsString()), c.expected)
            << (c.upper ? c.upper : "(unset)") << " / " << (c.lower ? c.lower : "(unset)");
        EXPECT_EQ(pathOf(File("~/n")), c.expected + "/n");
    }
}

TEST_F(FileTest, RemovedWorkingFolderNamesNothing)
{
    fs::path const gone = root / "gone";
    fs::create_directory(gone);
    fs::current_path(gone);
    fs::remove(gone);
    homeVariable.Set(nullptr);
    EXPECT_EQ(pathOf(File("relative/name")), "");
    EXPECT_EQ(pathOf(File::GetCurrentWorkingDirectory()), "");
    // With no home folder either, "~" names nothing rather than the root.
    EXPECT_EQ(pathOf(File("~/a")), "");
    EXPECT_TRUE(File::CleanMaxMspFilename(String("a.xml")).IsEmpty());
    EXPECT_EQ(pathOf(File("/abs/path")), "/abs/path");
}

TEST_F(FileTest, NamesAndExtensions)
{
    struct Case
    {
        char const* path;
        char const* name;
        char const* folder;
        bool hasAnExtension;
        bool hasNone; // HasFileExtension("")
        char const* withXml;
        char const* stripped;
    } const cases[] = {
        {"/a/b.txt", "b.txt", "/a", true, false, "/a/b.xml", "/a/b"},
        {"/a/b", "b", "/a", false, true, "/a/b.xml", "/a/b"},
        {"/a.d/b", "b", "/a.d", false, true, "/a.d/b.xml", "/a.d/b"},
        {"/a/b.c.TXT", "b.c.TXT", "/a", true, false, "/a/b.c.xml", "/a/b.c"},
        {"/a/.rc", ".rc", "/a", false, false, "/a/.xml", "/a"},
        {"/b", "b", "/", false, true, "/b.xml", "/b"},
        {"/a/~n.txt", "~n.txt", "/a", true, false, "/a/~n.xml", "/a/~n"}, // "~" in a name is plain
    };
    for (auto const& c : cases)
    {
        File const f(c.path);
        SCOPED_TRACE(c.path);
        EXPECT_EQ(text(f.GetFileName()), c.name);
        EXPECT_EQ(text(f.getPathUpToLastSlash()), c.folder);
        EXPECT_EQ(f.HasAnExtension(), c.hasAnExtension);
        EXPECT_EQ(f.HasFileExtension(String()), c.hasNone);
        EXPECT_EQ(pathOf(f.WithAnotherExtension(String("xml"))), c.withXml);
        EXPECT_EQ(pathOf(f.WithAnotherExtension(String())), c.stripped);
    }
    File const upper("/a/b.TXT");
    for (char const* accepted : {"txt", ".txt", "TXT", "osc .txt", "osc  txt"})
        EXPECT_TRUE(upper.HasFileExtension(String(accepted))) << accepted;
    for (char const* refused : {"osc", "b.txt", "tx", "osc "})
        EXPECT_FALSE(upper.HasFileExtension(String(refused))) << refused;
    EXPECT_TRUE(File("/a/b").HasFileExtension(String("osc "))); // an empty item asks for none

    struct Append
    {
        char const* path;
        char const* extension;
        char const* expected;
    } const appends[] = {
        {"/a/b.", "txt", "/a/b.txt"},        {"/a/b", ".txt", "/a/b.txt"}, {"/a/b.TXT", "txt", "/a/b.TXT"},
        {"/a/b.osc", "txt", "/a/b.osc.txt"}, {"/a/b", "", "/a/b"},         {"", "txt", ""},
    };
    for (auto const& a : appends)
    {
        File f(a.path);
        f.AppendExtension(String(a.extension));
        EXPECT_EQ(pathOf(f), a.expected) << a.path << " + " << a.extension;
    }
}

TEST_F(FileTest, ChildAndSiblingFiles)
{
    File const base("/w/v");
    struct Case
    {
        char const* relative;
        std::string expected;
    } const cases[] = {
        {"../x", "/w/x"},    {"../../../x", "/x"}, {"..", "/w"},     {".", "/w/v"},
        {"..x", "/w/v/..x"}, {"", "/w/v"},         {"/abs", "/abs"}, {"~/h", home.string() + "/h"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(pathOf(base.GetChildFile(String(c.relative))), c.expected) << c.relative;
    EXPECT_EQ(pathOf(base.GetSiblingFile(String("~s"))), "/w/~s");
    EXPECT_EQ(pathOf(File("/").GetChildFile(String("a"))), "/a");
    // The no-file value has no children: they would land at the root.
    EXPECT_TRUE(File().GetChildFile(String("a")).IsEmpty());
    EXPECT_TRUE(File::NonExistent().GetNonexistentChildFile(String("a"), String(".txt"), false).IsEmpty());
}

TEST_F(FileTest, FreeChildNames)
{
    File const folder(work.c_str());
    auto const freeName = [&](char const* prefix, bool brackets)
    { return text(folder.GetNonexistentChildFile(String(prefix), String(".txt"), brackets).GetFileName()); };
    struct Case
    {
        char const* prefix;
        bool brackets;
        std::vector<std::string> taken;
        std::string expected;
    } const cases[] = {
        {"take", false, {}, "take.txt"},
        {"take", false, {"take.txt"}, "take2.txt"},
        {"take", false, {"take.txt", "take2.txt"}, "take3.txt"},
        {"take", true, {"take.txt"}, "take(2).txt"},
        {"take7", false, {"take7.txt"}, "take7(2).txt"},
        {"take 1", false, {"take 1.txt"}, "take 1(2).txt"},
        {"take(4)", false, {"take(4).txt"}, "take(5).txt"},
        {"take()", false, {"take().txt"}, "take(1).txt"},
        {"a(b)", false, {"a(b).txt"}, "a(b)(2).txt"},
        {"n(99999999999999999999)", false, {"n(99999999999999999999).txt"}, "n(99999999999999999999)(2).txt"},
        {"link", false, {"link.txt"}, "link2.txt"}, // taken by a link that leads nowhere
    };
    for (auto const& c : cases)
    {
        for (auto const& name : c.taken)
        {
            if (std::string(c.prefix) == "link")
                fs::create_symlink(root / "nowhere", work / name);
            else
                writeBytes(work / name, "x");
        }
        EXPECT_EQ(freeName(c.prefix, c.brackets), c.expected) << c.prefix;
        for (auto const& name : c.taken)
            fs::remove(work / name);
    }
}

TEST_F(FileTest, QueriesAndFolderCreation)
{
    writeBytes(work / "f.txt", "x");
    File const file((work / "f.txt").c_str());
    File const folder(work.c_str());
    EXPECT_TRUE(file.ExistsAsFile());
    EXPECT_FALSE(folder.ExistsAsFile());
    EXPECT_TRUE(folder.IsDirectory());
    EXPECT_TRUE(File((work / "new" / "deeper").c_str()).HasWriteAccess()); // the nearest ancestor decides
    EXPECT_FALSE(File().HasWriteAccess());
    if (::geteuid() != 0)
    {
        fs::permissions(work, fs::perms::owner_write, fs::perm_options::remove);
        EXPECT_FALSE(File((work / "new").c_str()).HasWriteAccess());
        fs::permissions(work, fs::perms::owner_write, fs::perm_options::add);
    }

    File const deep((work / "a" / "b" / "c").c_str());
    EXPECT_TRUE(deep.CreateDirectory());
    EXPECT_TRUE(deep.CreateDirectory()); // already there
    EXPECT_TRUE(File((work / "x" / "y" / "file.txt").c_str()).CreateDirectoryFor());
    EXPECT_TRUE(fs::is_directory(work / "x" / "y"));
    EXPECT_FALSE(File((work / "f.txt" / "sub").c_str()).CreateDirectory()); // a file is in the way

    for (char const* noParent : {"", "~qev-no-such-user-x"})
        EXPECT_EQ(thrownMessage([&] { File(noParent).CreateDirectory(); }),
                  std::string("Cannot create directory \"") + noParent + "\"");

    // Removal: a file, an empty folder, a link that leads nowhere; a full folder stays.
    fs::create_directory(work / "empty");
    fs::create_symlink(root / "nowhere", work / "dangling");
    for (char const* name : {"f.txt", "empty", "dangling"})
    {
        EXPECT_TRUE(File((work / name).c_str()).DeleteFile()) << name;
        EXPECT_FALSE(fs::exists(fs::symlink_status(work / name))) << name;
    }
    EXPECT_FALSE(File((work / "a").c_str()).DeleteFile());
}

TEST_F(FileTest, SpecialLocations)
{
    std::string const h = home.string();
    std::pair<int, std::string> const expected[] = {
        {0, work.string()},
        {1, h},
        {2, h + "/Documents"},
        {9, "/Applications"},
        {12, h + "/Library/Application Support/Omvar"},
        {16, h + "/Documents/Omvar/trov/presets"},
        {19, h + "/Documents/Ambrelis"},
        {20, ""},
        {-1, ""},
    };
    for (auto const& [value, path] : expected)
        EXPECT_EQ(pathOf(File::GetSpecialLocation(static_cast<SpecialLocation>(value))), path) << value;

    File const executable = File::GetSpecialLocation(SpecialLocation::CurrentExecutableFile);
    EXPECT_TRUE(executable.ExistsAsFile());
    EXPECT_EQ(executable, File::GetSpecialLocation(SpecialLocation::CurrentApplicationFile));
    EXPECT_EQ(executable, File(fs::canonical("/proc/self/exe").c_str()));

    // Only the cache folder is created.
    File const cache = File::GetSpecialLocation(SpecialLocation::UserApplicationCacheDirectory);
    EXPECT_EQ(pathOf(cache), h + "/Library/Caches/qev_core_tests");
    EXPECT_TRUE(cache.IsDirectory());
    EXPECT_EQ(namesIn(home), std::set<std::string>{"Library"});
}

TEST_F(FileTest, HostPathNames)
{
    std::string const h = home.string();
    struct Translation
    {
        char const* name;
        char const* expected;
    } const translations[] = {
        {"HD:/x", "/Volumes/HD/x"}, {"Macintosh HD:/Users/a/b.xml", "/Volumes/Macintosh HD/Users/a/b.xml"},
        {"a:b", "/Volumes/ab"},     {"/a:b", "/a:b"},
        {"plain", "plain"},
    };
    for (auto const& t : translations)
        EXPECT_EQ(text(File::TranslateAbsolutePathFromMaxMSP(String(t.name))), t.expected) << t.name;

    auto const clean = [](char const* name) { return pathOf(File::CleanMaxMspFilename(String(name))); };
    EXPECT_EQ(clean(""), "");
    EXPECT_EQ(clean("~/b.xml"), h + "/b.xml");
    EXPECT_EQ(clean("HD:/b.xml"), "/Volumes/HD/b.xml");
    EXPECT_EQ(clean("sub/b.xml"), h + "/sub/b.xml"); // under home, not the working folder

    std::string const presets = h + "/Documents/Omvar/trov/presets";
    auto const preset = [](char const* name)
    { return pathOf(File::CleanPresetFilenameFromMaxMSP(String(name))); };
    EXPECT_EQ(preset("/a/p.txt"), "/a/p.txt");
    EXPECT_EQ(preset("p.txt"), presets + "/p.txt");
    EXPECT_EQ(preset("~p.txt"), presets + "/~p.txt");
    EXPECT_EQ(preset(""), presets);
    EXPECT_TRUE(fs::is_directory(presets));

    // Reading: the working folder first, then the home folder, else an exception.
    writeBytes(work / "here.txt", "w");
    writeBytes(home / "here.txt", "h");
    writeBytes(home / "there.txt", "h");
    auto const load = [](char const* name) { return pathOf(File::LoadFilenameFromMaxMsp(String(name))); };
    EXPECT_EQ(load("here.txt"), work.string() + "/here.txt");
    EXPECT_EQ(load("there.txt"), h + "/there.txt");
    EXPECT_EQ(load(""), "");
    EXPECT_EQ(thrownMessage([&] { load("missing.txt"); }), "Could not find file \"missing.txt\"");
}

TEST_F(FileTest, FileExceptionsQuoteThePath)
{
    File const file("/tmp/a b");
    qev::SourceLineInfo const where("QevFileReader", 30);
    EXPECT_STREQ(qev::exceptions::NoSuchFile(file, where).what(), "Could not find file \"/tmp/a b\"");
    EXPECT_STREQ(qev::exceptions::UnsupportedFile(file, where).what(),
                 "Could not open file \"/tmp/a b\". Unsupported format?");
}

//==============================================================================================
// Saving, moving and the trash

void expectValidRecord(fs::path const& record, std::string const& encodedPath)
{
    std::string const content = readBytes(record);
    std::regex const shape(
        "\\[Trash Info\\]\nPath=(.*)\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(content, match, shape)) << content;
    EXPECT_EQ(match[1].str(), encodedPath);
}

// A save whose new file is gone by the time of the rename.
void replaceWithAFailingRename(fs::path const& target)
{
    qev::TemporaryFile const temporary(File(target.c_str()), 0);
    ASSERT_TRUE(temporary.Write("new", 3));
    static File const* renamed;
    renamed = &temporary.GetFile();
    qev::TemporaryFile::betweenTrashAndRename = [] { renamed->DeleteFile(); };
    EXPECT_FALSE(temporary.ReplaceTarget(Overwrite::Replace));
    qev::TemporaryFile::betweenTrashAndRename = nullptr;
}

TEST_F(FileTest, TrashKeepsEveryItemWithItsRecord)
{
    fs::path const original = work / "my take%.txt";
    std::string const encoded = (work / "my%20take%25.txt").string();
    for (char const* content : {"first", "second", "third"})
    {
        writeBytes(original, content);
        EXPECT_TRUE(File(original.c_str()).MoveToTrash()) << content;
        EXPECT_FALSE(fs::exists(original));
    }
    std::set<std::string> const names{"my take%.txt", "my take%.2.txt", "my take%.3.txt"};
    EXPECT_EQ(namesIn(trash() / "files"), names);
    EXPECT_EQ(readBytes(trash() / "files" / "my take%.txt"), "first");
    EXPECT_EQ(readBytes(trash() / "files" / "my take%.3.txt"), "third");
    for (auto const& name : names)
        expectValidRecord(trash() / "info" / (name + ".trashinfo"), encoded);
    EXPECT_EQ(fs::status(trash() / "info").permissions() & fs::perms::all, fs::perms::owner_all);

    // A folder goes whole; an item lying in the trash without a record does not lose its name.
    fs::create_directories(work / "dir" / "sub");
    writeBytes(work / "dir" / "sub" / "f", "in folder");
    writeBytes(trash() / "files" / "dir", "orphan");
    EXPECT_TRUE(File((work / "dir").c_str()).MoveToTrash());
    EXPECT_EQ(readBytes(trash() / "files" / "dir"), "orphan");
    EXPECT_EQ(readBytes(trash() / "files" / "dir.2" / "sub" / "f"), "in folder");
    EXPECT_FALSE(fs::exists(trash() / "info" / "dir.trashinfo"));
    expectValidRecord(trash() / "info" / "dir.2.trashinfo", (work / "dir").string());

    EXPECT_TRUE(File((work / "absent").c_str()).MoveToTrash());
    EXPECT_TRUE(File().MoveToTrash());
    EXPECT_EQ(text(qev::Trash::encodePath(String("/a b/é~_-."))), "/a%20b/%C3%A9~_-.");
}

TEST_F(FileTest, TrashFallbackNeverReplacesAnEarlierItem)
{
    writeBytes(root / "data", "a file where the data folder should be");
    for (char const* content : {"one", "two"})
    {
        writeBytes(work / "n.txt", content);
        EXPECT_TRUE(File((work / "n.txt").c_str()).MoveToTrash());
    }
    EXPECT_EQ(readBytes(home / ".Trash" / "n.txt"), "one");
    EXPECT_EQ(readBytes(home / ".Trash" / "n2.txt"), "two");
    writeBytes(work / "n.txt", "three");
    EXPECT_TRUE(qev::BinaryFile::WriteData("new", 3, File((work / "n.txt").c_str()), Overwrite::Replace));
    EXPECT_EQ(readBytes(home / ".Trash" / "n3.txt"), "three");
    // A rename that fails takes the old file out of the fallback again.
    replaceWithAFailingRename(work / "n.txt");
    EXPECT_EQ(namesIn(home / ".Trash"), (std::set<std::string>{"n.txt", "n2.txt", "n3.txt"}));

    // No trash at all: the save refuses rather than delete the old file.
    homeVariable.Set(nullptr);
    fs::path const kept = work / "kept.txt";
    writeBytes(kept, "old");
    fs::create_directory(root / "gone");
    fs::current_path(root / "gone");
    fs::remove(root / "gone");
    EXPECT_EQ(thrownMessage([&] { File(kept.c_str()).OverwriteIfNeeded(Overwrite::Replace); }),
              "Error deleting \"" + kept.string() + "\"");
    EXPECT_ANY_THROW(qev::BinaryFile::WriteData("new", 3, File(kept.c_str()), Overwrite::Replace));
    EXPECT_EQ(readBytes(kept), "old");
}

TEST_F(FileTest, OverwritePolicy)
{
    fs::path const target = work / "t.xml";
    std::string const quoted = "\"" + target.string() + "\"";
    File const file(target.c_str());
    EXPECT_TRUE(file.OverwriteIfNeeded(Overwrite::Refuse)); // nothing there yet

    writeBytes(target, "old");
    for (auto policy : {Overwrite::Refuse, static_cast<Overwrite>(2)})
        EXPECT_EQ(thrownMessage([&] { file.OverwriteIfNeeded(policy); }), "File already exists " + quoted);
    EXPECT_TRUE(file.OverwriteIfNeeded(Overwrite::Replace));
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(readBytes(trash() / "files" / "t.xml"), "old");

    fs::create_directory(target);
    for (auto policy : {Overwrite::Refuse, Overwrite::Replace})
        EXPECT_EQ(thrownMessage([&] { file.OverwriteIfNeeded(policy); }), quoted + " is a folder");
}

TEST_F(FileTest, ReplacingNeverLeavesThePathEmpty)
{
    fs::path const target = work / "t.osc";
    writeBytes(target, "old");
    // Killed between trashing the old file and the rename: both the path and the trash hold it.
    qevtest::exitStatusInChild(
        [&]
        {
            qev::TemporaryFile::betweenTrashAndRename = [] { ::raise(SIGKILL); };
            return qev::BinaryFile::WriteData("new", 3, File(target.c_str()), Overwrite::Replace);
        });
    EXPECT_EQ(readBytes(target), "old");
    EXPECT_EQ(readBytes(trash() / "files" / "t.osc"), "old");
    expectValidRecord(trash() / "info" / "t.osc.trashinfo", target.string());

    // A rename that fails leaves no trash entry claiming the file still in place.
    replaceWithAFailingRename(target);
    EXPECT_EQ(readBytes(target), "old");
    EXPECT_EQ(namesIn(trash() / "files"), std::set<std::string>{"t.osc"});
    EXPECT_EQ(namesIn(trash() / "info"), std::set<std::string>{"t.osc.trashinfo"});
}

// A folder on another file system than the test's folder, when there is one.
std::optional<fs::path> otherFileSystemFolder(fs::path const& than)
{
    struct stat here, there;
    if (::stat(than.c_str(), &here) != 0 || ::stat("/dev/shm", &there) != 0 || here.st_dev == there.st_dev ||
        ::access("/dev/shm", W_OK) != 0)
        return std::nullopt;
    char pattern[] = "/dev/shm/qev-file-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        return std::nullopt;
    return fs::path(pattern);
}

TEST_F(FileTest, MoveReplacesTheTargetInOneStep)
{
    fs::path const source = work / "new.xml", target = work / "map.xml";
    writeBytes(target, "old");
    EXPECT_FALSE(File(source.c_str()).MoveFileTo(File(target.c_str()))); // nothing to move
    EXPECT_EQ(readBytes(target), "old");

    writeBytes(source, "new");
    EXPECT_TRUE(File(source.c_str()).MoveFileTo(File(source.c_str())));
    EXPECT_TRUE(File(source.c_str()).MoveFileTo(File(target.c_str())));
    EXPECT_EQ(readBytes(target), "new");
    EXPECT_FALSE(fs::exists(source));

    // A move that cannot happen leaves the target as it was: it is never deleted first.
    fs::create_directories(work / "folder" / "inside");
    writeBytes(source, "newer");
    EXPECT_FALSE(File(source.c_str()).MoveFileTo(File((work / "folder").c_str())));
    EXPECT_TRUE(fs::exists(work / "folder" / "inside"));
    EXPECT_EQ(readBytes(source), "newer");
}

TEST_F(FileTest, MovesAcrossFileSystems)
{
    auto const other = otherFileSystemFolder(root);
    if (!other)
        GTEST_SKIP() << "no second file system";
    struct Cleanup
    {
        fs::path path;
        ~Cleanup() { fs::remove_all(path); }
    } const cleanup{*other};

    writeBytes(*other / "new.xml", "new content");
    writeBytes(work / "map.xml", "old");
    EXPECT_TRUE(File((*other / "new.xml").c_str()).MoveFileTo(File((work / "map.xml").c_str())));
    EXPECT_EQ(readBytes(work / "map.xml"), "new content");
    EXPECT_FALSE(fs::exists(*other / "new.xml"));
    EXPECT_EQ(namesIn(work), (std::set<std::string>{"map.xml", "v"}));

    // The trash copies what lies elsewhere.
    fs::create_directories(*other / "d");
    writeBytes(*other / "d" / "f", "deep");
    ::symlink("f", (*other / "d" / "link").c_str());
    EXPECT_TRUE(File((*other / "d").c_str()).MoveToTrash());
    EXPECT_FALSE(fs::exists(*other / "d"));
    EXPECT_EQ(readBytes(trash() / "files" / "d" / "f"), "deep");
    EXPECT_EQ(fs::read_symlink(trash() / "files" / "d" / "link"), "f");

    // A copy that fails midway (the file-size limit of a child process) leaves the target as it was
    // and nothing beside it.
    std::string const big(1 << 20, 'b');
    writeBytes(*other / "big.xml", big);
    EXPECT_TRUE(qevtest::saveFailsOnAFullDisk(
        4096,
        [&] { return File((*other / "big.xml").c_str()).MoveFileTo(File((work / "map.xml").c_str())); }))
        << "the move reported success";
    EXPECT_EQ(readBytes(work / "map.xml"), "new content");
    EXPECT_EQ(readBytes(*other / "big.xml"), big);
    EXPECT_EQ(namesIn(work), (std::set<std::string>{"map.xml", "v"}));
    // A file replaced here leaves a copy in a trash that lies elsewhere, taken out if the rename fails.
    dataVariable.Set((*other / "data").c_str());
    EXPECT_TRUE(qev::BinaryFile::WriteData("newer", 5, File((work / "map.xml").c_str()), Overwrite::Replace));
    EXPECT_EQ(readBytes(work / "map.xml"), "newer");
    EXPECT_EQ(readBytes(*other / "data" / "Trash" / "files" / "map.xml"), "new content");
    replaceWithAFailingRename(work / "map.xml");
    EXPECT_EQ(namesIn(*other / "data" / "Trash" / "files"), std::set<std::string>{"map.xml"});
}

} // namespace
