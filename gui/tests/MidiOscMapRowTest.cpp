#include "GuiTestHelpers.h"
#include "common/QevConsoleLog.h"
#include "common/WidgetsMidiOscMapControllers.h"
#include "midi/QevMidiMessage.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscMessage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

using guitest::onAnotherThread;
using guitest::pumpUntil;
using guitest::textBoxOf;

namespace
{

struct RecordingListener : qev::MidiOscMap::Listener
{
    void MessageProcessed(qev::OscBundle const& bundle) override { osc.push_back(bundle); }
    std::vector<qev::OscBundle> osc;
};

using Entry = qev::MidiOscMap::Entry;
using Row = widgets::MidiOscMapOneController;
double (*const minimumOf)(Entry const&) = [](Entry const& e) -> double { return e.minimum; };
double (*const maximumOf)(Entry const&) = [](Entry const& e) -> double { return e.maximum; };
double (*const exponentOf)(Entry const&) = [](Entry const& e) -> double { return e.exponent; };
double (*const controllerOf)(Entry const&) = [](Entry const& e) -> double { return e.controller; };
double (*const channelOf)(Entry const&) = [](Entry const& e) -> double { return e.channel; };

// A press, a movement of (right, up) pixels in four steps, and a release, on the component.
void drag(juce::Component& target, int right, int up)
{
    auto const now = juce::Time::getCurrentTime();
    juce::Point<float> const start(30.0f, 10.0f);
    auto const at = [&](juce::Point<float> p)
    {
        return juce::MouseEvent(juce::Desktop::getInstance().getMainMouseSource(), p,
                                juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier), 1.0f, 0.0f, 0.0f,
                                0.0f, 0.0f, &target, &target, now, start, now, 1, p != start);
    };
    target.mouseDown(at(start));
    for (int step = 1; step <= 4; ++step)
        target.mouseDrag(at(start + juce::Point<float>(right * step / 4.0f, -up * step / 4.0f)));
    target.mouseUp(at(start + juce::Point<float>(static_cast<float>(right), static_cast<float>(-up))));
}

// A click as the user makes it: the framework handles it when the message loop runs.
void click(juce::Button& button)
{
    std::atomic<bool> handled{false};
    button.triggerClick();
    juce::MessageManager::callAsync([&] { handled = true; });
    ASSERT_TRUE(pumpUntil([&] { return handled.load(); }));
}

class MidiOscMapRowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        {
            std::lock_guard<std::recursive_mutex> guard(list.GetLock());
            list.GetMap().AddNewEntry();
            list.GetMap().AddNewEntry();
            list.GetMap().AddListener(&listener);
        }
        list.update();
    }
    void TearDown() override
    {
        std::lock_guard<std::recursive_mutex> guard(list.GetLock());
        list.GetMap().RemoveListener(&listener);
    }

    qev::MidiOscMap::Entry entry(std::size_t i)
    {
        std::lock_guard<std::recursive_mutex> guard(list.GetLock());
        return list.GetMap().GetEntry(i);
    }
    bool mapLearns()
    {
        std::lock_guard<std::recursive_mutex> guard(list.GetLock());
        return list.GetMap().IsMidiLearnOn();
    }
    void process(qev::MidiMessage const& message)
    {
        std::lock_guard<std::recursive_mutex> guard(list.GetLock());
        list.GetMap().Process(message);
    }
    widgets::MidiOscMapOneController& row(std::size_t i) { return list.GetRow(i); }
    std::string pattern(std::size_t i) { return row(i).GetPatternEditor().GetText().GetStdString(); }

    widgets::MidiOscMapControllers list;
    RecordingListener listener;
};

} // namespace

