#include "GuiTestHelpers.h"
#include "common/QevMaxConsoleNotifier.h"
#include "common/QguiFunctions.h"
#include "common/QguiMaxMspWindowManager.h"
#include "common/QguiRuntime.h"
#include "common/WidgetsMidiOscMapComponent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace
{

class Content : public qgui::ComponentWithOscInterface
{
public:
    explicit Content(bool* deleted_ = nullptr) : deleted(deleted_) { setSize(300, 200); }
    ~Content() override
    {
        if (deleted != nullptr)
            *deleted = true;
    }

    bool ProcessMessage(qev::OscMessage const& message, qev::MessageFlag const&) override
    {
        offered.push_back(message.ToString().GetStdString());
        if (message.PatternMatches("/content/value") && message.CheckArgumentsFormat("f", true))
        {
            value = message[0].GetFloat32();
            return true;
        }
        return false;
    }

    qev::OscBundle GetCurrentStateAsOscBundle() const override
    {
        qev::OscBundle state;
        state.AddNewMessage("/content/value", value);
        return state;
    }

    void AboutToLoadPreset(qev::OscInterface&) override { presetEvents.push_back("about to load"); }
    void PresetLoaded(qev::OscInterface&, qev::File const&) override { presetEvents.push_back("loaded"); }
    void PresetSaved(qev::OscInterface&, qev::File const&) override { presetEvents.push_back("saved"); }

    std::vector<std::string> offered;
    std::vector<std::string> presetEvents;
    float value = 0.25f;

private:
    bool* deleted;
};

struct Console : qev::MaxConsoleNotifier::Listener
{
    void ConsoleNotificationReceived(qev::MaxConsoleNotifier const*,
                                     qev::MaxConsoleNotifier::Notification const& notification,
                                     qev::String const& text) override
    {
        texts.push_back(text.GetStdString());
        kinds.push_back(static_cast<int>(notification));
    }
    std::vector<std::string> texts;
    std::vector<int> kinds;
};

struct StateListener : qgui::MaxMspWindowManager::Listener
{
    void WindowStateChanged(qgui::MaxMspWindowManager& window, qev::OscBundle const& state) override
    {
        ++calls;
        lastTitle = state[0].GetMessage()->GetArgument(0).GetString().GetStdString();
        if (removeSelf)
            window.RemoveListener(this);
    }
    int calls = 0;
    std::string lastTitle;
    bool removeSelf = false;
};

qev::OscMessage message(char const* address)
{
    return qev::OscMessage(address);
}

template <typename... Arguments> qev::OscMessage message(char const* address, Arguments... arguments)
{
    qev::OscMessage result(address);
    (result.Add(arguments), ...);
    return result;
}

bool process(qgui::MaxMspWindowManager& window, qev::OscMessage const& m)
{
    return window.ProcessMessage(m, qev::MessageFlag(0));
}

// A folder of its own under the system's temporary folder, removed afterwards.
struct TemporaryFolder
{
    // mkdtemp, not a free-name search: CTest runs these tests in parallel processes.
    TemporaryFolder()
    {
        std::string pattern = juce::File::getSpecialLocation(juce::File::tempDirectory)
                                  .getChildFile("wm-XXXXXX")
                                  .getFullPathName()
                                  .toStdString();
        if (::mkdtemp(pattern.data()) != nullptr)
            folder = juce::File(pattern);
    }
    ~TemporaryFolder() { folder.deleteRecursively(); }
    std::string path(char const* name) const
    {
        return folder.getChildFile(name).getFullPathName().toStdString();
    }
    juce::File folder;
};

std::string quoted(std::string const& path)
{
    return "\"" + path + "\"";
}

} // namespace

