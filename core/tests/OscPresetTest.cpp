#include "common/QevConsoleLog.h"
#include "common/QevExceptions.h"
#include "files/QevFile.h"
#include "osc/QevOscInputStream.h"
#include "osc/QevOscInterface.h"
#include "osc/QevOscOutputStream.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <typeinfo>
#include <vector>

namespace fs = std::filesystem;
using qev::File;
using qev::MessageFlag;
using qev::OscArgument;
using qev::OscBundle;
using qev::OscMessage;
using qev::Overwrite;
using qev::String;

namespace
{

using qevtest::readBytes;
using qevtest::writeBytes;

struct Seen
{
    std::string text;
    int flag;
    bool loading;
};

std::string typesOf(OscMessage const& message)
{
    std::string types;
    for (unsigned long i = 0; i < message.GetNumArguments(); ++i)
        types += message.GetArgument(i).GetType();
    return types;
}

// Handles the common commands and every other message but "/nope"; remembers what it was given.
class PresetObject : public qev::OscInterface
{
public:
    bool ProcessMessage(OscMessage const& message, MessageFlag const& flag) override
    {
        seen.push_back(
            {message.ToString().GetCString(), flag.GetValue(), GetPresetManager().IsLoadingPreset()});
        messages.push_back(message);
        if (ProcessCommonMessage(message, flag))
            return true;
        return !message.PatternMatches("/nope") && !message.PatternMatches("/preset/load");
    }

    OscBundle GetCurrentStateAsOscBundle() const override { return state; }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> result;
        for (auto const& s : seen)
            result.push_back(s.text);
        return result;
    }

    std::vector<Seen> seen;
    std::vector<OscMessage> messages;
    OscBundle state;
};

class Events : public qev::OscPresetManager::Listener, public qev::MaxConsoleNotifier::Listener
{
public:
    void AboutToLoadPreset(qev::OscInterface&) override { log.push_back("about"); }
    void PresetLoaded(qev::OscInterface&, File const& file) override
    {
        log.push_back(std::string("loaded ") + file.GetFileName().GetCString());
    }
    void PresetSaved(qev::OscInterface&, File const& file) override
    {
        log.push_back(std::string("saved ") + file.GetFileName().GetCString());
    }
    void ConsoleNotificationReceived(qev::MaxConsoleNotifier const*,
                                     qev::MaxConsoleNotifier::Notification const&,
                                     String const& text) override
    {
        reports.emplace_back(text.GetCString());
    }
    std::vector<std::string> log;
    std::vector<std::string> reports;
};

OscBundle bundleOf(std::vector<char const*> const& lines)
{
    OscBundle bundle;
    for (auto const* line : lines)
        bundle.Add(OscMessage::CreateFromText(String(line)));
    return bundle;
}

std::size_t countEntries(fs::path const& folder)
{
    std::error_code ignored;
    if (!fs::is_directory(folder, ignored))
        return 0;
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class OscPresetTest : public ::testing::Test
{
protected:
    // HOME and the trash point into a fresh folder: replaced presets go to a trash we can see.
    OscPresetTest() : home("HOME", root.c_str()), dataHome("XDG_DATA_HOME", (root / "share").c_str())
    {
        fs::create_directories(dir);
        manager().AddListener(&events);
        object.AddMaxConsoleListener(&events);
        qev::ConsoleLog::type = -1; // the deliberate failures need not reach the system log
    }

    void SetUp() override { ASSERT_FALSE(root.empty()); }

    ~OscPresetTest() override { qev::ConsoleLog::type = savedLog; }

    File at(std::string const& name) const { return File((dir / name).c_str()); }
    qev::OscPresetManager& manager() { return object.GetPresetManager(); }
    bool load(std::string const& name, int flag = 5)
    {
        return manager().LoadPreset(at(name), MessageFlag(flag));
    }

    static std::string thrownBy(std::function<void()> const& action)
    {
        try
        {
            action();
        }
        catch (qev::Exception const& e)
        {
            return e.what();
        }
        return "<nothing thrown>";
    }

    qevtest::TemporaryFolder const temporary{"preset"};
    fs::path const root = temporary.GetPath();
    fs::path const dir = root / "presets";
    fs::path const trashFiles = root / "share" / "Trash" / "files";
    qevtest::ScopedEnvironment const home, dataHome;
    int const savedLog = qev::ConsoleLog::type;
    Events events;
    PresetObject object;
};

} // namespace

