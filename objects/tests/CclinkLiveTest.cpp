// The editor window as a user meets it: the `maxhost` program on a virtual display of the test's
// own, a real window manager where it matters, mouse and keys through X. Checked with the window's
// geometry, the program's output and screenshots (in the build folder's "screenshots").

#include "LiveDisplay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

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

// The close button at the right end of the frame's title bar; twm has none, and gets what a close
// button sends.
void closeByButton(live::Display& display, live::Window w, std::string const& windowManager = "openbox")
{
    if (windowManager == "twm")
        return display.AskToClose(w);
    live::Rect const frame = display.FrameBounds(w);
    live::Rect const client = display.ClientBounds(w);
    display.Click(frame.x + frame.width - 10, frame.y + (client.y - frame.y) / 2);
}

// 2,048 rows: enough to make the GUI slow beside the window manager's framing.
void loadLargeTable(live::Host& host)
{
    std::string const table = host.Path("large.xml");
    {
        std::ofstream out(table);
        out << "<trov5.cclink>";
        for (int i = 0; i < 2048; ++i)
            out << R"(<mapping midichannel=")" << i / 128 + 1 << R"(" midicontroller=")" << i % 128
                << R"(" pattern="/row/)" << i << R"("/>)";
        out << "</trov5.cclink>";
    }
    host.Send("load " + table);
    ASSERT_NE(host.WaitForLine("properly loaded"), "");
}

// Waits until the window manager has framed the window and its client has the bounds.
bool framedAt(live::Host& host, live::Display& display, live::Window w, live::Rect const& bounds)
{
    return host.RunUntil(
        [&] { return display.ClientBounds(w) == bounds && display.FrameBounds(w) != bounds; }, 20000);
}

// A window manager that comes after the editor's window still gets a window it can ask to close.
TEST_F(CclinkLive, CloseButtonOfALateWindowManagerHidesTheEditorAndOpenBringsItBack)
{
    live::Host host(display);
    host.Send("load " + example("two-mappings.xml"));
    host.Send("open");
    live::Window editor = host.WaitForWindow(editorTitle);
    ASSERT_NE(editor, 0u);
    live::Rect const placed = display.ClientBounds(editor);
    ASSERT_TRUE(display.StartWindowManager());
    EXPECT_TRUE(framedAt(host, display, editor, placed)) << "framed where it was";

    closeByButton(display, editor);
    EXPECT_TRUE(host.RunUntil([&] { return !display.IsMapped(editor); }, 20000)) << "closed";
    host.Send("@echo alive");
    ASSERT_NE(host.WaitForLine("echo: alive"), "") << "the host lives on";

    host.Send("open");
    editor = host.WaitForWindow(editorTitle);
    ASSERT_NE(editor, 0u);
    // The table survived: an event still maps.
    host.Send("127 0 1");
    EXPECT_NE(host.WaitForLine("outlet 0: /foo 1.0"), "");
    EXPECT_EQ(host.Quit(), 0);
}

class CclinkLiveWindowManager : public CclinkLive, public ::testing::WithParamInterface<char const*>
{
};

