#include "GuiTestHelpers.h"
#include "common/QevException.h"
#include "common/QevExceptions.h"
#include "common/WidgetsMidiOscMapComponent.h"
#include "files/QevFile.h"
#include "midi/QevMidiMessage.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscMessage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

using guitest::onAnotherThread;
using guitest::pumpUntil;

namespace
{

struct RecordingListener : qev::MidiOscMap::Listener
{
    void MessageProcessed(qev::MidiMessage const& message) override { midi.push_back(message); }
    void MessageProcessed(qev::OscBundle const& bundle) override { osc.push_back(bundle); }

    std::vector<qev::MidiMessage> midi;
    std::vector<qev::OscBundle> osc;
};

class MidiOscMapComponentTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        if (!folder.empty())
            std::filesystem::remove_all(folder);
    }

    std::size_t numEntries()
    {
        std::lock_guard<std::recursive_mutex> guard(panel->GetLock());
        return panel->GetControllers().GetMap().GetNumEntries();
    }
    std::size_t numRows() { return panel->GetControllers().GetNumRows(); }
    juce::String rowText(std::size_t i) { return panel->GetControllers().GetRow(i).getText(); }

    void clickAdd(int times)
    {
        for (int i = 0; i < times; ++i)
            panel->GetAddButton().triggerClick();
        auto const expected = numEntries() + static_cast<std::size_t>(times);
        ASSERT_TRUE(pumpUntil([&] { return numEntries() == expected; }));
    }

    qev::File fileNamed(char const* name)
    {
        if (folder.empty())
        {
            folder = std::filesystem::temp_directory_path() /
                     ("qgui-test-" + std::to_string(::getpid()) + "-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
            std::filesystem::create_directories(folder);
        }
        return qev::File((folder / name).string());
    }

    std::unique_ptr<widgets::MidiOscMapComponent> panel = std::make_unique<widgets::MidiOscMapComponent>();
    std::filesystem::path folder;
};

