#include "GuiTestHelpers.h"
#include "common/QevException.h"
#include "common/QevExceptions.h"
#include "common/QguiMaxMspWindowManager.h"
#include "common/WidgetsMidiOscMapComponent.h"
#include "files/QevFile.h"
#include "midi/QevMidiMessage.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscMessage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
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
    widgets::MidiOscMapOneController& row(std::size_t i) { return panel->GetControllers().GetRow(i); }
    int controllerShown(std::size_t i) { return static_cast<int>(row(i).GetControllerBox().getValue()); }
    double midiShown(std::size_t i) { return row(i).GetCurrentMidiBox().getValue(); }

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

// A press as the window system delivers it: through the window's peer, so that the framework finds
// the component under the pointer and moves the focus as for a real click. Handled before it
// returns.
void pressInWindow(juce::Component& window, juce::Component& panel, juce::Point<int> inPanel)
{
    auto* const peer = window.getPeer();
    auto const at = peer->globalToLocal(panel.localPointToGlobal(inPanel).toFloat());
    auto const time = juce::Time::currentTimeMillis();
    peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, at,
                           juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier),
                           juce::MouseInputSource::defaultPressure,
                           juce::MouseInputSource::defaultOrientation, time);
    peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, at, juce::ModifierKeys(),
                           juce::MouseInputSource::defaultPressure,
                           juce::MouseInputSource::defaultOrientation, time + 1);
}

void pressButton(juce::Component& window, juce::Component& panel, juce::Button& button)
{
    pressInWindow(window, panel, panel.getLocalPoint(&button, button.getLocalBounds().getCentre()));
}

// Whether every row shows its entry, read from the components as they stand, without bringing
// anything in line first: what the next paint would draw.
::testing::AssertionResult rowsShowTheTable(widgets::MidiOscMapComponent& panel)
{
    std::vector<qev::MidiOscMap::Entry> entries;
    {
        std::lock_guard<std::recursive_mutex> guard(panel.GetLock());
        auto const& map = panel.GetControllers().GetMap();
        for (std::size_t i = 0; i < map.GetNumEntries(); ++i)
            entries.push_back(map.GetEntry(i));
    }
    auto& list = panel.GetControllers();
    if (static_cast<std::size_t>(list.getNumChildComponents()) != entries.size() ||
        list.getHeight() != 21 * static_cast<int>(entries.size()))
        return ::testing::AssertionFailure() << list.getNumChildComponents() << " rows, " << list.getHeight()
                                             << " pixels high, for " << entries.size() << " entries";
    for (std::size_t i = 0; i < entries.size(); ++i)
    {
        auto const& e = entries[i];
        auto* const row =
            dynamic_cast<widgets::MidiOscMapOneController*>(list.getChildComponent(static_cast<int>(i)));
        if (row == nullptr || row->GetControllerBox().getValue() != e.controller ||
            row->GetChannelBox().getValue() != e.channel ||
            row->GetPatternEditor().GetText() != e.address.GetText() ||
            row->GetMinimumBox().getValue() != static_cast<double>(e.minimum) ||
            row->GetMaximumBox().getValue() != static_cast<double>(e.maximum) ||
            row->GetCurrentMidiBox().getValue() != static_cast<int>(e.currentMidi) ||
            std::abs(row->GetCurrentOscBox().getValue() - static_cast<double>(e.currentOsc)) > 0.001)
            return ::testing::AssertionFailure()
                   << "row " << i << " shows \""
                   << (row != nullptr ? row->getText() : juce::String("nothing")) << "\" for channel "
                   << e.channel << ", controller " << e.controller << ", "
                   << e.address.GetText().GetStdString() << ", MIDI " << e.currentMidi << ", OSC "
                   << e.currentOsc;
    }
    return ::testing::AssertionSuccess();
}