TEST_F(MidiOscMapRowTest, ShowsItsEntryInTenColumns)
{
    ASSERT_EQ(3u, list.GetNumRows());
    auto& r = row(1);
    EXPECT_EQ(1.0, r.GetControllerBox().getValue());
    EXPECT_EQ(1.0, r.GetChannelBox().getValue());
    EXPECT_EQ("/foo", pattern(1));
    EXPECT_EQ(0.0, r.GetMinimumBox().getValue());
    EXPECT_EQ(1.0, r.GetMaximumBox().getValue());
    EXPECT_EQ(1.0, r.GetExponentBox().getValue());
    EXPECT_EQ(0.0, r.GetCurrentMidiBox().getValue());
    // The display's grid of steps starts at -1e9 and misses 0 by less than half a step.
    EXPECT_EQ(juce::String("0.000"), r.GetCurrentOscBox().getTextFromValue(r.GetCurrentOscBox().getValue()));
    EXPECT_FALSE(r.GetLearnToggle().getToggleState());
    EXPECT_EQ(juce::String("learn"), r.GetLearnToggle().getButtonText());
    EXPECT_EQ(juce::String("MIDI learn"), r.GetLearnToggle().getTooltip());
    EXPECT_EQ(juce::String("delete"), r.GetDeleteButton().getButtonText());

    // The displays cannot be typed into; everything else can.
    EXPECT_FALSE(r.GetCurrentMidiBox().isTextBoxEditable());
    EXPECT_FALSE(r.GetCurrentOscBox().isTextBoxEditable());
    EXPECT_TRUE(r.GetControllerBox().isTextBoxEditable());
    EXPECT_TRUE(r.GetExponentBox().isTextBoxEditable());
    EXPECT_FALSE(r.GetMinimumBox().isScrollWheelEnabled());

    EXPECT_EQ(juce::Rectangle<int>(0, 21, 800, 21), r.getBounds());
    EXPECT_EQ(juce::Rectangle<int>(1, 1, 60, 19), r.GetControllerBox().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(125, 1, 60, 19), r.GetCurrentMidiBox().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(187, 1, 250, 19), r.GetPatternEditor().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(625, 1, 60, 19), r.GetCurrentOscBox().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(695, 1, 40, 19), r.GetLearnToggle().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(745, 1, 40, 19), r.GetDeleteButton().getBounds());
    EXPECT_EQ(0xFFFFFFFFu, r.GetBackgroundColour().getARGB());
    EXPECT_EQ(0xFFEDF3FEu, row(2).GetBackgroundColour().getARGB());
}

TEST_F(MidiOscMapRowTest, TextAndOutlinesDrawWithinTheFields)
{
    auto& editor = row(0).GetPatternEditor();
    auto const lowestInk = [&](char const* text)
    {
        editor.SetText(text, false);
        return guitest::lowestInkRow(guitest::render(editor), editor.getLocalBounds());
    };
    // The tail of the "g" shows below the baseline, above the field's bottom outline.
    int const withDescender = lowestInk("/track/1/gain");
    int const withoutDescender = lowestInk("/track/1/oain");
    EXPECT_GT(withDescender, withoutDescender + 1);
    EXPECT_LT(withDescender, editor.getHeight() - 1);

    // The outlines are white at alpha 0x7F (the editor's 1-pixel line straddles its edge).
    EXPECT_EQ(0x7FFFFFFFu, editor.findColour(juce::TextEditor::outlineColourId).getARGB());
    auto& box = row(0).GetMinimumBox();
    EXPECT_EQ(0x7FFFFFFFu, guitest::render(box).getPixelAt(0, box.getHeight() / 2).getARGB());
}

TEST_F(MidiOscMapRowTest, PatternTextBecomesAnAddress)
{
    struct Case
    {
        char const* typed;
        char const* address;
    };
    for (auto const& c : {Case{"", "/"}, Case{"foo", "/foo"}, Case{"foo/", "/foo"}, Case{"/", "/"},
                          Case{"//", "/"}, Case{"/a//", "/a/"}, Case{"a/b", "/a/b"}})
    {
        row(0).GetPatternEditor().SetText(c.typed, false);
        EXPECT_EQ(c.address, row(0).GetOscPattern().GetStdString()) << '"' << c.typed << '"';
    }
}