std::string readFile(qev::File const& file)
{
    std::ifstream in(file.GetFullPathName().GetStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST_F(MidiOscMapComponentTest, NewPanelHoldsTheDefaultEntryInOneRow)
{
    ASSERT_EQ(1u, numEntries());
    ASSERT_EQ(1u, numRows());
    EXPECT_EQ(juce::String("controller 0, channel 1, MIDI 0, /foo, min 0, max 1, exponent 1, OSC 0"),
              rowText(0));
    EXPECT_EQ(juce::Rectangle<int>(0, 0, 800, 21), panel->GetControllers().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(0, 0, 800, 400), panel->getBounds());
    // The panel answers no OSC command of its own and has no state.
    EXPECT_FALSE(panel->ProcessMessage(qev::OscMessage("/foo"), qev::MessageFlag(0)));
    EXPECT_TRUE(panel->Bang().IsEmpty());
}

TEST_F(MidiOscMapComponentTest, ForwardsBothDirectionsToItsListeners)
{
    RecordingListener listener;
    panel->AddListener(&listener);
    panel->AddListener(&listener); // ignored
    panel->AddListener(nullptr);   // ignored

    panel->Process(qev::MidiMessage::ControllerEvent(1, 0, 127));
    ASSERT_EQ(1u, listener.osc.size());
    EXPECT_EQ(1.0f, listener.osc[0][0].GetMessage()->GetArgument(0).GetFloat32());
    qev::OscMessage osc("/foo");
    osc.Add(0.0f);
    panel->Process(osc);
    ASSERT_EQ(1u, listener.midi.size());
    EXPECT_EQ(0, listener.midi[0].GetControllerValue());
    panel->ForceUpdate();
    EXPECT_EQ(2u, listener.midi.size());
    EXPECT_EQ(2u, listener.osc.size());

    panel->RemoveListener(&listener);
    panel->Process(qev::MidiMessage::ControllerEvent(1, 0, 5));
    panel->ForceUpdate();
    EXPECT_EQ(2u, listener.midi.size());
    EXPECT_EQ(2u, listener.osc.size());
}

TEST_F(MidiOscMapComponentTest, RowsFollowTheTableOnlyAtRefresh)
{
    panel->Process(qev::MidiMessage::ControllerEvent(1, 0, 127));
    EXPECT_TRUE(rowText(0).contains("MIDI 0,"));
    panel->Refresh();
    EXPECT_TRUE(rowText(0).contains("MIDI 127,"));
    EXPECT_TRUE(rowText(0).contains("OSC 1"));

    panel->Clear();
    EXPECT_EQ(0u, numEntries());
    EXPECT_EQ(1u, numRows());
    panel->Refresh();
    EXPECT_EQ(0u, numRows());
    EXPECT_EQ(0, panel->GetControllers().getHeight());

    // "+" on an empty table brings back controller 0.
    clickAdd(1);
    ASSERT_EQ(1u, numRows());
    EXPECT_TRUE(rowText(0).startsWith("controller 0, channel 1,"));
}

TEST_F(MidiOscMapComponentTest, RowsBelongToPositionsAndAlternateTheirBackgrounds)
{
    clickAdd(3);
    ASSERT_EQ(4u, numRows());
    auto& list = panel->GetControllers();
    EXPECT_EQ(84, list.getHeight());
    for (std::size_t i = 0; i < 4; ++i)
    {
        EXPECT_TRUE(rowText(i).startsWith("controller " + juce::String(static_cast<int>(i)) + ","));
        EXPECT_EQ(juce::Rectangle<int>(0, 21 * static_cast<int>(i), 800, 21), list.GetRow(i).getBounds());
        auto const expected = i % 2 == 0 ? 0xFFEDF3FEu : 0xFFFFFFFFu;
        EXPECT_EQ(expected, list.GetRow(i).findColour(juce::Label::backgroundColourId).getARGB()) << i;
    }

    // When an entry goes, the rows stay where they are and the last one is deleted.
    juce::Label* const first = &list.GetRow(0);
    juce::Label* const second = &list.GetRow(1);
    {
        std::lock_guard<std::recursive_mutex> guard(panel->GetLock());
        list.GetMap().RemoveEntry(1);
    }
    panel->Refresh();
    ASSERT_EQ(3u, numRows());
    EXPECT_EQ(first, &list.GetRow(0));
    EXPECT_EQ(second, &list.GetRow(1));
    EXPECT_TRUE(rowText(1).startsWith("controller 2,"));
    EXPECT_EQ(0xFFFFFFFFu, list.GetRow(1).findColour(juce::Label::backgroundColourId).getARGB());
    EXPECT_EQ(63, list.getHeight());
}

TEST_F(MidiOscMapComponentTest, RefreshFromAnotherThreadWaitsForTheMessageThread)
{
    onAnotherThread(
        [&]
        {
            panel->Process(qev::MidiMessage::ControllerEvent(1, 0, 64));
            panel->Refresh();
            panel->Refresh();
        });
    EXPECT_TRUE(rowText(0).contains("MIDI 0,"));
    EXPECT_TRUE(pumpUntil([&] { return rowText(0).contains("MIDI 64,"); }));
}

TEST_F(MidiOscMapComponentTest, PanelLayout)
{
    int const expectedX[] = {0, 62, 124, 186, 438, 500, 562, 624};
    for (int i = 0; i < widgets::MidiOscMapComponent::numHeaderLabels; ++i)
    {
        auto const bounds = panel->GetHeaderLabel(i).getBounds();
        EXPECT_EQ(expectedX[i], bounds.getX()) << i;
        EXPECT_EQ(0, bounds.getY());
        EXPECT_EQ(30, bounds.getHeight());
    }
    EXPECT_EQ(juce::String("OSC pattern"), panel->GetHeaderLabel(3).getText());
    EXPECT_EQ(250, panel->GetHeaderLabel(3).getWidth());
    EXPECT_EQ(juce::Rectangle<int>(694, 5, 40, 19), panel->GetAddButton().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(0, 30, 800, 370), panel->GetViewport().getBounds());

    // Eighteen rows no longer fit the view: it scrolls.
    clickAdd(17);
    EXPECT_GT(panel->GetControllers().getHeight(), panel->GetViewport().getViewHeight());
    EXPECT_TRUE(panel->GetViewport().canScrollVertically());
}

TEST_F(MidiOscMapComponentTest, SavesAndLoadsTheTable)
{
    clickAdd(2);
    qev::File const file = fileNamed("mapping.xml");
    ASSERT_TRUE(panel->SaveAsXml(file, qev::Overwrite::Refuse));
    std::string const saved = readFile(file);
    EXPECT_NE(std::string::npos, saved.find("trov5.cclink"));

    // Refusing to overwrite throws and leaves the file alone.
    panel->Clear();
    EXPECT_THROW(panel->SaveAsXml(file, qev::Overwrite::Refuse), qev::Exception);
    EXPECT_EQ(saved, readFile(file));

    panel->Refresh();
    ASSERT_EQ(0u, numRows());
    EXPECT_TRUE(panel->LoadFromXml(file));
    ASSERT_EQ(3u, numEntries());
    ASSERT_EQ(3u, numRows());
    EXPECT_TRUE(rowText(2).startsWith("controller 2,"));
}

TEST_F(MidiOscMapComponentTest, AFailedLoadStillBringsTheRowsInLineWithTheTable)
{
    // A missing file changes nothing.
    EXPECT_THROW(panel->LoadFromXml(fileNamed("missing.xml")), qev::exceptions::NoSuchFile);
    EXPECT_EQ(1u, numEntries());
    EXPECT_EQ(1u, numRows());

    // A broken file empties the table; the rows must not go on showing the old entries.
    qev::File const broken = fileNamed("broken.xml");
    std::ofstream(broken.GetFullPathName().GetStdString()) << "<trov5.cclink><mapping midichannel=";
    EXPECT_THROW(panel->LoadFromXml(broken), qev::Exception);
    EXPECT_EQ(0u, numEntries());
    EXPECT_EQ(0u, numRows());
}

TEST_F(MidiOscMapComponentTest, HostThreadAndMessageThreadShareTheTableSafely)
{
    RecordingListener listener;
    panel->AddListener(&listener);
    std::atomic<bool> done{false};
    std::thread host(
        [&]
        {
            qev::OscMessage osc("/foo");
            osc.Add(0.25f);
            for (int i = 0; i < 2000; ++i)
            {
                panel->Process(qev::MidiMessage::ControllerEvent(1, i % 4, i % 128));
                panel->Process(osc);
                if (i % 100 == 0)
                    panel->Refresh();
            }
            done = true;
        });
    int added = 0;
    while (!done)
    {
        if (added < 20)
        {
            panel->GetAddButton().triggerClick();
            ++added;
        }
        panel->Refresh();
        qgui::Runtime::Pump();
    }
    host.join();
    ASSERT_TRUE(pumpUntil([&] { return numEntries() == 1u + static_cast<std::size_t>(added); }));
    panel->Refresh();
    EXPECT_EQ(numEntries(), numRows());
    // Every OSC message reached at least the first entry, which no one removes.
    EXPECT_GE(listener.midi.size(), 2000u);
    panel->RemoveListener(&listener);
}