// A mapping file of count entries on channel 1, controllers from 0, at "/m/<i>".
void writeTable(qev::File const& file, int count)
{
    std::ofstream out(file.GetFullPathName().GetStdString());
    out << "<trov5.cclink>";
    for (int i = 0; i < count; ++i)
        out << "<mapping midichannel=\"1\" midicontroller=\"" << i << "\" pattern=\"/m/" << i
            << "\" minrange=\"-10\" maxrange=\"10\" exponent=\"1\"/>";
    out << "</trov5.cclink>";
}

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
    auto& shown = row(0);
    EXPECT_EQ(0, controllerShown(0));
    EXPECT_EQ(1.0, shown.GetChannelBox().getValue());
    EXPECT_EQ("/foo", shown.GetPatternEditor().GetText().GetStdString());
    EXPECT_EQ(0.0, shown.GetMinimumBox().getValue());
    EXPECT_EQ(1.0, shown.GetMaximumBox().getValue());
    EXPECT_EQ(1.0, shown.GetExponentBox().getValue());
    EXPECT_EQ(0.0, midiShown(0));
    EXPECT_NEAR(0.0, shown.GetCurrentOscBox().getValue(), 0.0005);
    EXPECT_EQ(0xFFEDF3FEu, shown.GetBackgroundColour().getARGB());
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
    EXPECT_EQ(0.0, midiShown(0));
    panel->Refresh();
    EXPECT_EQ(127.0, midiShown(0));
    EXPECT_NEAR(1.0, row(0).GetCurrentOscBox().getValue(), 0.0005);

    panel->Clear();
    EXPECT_EQ(0u, numEntries());
    EXPECT_EQ(1u, numRows());
    panel->Refresh();
    EXPECT_EQ(0u, numRows());
    EXPECT_EQ(0, panel->GetControllers().getHeight());

    // "+" on an empty table brings back controller 0.
    clickAdd(1);
    ASSERT_EQ(1u, numRows());
    EXPECT_EQ(0, controllerShown(0));
    EXPECT_EQ(1.0, row(0).GetChannelBox().getValue());

    // Deleting the only row leaves an empty list.
    row(0).GetDeleteButton().triggerClick();
    ASSERT_TRUE(pumpUntil([&] { return numRows() == 0u; }));
    EXPECT_EQ(0u, numEntries());
    EXPECT_EQ(0, panel->GetControllers().getHeight());
}

