#include "GuiTestHelpers.h"
#include "common/QguiMaxMspOscHelpAndStatus.h"
#include "common/QguiRuntime.h"
#include "osc/QevOscBundle.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using guitest::pumpUntil;

namespace
{

// The object whose companion windows are under test: it has a state and handles nothing.
class Target : public qev::OscInterface
{
public:
    qev::OscBundle GetCurrentStateAsOscBundle() const override
    {
        qev::OscBundle state;
        state.AddNewMessage("/gain", 0.5f);
        return state;
    }
};

class HelpAndStatusWindows : public ::testing::Test
{
protected:
    qev::OscMessage message(char const* address) { return qev::OscMessage(address); }

    template <typename Value> qev::OscMessage message(char const* address, Value value)
    {
        qev::OscMessage result(address);
        result.Add(value);
        return result;
    }

    // The flag is not read: every test sends a different one.
    bool process(qev::OscMessage const& m) { return windows->ProcessMessage(m, qev::MessageFlag(++flag)); }
    bool process(char const* address) { return process(message(address)); }

    Target target;
    std::unique_ptr<qgui::MaxMspOscHelpAndStatus> windows =
        std::make_unique<qgui::MaxMspOscHelpAndStatus>(target);
    int flag = 0;
};

} // namespace

TEST_F(HelpAndStatusWindows, EachWindowStartsHiddenAroundItsOwnPanel)
{
    struct Expected
    {
        qgui::DocumentWindow* window;
        juce::Component* panel;
        char const* title;
        int width, height;
    };
    Expected const expected[] = {
        {&windows->GetHelpWindow(), windows->GetHelpWindow().GetPanel(), "help window", 600, 600},
        {&windows->GetStatusWindow(), windows->GetStatusWindow().GetPanel(), "status window", 600, 600},
        {&windows->GetSnapshotWindow(), windows->GetSnapshotWindow().GetPanel(), "snapshot window", 450, 350},
    };
    for (auto const& e : expected)
    {
        SCOPED_TRACE(e.title);
        ASSERT_NE(nullptr, e.panel);
        EXPECT_EQ(e.panel, e.window->getContentComponent());
        EXPECT_EQ(std::string(e.title), e.window->getName().toStdString());
        EXPECT_EQ(e.width, e.panel->getWidth());
        EXPECT_EQ(e.height, e.panel->getHeight());
        EXPECT_FALSE(e.window->isVisible());
        EXPECT_FALSE(e.window->IsOpen());
    }
    // Deleting the holder deletes each panel once.
    windows.reset();
}

TEST_F(HelpAndStatusWindows, FontSizeTakesExactlyOneNumber)
{
    auto& helpList = windows->GetHelpWindow().GetPanel()->GetList();
    auto& statusList = windows->GetStatusWindow().GetPanel()->GetList();

    EXPECT_TRUE(process(message("/help/font/size", 14)));
    EXPECT_FLOAT_EQ(14.0f, helpList.GetFont().getHeight());
    EXPECT_FLOAT_EQ(13.0f, statusList.GetFont().getHeight());

    EXPECT_TRUE(process(message("/status/font/size", 300.0f)));
    EXPECT_FLOAT_EQ(120.0f, statusList.GetFont().getHeight());

    EXPECT_FALSE(process(message("/help/font/size", "big")));
    EXPECT_FALSE(process(message("/help/font/size", true)));
    EXPECT_FALSE(process("/help/font/size"));
    auto twoNumbers = message("/help/font/size", 10);
    twoNumbers.Add(11);
    EXPECT_FALSE(process(twoNumbers));
    EXPECT_FLOAT_EQ(14.0f, helpList.GetFont().getHeight());

    // The snapshot panel keeps its fixed fonts but the command is still its own.
    EXPECT_TRUE(process(message("/snapshot/font/size", 20.0f)));
}

TEST_F(HelpAndStatusWindows, FloatingAndHidesOnDeactivateTakeOneBoolean)
{
    auto& help = windows->GetHelpWindow();

    EXPECT_TRUE(process(message("/help/floating", 1)));
    EXPECT_TRUE(help.isAlwaysOnTop());
    // Only exactly 1 is true.
    EXPECT_TRUE(process(message("/help/floating", 2)));
    EXPECT_FALSE(help.isAlwaysOnTop());
    EXPECT_TRUE(process(message("/help/floating", true)));
    EXPECT_TRUE(help.isAlwaysOnTop());
    EXPECT_TRUE(process(message("/help/floating", false)));
    EXPECT_FALSE(help.isAlwaysOnTop());
    EXPECT_FALSE(process(message("/help/floating", 1.0f)));
    EXPECT_FALSE(process("/help/floating"));
    EXPECT_FALSE(help.isAlwaysOnTop());

    // Stored before the window was ever opened.
    EXPECT_TRUE(process(message("/snapshot/hidesondeactivate", true)));
    EXPECT_TRUE(windows->GetSnapshotWindow().GetHidesOnDeactivate());
    EXPECT_FALSE(help.GetHidesOnDeactivate());
    EXPECT_TRUE(process(message("/snapshot/hidesondeactivate", 0)));
    EXPECT_FALSE(windows->GetSnapshotWindow().GetHidesOnDeactivate());
    EXPECT_FALSE(process(message("/snapshot/hidesondeactivate", "yes")));
}