TEST_F(MidiOscMapRowTest, AnEditGoesIntoTheTableAtOnceAndSendsTheEntry)
{
    process(qev::MidiMessage::ControllerEvent(1, 1, 127));
    list.update();
    listener.osc.clear();

    row(1).GetMinimumBox().SetValue(-3.0, true);
    auto const edited = entry(1);
    EXPECT_EQ(-3.0f, edited.minimum);
    EXPECT_EQ(1.0f, edited.exponent);
    ASSERT_EQ(1u, listener.osc.size());
    EXPECT_EQ("/foo", listener.osc[0][0].GetMessage()->GetAddressPattern().GetText().GetStdString());
    EXPECT_FLOAT_EQ(1.0f, listener.osc[0][0].GetMessage()->GetArgument(0).GetFloat32());

    row(1).GetMaximumBox().SetValue(5.0, true);
    EXPECT_FLOAT_EQ(5.0f, listener.osc.back()[0].GetMessage()->GetArgument(0).GetFloat32());
    EXPECT_FLOAT_EQ(5.0f, entry(1).currentOsc);
    // The list has rewritten the row from the table: the display follows.
    EXPECT_NEAR(5.0, row(1).GetCurrentOscBox().getValue(), 0.0005);

    // An edit stores its own field only: a mapping that never matched still does not, and the
    // range and exponent keep their exact values.
    {
        std::lock_guard<std::recursive_mutex> guard(list.GetLock());
        list.GetMap().EditEntry(2, 0, 1000, "/bar", 0.25f, 100000.0f, 2.5f);
    }
    list.update();
    EXPECT_EQ(1.0, row(2).GetChannelBox().getValue());
    EXPECT_EQ(999.0, row(2).GetControllerBox().getValue());
    EXPECT_EQ(juce::String("0.25"), textBoxOf(row(2).GetMinimumBox())->getText());
    EXPECT_EQ(juce::String("65536"), textBoxOf(row(2).GetMaximumBox())->getText());
    EXPECT_EQ(juce::String("2.5"), textBoxOf(row(2).GetExponentBox())->getText());
    textBoxOf(row(2).GetMinimumBox())->setText("0.5", juce::sendNotificationSync);
    auto const kept = entry(2);
    EXPECT_EQ(0, kept.channel);
    EXPECT_EQ(1000, kept.controller);
    EXPECT_EQ(0.5f, kept.minimum);
    EXPECT_EQ(100000.0f, kept.maximum);
    EXPECT_EQ(2.5f, kept.exponent);
    EXPECT_EQ("/bar", kept.address.GetText().GetStdString());
    row(2).GetChannelBox().SetValue(3.0, true);
    EXPECT_EQ(3, entry(2).channel);
    EXPECT_EQ(1000, entry(2).controller);

    // Showing an entry without notification never writes back.
    std::size_t const sent = listener.osc.size();
    auto changed = entry(0);
    changed.controller = 99;
    row(0).Set(changed, false);
    EXPECT_EQ(0, entry(0).controller);
    EXPECT_EQ(sent, listener.osc.size());
}

TEST_F(MidiOscMapRowTest, TypedValuesAreKeptWithinTheRangesAndOtherTextChangesNothing)
{
    struct Case
    {
        widgets::Numbox& (Row::*box)();
        char const* typed;
        double (*stored)(Entry const&);
        double expected;
        char const* shown;
    };
    auto* const minimum = minimumOf;
    auto* const maximum = maximumOf;
    auto* const exponent = exponentOf;
    auto* const controller = controllerOf;
    Case const cases[] = {
        {&Row::GetMaximumBox, "0.5", maximum, 0.5, "0.5"},
        {&Row::GetExponentBox, "2.5", exponent, 2.5, "2.5"},
        {&Row::GetMinimumBox, "-0.125", minimum, -0.125, "-0.125"},
        {&Row::GetMinimumBox, " +3 ", minimum, 3.0, "3"},
        {&Row::GetMaximumBox, "0.1", maximum, static_cast<double>(0.1f), "0.1"},
        {&Row::GetMinimumBox, "1e9", minimum, 65536.0, "65536"},
        {&Row::GetExponentBox, "0", exponent, static_cast<double>(0.00001f), "1e-05"},
        {&Row::GetMaximumBox, "abc", maximum, 1.0, "1"},
        {&Row::GetMaximumBox, "0,5", maximum, 1.0, "1"},
        {&Row::GetExponentBox, "nan", exponent, 1.0, "1"},
        {&Row::GetControllerBox, "12", controller, 12.0, "12"},
        {&Row::GetControllerBox, "x", controller, 1.0, "1"},
    };
    for (Case const& c : cases)
    {
        {
            std::lock_guard<std::recursive_mutex> guard(list.GetLock());
            list.GetMap().EditEntry(1, 1, 1, "/foo", 0.0f, 1.0f, 1.0f);
        }
        list.update();
        listener.osc.clear();
        widgets::Numbox& box = (row(1).*c.box)();
        double const before = c.stored(entry(1));
        textBoxOf(box)->setText(c.typed, juce::sendNotificationSync);
        EXPECT_EQ(c.expected, c.stored(entry(1))) << '"' << c.typed << '"';
        EXPECT_EQ(juce::String(c.shown), textBoxOf(box)->getText()) << '"' << c.typed << '"';
        // Text that is not a number sends nothing either.
        EXPECT_EQ(c.expected != before ? 1u : 0u, listener.osc.size()) << '"' << c.typed << '"';
    }
}

