#include "common/QevExceptions.h"
#include "osc/QevCommonPatterns.h"
#include "osc/QevOscInterface.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

using qev::MaxConsoleNotifier;
using qev::MessageFlag;
using qev::OscBundle;
using qev::OscMessage;
using qev::String;

namespace
{

using Report = std::pair<int, std::string>;
using Received = std::pair<std::string, int>;

class SilentError : public std::exception
{
public:
    char const* what() const noexcept override { return ""; }
};

// Handles "/ok", fails on "/fail", "/warn", "/silent" and "/alien", and leaves everything else
// unhandled; the common commands come first, as in every real object.
class TestInterface : public qev::OscInterface
{
public:
    bool ProcessMessage(OscMessage const& message, MessageFlag const& flag) override
    {
        received.emplace_back(message.ToString().GetCString(), flag.GetValue());
        if (ProcessCommonMessage(message, flag))
            return true;
        if (message.PatternMatches("/fail"))
            throw qev::Exception(String("bad value"), qev::SourceLineInfo("OscInterfaceTest", 1), false,
                                 false);
        if (message.PatternMatches("/warn"))
            throw qev::exceptions::ExceptionalWarning(String("careful"),
                                                      qev::SourceLineInfo("OscInterfaceTest", 2));
        if (message.PatternMatches("/silent"))
            throw SilentError();
        if (message.PatternMatches("/alien"))
            throw 42;
        return message.PatternMatches("/ok");
    }

    OscBundle GetCurrentStateAsOscBundle() const override { return state; }

    std::vector<Received> received;
    OscBundle state;
};

class Console : public MaxConsoleNotifier::Listener
{
public:
    void ConsoleNotificationReceived(MaxConsoleNotifier const*, MaxConsoleNotifier::Notification const& kind,
                                     String const& text) override
    {
        if (failuresLeft > 0)
        {
            --failuresLeft;
            throw qev::Exception(String("console gone"), qev::SourceLineInfo("OscInterfaceTest", 3), false,
                                 false);
        }
        reports.emplace_back(static_cast<int>(kind), text.GetCString());
    }
    std::vector<Report> reports;
    int failuresLeft = 0;
};

OscBundle bundleOf(std::vector<char const*> const& lines)
{
    OscBundle bundle;
    for (auto const* line : lines)
        bundle.Add(OscMessage::CreateFromText(String(line)));
    return bundle;
}

std::string repeated(char const* part, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += part;
    return text;
}

class OscInterfaceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(home.empty());
        object.AddMaxConsoleListener(&console);
    }

    bool common(char const* text, int flag = 7)
    {
        return object.ProcessCommonMessage(OscMessage::CreateFromText(String(text)), MessageFlag(flag));
    }

    // HOME points at a fresh folder, so preset paths never reach the real home.
    qevtest::TemporaryFolder const temporary{"oscinterface"};
    std::string const home = temporary.GetPath();
    qevtest::ScopedEnvironment const homeVariable{"HOME", home.c_str()};
    Console console;
    TestInterface object;
};

} // namespace

TEST_F(OscInterfaceTest, BundleWalkReportsEachFailureAndGoesOn)
{
    struct Case
    {
        std::vector<char const*> messages;
        bool result;
        std::vector<Report> reports;
    };
    Case const cases[] = {
        {{}, true, {}},
        {{"/ok", "/nope 1", "/ok"}, false, {{2, "when processing \"/nope 1\""}}},
        {{"/fail 1", "/ok"}, false, {{2, "when processing \"/fail 1\". Reason: bad value"}}},
        {{"/warn \"w\""}, false, {{1, "when processing \"/warn \"w\"\". Reason: careful"}}},
        {{"/silent"}, false, {{2, "when processing \"/silent\""}}},
        {{"/ok", "/ok"}, true, {}},
    };
    for (auto const& c : cases)
    {
        object.received.clear();
        console.reports.clear();
        EXPECT_EQ(object.processBundle(bundleOf(c.messages), MessageFlag(3)), c.result);
        EXPECT_EQ(console.reports, c.reports);
        ASSERT_EQ(object.received.size(), c.messages.size());
        for (auto const& seen : object.received)
            EXPECT_EQ(seen.second, 3);
    }
}

TEST_F(OscInterfaceTest, NestedBundlesAreWalkedWithTheSameFlag)
{
    OscBundle outer = bundleOf({"/ok"});
    outer.AddNestedBundle(bundleOf({"/nope", "/ok"}));
    outer.Add(OscMessage("/ok"));
    EXPECT_FALSE(object.processBundle(outer, MessageFlag(0)));
    EXPECT_EQ(object.received, (std::vector<Received>{{"/ok", 0}, {"/nope", 0}, {"/ok", 0}, {"/ok", 0}}));
    EXPECT_EQ(console.reports, (std::vector<Report>{{2, "when processing \"/nope\""}}));
}