// Closed every way after being left every way, then opened: the editor comes back where the user
// left it, not one frame's offset away, not where the window manager puts a new window. Maximized,
// its frame fills the work area, also once closed and opened again; full screen goes back where it
// was. The program never asks for a place in answer to the window manager.
TEST_P(CclinkLiveWindowManager, EditorStaysWhereTheUserLeftIt)
{
    std::string const manager = GetParam();
    ASSERT_TRUE(display.StartWindowManager(manager));
    live::Host host(display);
    loadLargeTable(host);
    host.Send("open");
    live::Window editor = host.WaitForWindow(editorTitle);
    ASSERT_NE(editor, 0u);
    live::Rect placed = display.ClientBounds(editor);
    placed.x = (display.Width() - placed.width) / 2;
    placed.y = (display.Height() - placed.height) / 2;
    ASSERT_TRUE(framedAt(host, display, editor, placed))
        << "centred: " << live::ToString(display.ClientBounds(editor));
    int operations = 0;
    display.HintWrites(editor);

    // By the title bar, away from its buttons; the window manager decides how far the window goes.
    // A user drags again when the window did not follow. No press is where the last drag let go:
    // two presses at one spot within a moment are a double click, which some window managers
    // (jwm) take for maximize.
    int presses = 0;
    auto const drag = [&](int dx, int dy)
    {
        auto const moved = [&] { return display.ClientBounds(editor) != placed; };
        for (int attempt = 0; attempt < 3 && !moved(); ++attempt)
        {
            live::Rect const frame = display.FrameBounds(editor);
            live::Rect const client = display.ClientBounds(editor);
            int const x = client.x + (presses++ % 2 == 0 ? 100 : 200), y = frame.y + (client.y - frame.y) / 2;
            display.Drag(x, y, x + dx, y + dy);
            host.RunUntil(moved, 3000);
        }
        placed = host.WaitForPlace(editor);
    };
    struct Way
    {
        char const* name;
        std::function<void()> leave;
        std::function<void()> close;
    };
    auto const stay = [] {};
    auto const button = [&] { closeByButton(display, editor, manager); };
    auto const ctrlW = [&] { display.Key("ctrl+w"); };
    auto const wclose = [&] { host.Send("wclose"); };
    Way const ways[] = {
        {"close button", stay, button},
        {"ctrl+w", stay, ctrlW},
        {"wclose", stay, wclose},
        {"dragged, wclose", [&] { drag(-60, -40); }, wclose},
        {"dragged, ctrl+w", [&] { drag(90, 30); }, ctrlW},
        {"dragged, close button", [&] { drag(-30, 50); }, button},
    };
    auto const closeAndOpen = [&](Way const& way)
    {
        way.close();
        ASSERT_TRUE(host.RunUntil([&] { return !display.IsMapped(editor); }, 20000)) << "closed";
        host.Send("open");
        editor = host.WaitForWindow(editorTitle);
        ASSERT_NE(editor, 0u);
        display.HintWrites(editor);
        ++operations;
    };
    for (Way const& way : ways)
    {
        SCOPED_TRACE(way.name);
        // Keys and drags reach only a window that has the keyboard.
        ASSERT_TRUE(host.WaitForFocus(editor));
        way.leave();
        ASSERT_TRUE(framedAt(host, display, editor, placed)) << live::ToString(display.ClientBounds(editor));
        closeAndOpen(way);
        EXPECT_TRUE(framedAt(host, display, editor, placed))
            << live::ToString(display.ClientBounds(editor)) << " instead of " << live::ToString(placed);
    }

    // Full screen is the window alone on the whole screen, its frame out of sight. A window manager
    // may hold the keyboard a moment while it changes the window (metacity), and a key pressed then
    // never reaches the program, as it would not a user's: each press waits for the keyboard. twm
    // gives the keyboard to what is under the pointer, which stays in the window all the while.
    live::Rect const screen{0, 0, display.Width(), display.Height()};
    display.MovePointer(placed.x + placed.width / 2, placed.y + placed.height / 2);
    auto const press = [&]
    {
        display.SyncWindowManager();
        ASSERT_TRUE(host.WaitForFocus(editor));
        display.Key("ctrl+f");
    };
    press();
    EXPECT_TRUE(host.RunUntil([&] { return display.ClientBounds(editor) == screen; }, 20000))
        << live::ToString(display.ClientBounds(editor));
    press();
    EXPECT_TRUE(framedAt(host, display, editor, placed)) << "back from full screen";
    operations += 2;

    live::Rect const area = display.WorkArea();
    auto const fills = [&]
    { return host.RunUntil([&] { return display.FrameBounds(editor) == area; }, 20000); };
    for (Way const& way : {ways[0], ways[1], ways[2]})
    {
        SCOPED_TRACE(std::string("maximized, ") + way.name);
        ASSERT_TRUE(host.WaitForFocus(editor));
        display.Key("shift+f");
        EXPECT_TRUE(fills()) << live::ToString(display.FrameBounds(editor)) << " in " << live::ToString(area);
        closeAndOpen(way);
        EXPECT_TRUE(fills()) << live::ToString(display.FrameBounds(editor)) << " in " << live::ToString(area);
        ++operations;
    }
    // A few for each (the framework writes its size limits again at each move it learns of); a
    // program that answers the window manager asks without end.
    EXPECT_LE(display.HintWrites(editor), 12 * operations);

    // Drawn, not empty: the rows, their fields and text make many colours.
    ASSERT_FALSE(host.Screenshot(editor, "editor-" + manager + ".png").empty());
    live::Image const image = display.Grab(display.ClientBounds(editor));
    EXPECT_GT(std::set<std::uint32_t>(image.pixels.begin(), image.pixels.end()).size(), 8u);
    EXPECT_NE(host.Export().find(R"(pattern="/row/2047")"), std::string::npos) << "the loaded table";
    EXPECT_EQ(host.Quit(), 0);
}

INSTANTIATE_TEST_SUITE_P(Common, CclinkLiveWindowManager,
                         ::testing::Values("openbox", "xfwm4", "metacity", "fluxbox", "icewm", "twm", "jwm"),
                         [](auto const& info) { return std::string(info.param); });