TEST_F(MidiOscMapRowTest, DragsMoveAtAnAimableRateFromWhereTheyStartAndASlipIsAClick)
{
    struct Case
    {
        widgets::Numbox& (Row::*box)();
        int right, up;
        double (*stored)(Entry const&);
        double expected;
    };
    Case const cases[] = {
        {&Row::GetMaximumBox, 0, 1, maximumOf, 1.0},
        {&Row::GetMinimumBox, 0, 10, minimumOf, 10.25},
        {&Row::GetMinimumBox, 3, 0, minimumOf, 0.25},
        {&Row::GetMinimumBox, 4, -10, minimumOf, -5.75},
        {&Row::GetExponentBox, 0, 10, exponentOf, static_cast<double>(1.1f)},
        {&Row::GetControllerBox, 0, 8, controllerOf, 12.0},
        {&Row::GetChannelBox, 4, 0, channelOf, 3.0},
        {&Row::GetCurrentMidiBox, 0, 20, controllerOf, 10.0},
    };
    for (Case const& c : cases)
    {
        {
            std::lock_guard<std::recursive_mutex> guard(list.GetLock());
            list.GetMap().EditEntry(1, 2, 10, "/foo", 0.25f, 1.0f, 1.0f);
        }
        list.update();
        listener.osc.clear();
        double const before = c.stored(entry(1));
        drag((row(1).*c.box)(), c.right, c.up);
        EXPECT_EQ(c.expected, c.stored(entry(1))) << c.right << " right, " << c.up << " up";
        EXPECT_EQ(c.expected != before, !listener.osc.empty()) << c.right << " right, " << c.up << " up";
    }
}

TEST_F(MidiOscMapRowTest, OnlyLeavingThePatternEditorStoresThePattern)
{
    auto& editor = row(0).GetPatternEditor();
    editor.setText("bar/", true);
    editor.keyPressed(juce::KeyPress(juce::KeyPress::returnKey));
    editor.keyPressed(juce::KeyPress(juce::KeyPress::escapeKey));
    guitest::pumpFor(std::chrono::milliseconds(30));
    EXPECT_EQ("/foo", entry(0).address.GetText().GetStdString());

    row(0).textEditorFocusLost(editor);
    EXPECT_EQ("/bar", entry(0).address.GetText().GetStdString());
    EXPECT_EQ("/bar", pattern(0));

    editor.setText("", false);
    row(0).textEditorFocusLost(editor);
    EXPECT_EQ("/", entry(0).address.GetText().GetStdString());
}

