#include "GuiTestHelpers.h"
#include "common/QguiDocumentWindow.h"
#include "common/QguiMaxMspWindowManager.h"
#include "common/QguiRuntime.h"
#include "common/WidgetsMidiOscMapComponent.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

using guitest::onAnotherThread;
using guitest::pumpUntil;

namespace
{

// Content that tells when it is deleted.
class RecordingContent : public juce::Component
{
public:
    explicit RecordingContent(bool* deleted_ = nullptr) : deleted(deleted_) { setSize(300, 200); }
    ~RecordingContent() override
    {
        if (deleted != nullptr)
            *deleted = true;
    }

private:
    bool* deleted;
};

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