// The window tests that need a window manager but no host run in the GUI tests' own program, on
// a display of ours under openbox. They ask for places without waiting for the window manager,
// which some window managers (metacity) then follow or not by their timing.
TEST_F(CclinkLive, GuiTestsUnderAWindowManagerPass)
{
    ASSERT_TRUE(display.StartWindowManager());
    live::Process tests({QGUI_TESTS, "--gtest_filter=*UnderAWindowManager*"},
                        {"DISPLAY=" + display.Name(), "QGUI_WINDOW_MANAGER=openbox"}, true);
    std::string const output = tests.ReadAll(60000);
    EXPECT_EQ(tests.Stop(10000), 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}

// The editor open on a loaded file under a window manager, with the places of its fields: row i
// is 21 pixels high, below a 30-pixel header, and each column's middle is at the x below.
class CclinkLiveEditor : public CclinkLive
{
protected:
    void SetUp() override
    {
        CclinkLive::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(display.StartWindowManager());
        host = std::make_unique<live::Host>(display);
        load(example("two-mappings.xml"));
        host->Send("open");
        editor = host->WaitForWindow(editorTitle);
        ASSERT_NE(editor, 0u);
        ASSERT_TRUE(host->WaitForFocus(editor));
        client = host->WaitForPlace(editor);
        ASSERT_NE(client.width, 0) << "the editor comes to rest";
        host->TakeLines();
    }

    enum Column
    {
        pattern = 300,
        minimum = 469,
        maximum = 531,
        learn = 715,
        remove = 765
    };
    int x(Column column) const { return client.x + column; }
    int y(int row) const { return client.y + 30 + 21 * row + 10; }
    // The grey area below the rows.
    int backgroundX() const { return client.x + 400; }
    int backgroundY() const { return client.y + 300; }

    void load(std::string const& path)
    {
        host->Send("load " + path);
        EXPECT_NE(host->WaitForLine("properly loaded"), "") << path;
    }
    // Waits until the host has written a line holding the text.
    bool wrote(std::string const& text)
    {
        return host->RunUntil([&] { return !host->WaitForLine(text, 0).empty(); }, 3000);
    }
    // The table as "export" writes it; empty when the export failed.
    std::string exported() { return host->Export(); }
    void writeTable(std::string const& path, std::string const& secondPattern)
    {
        std::ofstream(path) << R"(<trov5.cclink><mapping midichannel="1" midicontroller="0" pattern="/foo"/>)"
                            << R"(<mapping midichannel="1" midicontroller="7" pattern=")" << secondPattern
                            << R"(" minrange="-60" maxrange="0" exponent="1"/></trov5.cclink>)";
    }

    // Whether the field is being typed into: its top edge is then drawn dark, otherwise light.
    bool typing(Column column, int row) const
    {
        live::Image const edge = display.Grab({x(column) - 20, y(row) - 9, 40, 1});
        return !edge.pixels.empty() && std::all_of(edge.pixels.begin(), edge.pixels.end(),
                                                   [](std::uint32_t p) { return (p & 0xFF) < 0xC0; });
    }
    // Whether the row's learn toggle is lit: yellow, hovered or not, where grey has as much blue
    // as green.
    bool lit(int row) const
    {
        live::Image const dot = display.Grab({x(learn) - 15, y(row), 1, 1});
        return !dot.pixels.empty() && int(dot.pixels[0] >> 8 & 0xFF) - int(dot.pixels[0] & 0xFF) > 0x60;
    }
    // Clicks into the field until it shows it is being typed into: a click that the framework
    // took for a long press, on a busy machine, opens no number box, and a user would click again.
    bool startTyping(Column column, int row)
    {
        for (int attempt = 0; attempt < 3; ++attempt)
        {
            display.Click(x(column), y(row));
            if (host->RunUntil([&] { return typing(column, row); }, 3000))
                return true;
        }
        return false;
    }

    std::unique_ptr<live::Host> host;
    live::Window editor = 0;
    live::Rect client;
};