TEST_F(MidiOscMapRowTest, ThePatternEditorFollowsItsEntryAndWritesOnlyTypedTextIntoIt)
{
    // Row 0 shows "/a"; something happens to the table underneath, the rows are rewritten or
    // not, then the editor loses the focus.
    struct Case
    {
        char const* what;
        char const* typed; // null: nothing typed
        void (*underneath)(qev::MidiOscMap&);
        bool rewritten;
        char const* shownBeforeLeaving;
        char const* stored;
    };
    Case const cases[] = {
        {"deleted", nullptr, [](qev::MidiOscMap& m) { m.RemoveEntry(0); }, false, "/a", "/b"},
        {"deleted while typing", "/t", [](qev::MidiOscMap& m) { m.RemoveEntry(0); }, false, "/t", "/b"},
        {"replaced by an equal entry", "/t", [](qev::MidiOscMap& m) { m.AddEntry(1, 0, "/a", 0, 1, 1); },
         false, "/t", "/a"},
        {"replaced, then shown", "/t", [](qev::MidiOscMap& m) { m.AddEntry(1, 0, "/a", 0, 1, 1); }, true,
         "/a", "/a"},
        {"cleared and added again, then shown", nullptr,
         [](qev::MidiOscMap& m)
         {
             m.Clear();
             m.AddEntry(1, 0, "/n", 0, 1, 1);
         },
         true, "/n", "/n"},
        {"address edited, then shown", "/t", [](qev::MidiOscMap& m) { m.EditEntry(0, 1, 0, "/z", 0, 1, 1); },
         true, "/z", "/z"},
        {"converted, then shown", "/t",
         [](qev::MidiOscMap& m) { m.Process(qev::MidiMessage::ControllerEvent(1, 0, 64)); }, true, "/t",
         "/t"},
        {"typed back to what it was", "/a", [](qev::MidiOscMap&) {}, false, "/a", "/a"},
    };
    auto& editor = row(0).GetPatternEditor();
    for (Case const& c : cases)
    {
        {
            std::lock_guard<std::recursive_mutex> guard(list.GetLock());
            list.GetMap().Clear();
            for (int i = 0; i < 3; ++i)
                list.GetMap().AddEntry(1, i, qev::OscAddress(std::string("/") + char('a' + i)), 0, 1, 1);
        }
        list.update();
        ASSERT_EQ("/a", pattern(0));
        if (c.typed != nullptr)
            editor.setText(c.typed, false);
        {
            std::lock_guard<std::recursive_mutex> guard(list.GetLock());
            c.underneath(list.GetMap());
        }
        if (c.rewritten)
            list.update();
        EXPECT_EQ(c.shownBeforeLeaving, pattern(0)) << c.what;
        listener.osc.clear();
        row(0).textEditorFocusLost(editor);
        EXPECT_EQ(c.stored, entry(0).address.GetText().GetStdString()) << c.what;
        list.update();
        EXPECT_EQ(c.stored, pattern(0)) << c.what;
        bool const written = std::string(c.stored) == "/t";
        EXPECT_EQ(written ? 1u : 0u, listener.osc.size()) << c.what;
    }
}

TEST_F(MidiOscMapRowTest, AnInvalidPatternLeavesTheTableAloneUntilTheNextRewrite)
{
    listener.osc.clear();
    auto& editor = row(0).GetPatternEditor();
    // Typed again after the rewrite, the same text is reported again.
    for (int round = 0; round < 2; ++round)
    {
        editor.setText("a b", false);
        // Leaving the field reaches the row twice, as the framework tells it: one report.
        int const savedLog = qev::ConsoleLog::type;
        qev::ConsoleLog::type = 2;
        testing::internal::CaptureStdout();
        row(0).focusOfChildComponentChanged(juce::Component::focusChangedDirectly);
        row(0).textEditorFocusLost(editor);
        std::string const log = testing::internal::GetCapturedStdout();
        qev::ConsoleLog::type = savedLog;
        auto const report = log.find("OSC format error");
        EXPECT_TRUE(report != std::string::npos && report == log.rfind("OSC format error")) << log;
        EXPECT_TRUE(row(0).IsPatternRejected());
        EXPECT_EQ("a b", pattern(0));
        EXPECT_TRUE(editor.getTooltip().startsWith("OSC format error"));
        EXPECT_EQ("/foo", entry(0).address.GetText().GetStdString());
        EXPECT_TRUE(listener.osc.empty());

        list.update();
        EXPECT_FALSE(row(0).IsPatternRejected());
        EXPECT_EQ("/foo", pattern(0));
        EXPECT_TRUE(editor.getTooltip().isEmpty());
    }
}