TEST_F(OscInterfaceTest, ForeignExceptionEndsTheWalkAndAFailedReportIsReported)
{
    EXPECT_THROW(object.processBundle(bundleOf({"/alien", "/ok"}), MessageFlag(0)), int);
    EXPECT_EQ(object.received.size(), 1u);

    // The unhandled report itself fails: that failure is what gets reported.
    console.failuresLeft = 1;
    EXPECT_FALSE(object.processBundle(bundleOf({"/nope"}), MessageFlag(0)));
    EXPECT_EQ(console.reports, (std::vector<Report>{{2, "when processing \"/nope\". Reason: console gone"}}));
}

TEST_F(OscInterfaceTest, SetHandsOnTheRestWithFlagOne)
{
    struct Case
    {
        char const* text;
        bool handled;
        std::vector<Received> seen;
    };
    Case const cases[] = {
        {"/set/ok 1", true, {{"/set/ok 1", 7}, {"/ok 1", 1}}},
        {"/set/foo 1", false, {{"/set/foo 1", 7}, {"/foo 1", 1}}},
        {"/set/set/ok", true, {{"/set/set/ok", 7}, {"/set/ok", 1}, {"/ok", 1}}},
        {"/set", false, {{"/set", 7}}},
        {"/s?t/ok", true, {{"/s?t/ok", 7}, {"/ok", 1}}},
        {"/settings/ok", false, {{"/settings/ok", 7}}},
    };
    for (auto const& c : cases)
    {
        object.received.clear();
        EXPECT_EQ(object.ProcessMessage(OscMessage::CreateFromText(String(c.text)), MessageFlag(7)),
                  c.handled)
            << c.text;
        EXPECT_EQ(object.received, c.seen) << c.text;
    }
}

TEST_F(OscInterfaceTest, SetChainsAreBounded)
{
    int const limit = qev::OscInterface::maximumSetDepth;
    EXPECT_TRUE(object.ProcessMessage(OscMessage(String(repeated("/set", limit) + "/ok")), MessageFlag(0)));
    EXPECT_THROW(
        object.ProcessMessage(OscMessage(String(repeated("/set", limit + 1) + "/ok")), MessageFlag(0)),
        qev::Exception);

    // Thousands of parts, plain or wild, end in one report instead of a stack overflow.
    for (char const* part : {"/set", "/*"})
    {
        console.reports.clear();
        OscBundle bundle;
        bundle.Add(OscMessage(String(repeated(part, 5000) + "/ok")));
        EXPECT_FALSE(object.processBundle(bundle, MessageFlag(0)));
        ASSERT_EQ(console.reports.size(), 1u);
        EXPECT_NE(console.reports[0].second.find(". Reason: more than 64 nested \"/set\" prefixes"),
                  std::string::npos);
    }
    // The depth is restored after the failure.
    EXPECT_TRUE(object.ProcessMessage(OscMessage("/set/ok"), MessageFlag(0)));
}

TEST_F(OscInterfaceTest, PostCommandsGoToTheConsole)
{
    object.state = bundleOf({"/a 1"});
    object.state.AddNestedBundle(bundleOf({"/b", "/c \"x\""}));
    EXPECT_TRUE(common("/post/state"));
    EXPECT_EQ(console.reports, (std::vector<Report>{{0, "/a 1"}, {0, "/b"}, {0, "/c \"x\""}}));

    console.reports.clear();
    EXPECT_TRUE(common("/post/doc"));
    ASSERT_EQ(console.reports.size(), 16u);
    EXPECT_EQ(console.reports.front(), (Report{0, "/post/version : print the version in the Max Console"}));
    EXPECT_EQ(console.reports.back(),
              (Report{0, "/help/font/size [number] : set the font size of the help window"}));

    console.reports.clear();
    EXPECT_TRUE(common("/post/version"));
    EXPECT_TRUE(console.reports.empty());

    EXPECT_TRUE(common("/post/symbols"));
    std::vector<std::string> keys;
    for (auto const& report : console.reports)
        keys.push_back(report.second);
    for (char const* tried : {"/post/state", "/post/doc", "/post/version", "/post/symbols"})
        EXPECT_NE(std::find(keys.begin(), keys.end(), tried), keys.end()) << tried;

    console.reports.clear();
    for (char const* text : {"/post/state 1", "/post", "/post/other", "/post/state \"s\""})
        EXPECT_FALSE(common(text)) << text;
    EXPECT_TRUE(console.reports.empty());
}