TEST_F(OscPresetTest, SavedFilesAreByteExact)
{
    OscBundle nested = bundleOf({"/a 1", "/b"});
    nested.AddNestedBundle(bundleOf({"/c \"x y\"", "/d 2.5"}));
    struct Case
    {
        OscBundle state;
        char const* name;
        char const* written;
        char const* content;
    };
    Case const cases[] = {
        {bundleOf({"/a 1", "/b"}), "state", "state.txt", "/a 1\n/b"},
        {bundleOf({"/a 1", "/b"}), "s.coll", "s.coll", "1, /a 1;\n2, /b;\n"},
        {OscBundle(), "empty.txt", "empty.txt", ""},
        {OscBundle(), "empty.coll", "empty.coll", ""},
        {nested, "nested.txt", "nested.txt", "/a 1\n/b\n/c \"x y\"\n/d 2.5"},
        {nested, "nested.coll", "nested.coll", "1, /a 1;\n2, /b;\n3, /c \"x y\";\n4, /d 2.5;\n"},
    };
    for (auto const& c : cases)
    {
        events.log.clear();
        object.state = c.state;
        EXPECT_TRUE(manager().SavePreset(at(c.name))) << c.name;
        EXPECT_EQ(readBytes(dir / c.written), c.content) << c.name;
        EXPECT_EQ(events.log, std::vector<std::string>{std::string("saved ") + c.written});
        EXPECT_EQ(manager().GetLastSavedFile(), at(c.written));
        EXPECT_EQ(manager().GetCurrentFile(), at(c.written));
    }
    EXPECT_EQ(countEntries(dir), std::size(cases)); // no temporary file left behind
    EXPECT_EQ(manager().GetLastLoadedFile(), File::NonExistent());
}

TEST_F(OscPresetTest, ReadersTolerateLayoutAndKeepFileOrder)
{
    struct Case
    {
        char const* name;
        char const* content;
        std::vector<std::string> messages;
        bool result = true;
    };
    Case const cases[] = {
        {"layout.txt", "\n   \n/a 1;\n\t\n/b 2,\n;\n/c \"s\" ;  \n", {"/a 1", "/b 2", "/c \"s\""}},
        {"crlf.txt", "/a 1\r\n\r\n/b\r\n", {"/a 1", "/b"}},
        {"bare", "/x 3", {"/x 3"}},
        {"order.coll", "3, /c;\r\n1, /a;\r\nno comma here;\r\n7, /b 1.5;\r\n5,;\r\n", {"/c", "/a", "/b 1.5"}},
        {"empty.coll", "", {}},
        // An unhandled message is reported; the preset still counts as loaded.
        {"unhandled.txt", "/ok 1\n/nope 2\n/ok 3", {"/ok 1", "/nope 2", "/ok 3"}, false},
    };
    for (auto const& c : cases)
    {
        writeBytes(dir / c.name, c.content);
        object.seen.clear();
        events.log.clear();
        EXPECT_EQ(load(c.name, 9), c.result) << c.name;
        EXPECT_EQ(object.texts(), c.messages) << c.name;
        for (auto const& s : object.seen)
            EXPECT_TRUE(s.flag == 9 && s.loading) << c.name;
        EXPECT_EQ(events.log, (std::vector<std::string>{"about", std::string("loaded ") + c.name}));
        EXPECT_FALSE(manager().IsLoadingPreset());
        EXPECT_EQ(manager().GetCurrentFile(), at(c.name));
    }
    EXPECT_EQ(events.reports, std::vector<std::string>{"when processing \"/nope 2\""});
}

TEST_F(OscPresetTest, RefusedLoadsApplyNothing)
{
    writeBytes(dir / "a.xml", "/ok");
    writeBytes(dir / "bad.txt", "/ok 1\n/a[b 2\n/ok 3");
    writeBytes(dir / "bad.coll", "1, /ok;\n2, /{x;\n");
    writeBytes(dir / "garbage.osc", std::string("#bundle\0garbage", 15));
    writeBytes(dir / "empty.osc", "");
    fs::create_directories(dir / "folder.txt");

    auto const quoted = [&](char const* name) { return "\"" + (dir / name).string() + "\""; };
    struct Case
    {
        char const* name;
        std::string error;
        std::vector<std::string> log;
    };
    Case const cases[] = {
        {"missing.txt", "Could not find file " + quoted("missing.txt"), {}},
        {"folder.txt", "Could not find file " + quoted("folder.txt"), {}},
        {"a.xml", "unexpected file extension for file " + quoted("a.xml"), {"about"}},
        {"bad.txt", "OSC format error", {"about"}},
        {"bad.coll", "OSC format error", {"about"}},
        {"garbage.osc", "OSC input stream", {"about"}},
        {"empty.osc", "OSC input stream", {"about"}},
    };
    for (auto const& c : cases)
    {
        events.log.clear();
        try
        {
            load(c.name);
            ADD_FAILURE() << c.name;
        }
        catch (qev::exceptions::NoSuchFile const& e)
        {
            EXPECT_TRUE(c.log.empty()) << c.name; // only a missing file keeps its own type
            EXPECT_EQ(std::string(e.what()), c.error);
        }
        catch (qev::Exception const& e)
        {
            EXPECT_EQ(typeid(e), typeid(qev::Exception)) << c.name;
            EXPECT_EQ(std::string(e.what()).rfind(c.error, 0), 0u) << c.name << ": " << e.what();
        }
        EXPECT_EQ(events.log, c.log) << c.name;
        EXPECT_FALSE(manager().IsLoadingPreset()) << c.name;
    }
    EXPECT_TRUE(object.seen.empty());
    EXPECT_EQ(manager().GetCurrentFile(), File::NonExistent());

    // Saving to a form that does not exist writes nothing.
    EXPECT_NE(thrownBy([&] { manager().SavePreset(at("state.xml")); }).find("unexpected file extension"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "state.xml"));
}