TEST_F(MidiOscMapRowTest, LearningTakesTheNextControlChangeInOneRowOnly)
{
    auto& learner = row(1).GetLearnToggle();
    click(learner);
    ASSERT_TRUE(learner.getToggleState());
    EXPECT_TRUE(mapLearns());
    for (std::size_t i : {0u, 2u})
    {
        EXPECT_FALSE(row(i).GetLearnToggle().getToggleState());
        EXPECT_FALSE(row(i).GetLearnToggle().isEnabled());
    }
    // A disabled toggle cannot be clicked on.
    click(row(0).GetLearnToggle());
    EXPECT_FALSE(row(0).GetLearnToggle().getToggleState());

    // Notes do not count.
    unsigned char const note[] = {0x94, 60, 100};
    process(qev::MidiMessage(note, 3));
    EXPECT_TRUE(learner.getToggleState());
    EXPECT_EQ(1, entry(1).controller);

    listener.osc.clear();
    process(qev::MidiMessage::ControllerEvent(5, 7, 64));
    auto const learned = entry(1);
    EXPECT_EQ(5, learned.channel);
    EXPECT_EQ(7, learned.controller);
    EXPECT_EQ(64.0f, learned.currentMidi);
    EXPECT_EQ(5.0, row(1).GetChannelBox().getValue());
    EXPECT_EQ(7.0, row(1).GetControllerBox().getValue());
    EXPECT_EQ(64.0, row(1).GetCurrentMidiBox().getValue());
    // The learned controller is converted at once, once.
    ASSERT_EQ(1u, listener.osc.size());
    EXPECT_NEAR(64.0 / 127.0, listener.osc[0][0].GetMessage()->GetArgument(0).GetFloat32(), 1e-6);

    EXPECT_FALSE(learner.getToggleState());
    EXPECT_FALSE(mapLearns());
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(row(i).GetLearnToggle().isEnabled()) << i;
    // The next control change is only converted.
    process(qev::MidiMessage::ControllerEvent(6, 8, 1));
    EXPECT_EQ(5, entry(1).channel);
    EXPECT_EQ(1, entry(0).channel);
}

TEST_F(MidiOscMapRowTest, ClickingTheLitToggleAgainEndsLearning)
{
    click(row(2).GetLearnToggle());
    ASSERT_TRUE(mapLearns());
    click(row(2).GetLearnToggle());
    EXPECT_FALSE(mapLearns());
    for (std::size_t i = 0; i < 3; ++i)
    {
        EXPECT_FALSE(row(i).GetLearnToggle().getToggleState());
        EXPECT_TRUE(row(i).GetLearnToggle().isEnabled());
    }
    process(qev::MidiMessage::ControllerEvent(5, 7, 64));
    EXPECT_EQ(1, entry(2).channel);

    // A learn a host thread left before the toggle went off reaches no later switching on, and
    // does not keep out the first one of the new switching on.
    auto& toggle = row(2).GetLearnToggle();
    click(toggle);
    onAnotherThread([&] { process(qev::MidiMessage::ControllerEvent(9, 20, 10)); });
    toggle.setToggleState(false, juce::sendNotificationSync);
    toggle.setToggleState(true, juce::sendNotificationSync);
    list.update();
    EXPECT_EQ(1, entry(2).channel);
    EXPECT_TRUE(mapLearns());
    onAnotherThread([&] { process(qev::MidiMessage::ControllerEvent(9, 20, 10)); });
    toggle.setToggleState(false, juce::sendNotificationSync);
    toggle.setToggleState(true, juce::sendNotificationSync);
    onAnotherThread([&] { process(qev::MidiMessage::ControllerEvent(10, 21, 11)); });
    list.update();
    EXPECT_EQ(10, entry(2).channel);
}

TEST_F(MidiOscMapRowTest, AnEditWhileLearningStoresOnlyItsOwnField)
{
    click(row(0).GetLearnToggle());
    row(0).GetCurrentMidiBox().SetValue(99.0, false);
    row(0).GetMinimumBox().SetValue(-1.0, true);
    EXPECT_EQ(0.0f, entry(0).currentMidi);
    EXPECT_EQ(-1.0f, entry(0).minimum);
    // The edit made the table convert the row's own controller while learning: the row learned
    // its own values, and learning is over.
    EXPECT_EQ(1, entry(0).channel);
    EXPECT_EQ(0, entry(0).controller);
    EXPECT_FALSE(row(0).GetLearnToggle().getToggleState());
    EXPECT_FALSE(mapLearns());
}

TEST_F(MidiOscMapRowTest, ALearnReportedOnAHostThreadIsDoneOnTheMessageThread)
{
    click(row(2).GetLearnToggle());
    onAnotherThread(
        [&]
        {
            process(qev::MidiMessage::ControllerEvent(9, 20, 10));
            process(qev::MidiMessage::ControllerEvent(10, 21, 11));
        });
    // Nothing has touched the row yet.
    EXPECT_TRUE(row(2).GetLearnToggle().getToggleState());
    ASSERT_TRUE(pumpUntil([&] { return !row(2).GetLearnToggle().getToggleState(); }));
    guitest::pumpFor(std::chrono::milliseconds(20));
    // Exactly one learn: the first message.
    EXPECT_EQ(9, entry(2).channel);
    EXPECT_EQ(20, entry(2).controller);
    EXPECT_EQ(10.0f, entry(2).currentMidi);
    EXPECT_FALSE(mapLearns());
    EXPECT_TRUE(row(0).GetLearnToggle().isEnabled());
}

