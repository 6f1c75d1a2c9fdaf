// The editor window as a user meets it: the `maxhost` program on a virtual display of the test's
// own, a real window manager where it matters, mouse and keys through X. Checked with the window's
// geometry, the program's output and screenshots (in the build folder's "screenshots").

#include "LiveDisplay.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

namespace
{

char const* const editorTitle = "MIDI / OSC Mapping";

std::string example(std::string const& name)
{
    return std::string(CCLINK_EXAMPLES) + "/" + name;
}

class CclinkLive : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!display.Ok())
            GTEST_SKIP() << display.Problem();
    }

    live::Display display;
};

TEST_F(CclinkLive, EditorWithALoadedFileShowsItsRowsOnScreen)
{
    ASSERT_TRUE(display.StartWindowManager());
    live::Host host(display);
    host.Send("load " + example("two-mappings.xml"));
    host.Send("open");
    live::Window const editor = host.WaitForWindow(editorTitle);
    ASSERT_NE(editor, 0u);
    live::Rect const frame = display.FrameBounds(editor);
    live::Rect const client = display.ClientBounds(editor);
    EXPECT_GT(client.y, frame.y) << "the window manager's title bar above the client";
    EXPECT_GE(frame.x, 0);
    EXPECT_GE(frame.y, 0);

    std::string const path = host.Screenshot(editor, "editor.png");
    ASSERT_FALSE(path.empty());
    // A drawn window, not an empty one: the rows, their fields and text make many colours.
    live::Image const image = display.Grab(client);
    std::set<std::uint32_t> const colours(image.pixels.begin(), image.pixels.end());
    EXPECT_GT(colours.size(), 8u);
    EXPECT_NE(host.Export().find("pattern=\"/track/1/gain\""), std::string::npos) << "the loaded table";
    EXPECT_EQ(host.Quit(), 0);
}

// The close button of the window manager's frame: at its right end, in the middle of the title bar.
void clickCloseButton(live::Display& display, live::Window w)
{
    live::Rect const frame = display.FrameBounds(w);
    live::Rect const client = display.ClientBounds(w);
    display.Click(frame.x + frame.width - 10, frame.y + (client.y - frame.y) / 2);
}

// A window manager that comes after the editor's window still gets a window it can ask to close.
TEST_F(CclinkLive, CloseButtonOfALateWindowManagerHidesTheEditorAndOpenBringsItBack)
{
    live::Host host(display);
    host.Send("load " + example("two-mappings.xml"));
    host.Send("open");
    live::Window editor = host.WaitForWindow(editorTitle);
    ASSERT_NE(editor, 0u);
    ASSERT_TRUE(display.StartWindowManager());
    ASSERT_TRUE(
        host.RunUntil([&] { return display.FrameBounds(editor) != display.ClientBounds(editor); }, 10000))
        << "openbox frames the window";
    host.Run(500);

    clickCloseButton(display, editor);
    EXPECT_TRUE(host.RunUntil([&] { return !display.IsMapped(editor); }, 5000)) << "closed";
    ASSERT_TRUE(host.Run(300)) << "the host lives on: " << ::testing::PrintToString(host.TakeLines());

    host.Send("open");
    editor = host.WaitForWindow(editorTitle);
    ASSERT_NE(editor, 0u);
    // The table survived: an event still maps.
    host.Send("127 0 1");
    EXPECT_NE(host.WaitForLine("outlet 0: /foo 1.0"), "");
    EXPECT_EQ(host.Quit(), 0);
}

// Every way of closing the editor, then "open", twice over: it comes back where it was, not one
// frame's offset lower each time.
TEST_F(CclinkLive, EditorReopensWhereItWasAfterEveryWayOfClosing)
{
    ASSERT_TRUE(display.StartWindowManager());
    live::Host host(display);
    host.Send("open");
    live::Window editor = host.WaitForWindow(editorTitle);
    ASSERT_NE(editor, 0u);
    host.Run(300);
    live::Rect const placed = display.ClientBounds(editor);
    EXPECT_EQ(placed.x, (display.Width() - placed.width) / 2) << "centred: " << live::ToString(placed);
    EXPECT_EQ(placed.y, (display.Height() - placed.height) / 2) << "centred: " << live::ToString(placed);

    struct Way
    {
        char const* name;
        std::function<void(live::Window)> close;
    };
    Way const ways[] = {
        {"close button", [&](live::Window w) { clickCloseButton(display, w); }},
        {"ctrl+w", [&](live::Window) { display.Key("ctrl+w"); }},
        {"wclose", [&](live::Window) { host.Send("wclose"); }},
    };
    for (Way const& way : ways)
        for (int round = 0; round < 2; ++round)
        {
            SCOPED_TRACE(std::string(way.name) + ", round " + std::to_string(round));
            way.close(editor);
            ASSERT_TRUE(host.RunUntil([&] { return !display.IsMapped(editor); }, 5000));
            host.Send("open");
            editor = host.WaitForWindow(editorTitle);
            ASSERT_NE(editor, 0u);
            host.RunUntil([&] { return display.ClientBounds(editor) == placed; }, 3000);
            host.Run(300);
            EXPECT_EQ(live::ToString(display.ClientBounds(editor)), live::ToString(placed));
        }
    EXPECT_EQ(host.Quit(), 0);
}

// The window tests that need a window manager but no host run in the GUI tests' own program, on
// a display of ours under openbox.
TEST_F(CclinkLive, GuiTestsUnderAWindowManagerPass)
{
    ASSERT_TRUE(display.StartWindowManager());
    live::Process tests({QGUI_TESTS, "--gtest_filter=*UnderAWindowManager*"},
                        {"DISPLAY=" + display.Name(), "QGUI_WINDOW_MANAGER=openbox"}, true);
    std::string const output = tests.ReadAll(60000);
    EXPECT_EQ(tests.Stop(10000), 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}

// Shift+F fills the screen with the window and its frame: the title bar stays reachable.
TEST_F(CclinkLive, MaximizeKeepsTheFrameOnTheScreen)
{
    ASSERT_TRUE(display.StartWindowManager());
    live::Host host(display);
    host.Send("open");
    live::Window const editor = host.WaitForWindow(editorTitle);
    ASSERT_NE(editor, 0u);
    host.Run(300);
    display.Key("shift+f");
    ASSERT_TRUE(
        host.RunUntil([&] { return display.ClientBounds(editor).width > display.Width() / 2 + 400; }, 3000));
    host.Run(300);
    live::Rect const frame = display.FrameBounds(editor);
    live::Rect const client = display.ClientBounds(editor);
    EXPECT_EQ(live::ToString(frame), live::ToString(live::Rect{0, 0, display.Width(), display.Height()}))
        << "client " << live::ToString(client);
    EXPECT_GT(client.y, frame.y);
    EXPECT_EQ(host.Quit(), 0);
}

} // namespace