TEST_F(MidiOscMapComponentTest, RowsBelongToPositionsAndAlternateTheirBackgrounds)
{
    clickAdd(3);
    ASSERT_EQ(4u, numRows());
    auto& list = panel->GetControllers();
    EXPECT_EQ(84, list.getHeight());
    for (std::size_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ(static_cast<int>(i), controllerShown(i));
        EXPECT_EQ(1.0, row(i).GetChannelBox().getValue());
        EXPECT_EQ(juce::Rectangle<int>(0, 21 * static_cast<int>(i), 800, 21), list.GetRow(i).getBounds());
        auto const expected = i % 2 == 0 ? 0xFFEDF3FEu : 0xFFFFFFFFu;
        EXPECT_EQ(expected, list.GetRow(i).GetBackgroundColour().getARGB()) << i;
    }

    // When an entry goes, the rows stay where they are and the last one is deleted.
    auto* const first = &list.GetRow(0);
    auto* const second = &list.GetRow(1);
    list.GetRow(1).GetDeleteButton().triggerClick();
    ASSERT_TRUE(pumpUntil([&] { return numRows() == 3u; }));
    EXPECT_EQ(3u, numEntries());
    EXPECT_EQ(first, &list.GetRow(0));
    EXPECT_EQ(second, &list.GetRow(1));
    EXPECT_EQ(2, controllerShown(1));
    EXPECT_EQ(3, controllerShown(2));
    EXPECT_EQ(0xFFFFFFFFu, list.GetRow(1).GetBackgroundColour().getARGB());
    EXPECT_EQ(63, list.getHeight());

    // A table changed behind the rows' back shows at the next refresh.
    {
        std::lock_guard<std::recursive_mutex> guard(panel->GetLock());
        list.GetMap().RemoveEntry(0);
    }
    EXPECT_EQ(0, controllerShown(0));
    panel->Refresh();
    ASSERT_EQ(2u, numRows());
    EXPECT_EQ(2, controllerShown(0));
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
    EXPECT_TRUE(pumpUntil([&] { return midiShown(0) == 64.0; }));
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
    ASSERT_EQ(18u, numRows());
    EXPECT_GT(panel->GetControllers().getHeight(), panel->GetViewport().getViewHeight());
    EXPECT_TRUE(panel->GetViewport().canScrollVertically());

    // Narrower than the rows, scrolled sideways to the end: each title still stands one pixel left
    // of its column, and "+" is in reach.
    panel->setSize(600, 400);
    panel->GetViewport().setViewPosition(panel->GetControllers().getWidth(), 40);
    ASSERT_GT(panel->GetViewport().getViewPositionX(), 0);
    auto& r = row(2);
    juce::Component* const cells[] = {&r.GetControllerBox(), &r.GetChannelBox(),   &r.GetCurrentMidiBox(),
                                      &r.GetPatternEditor(), &r.GetMinimumBox(),   &r.GetMaximumBox(),
                                      &r.GetExponentBox(),   &r.GetCurrentOscBox()};
    for (int i = 0; i < widgets::MidiOscMapComponent::numHeaderLabels; ++i)
        EXPECT_EQ(panel->getLocalPoint(cells[i], juce::Point<int>()).x, panel->GetHeaderLabel(i).getX() + 1)
            << i;
    EXPECT_EQ(panel->getLocalPoint(&r.GetLearnToggle(), juce::Point<int>()).x,
              panel->GetAddButton().getX() + 1);
    EXPECT_LE(panel->GetAddButton().getRight(), panel->getWidth());
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
    EXPECT_EQ(2, controllerShown(2));
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
    int rounds = 0;
    while (!done)
    {
        if (added < 20)
        {
            panel->GetAddButton().triggerClick();
            ++added;
        }
        // Row edits and MIDI learn on the message thread while the host converts.
        row(0).GetMinimumBox().SetValue(-(++rounds % 3), true);
        if (rounds % 5 == 0)
            row(0).GetLearnToggle().setToggleState(true, juce::sendNotificationSync);
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

TEST(MidiOscMapComponentOnDisplay, TextBeingTypedSurvivesARefreshAndAPressOutsideTheFieldStoresIt)
{
    if (!qgui::Runtime::HasDisplay())
        GTEST_SKIP() << "no display: run under xvfb-run -a to give the editor the keyboard focus";
    auto* panel = new widgets::MidiOscMapComponent;
    qgui::MaxMspWindowManager window(panel);
    ASSERT_TRUE(window.SetVisibleAndToFront());
    auto& row = panel->GetControllers().GetRow(0);
    auto& editor = row.GetPatternEditor();
    ASSERT_TRUE(pumpUntil([&] { return editor.isShowing() && window.getPeer() != nullptr; }));
    auto const stored = [&]
    {
        std::lock_guard<std::recursive_mutex> guard(panel->GetLock());
        return panel->GetControllers().GetMap().GetEntry(0).address.GetText().GetStdString();
    };
    auto const press = [&](juce::Point<int> inPanel) { pressInWindow(window, *panel, inPanel); };
    struct Place
    {
        char const* what;
        juce::Point<int> inPanel;
    };
    Place const places[] = {{"a column title", {30, 15}},
                            {"the gap between two fields of a row", {62, 40}},
                            {"below the last row", {400, 300}},
                            {"a display", {150, 40}}};
    int n = 0;
    for (Place const& place : places)
    {
        editor.grabKeyboardFocus();
        if (!pumpUntil([&] { return editor.hasKeyboardFocus(true); }, std::chrono::milliseconds(500)))
            GTEST_SKIP() << "the display gives no keyboard focus";
        std::string const typed = "/typed" + std::to_string(++n);
        editor.setText(typed, true);
        // Host input goes on while the user types; its refresh must not undo the typing.
        panel->Process(qev::MidiMessage::ControllerEvent(1, 0, 100 + n));
        panel->Refresh();
        EXPECT_EQ(100.0 + n, row.GetCurrentMidiBox().getValue());
        EXPECT_EQ(typed, editor.GetText().GetStdString());
        press(place.inPanel);
        EXPECT_FALSE(editor.hasKeyboardFocus(true)) << place.what;
        EXPECT_TRUE(pumpUntil([&] { return stored() == typed; })) << place.what;
        EXPECT_EQ(typed, editor.GetText().GetStdString());
    }
}

// The host's calls as the object makes them: on the main thread the refresh follows at once; on
// the scheduler thread while the window is shown it waits for the main thread (the queue
// element's task), and while it is hidden it runs there and then.
TEST_F(MidiOscMapComponentTest, OnDisplayEveryChangeIsShownByTheNextPaintAndAHiddenEditorCatchesUpWhenOpened)
{
    if (!qgui::Runtime::HasDisplay())
        GTEST_SKIP() << "no display: run under xvfb-run -a";
    auto* const editor = new widgets::MidiOscMapComponent;
    qgui::MaxMspWindowManager window(editor);
    ASSERT_TRUE(window.SetVisibleAndToFront());
    ASSERT_TRUE(pumpUntil([&] { return editor->isShowing() && window.getPeer() != nullptr; }));
    auto& list = editor->GetControllers();
    EXPECT_TRUE(list.IsOnScreen());
    qev::File const twelve = fileNamed("twelve.xml");
    qev::File const five = fileNamed("five.xml");
    writeTable(twelve, 12);
    writeTable(five, 5);
    ASSERT_TRUE(editor->LoadFromXml(twelve));
    EXPECT_TRUE(rowsShowTheTable(*editor)) << "load";

    auto const onMain = [&](std::function<void()> const& call)
    {
        call();
        editor->Refresh();
    };
    auto const onScheduler = [&](std::function<void()> const& call)
    {
        onAnotherThread(call);
        if (window.IsOpen())
            editor->Refresh();
        else
            onAnotherThread([&] { editor->Refresh(); });
    };
    auto const controller = [&](int number, int value)
    { return [=] { editor->Process(qev::MidiMessage::ControllerEvent(1, number, value)); }; };
    auto const osc = [&](int entry, float value)
    {
        return [=]
        {
            qev::OscMessage message(qev::OscAddress("/m/" + std::to_string(entry)));
            message.Add(value);
            editor->Process(message);
        };
    };
    // The 12 mapped addresses and 68 others; each order sends values the other does not.
    auto const manyAddresses = [&](bool mappedFirst)
    {
        onScheduler(
            [&]
            {
                for (int n = 0; n < 80; ++n)
                    osc(mappedFirst ? n : 79 - n, static_cast<float>(n % 7) + (mappedFirst ? 0.5f : 0.0f))();
            });
    };
    auto const row = [&](std::size_t i) -> widgets::MidiOscMapOneController&
    { return *dynamic_cast<widgets::MidiOscMapOneController*>(list.getChildComponent(static_cast<int>(i))); };
    struct Step
    {
        char const* what;
        std::function<void()> act;
    };
    Step const shown[] = {
        {"a controller on the main thread", [&] { onMain(controller(3, 100)); }},
        {"a controller on the scheduler thread", [&] { onScheduler(controller(4, 50)); }},
        {"OSC on the main thread", [&] { onMain(osc(5, 2.5f)); }},
        {"OSC on the scheduler thread", [&] { onScheduler(osc(6, -7.5f)); }},
        {"OSC beyond the range", [&] { onMain(osc(6, 20.0f)); }},
        {"OSC changing only the current OSC value", [&] { onMain(osc(6, 30.0f)); }},
        {"OSC to more addresses than are noted one by one, the mapped ones last",
         [&] { manyAddresses(false); }},
        {"OSC to more addresses than are noted one by one, the mapped ones first",
         [&] { manyAddresses(true); }},
        {"a learn from the scheduler thread",
         [&]
         {
             pressButton(window, *editor, row(7).GetLearnToggle());
             ASSERT_TRUE(row(7).GetLearnToggle().getToggleState());
             onScheduler([&] { editor->Process(qev::MidiMessage::ControllerEvent(9, 77, 64)); });
             ASSERT_FALSE(row(7).GetLearnToggle().getToggleState());
             ASSERT_EQ(77.0, row(7).GetControllerBox().getValue());
         }},
        {"a learn on the main thread",
         [&]
         {
             pressButton(window, *editor, row(2).GetLearnToggle());
             onMain([&] { editor->Process(qev::MidiMessage::ControllerEvent(10, 33, 1)); });
             ASSERT_EQ(33.0, row(2).GetControllerBox().getValue());
         }},
        {"+", [&] { pressButton(window, *editor, editor->GetAddButton()); }},
        {"delete", [&] { pressButton(window, *editor, row(0).GetDeleteButton()); }},
        {"a load of fewer mappings", [&] { ASSERT_TRUE(editor->LoadFromXml(five)); }},
        {"a controller after the load", [&] { onScheduler(controller(2, 127)); }},
        {"clear on the scheduler thread", [&] { onScheduler([&] { editor->Clear(); }); }},
        {"a load of more mappings", [&] { ASSERT_TRUE(editor->LoadFromXml(twelve)); }},
    };
    for (Step const& step : shown)
    {
        step.act();
        // Nothing of the message loop has run since: this is what the next paint shows.
        EXPECT_TRUE(rowsShowTheTable(*editor)) << step.what;
    }

    // Hidden, the editor does nothing for the table's changes; opened, it shows them at once.
    window.setVisible(false);
    EXPECT_FALSE(list.IsOnScreen());
    onMain(controller(1, 11));
    onScheduler(controller(8, 88));
    onScheduler(osc(9, 9.0f));
    ASSERT_TRUE(editor->LoadFromXml(five));
    onScheduler([&] { editor->Clear(); });
    ASSERT_TRUE(editor->LoadFromXml(twelve));
    onScheduler(controller(11, 120));
    ASSERT_TRUE(window.SetVisibleAndToFront());
    EXPECT_TRUE(list.IsOnScreen());
    EXPECT_TRUE(rowsShowTheTable(*editor)) << "opened";
}