TEST_F(MidiOscMapRowTest, LearningEndsWithItsEntryDeletedOrTheTableReplaced)
{
    void (*const deleted)(widgets::MidiOscMapControllers&) = [](auto& l) { l.GetMap().RemoveEntry(2); };
    void (*const replaced)(widgets::MidiOscMapControllers&) = [](auto& l)
    {
        l.GetMap().Clear();
        l.TableReplaced();
        for (int i = 0; i < 3; ++i)
            l.GetMap().AddNewEntry();
    };
    for (auto* const change : {replaced, deleted})
    {
        click(row(2).GetLearnToggle());
        // A learn left by a host thread before the change, and a message after it.
        onAnotherThread([&] { process(qev::MidiMessage::ControllerEvent(9, 20, 10)); });
        {
            std::lock_guard<std::recursive_mutex> guard(list.GetLock());
            change(list);
        }
        onAnotherThread([&] { process(qev::MidiMessage::ControllerEvent(9, 21, 10)); });
        list.update();
        EXPECT_FALSE(mapLearns());
        guitest::pumpFor(std::chrono::milliseconds(20));
        for (std::size_t i = 0; i < list.GetNumRows(); ++i)
        {
            EXPECT_EQ(1, entry(i).channel) << i;
            EXPECT_TRUE(row(i).GetLearnToggle().isEnabled()) << i;
            EXPECT_FALSE(row(i).GetLearnToggle().getToggleState()) << i;
        }
    }
}

TEST_F(MidiOscMapRowTest, DeletingKeepsTheLitToggleWithItsEntry)
{
    click(row(2).GetLearnToggle());
    click(row(0).GetDeleteButton());
    ASSERT_EQ(2u, list.GetNumRows());
    EXPECT_TRUE(row(1).GetLearnToggle().getToggleState());
    EXPECT_TRUE(row(1).GetLearnToggle().isEnabled());
    EXPECT_FALSE(row(0).GetLearnToggle().isEnabled());
    EXPECT_TRUE(mapLearns());
    process(qev::MidiMessage::ControllerEvent(3, 3, 3));
    EXPECT_EQ(3, entry(1).channel);
    EXPECT_EQ(1, entry(0).channel);

    // Deleting the learning entry ends learning.
    click(row(1).GetLearnToggle());
    ASSERT_TRUE(mapLearns());
    click(row(1).GetDeleteButton());
    ASSERT_EQ(1u, list.GetNumRows());
    EXPECT_FALSE(mapLearns());
    EXPECT_TRUE(row(0).GetLearnToggle().isEnabled());
    EXPECT_FALSE(row(0).GetLearnToggle().getToggleState());
}

TEST_F(MidiOscMapRowTest, NewRowsCannotLearnWhileAnotherRowLearns)
{
    click(row(0).GetLearnToggle());
    {
        std::lock_guard<std::recursive_mutex> guard(list.GetLock());
        list.GetMap().AddNewEntry();
    }
    list.update();
    ASSERT_EQ(4u, list.GetNumRows());
    EXPECT_FALSE(row(3).GetLearnToggle().isEnabled());
    click(row(0).GetLearnToggle());
    EXPECT_TRUE(row(3).GetLearnToggle().isEnabled());
}

TEST_F(MidiOscMapRowTest, AnEditNeverReachesAnEntryTheTableNoLongerHolds)
{
    // A host thread cleared the table; the rows have not been rewritten yet.
    {
        std::lock_guard<std::recursive_mutex> guard(list.GetLock());
        list.GetMap().Clear();
    }
    row(2).GetMinimumBox().SetValue(-5.0, true);
    // The edit found no entry; the rows are brought in line once the control's callback is over.
    EXPECT_EQ(3u, list.GetNumRows());
    EXPECT_TRUE(pumpUntil([&] { return list.GetNumRows() == 0u; }));
}