TEST_F(CclinkLiveEditor, TypedPatternsAreStoredWhateverTakesTheFocus)
{
    ASSERT_TRUE(startTyping(pattern, 1));
    display.Key("ctrl+a");
    display.Type("/newaddr");
    display.Key("Return");
    display.Click(backgroundX(), backgroundY());
    // Stored: the edited entry goes out at once with its new address.
    EXPECT_TRUE(wrote("outlet 0: /newaddr -29.763779"));
    host->Send("127 7 1");
    EXPECT_NE(host->WaitForLine("outlet 0: /newaddr 0.0", 3000), "");
    EXPECT_NE(exported().find(R"(pattern="/newaddr")"), std::string::npos);
    host->Screenshot(editor, "editor-edited.png");

    // Typed, then the row above deleted: the text goes into its own entry before the rows move.
    ASSERT_TRUE(startTyping(pattern, 1));
    display.Key("ctrl+a");
    display.Type("/typed/over");
    display.Click(x(remove), y(0));
    std::string table;
    EXPECT_TRUE(host->RunUntil([&] { return (table = exported()).find("/foo") == std::string::npos; }, 5000));
    EXPECT_NE(table.find(R"(midicontroller="7" pattern="/typed/over")"), std::string::npos) << table;
}

TEST_F(CclinkLiveEditor, APatternFieldAndALearnFollowAFileLoadedUnderThem)
{
    // Focus in the field, nothing typed, row 1 learning; a file is loaded; the focus leaves by a
    // press elsewhere, then by closing the window with Ctrl+W.
    struct Case
    {
        char const* pattern;
        char const* leave;
    };
    for (Case const& c : {Case{"/loaded", "press"}, Case{"/loaded/again", "ctrl+w"}})
    {
        host->Send("open");
        editor = host->WaitForWindow(editorTitle);
        ASSERT_TRUE(host->WaitForFocus(editor)) << c.leave;
        client = host->WaitForPlace(editor);
        display.Click(x(learn), y(1));
        ASSERT_TRUE(host->RunUntil([&] { return lit(1); }, 5000)) << c.leave;
        ASSERT_TRUE(startTyping(pattern, 1)) << c.leave;
        std::string const path = host->Path("table.xml");
        writeTable(path, c.pattern);
        load(path);
        host->TakeLines();
        if (std::string(c.leave) == "press")
        {
            display.Click(backgroundX(), backgroundY());
            EXPECT_TRUE(host->RunUntil([&] { return !typing(pattern, 1); }, 5000));
        }
        else
        {
            display.Key("ctrl+w");
            EXPECT_TRUE(host->RunUntil([&] { return !display.IsMapped(editor); }, 5000));
        }
        EXPECT_TRUE(host->TakeLines().empty()) << c.leave << ": nothing is written back, so nothing is sent";
        // Learning ended with the entry it was for: this controller is not learnt.
        host->Send("55 33 4");
        host->Send("127 7 1");
        EXPECT_NE(host->WaitForLine(std::string("outlet 0: ") + c.pattern + " 0.0", 3000), "") << c.leave;
        EXPECT_NE(exported().find(std::string("pattern=\"") + c.pattern + "\""), std::string::npos)
            << c.leave;
    }
}

TEST_F(CclinkLiveEditor, NumberBoxesFollowDragsAndIgnoreTextThatIsNotANumber)
{
    // Typed: what is not a number changes and sends nothing; a number is kept as typed, and the
    // edit sends the entry's value again through the new range: 64 of 127 in -60..-0.5.
    struct Typed
    {
        Column column;
        char const* text;
        char const* sent;
    };
    for (Typed const& t : {Typed{minimum, "abc", nullptr}, Typed{minimum, "0,5", nullptr},
                           Typed{maximum, "-0.5", "outlet 0: /track/1/gain -30.015749"}})
    {
        ASSERT_TRUE(startTyping(t.column, 1)) << t.text;
        display.Key("ctrl+a");
        display.Type(t.text);
        display.Key("Return");
        // The value is stored and sent before the text box closes.
        ASSERT_TRUE(host->RunUntil([&] { return !typing(t.column, 1); }, 5000)) << t.text;
        if (t.sent != nullptr)
        {
            EXPECT_NE(host->WaitForLine(t.sent, 0), "") << t.text;
        }
        EXPECT_TRUE(host->TakeLines().empty()) << t.text;
    }

    // A click whose pointer slips a pixel changes nothing; a drag upwards moves the minimum one
    // unit a pixel from where it was. X delivers the two in order: once the drag is seen, so is
    // the slip.
    display.Drag(x(maximum), y(1), x(maximum), y(1) - 1);
    display.Drag(x(minimum), y(1), x(minimum), y(1) - 10);
    EXPECT_TRUE(wrote("outlet 0: /track/1/gain -25.05"));
    std::string const table = exported();
    EXPECT_NE(table.find(R"(midicontroller="7" pattern="/track/1/gain" minrange="-50")"), std::string::npos)
        << table;
    EXPECT_NE(table.find(R"(maxrange="-0.5" exponent="1")"), std::string::npos) << table;
}

} // namespace
