#pragma once

// Live tests: the `maxhost` program with the bundle on a virtual X display of the test's own, driven
// by real X input, as a user would.
//
//   live::Display display;                       // Xvfb on a free display number
//   if (!display.Ok()) GTEST_SKIP() << display.Problem();
//   display.StartWindowManager();                // openbox; may come later (or never)
//   live::Host host(display);                    // maxhost with trov5.cclink on that display
//   host.Send("load " + path);
//   host.Send("open");
//   live::Window const editor = host.WaitForWindow("MIDI / OSC Mapping");
//   live::Rect const r = display.ClientBounds(editor);
//   display.Click(r.x + 40, r.y + 60);           // xdotool: real pointer and keys
//   display.Type("/newaddr");  display.Key("Return");
//   host.RunUntil([&] { ... }, 2000);            // until the screen shows it
//   std::string const table = host.Export();     // the table as "export" writes it
//   host.Screenshot(editor, "editor.png");       // PNG in the build folder, start-up badge gone
//
// The program runs its main thread, and so the GUI, also while it waits for the next line: X input,
// timers and work left for the main thread are handled as they come, as in the real host.
// Everything started is ended by the destructors, also when an assertion leaves the test early;
// the children also die with the test process. Windows are X window ids of the clients (the
// windows the host made), never of a window manager's frames.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace live
{

using Window = unsigned long;

struct Rect
{
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(Rect const& o) const
    {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
    bool operator!=(Rect const& o) const { return !(*this == o); }
};
std::string ToString(Rect const& r);

// Pixels read from the screen, 0xRRGGBB each, row by row.
struct Image
{
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    bool operator==(Image const& o) const { return width == o.width && pixels == o.pixels; }
};

// A child process; killed (by its id) and reaped when this goes away.
class Process
{
public:
    // environment entries ("NAME=value") are added to this process's own. withPipes: a pipe to
    // its standard input and one from its standard output and error; otherwise they are /dev/null.
    // keepFd: a descriptor of ours that the child keeps (-1 for none).
    Process(std::vector<std::string> const& arguments, std::vector<std::string> const& environment,
            bool withPipes, int keepFd = -1);
    ~Process();
    Process(Process const&) = delete;
    Process& operator=(Process const&) = delete;

    bool Started() const { return pid > 0; }
    bool Running();
    // Waits for the end; after the timeout, terminates it. Returns the exit status (-1: signal).
    int Stop(int timeoutMs);
    bool Write(std::string const& text);
    void CloseInput();
    // Appends what the process wrote; false when it closed its output. Waits up to timeoutMs.
    bool Read(std::string& into, int timeoutMs);
    // What it writes until it closes its output, or until the timeout.
    std::string ReadAll(int timeoutMs);

    // Runs a program to its end; its exit status, or -1.
    static int Run(std::vector<std::string> const& arguments, std::vector<std::string> const& environment);

private:
    pid_t pid = -1;
    int input = -1;
    int output = -1;
    int status = -1;
};

class Display
{
public:
    // Names the missing programs (Xvfb, xdotool, the window managers), or "".
    static std::string MissingTools();

    explicit Display(int width = 1280, int height = 800);
    ~Display();

    bool Ok() const { return problem.empty(); }
    std::string const& Problem() const { return problem; }
    std::string const& Name() const { return name; } // ":N"
    int Width() const { return width; }
    int Height() const { return height; }

    // Starts the window manager (openbox, xfwm4, metacity, fluxbox, icewm, twm, jwm...) and waits
    // until it manages the screen.
    bool StartWindowManager(std::string const& program = "openbox");
    bool HasWindowManager() const { return windowManager != nullptr; }

    // The mapped top-level client window with this title, or 0.
    Window FindWindow(std::string const& title) const;
    bool IsMapped(Window w) const;
    // Whether X sends the keyboard to w (or a window inside it). The window manager gives the
    // focus in its own time: keys typed before that go elsewhere.
    bool HasFocus(Window w) const;
    // The client area on the screen, and the window manager's frame around it as it is drawn (the
    // client's own bounds without a window manager).
    Rect ClientBounds(Window w) const;
    Rect FrameBounds(Window w) const;
    // Waits until the window manager has handled all that was sent to it before (input, requests):
    // it answers a request about a window of ours, which comes after them. False after the timeout.
    bool SyncWindowManager(int timeoutMs = 10000);
    // What the window manager leaves to windows, its panels aside; the screen without one.
    Rect WorkArea() const;
    // How often the program has asked for the place of w, or of another window watched before,
    // since it was first watched (each request writes the window's size hints).
    int HintWrites(Window w);

    // Real X input through xdotool, to whichever window is under the pointer or has the focus.
    void MovePointer(int x, int y);
    void Click(int x, int y, int button = 1);
    void Drag(int fromX, int fromY, int toX, int toY);
    void Type(std::string const& text);
    void Key(std::string const& keys); // xdotool's names: "Return", "ctrl+w", "shift+f"
    // What a window manager's close button sends.
    void AskToClose(Window w);

    Image Grab(Rect const& area) const;

private:
    void xdotool(std::vector<std::string> arguments);
    std::vector<std::string> environment() const { return {"DISPLAY=" + name}; }

    int width, height;
    std::string problem;
    std::string name;
    std::unique_ptr<Process> server;
    std::unique_ptr<Process> bus;
    std::unique_ptr<Process> windowManager;
    struct Connection;
    std::unique_ptr<Connection> x;
};

class Host
{
public:
    // The `maxhost` program with the bundle, its home and data folders in a scratch folder.
    explicit Host(Display& display);
    ~Host();

    std::string Path(std::string const& name) const { return folder + "/" + name; }

    // One protocol line; the program runs it in its own time.
    void Send(std::string const& line);
    // Lets the program run for that long; false when it has ended.
    bool Run(int milliseconds);
    // Checks done() every few milliseconds, while the program runs, until it holds; false after
    // the timeout or when the program has ended.
    bool RunUntil(std::function<bool()> const& done, int timeoutMs);

    // Output lines of the program, in order. WaitForLine returns the first line not yet taken
    // that contains the text (everything before it is taken too), or "" after the timeout.
    std::string WaitForLine(std::string const& text, int timeoutMs = 10000);
    std::vector<std::string> TakeLines();
    // "export" to a new file in the scratch folder: its text once the program says it wrote it,
    // else "". What the table holds, as the user would find it.
    std::string Export(int timeoutMs = 10000);
    // Closes the input: the program frees its objects and ends. Its exit status.
    int Quit();

    // Waits until the window with the title is mapped; 0 after the timeout.
    Window WaitForWindow(std::string const& title, int timeoutMs = 30000);
    // Waits until the window has the keyboard focus; false after the timeout.
    bool WaitForFocus(Window w, int timeoutMs = 10000);
    // Waits until the window has come to rest: framed when a window manager runs, and its
    // client bounds unchanged while the window manager handled all it had been sent (it places,
    // frames and may move a window after mapping it). Its client bounds then, or empty bounds
    // after the timeout.
    Rect WaitForPlace(Window w, int timeoutMs = 10000);
    // Waits until the framework's start-up badge has gone and the window stays the same,
    // then writes its frame to the screenshot folder. The path written, or "".
    std::string Screenshot(Window w, std::string const& fileName);

private:
    bool readFor(int timeoutMs);
    // Reads what the program has written so far, without waiting.
    void readWritten();

    Display& display;
    std::string folder;
    std::unique_ptr<Process> program;
    std::string pending;
    std::vector<std::string> lines;
    std::size_t taken = 0;
    int exports = 0;
    bool ended = false;
    std::map<Window, std::chrono::steady_clock::time_point> firstSeen;
};

} // namespace live