TEST_F(OscPresetTest, BinaryPresetsGoThroughTheWireReaderWithItsDepthLimit)
{
    // A lone message is a preset of one message.
    qev::OscOutputStream single;
    ASSERT_TRUE(single.WriteMessage(OscMessage::CreateFromText(String("/ok 4"))));
    writeBytes(dir / "single.osc", std::string(single.GetData(), single.GetDataSize()));
    EXPECT_TRUE(load("single.osc"));
    EXPECT_EQ(object.texts(), std::vector<std::string>{"/ok 4"});

    // Nesting beyond the reader's limit is refused as a whole, however it was written.
    OscBundle deep = bundleOf({"/ok"});
    for (unsigned i = 0; i < qev::OscInputStream::maxBundleDepth + 4; ++i)
    {
        OscBundle outer;
        outer.AddNestedBundle(deep);
        deep = outer;
    }
    qev::OscOutputStream stream;
    ASSERT_TRUE(stream.WriteBundle(deep));
    writeBytes(dir / "deep.osc", std::string(stream.GetData(), stream.GetDataSize()));
    object.seen.clear();
    EXPECT_NE(thrownBy([&] { load("deep.osc"); }).find("OSC input stream"), std::string::npos);
    EXPECT_TRUE(object.seen.empty());
    EXPECT_FALSE(manager().IsLoadingPreset());

    // A state the wire cannot carry is not saved at all.
    object.state = OscBundle();
    OscMessage colour(String("/colour"));
    colour.Add(OscArgument::Rgba(0x11223344u));
    object.state.Add(colour);
    events.log.clear();
    EXPECT_FALSE(manager().SavePreset(at("colour.osc")));
    EXPECT_FALSE(fs::exists(dir / "colour.osc"));
    EXPECT_TRUE(events.log.empty());
}

TEST_F(OscPresetTest, EveryArgumentTypeRoundTrips)
{
    OscMessage all(String("/all"));
    all.Add(OscArgument(-7));
    all.Add(OscArgument(0.25f));
    all.Add(OscArgument(static_cast<long long>(0x100000002LL)));
    all.Add(OscArgument(0.5));
    all.Add(OscArgument(true));
    all.Add(OscArgument(false));
    all.Add(OscArgument("two words"));
    all.Add(OscArgument(qev::MemoryBlock("\x01\x00\xff", 3)));
    object.state = OscBundle(all);
    object.state.AddNestedBundle(bundleOf({"/inner \"s\" 3"}));

    struct Case
    {
        char const* name;
        std::string types; // of "/all" as it comes back
    };
    // The wire sends a 64-bit integer as its low 32 bits and a double as a float; the text
    // forms read a true back as the integer 1, a false as 0, and print a blob as nothing.
    Case const cases[] = {{"all.osc", "ififTFsb"}, {"all.txt", "ifhfiis"}, {"all.coll", "ifhfiis"}};
    for (auto const& c : cases)
    {
        object.messages.clear();
        ASSERT_TRUE(manager().SavePreset(at(c.name))) << c.name;
        EXPECT_TRUE(load(c.name)) << c.name;
        ASSERT_EQ(object.messages.size(), 2u) << c.name;
        OscMessage const& back = object.messages[0];
        EXPECT_EQ(typesOf(back), c.types) << c.name;
        EXPECT_EQ(back[0].GetInt32(), -7);
        EXPECT_EQ(back[1].GetFloat32(), 0.25f);
        EXPECT_EQ(back[3].GetFloat32(), 0.5f);
        EXPECT_EQ(back[6].GetString(), "two words");
        EXPECT_EQ(object.messages[1], OscMessage::CreateFromText(String("/inner \"s\" 3"))) << c.name;
    }
}