TEST(WindowManager, OffersEachMessageToOneHandlerInTurn)
{
    auto* content = new Content;
    qgui::MaxMspWindowManager window(content);
    EXPECT_EQ(content, window.GetContent());

    // "/window" and "/keymapping" stop there, handled or not, and never reach the content.
    EXPECT_FALSE(process(window, message("/window")));
    EXPECT_FALSE(process(window, message("/window/nothing")));
    EXPECT_FALSE(process(window, message("/keymapping/export", 1)));
    EXPECT_FALSE(process(window, message("/keymapping/export", "a", "b")));
    EXPECT_FALSE(process(window, message("/keymapping/nothing")));
    EXPECT_TRUE(process(window, message("/window/title", "t")));
    EXPECT_TRUE(content->offered.empty());

    // The help, status and snapshot commands are the window's too, and so are the common ones:
    // the state posted is the window's whole state, the content's first.
    EXPECT_TRUE(process(window, message("/help/close")));
    EXPECT_TRUE(process(window, message("/status/openorclose")));
    Console console;
    window.AddMaxConsoleListener(&console);
    EXPECT_TRUE(process(window, message("/post/state")));
    window.RemoveMaxConsoleListener(&console);
    ASSERT_EQ(window.GetCurrentStateAsOscBundle().GetNumElements(), console.texts.size());
    EXPECT_EQ("/content/value 0.25", console.texts[0]);
    EXPECT_TRUE(content->offered.empty());

    // A first part that merely begins like a prefix is not under it.
    EXPECT_FALSE(process(window, message("/windowsize")));
    EXPECT_FALSE(process(window, message("/keymappings")));
    EXPECT_TRUE(process(window, message("/content/value", 0.5f)));
    ASSERT_EQ(3u, content->offered.size());
    EXPECT_EQ("/windowsize", content->offered[0]);
    EXPECT_FLOAT_EQ(0.5f, content->value);

    // "/set" comes back through the whole sequence.
    EXPECT_TRUE(process(window, message("/set/window/title", "again")));
    EXPECT_EQ(juce::String("again"), window.getName());
    EXPECT_EQ(3u, content->offered.size());
    EXPECT_TRUE(process(window, message("/set/content/value", 0.75f)));
    EXPECT_FLOAT_EQ(0.75f, content->value);

    // Without content whatever the window does not take is unhandled.
    qgui::MaxMspWindowManager empty(nullptr);
    EXPECT_FALSE(process(empty, message("/content/value", 0.5f)));
    EXPECT_TRUE(process(empty, message("/window/title", "t")));
}

TEST(WindowManager, StateIsTheContentsThenTheWindowsAndAPresetRestoresBoth)
{
    auto* content = new Content;
    qgui::MaxMspWindowManager window(content);
    window.SetTitle("before");

    auto const state = window.GetCurrentStateAsOscBundle();
    ASSERT_EQ(20u, state.GetNumElements());
    EXPECT_EQ("/content/value", state[0].GetMessage()->GetAddressPattern().GetText().GetStdString());
    EXPECT_EQ("/window/title", state[1].GetMessage()->GetAddressPattern().GetText().GetStdString());
    EXPECT_EQ(17u, qgui::MaxMspWindowManager(nullptr).GetCurrentStateAsOscBundle().GetNumElements());
    auto const bounds = window.getBounds();

    // The content hears of presets saved and loaded through the window.
    TemporaryFolder folder;
    auto const preset = folder.path("preset.txt");
    ASSERT_TRUE(process(window, message("/preset/export", preset.c_str())));
    EXPECT_EQ(std::vector<std::string>{"saved"}, content->presetEvents);

    window.SetTitle("after");
    content->value = 0.75f;
    window.setBounds(1, 2, 333, 222);
    ASSERT_TRUE(process(window, message("/preset/load", preset.c_str())));
    EXPECT_EQ(juce::String("before"), window.getName());
    EXPECT_FLOAT_EQ(0.25f, content->value);
    EXPECT_EQ(bounds, window.getBounds());
    ASSERT_EQ(3u, content->presetEvents.size());
    EXPECT_EQ("about to load", content->presetEvents[1]);
    EXPECT_EQ("loaded", content->presetEvents[2]);
}

TEST(WindowManager, KeyMappingActiveTakesTrueOnlyFromTrueOrTheInteger1)
{
    qgui::MaxMspWindowManager window(nullptr);
    EXPECT_TRUE(window.IsKeyMappingActive());
    EXPECT_TRUE(process(window, message("/keymapping/active", 2)));
    EXPECT_FALSE(window.IsKeyMappingActive());
    EXPECT_TRUE(process(window, message("/keymapping/active", 1)));
    EXPECT_TRUE(window.IsKeyMappingActive());
    EXPECT_TRUE(process(window, message("/keymapping/active", false)));
    EXPECT_FALSE(window.IsKeyMappingActive());
    EXPECT_FALSE(process(window, message("/keymapping/active", 1.0f)));
    EXPECT_FALSE(process(window, message("/keymapping/active")));
    EXPECT_FALSE(window.IsKeyMappingActive());
}

