// The editor window as a user meets it: the `maxhost` program on a virtual display of the test's
// own, a real window manager where it matters, mouse and keys through X. Checked with the window's
// geometry, the program's output and screenshots (in the build folder's "screenshots").

#include "LiveDisplay.h"

#include <gtest/gtest.h>

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
    EXPECT_TRUE(host.Alive());
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

} // namespace