TEST_F(OscPresetTest, FailedWriteLeavesTheOldPresetIntact)
{
    // A file-size limit makes every write past a few bytes fail, as a full disk would.
    auto const limitedSave = [&](File const& file)
    {
        qevtest::FileSizeLimit const full(4);
        return manager().SavePreset(file);
    };

    object.state = bundleOf({"/long/enough/message 1 2 3"});
    char const* const names[] = {"p.txt", "p.coll", "p.osc"};
    for (char const* name : names)
    {
        writeBytes(dir / name, "/old");
        EXPECT_FALSE(limitedSave(at(name))) << name;
        EXPECT_EQ(readBytes(dir / name), "/old") << name;
    }
    EXPECT_TRUE(events.log.empty());
    EXPECT_EQ(manager().GetCurrentFile(), File::NonExistent());
    EXPECT_EQ(countEntries(dir), 3u); // no temporary file left behind
    EXPECT_EQ(countEntries(trashFiles), 0u);

    // With room again the saves succeed, and the old presets go to the trash.
    for (char const* name : names)
        EXPECT_TRUE(manager().SavePreset(at(name))) << name;
    EXPECT_EQ(readBytes(dir / "p.txt"), "/long/enough/message 1 2 3");
    EXPECT_EQ(countEntries(dir), 3u);
    ASSERT_EQ(countEntries(trashFiles), 3u);
    for (auto const& trashed : fs::directory_iterator(trashFiles))
        EXPECT_EQ(readBytes(trashed.path()), "/old");

    // Below the preset manager, a refusing policy and a folder in the way are errors.
    EXPECT_NE(thrownBy([&] { object.state.SaveAsTextFile(at("p.txt"), Overwrite::Refuse, String("\n")); })
                  .find("File already exists"),
              std::string::npos);
    fs::create_directories(dir / "folder.coll");
    EXPECT_NE(thrownBy([&] { object.state.SaveAsCollFile(at("folder.coll"), Overwrite::Replace); })
                  .find("is a folder"),
              std::string::npos);
    EXPECT_EQ(readBytes(dir / "p.txt"), "/long/enough/message 1 2 3");
}

TEST_F(OscPresetTest, PresetsLoadingPresetsAreBounded)
{
    auto const loadLine = [&](std::string const& name)
    { return "/preset/load \"" + (dir / name).string() + "\""; };
    // Itself, directly or through another preset: refused and reported, the rest still runs.
    writeBytes(dir / "self.txt", loadLine("self.txt") + "\n/ok");
    writeBytes(dir / "a.coll", "1, " + loadLine("b.txt") + ";\n");
    writeBytes(dir / "b.txt", loadLine("a.coll"));
    EXPECT_FALSE(load("self.txt"));
    EXPECT_EQ(object.texts(), (std::vector<std::string>{loadLine("self.txt"), "/ok"}));
    ASSERT_EQ(events.reports.size(), 1u);
    EXPECT_NE(events.reports[0].find("is already being loaded"), std::string::npos) << events.reports[0];

    events.reports.clear();
    events.log.clear();
    EXPECT_FALSE(load("a.coll"));
    EXPECT_EQ(events.reports.size(), 2u); // the refusal, then b.txt's failed load
    EXPECT_EQ(events.log, (std::vector<std::string>{"about", "about", "loaded b.txt", "loaded a.coll"}));
    EXPECT_FALSE(manager().IsLoadingPreset());

    // A chain of distinct presets, each loading the next and then sending "/after".
    unsigned long const limit = qev::OscPresetManager::maximumLoadDepth;
    for (unsigned long i = 0; i <= limit + 1; ++i)
        writeBytes(dir / ("chain" + std::to_string(i) + ".txt"),
                   loadLine("chain" + std::to_string(i + 1) + ".txt") + "\n/after " + std::to_string(i));
    object.seen.clear();
    events.reports.clear();
    EXPECT_FALSE(load("chain0.txt"));
    // The refusal, then each outer load reporting its failed "/preset/load" as unhandled.
    ASSERT_EQ(events.reports.size(), limit);
    EXPECT_NE(events.reports[0].find("nested more than 16 deep"), std::string::npos) << events.reports[0];
    // chain0 .. chain15 ran, innermost first; a finished inner load leaves the outer one loading.
    std::vector<std::string> afters;
    for (auto const& s : object.seen)
        if (s.text.rfind("/after", 0) == 0)
        {
            afters.push_back(s.text);
            EXPECT_TRUE(s.loading) << s.text;
        }
    ASSERT_EQ(afters.size(), limit);
    EXPECT_EQ(afters.front(), "/after " + std::to_string(limit - 1));
    EXPECT_FALSE(manager().IsLoadingPreset());
    EXPECT_EQ(manager().GetCurrentFile(), at("chain0.txt"));
}