TEST(WindowManager, ExportsAndLoadsTheSharedKeyMappings)
{
    qgui::MaxMspWindowManager window(nullptr);
    Console console;
    window.AddMaxConsoleListener(&console);
    auto& mappings = *qgui::GetApplicationCommandManager()->getKeyMappings();
    TemporaryFolder folder;

    // Any extension becomes "xml"; missing folders are made.
    auto const asked = folder.path("sub/k.txt");
    auto const written = folder.path("sub/k.xml");
    ASSERT_TRUE(process(window, message("/keymapping/export", asked.c_str())));
    ASSERT_TRUE(juce::File(written).existsAsFile());
    EXPECT_FALSE(juce::File(asked).exists());
    auto const xml = juce::XmlDocument::parse(juce::File(written));
    ASSERT_NE(nullptr, xml);
    EXPECT_TRUE(xml->hasTagName("KEYMAPPINGS"));
    ASSERT_EQ(1u, console.texts.size());
    EXPECT_EQ("file " + quoted(written) + " saved", console.texts[0]);

    // Loading replaces the whole shared set.
    juce::KeyPress const extra('y', juce::ModifierKeys::altModifier, 0);
    mappings.addKeyPress(qgui::DocumentWindow::closeWindowCommand, extra);
    ASSERT_TRUE(process(window, message("/keymapping/load", written.c_str())));
    EXPECT_FALSE(mappings.containsMapping(qgui::DocumentWindow::closeWindowCommand, extra));
    ASSERT_EQ(2u, console.texts.size());
    EXPECT_EQ("file " + quoted(written) + " loaded", console.texts[1]);

    // A wildcard with a string exports.
    ASSERT_TRUE(process(window, message("/keymapping/*", folder.path("w").c_str())));
    EXPECT_TRUE(juce::File(folder.path("w.xml")).existsAsFile());

    // A missing or unreadable file fails silently; another document fails aloud and changes nothing.
    console.texts.clear();
    console.kinds.clear();
    EXPECT_FALSE(process(window, message("/keymapping/load", folder.path("none.xml").c_str())));
    juce::File(folder.path("broken.xml")).replaceWithText("<KEYMAPPINGS");
    EXPECT_FALSE(process(window, message("/keymapping/load", folder.path("broken.xml").c_str())));
    EXPECT_TRUE(console.texts.empty());
    juce::File(folder.path("other.xml")).replaceWithText("<OTHER/>");
    EXPECT_FALSE(process(window, message("/keymapping/load", folder.path("other.xml").c_str())));
    ASSERT_EQ(1u, console.texts.size());
    EXPECT_EQ("error loading " + quoted(folder.path("other.xml")) + " file", console.texts[0]);
    EXPECT_EQ(static_cast<int>(qev::MaxConsoleNotifier::Notification::Error), console.kinds[0]);

    // A target that cannot be written is reported.
    juce::File(folder.path("dir.xml")).createDirectory();
    EXPECT_FALSE(process(window, message("/keymapping/export", folder.path("dir.xml").c_str())));
    ASSERT_EQ(2u, console.texts.size());
    EXPECT_EQ("error saving " + quoted(folder.path("dir.xml")) + " file", console.texts[1]);

    window.RemoveMaxConsoleListener(&console);
}

TEST(WindowManager, ExportOfABareNameGoesToTheHomeFolder)
{
    TemporaryFolder home;
    std::string const oldHome = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    setenv("HOME", home.folder.getFullPathName().toRawUTF8(), 1);
    qgui::MaxMspWindowManager window(nullptr);
    bool const exported = process(window, message("/keymapping/export", "keys"));
    setenv("HOME", oldHome.c_str(), 1);
    EXPECT_TRUE(exported);
    EXPECT_TRUE(home.folder.getChildFile("keys.xml").existsAsFile());
}

TEST(WindowManager, KeyMappingWindowCommandsNeverFailWithoutADisplay)
{
    qgui::MaxMspWindowManager window(nullptr);
    auto& keys = window.GetKeyMappingWindow();
    EXPECT_FALSE(keys.isVisible());
    for (auto const* address :
         {"/keymapping", "/keymapping/open", "/keymapping/openorclose", "/keymapping/close", "/keymapping/*"})
        EXPECT_TRUE(process(window, message(address))) << address;
    EXPECT_EQ(qgui::Runtime::HasDisplay(), keys.isVisible());
    EXPECT_TRUE(process(window, message("/keymapping/close")));
    EXPECT_FALSE(keys.isVisible());
    EXPECT_FALSE(keys.isOnDesktop());
}

TEST(WindowManager, ListenersHearOfTheWindowOnlyAndNeverWhileItDies)
{
    auto* content = new Content;
    auto window = std::make_unique<qgui::MaxMspWindowManager>(content);
    StateListener first;
    StateListener second;
    window->AddListener(&first);
    window->AddListener(&first);
    window->AddListener(nullptr);
    window->AddListener(&second);

    // The content follows the window's size, so only a move keeps the window as it is.
    content->setTopLeftPosition(5, 5);
    EXPECT_EQ(0, first.calls);

    window->setBounds(10, 20, 400, 300);
    EXPECT_EQ(1, first.calls);
    EXPECT_EQ(1, second.calls);
    window->setName("renamed");
    EXPECT_EQ(2, first.calls);
    EXPECT_EQ("renamed", first.lastTitle);

    // A listener may leave while being told; the others are still told.
    first.removeSelf = true;
    window->setTopLeftPosition(30, 40);
    EXPECT_EQ(3, first.calls);
    EXPECT_EQ(3, second.calls);
    window->setTopLeftPosition(31, 40);
    EXPECT_EQ(3, first.calls);
    EXPECT_EQ(4, second.calls);

    window.reset();
    EXPECT_EQ(4, second.calls);
}

