#include "GuiTestHelpers.h"
#include "common/QevMaxConsoleNotifier.h"
#include "common/QguiDocumentWindow.h"
#include "common/QguiMaxMspWindowManager.h"
#include "common/QguiRuntime.h"
#include "common/WidgetsMidiOscMapComponent.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

using guitest::onAnotherThread;
using guitest::pumpUntil;

namespace
{

// Content that answers the commands under "/content" and tells when it is deleted.
class RecordingContent : public qgui::ComponentWithOscInterface
{
public:
    explicit RecordingContent(bool* deleted_ = nullptr) : deleted(deleted_) { setSize(300, 200); }
    ~RecordingContent() override
    {
        if (deleted != nullptr)
            *deleted = true;
    }

    bool ProcessMessage(qev::OscMessage const& message, qev::MessageFlag const&) override
    {
        offered.push_back(message.ToString().GetStdString());
        return message.GetAddressPattern().StartsWith(qev::OscAddress("/content"));
    }

    qev::OscBundle GetCurrentStateAsOscBundle() const override
    {
        qev::OscBundle state;
        state.AddNewMessage("/content/value", 0.5f);
        return state;
    }

    std::vector<std::string> offered;

private:
    bool* deleted;
};

struct ConsoleRecorder : qev::MaxConsoleNotifier::Listener
{
    void ConsoleNotificationReceived(qev::MaxConsoleNotifier const*,
                                     qev::MaxConsoleNotifier::Notification const&,
                                     qev::String const& text) override
    {
        texts.push_back(text.GetStdString());
    }
    std::vector<std::string> texts;
};

bool process(qgui::MaxMspWindowManager& window, char const* address)
{
    return window.ProcessMessage(qev::OscMessage(address), qev::MessageFlag(0));
}

} // namespace

TEST(DocumentWindow, StartsHiddenAndOwnsItsContent)
{
    bool deleted = false;
    auto window = std::make_unique<qgui::DocumentWindow>(new RecordingContent(&deleted));
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->IsOpen());
    // On the desktop only when there is one to be on.
    EXPECT_EQ(qgui::Runtime::HasDisplay(), window->isOnDesktop());
    ASSERT_NE(nullptr, window->getContentComponent());
    EXPECT_EQ(300, window->getContentComponent()->getWidth());
    EXPECT_EQ(200, window->getContentComponent()->getHeight());
    window.reset();
    EXPECT_TRUE(deleted);

    // Without content the window keeps the framework's default size and is not centred.
    qgui::DocumentWindow empty(nullptr);
    EXPECT_EQ(nullptr, empty.getContentComponent());
    EXPECT_FALSE(empty.isVisible());
}

TEST(DocumentWindow, TitleFromAnotherThreadChangesOnlyWhenTheMessageThreadRuns)
{
    qgui::DocumentWindow window(new RecordingContent);
    window.SetTitle("MIDI / OSC Mapping");
    EXPECT_EQ(juce::String("MIDI / OSC Mapping"), window.getName());

    onAnotherThread([&] { window.SetTitle(qev::String("r\xC3\xA9glages")); });
    EXPECT_EQ(juce::String("MIDI / OSC Mapping"), window.getName());
    EXPECT_TRUE(pumpUntil([&] { return window.getName() != "MIDI / OSC Mapping"; }));
    EXPECT_EQ(juce::String::fromUTF8("r\xC3\xA9glages"), window.getName());
}

TEST(DocumentWindow, PendingTitleOfADeletedWindowIsDropped)
{
    auto window = std::make_unique<qgui::DocumentWindow>(new RecordingContent);
    onAnotherThread([&] { window->SetTitle("late"); });
    window.reset();
    bool after = false;
    juce::MessageManager::callAsync([&] { after = true; });
    EXPECT_TRUE(pumpUntil([&] { return after; }));
}

TEST(MaxMspWindowManager, OffersMessagesToTheWindowThenTheCommonCommandsThenTheContent)
{
    auto* content = new RecordingContent;
    qgui::MaxMspWindowManager window(content);
    EXPECT_EQ(content, window.GetContent());
    EXPECT_EQ(content, window.getContentComponent());
    ConsoleRecorder console;
    window.AddMaxConsoleListener(&console);

    // The window's own prefixes stop there, handled or not.
    EXPECT_FALSE(process(window, "/window"));
    EXPECT_FALSE(process(window, "/window/size"));
    EXPECT_FALSE(process(window, "/keymapping/unknown"));
    EXPECT_TRUE(content->offered.empty());

    // A common command never reaches the content; it sees the window's state, the content's.
    // The state is the content's, then the window's own commands.
    EXPECT_TRUE(process(window, "/post/state"));
    ASSERT_LT(1u, console.texts.size());
    EXPECT_EQ(0u, console.texts[0].find("/content/value"));
    for (std::size_t i = 1; i < console.texts.size(); ++i)
        EXPECT_EQ(0u, console.texts[i].find("/window/")) << console.texts[i];
    EXPECT_TRUE(content->offered.empty());
    // "/set" hands the rest of the message back to the window, which passes it on.
    EXPECT_TRUE(process(window, "/set/content/y"));
    ASSERT_EQ(1u, content->offered.size());
    EXPECT_EQ("/content/y", content->offered[0]);

    // Everything else goes to the content, which decides; a name that merely begins like the
    // window's prefix is not under it.
    EXPECT_TRUE(process(window, "/content/x"));
    EXPECT_FALSE(process(window, "/windowsize"));
    ASSERT_EQ(3u, content->offered.size());
    EXPECT_EQ("/windowsize", content->offered[2]);

    auto const state = window.GetCurrentStateAsOscBundle();
    ASSERT_EQ(console.texts.size(), state.GetNumElements());
    EXPECT_STREQ("/content/value", state[0].GetMessage()->GetAddressPattern().GetText().GetCString());

    window.RemoveMaxConsoleListener(&console);
}

TEST(MaxMspWindowManager, HoldsTheMappingEditorWithItsTable)
{
    auto* panel = new widgets::MidiOscMapComponent;
    qgui::MaxMspWindowManager window(panel);
    window.SetTitle("MIDI / OSC Mapping");
    EXPECT_FALSE(window.isVisible());
    panel->Process(qev::MidiMessage::ControllerEvent(1, 0, 127));
    panel->Refresh();
    EXPECT_TRUE(panel->GetControllers().GetRow(0).getText().contains("MIDI 127,"));
    EXPECT_EQ(800, panel->getWidth());
}

TEST(DocumentWindowWithoutDisplay, CannotBeShown)
{
    if (qgui::Runtime::HasDisplay())
        GTEST_SKIP() << "a display is available";
    qgui::MaxMspWindowManager window(new widgets::MidiOscMapComponent);
    EXPECT_FALSE(window.SetVisibleAndToFront());
    EXPECT_FALSE(window.SetCenterAndToFront());
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.isOnDesktop());
    EXPECT_FALSE(window.IsOpen());
}