TEST_F(OscInterfaceTest, PresetCommandsNeedExactlyOneString)
{
    for (char const* text : {"/preset/load", "/preset/load \"a\" \"b\"", "/preset/load 3",
                             "/preset/other \"a\"", "/preset \"a\"", "/preset/export 1.5"})
        EXPECT_FALSE(common(text)) << text;

    console.reports.clear();
    EXPECT_FALSE(object.processBundle(bundleOf({"/preset/load 3"}), MessageFlag(0)));
    EXPECT_EQ(console.reports, (std::vector<Report>{{2, "when processing \"/preset/load 3\""}}));
}

TEST_F(OscInterfaceTest, PresetCommandsPickSaveBeforeLoad)
{
    // A load looks the name up first: a missing file is refused before any preset is read.
    for (char const* text : {"/preset/l* \"missing\"", "/preset/recall \"missing.txt\""})
    {
        try
        {
            common(text);
            ADD_FAILURE() << text;
        }
        catch (qev::Exception const& e)
        {
            EXPECT_NE(std::string(e.what()).find("Could not find file"), std::string::npos) << e.what();
        }
    }

    // A save resolves the name in the presets folder, which it creates; the wildcard saves.
    std::filesystem::path const presets = std::filesystem::path(home) / "Documents/Omvar/trov/presets";
    EXPECT_FALSE(std::filesystem::exists(presets));
    try
    {
        common("/preset/* \"foo\"");
    }
    catch (qev::Exception const& e)
    {
        EXPECT_EQ(std::string(e.what()).find("Could not find file"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(std::filesystem::is_directory(presets));

    // Every alias does its command.
    object.state = bundleOf({"/ok 1"});
    for (std::string const name : {"export", "save", "store"})
    {
        EXPECT_TRUE(common(("/preset/" + name + " \"" + name + "\"").c_str())) << name;
        EXPECT_EQ(qevtest::readBytes(presets / (name + ".txt")), "/ok 1") << name;
    }
    for (std::string const name : {"load", "import", "recall"})
    {
        object.received.clear();
        EXPECT_TRUE(common(("/preset/" + name + " \"" + (presets / "store.txt").string() + "\"").c_str()));
        EXPECT_EQ(object.received, (std::vector<Received>{{"/ok 1", 7}})) << name;
    }

    for (char const* text : {"/preset/save \"\"", "/preset/load \"  \""})
        EXPECT_THROW(common(text), qev::Exception) << text;
}

TEST_F(OscInterfaceTest, CommonDocumentation)
{
    EXPECT_TRUE(object.GetOscDocumentation(false).IsEmpty());
    auto const doc = object.GetOscDocumentation(true);
    std::vector<std::string> patterns;
    for (unsigned long i = 0; i < doc.GetNumEntries(); ++i)
        patterns.emplace_back(doc[i].GetPattern().GetText().GetCString());
    EXPECT_EQ(patterns,
              (std::vector<std::string>{"/post/version", "/post/doc", "/post/state", "/dump", "/preset/load",
                                        "/preset/export", "/status", "/status/open", "/status/close",
                                        "/status/openorclose", "/status/font/size", "/help", "/help/open",
                                        "/help/close", "/help/openorclose", "/help/font/size"}));
    EXPECT_EQ(doc[4].ToString(), "/preset/load [string] : load a preset from file (.txt, .osc, .coll)");
    EXPECT_EQ(doc[3].GetLabel(), "dump current state");
    EXPECT_EQ(doc[9].GetLabel(), "open status window");
    EXPECT_EQ(doc[9].GetDescription(), "open the status window if it was closed; close it if it was opened");
    EXPECT_EQ(doc[13].GetLabel(), "close help window");
}

TEST(CommonPatterns, EachIsSlashAndItsNameMadeOnce)
{
    using qev::CommonPatterns;
    std::pair<qev::OscAddress const& (*)(), char const*> const cases[] = {
        {CommonPatterns::set, "/set"},
        {CommonPatterns::hidesondeactivate, "/hidesondeactivate"},
        {CommonPatterns::snapshot, "/snapshot"},
    };
    for (auto const& c : cases)
    {
        EXPECT_EQ(c.first().GetText(), c.second);
        EXPECT_EQ(c.first().GetNumParts(), 1u) << c.second;
        EXPECT_EQ(&c.first(), &c.first()) << c.second;
    }
}