TEST(WindowManagerOnDisplay, KeyMappingOpenOrCloseTogglesAndOpensAHiddenWindowOnTheDesktop)
{
    if (!qgui::Runtime::HasDisplay())
        GTEST_SKIP() << "no display: run under xvfb-run -a";
    qgui::MaxMspWindowManager window(nullptr);
    auto& keys = window.GetKeyMappingWindow();
    ASSERT_TRUE(process(window, message("/keymapping/openorclose")));
    EXPECT_TRUE(keys.isVisible());
    EXPECT_TRUE(keys.isOnDesktop());
    ASSERT_TRUE(process(window, message("/keymapping/openorclose")));
    EXPECT_FALSE(keys.isVisible());
    EXPECT_FALSE(keys.isOnDesktop());

    ASSERT_TRUE(keys.SetVisibleAndToFront());
    keys.setVisible(false);
    ASSERT_TRUE(keys.isOnDesktop());
    ASSERT_TRUE(process(window, message("/keymapping/openorclose")));
    EXPECT_TRUE(keys.isVisible());
    qgui::Runtime::Pump();

    // Visibility changes of the window itself are told once each.
    StateListener listener;
    window.AddListener(&listener);
    ASSERT_TRUE(window.SetVisibleAndToFront());
    int const afterOpen = listener.calls;
    EXPECT_GE(afterOpen, 1);
    window.setVisible(false);
    EXPECT_EQ(afterOpen + 1, listener.calls);
    window.RemoveListener(&listener);
}

TEST(WindowManagerOnDisplay, CompanionWindowsShowTheirPanelsAndLeaveScreenshots)
{
    if (!qgui::Runtime::HasDisplay())
        GTEST_SKIP() << "no display: run under xvfb-run -a";
    auto* editor = new widgets::MidiOscMapComponent;
    qgui::MaxMspWindowManager window(editor);
    for (int i = 0; i < 3; ++i)
        editor->GetAddButton().triggerClick();
    auto& companions = window.GetHelpAndStatus();
    auto* snapshots = companions.GetSnapshotWindow().GetPanel();
    ASSERT_NE(nullptr, snapshots);
    for (int i = 0; i < 2; ++i)
        snapshots->GetAddButton().triggerClick();
    for (char const* open : {"/help/open", "/status/open", "/snapshot/open", "/keymapping/open"})
        ASSERT_TRUE(process(window, message(open))) << open;

    struct Shot
    {
        qgui::DocumentWindow& window;
        char const* name;
    };
    Shot const shots[] = {{companions.GetHelpWindow(), "help-window"},
                          {companions.GetStatusWindow(), "status-window"},
                          {companions.GetSnapshotWindow(), "snapshot-window"},
                          {window.GetKeyMappingWindow(), "key-mapping-window"}};
    // The framework's start-up badge sits on the first windows of the process for a few seconds.
    auto const badgeGone = [&]
    {
        for (auto const& shot : shots)
            for (auto* child : shot.window.getChildren())
                if (dynamic_cast<juce::JUCESplashScreen*>(child) != nullptr)
                    return false;
        return true;
    };
    ASSERT_TRUE(guitest::pumpUntil(badgeGone, std::chrono::milliseconds(8000)));
    auto const snapshot = [](Shot const& shot)
    { return shot.window.createComponentSnapshot(shot.window.getLocalBounds()); };
    // The information panels fill themselves at their next refresh.
    auto const drawn = [&](Shot const& shot)
    {
        auto const image = snapshot(shot);
        return shot.window.isShowing() && guitest::countInk(image, image.getBounds()) > 100;
    };
    EXPECT_TRUE(guitest::pumpUntil([&] { return std::all_of(std::begin(shots), std::end(shots), drawn); },
                                   std::chrono::seconds(10)));
    for (auto const& shot : shots)
    {
        EXPECT_TRUE(drawn(shot)) << shot.name;
        guitest::saveScreenshot(snapshot(shot), shot.name);
    }
    // The help lists more lines than fit, all narrower than the list: no horizontal bar.
    auto& help = companions.GetHelpWindow().GetPanel()->GetList().GetInnerList();
    EXPECT_TRUE(help.getVerticalScrollBar().isVisible());
    EXPECT_FALSE(help.getHorizontalScrollBar().isVisible());
}