TEST_F(HelpAndStatusWindows, OnlyTheFirstGroupWhoseWordStartsTheAddressIsTried)
{
    // Arguments where none are taken, unknown last parts, longer first words, other groups.
    EXPECT_FALSE(process(message("/help", 1)));
    EXPECT_FALSE(process(message("/status/open", 1)));
    EXPECT_FALSE(process("/help/unknown"));
    EXPECT_FALSE(process("/helper"));
    EXPECT_FALSE(process("/helper/open"));
    EXPECT_FALSE(process("/window/open"));
    EXPECT_FALSE(process("/"));

    // A wildcard first part falls in the first group it matches, and in that group only.
    EXPECT_TRUE(process(message("/*/floating", 1)));
    EXPECT_TRUE(windows->GetHelpWindow().isAlwaysOnTop());
    EXPECT_FALSE(windows->GetStatusWindow().isAlwaysOnTop());
    EXPECT_FALSE(windows->GetSnapshotWindow().isAlwaysOnTop());
    EXPECT_TRUE(process(message("/s*/floating", 1)));
    EXPECT_TRUE(windows->GetStatusWindow().isAlwaysOnTop());
    EXPECT_FALSE(windows->GetSnapshotWindow().isAlwaysOnTop());
}

TEST_F(HelpAndStatusWindows, WithoutADisplayOpeningCommandsAreHandledAndShowNothing)
{
    if (qgui::Runtime::HasDisplay())
        GTEST_SKIP() << "a display is available";
    for (char const* address : {"/help", "/help/open", "/status/openorclose", "/snapshot/open", "/help/*"})
    {
        EXPECT_TRUE(process(address)) << address;
        EXPECT_FALSE(windows->GetHelpWindow().isOnDesktop());
        EXPECT_FALSE(windows->GetStatusWindow().isVisible());
        EXPECT_FALSE(windows->GetSnapshotWindow().IsOpen());
    }
    EXPECT_TRUE(process("/status/close"));
    EXPECT_FALSE(windows->GetStatusWindow().isVisible());
}

TEST_F(HelpAndStatusWindows, OpenOrCloseTogglesAndTheWildcardOpens)
{
    if (!qgui::Runtime::HasDisplay())
        GTEST_SKIP() << "no display: run under xvfb-run -a to open the windows";
    auto& status = windows->GetStatusWindow();
    EXPECT_TRUE(process("/status/openorclose"));
    EXPECT_TRUE(status.isVisible());
    EXPECT_TRUE(status.isOnDesktop());
    EXPECT_TRUE(process("/status/openorclose"));
    EXPECT_FALSE(status.isVisible());
    EXPECT_FALSE(status.isOnDesktop());
    EXPECT_NE(nullptr, status.GetPanel());

    // "/help/open" is the first command "/help/*" matches: it opens, and only once.
    auto& help = windows->GetHelpWindow();
    EXPECT_TRUE(process("/help/*"));
    EXPECT_TRUE(help.isVisible());
    EXPECT_TRUE(process("/help/*"));
    EXPECT_TRUE(help.isVisible());
    EXPECT_TRUE(process("/help/close"));
    EXPECT_FALSE(help.isVisible());
    EXPECT_FALSE(help.isOnDesktop());
    EXPECT_FALSE(status.isVisible());
}

// A window that left the desktop while in full screen would stay the desktop's full-screen window.
TEST_F(HelpAndStatusWindows, HidesOnDeactivateSetBeforeOpeningIsKeptWhenOpened)
{
    if (!qgui::Runtime::HasDisplay())
        GTEST_SKIP() << "no display: run under xvfb-run -a to open the windows";
    auto& help = windows->GetHelpWindow();
    EXPECT_TRUE(process(message("/help/hidesondeactivate", true)));
    EXPECT_TRUE(process("/help"));
    EXPECT_TRUE(help.isVisible());
    EXPECT_TRUE(help.GetHidesOnDeactivate());
    EXPECT_TRUE(process("/help/close"));
}

TEST_F(HelpAndStatusWindows, StoredSnapshotSlotsSurviveClosingAndReopening)
{
    auto& snapshot = windows->GetSnapshotWindow();
    auto* panel = snapshot.GetPanel();
    auto& rows = panel->GetRows();
    ASSERT_EQ(1u, rows.GetNumRows());
    bool clicked = false;
    panel->GetAddButton().onClick = [&clicked] { clicked = true; };
    panel->GetAddButton().triggerClick();
    ASSERT_TRUE(pumpUntil([&] { return clicked; }));
    panel->GetAddButton().onClick = nullptr;
    ASSERT_EQ(2u, rows.GetNumRows());

    EXPECT_TRUE(process("/snapshot/open"));
    EXPECT_EQ(qgui::Runtime::HasDisplay(), snapshot.isVisible());
    EXPECT_TRUE(process("/snapshot/close"));
    EXPECT_FALSE(snapshot.isVisible());
    EXPECT_TRUE(process("/snapshot/openorclose"));
    EXPECT_EQ(panel, snapshot.GetPanel());
    EXPECT_EQ(panel, snapshot.getContentComponent());
    EXPECT_EQ(2u, panel->GetRows().GetNumRows());
    EXPECT_TRUE(process("/snapshot/close"));
}
