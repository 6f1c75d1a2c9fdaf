#include "LiveDisplay.h"

// The framework's headers come before the X headers, whose macros (None, Bool...) they would meet.
#include <juce_graphics/juce_graphics.h>

#include "XWindowName.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace live
{
namespace
{

using Clock = std::chrono::steady_clock;

// The framework shows its badge for 2 s after a window's first paint, then fades it out in 2 s.
constexpr int badgeMilliseconds = 4600;

int millisecondsSince(Clock::time_point start)
{
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Ignores X errors: a window can vanish between two requests about it.
int ignoreXError(::Display*, XErrorEvent*)
{
    return 0;
}

bool savePng(Image const& image, std::string const& path)
{
    juce::Image png(juce::Image::RGB, std::max(1, image.width), std::max(1, image.height), false);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            png.setPixelAt(
                x, y,
                juce::Colour(0xFF000000u | image.pixels[static_cast<std::size_t>(y * image.width + x)]));
    juce::File const file(path);
    file.getParentDirectory().createDirectory();
    file.deleteFile();
    juce::FileOutputStream stream(file);
    return image.width > 0 && stream.openedOk() && juce::PNGImageFormat().writeImageToStream(png, stream);
}

// A window's property of n CARDINAL values, or none.
std::vector<long> cardinals(::Display* x, ::Window w, char const* name, long n)
{
    std::vector<long> values;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Atom const atom = XInternAtom(x, name, True);
    if (atom != 0 && XGetWindowProperty(x, w, atom, 0, n, False, XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        format == 32 && count == static_cast<unsigned long>(n))
        values.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + n);
    if (data != nullptr)
        XFree(data);
    return values;
}

} // namespace

std::string ToString(Rect const& r)
{
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
           std::to_string(r.height);
}

// ---------------------------------------------------------------------------------------------

Process::Process(std::vector<std::string> const& arguments, std::vector<std::string> const& environment,
                 bool withPipes, int keepFd)
{
    int in[2] = {-1, -1}, out[2] = {-1, -1};
    if (withPipes && (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0))
        return;
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        env.emplace_back(*e);
    for (std::string const& added : environment)
    {
        std::string const key = added.substr(0, added.find('=') + 1);
        env.erase(std::remove_if(env.begin(), env.end(),
                                 [&](std::string const& e) { return e.rfind(key, 0) == 0; }),
                  env.end());
        env.push_back(added);
    }
    std::vector<char*> argv, envp;
    for (auto const& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (auto const& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    pid_t const parent = getpid();
    pid = fork();
    if (pid == 0)
    {
        // Dies with the test, whatever ends it.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        int const null = open("/dev/null", O_RDWR);
        dup2(withPipes ? in[0] : null, 0);
        dup2(withPipes ? out[1] : null, 1);
        dup2(withPipes ? out[1] : null, 2);
        if (keepFd >= 0)
            fcntl(keepFd, F_SETFD, 0);
        execve(argv[0], argv.data(), envp.data());
        execvpe(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    if (withPipes)
    {
        close(in[0]);
        close(out[1]);
        input = in[1];
        output = out[0];
        if (pid < 0)
        {
            close(input);
            close(output);
            input = output = -1;
        }
    }
}

Process::~Process()
{
    Stop(3000);
}

bool Process::Running()
{
    if (pid <= 0)
        return false;
    int s = 0;
    pid_t const done = waitpid(pid, &s, WNOHANG);
    if (done == 0)
        return true;
    status = done == pid && WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    pid = -1;
    return false;
}

int Process::Stop(int timeoutMs)
{
    CloseInput();
    auto const start = Clock::now();
    bool terminated = false;
    while (Running())
    {
        if (millisecondsSince(start) > timeoutMs)
        {
            // Terminated first, so that it can clean up (Xvfb removes its lock file).
            kill(pid, terminated ? SIGKILL : SIGTERM);
            terminated = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (output >= 0)
        close(output);
    output = -1;
    return status;
}

bool Process::Write(std::string const& text)
{
    std::size_t done = 0;
    while (input >= 0 && done < text.size())
    {
        ssize_t const n = write(input, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return input >= 0;
}

void Process::CloseInput()
{
    if (input >= 0)
        close(input);
    input = -1;
}

bool Process::Read(std::string& into, int timeoutMs)
{
    if (output < 0)
        return false;
    pollfd p{output, POLLIN, 0};
    int const ready = poll(&p, 1, timeoutMs);
    if (ready <= 0)
        return ready == 0 || errno == EINTR;
    char buffer[4096];
    ssize_t const n = read(output, buffer, sizeof buffer);
    if (n <= 0)
        return n < 0 && errno == EINTR;
    into.append(buffer, static_cast<std::size_t>(n));
    return true;
}

std::string Process::ReadAll(int timeoutMs)
{
    std::string all;
    auto const start = Clock::now();
    while (millisecondsSince(start) < timeoutMs && Read(all, 100))
    {
    }
    return all;
}

int Process::Run(std::vector<std::string> const& arguments, std::vector<std::string> const& environment)
{
    Process p(arguments, environment, false);
    return p.Started() ? p.Stop(10000) : -1;
}

// ---------------------------------------------------------------------------------------------

struct Display::Connection
{
    ::Display* x = nullptr;
    std::vector<::Window> watched;
    int hintWrites = 0;
    ::Window probe = 0; // never shown: a window manager configures it as asked
    ~Connection()
    {
        if (x != nullptr)
            XCloseDisplay(x);
    }
    ::Window Root() const { return DefaultRootWindow(x); }
};

std::string Display::MissingTools()
{
    std::string missing;
    for (std::string const tool :
         {"Xvfb", "xdotool", "openbox", "xfwm4", "dbus-daemon", "metacity", "fluxbox", "icewm", "twm", "jwm"})
        if (Process::Run({"/bin/sh", "-c", "command -v " + tool}, {}) != 0)
            missing += std::string(missing.empty() ? "" : ", ") + tool;
    return missing;
}

Display::Display(int width, int height) : width(width), height(height), x(std::make_unique<Connection>())
{
    problem = MissingTools();
    if (!problem.empty())
    {
        problem = "not installed: " + problem;
        return;
    }
    // Display numbers 40 to 98: the low ones are where a program without DISPLAY looks (the
    // framework falls back to ":0"), and a test that expects no display must not find ours;
    // xvfb-run takes 99 and up. An Xvfb whose number is taken ends at once; one that runs writes
    // its number to the pipe.
    for (int number = 40; number < 99 && name.empty(); ++number)
    {
        int ready[2];
        if (pipe2(ready, O_CLOEXEC) != 0)
            break;
        server = std::make_unique<Process>(
            std::vector<std::string>{
                "Xvfb", ":" + std::to_string(number), "-displayfd", std::to_string(ready[1]), "-screen", "0",
                std::to_string(width) + "x" + std::to_string(height) + "x24", "-nolisten", "tcp"},
            std::vector<std::string>{}, false, ready[1]);
        close(ready[1]);
        std::string written;
        pollfd p{ready[0], POLLIN, 0};
        while (written.find('\n') == std::string::npos && poll(&p, 1, 20000) > 0)
        {
            char c[16];
            ssize_t const n = read(ready[0], c, sizeof c);
            if (n <= 0)
                break;
            written.append(c, static_cast<std::size_t>(n));
        }
        close(ready[0]);
        if (written.find('\n') != std::string::npos)
            name = ":" + written.substr(0, written.find('\n'));
        else
            server.reset();
    }
    if (name.empty())
    {
        problem = "Xvfb did not start";
        return;
    }
    XSetErrorHandler(ignoreXError);
    // Our connection also keeps the server from resetting between the host's connections.
    x->x = XOpenDisplay(name.c_str());
    if (x->x == nullptr)
        problem = "cannot connect to " + name;
}

Display::~Display()
{
    windowManager.reset();
    bus.reset();
    x.reset();
    server.reset();
}

bool Display::StartWindowManager(std::string const& program)
{
    if (!Ok())
        return false;
    if (windowManager == nullptr)
    {
        std::vector<std::string> command{program};
        // No accessibility bus: nothing here reads it, and it would outlive the test.
        std::vector<std::string> environment = this->environment();
        environment.push_back("NO_AT_BRIDGE=1");
        if (program == "openbox")
            command.push_back("--sm-disable");
        else if (program == "xfwm4") // its settings come over a session bus, a child of ours
        {
            bus = std::make_unique<Process>(
                std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--print-address"},
                environment, true);
            std::string address;
            auto const asked = Clock::now();
            while (address.find('\n') == std::string::npos && millisecondsSince(asked) < 10000 &&
                   bus->Read(address, 100))
            {
            }
            environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + address.substr(0, address.find('\n')));
            command = {"xfwm4", "--compositor=off"};
        }
        else if (program == "twm") // moves that grab the server would hold up our own requests
        {
            std::string const settings = std::filesystem::temp_directory_path() / ("live-twmrc" + name.substr(1));
            std::ofstream(settings) << "NoGrabServer\nOpaqueMove\n"
                                    << "TitleFont \"fixed\"\nMenuFont \"fixed\"\nIconFont \"fixed\"\n"
                                    << "ResizeFont \"fixed\"\nIconManagerFont \"fixed\"\n";
            command = {"twm", "-f", settings};
        }
        windowManager = std::make_unique<Process>(command, environment, false);
    }
    // A window manager redirects the root's children to itself, and is ready once it answers: a
    // window mapped while it is still starting may never be framed.
    auto const start = Clock::now();
    while (millisecondsSince(start) < 10000)
    {
        XWindowAttributes a{};
        if (XGetWindowAttributes(x->x, x->Root(), &a) != 0 && (a.all_event_masks & SubstructureRedirectMask) != 0)
            return SyncWindowManager();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

bool Display::SyncWindowManager(int timeoutMs)
{
    if (!Ok())
        return false;
    if (windowManager == nullptr)
        return XSync(x->x, False), true;
    if (x->probe == 0)
        x->probe = XCreateSimpleWindow(x->x, x->Root(), -10, -10, 1, 1, 0, 0, 0);
    auto const width = [&]
    {
        ::Window root = 0;
        int left = 0, top = 0;
        unsigned w = 0, height = 0, border = 0, depth = 0;
        return XGetGeometry(x->x, x->probe, &root, &left, &top, &w, &height, &border, &depth) != 0 ? w : 0u;
    };
    unsigned const wanted = width() == 1 ? 2 : 1;
    // Asked again now and then: a window manager that is still starting drops what it is sent.
    for (auto const start = Clock::now();;)
    {
        XResizeWindow(x->x, x->probe, wanted, 1);
        for (auto const asked = Clock::now(); millisecondsSince(asked) < 250;)
        {
            if (width() == wanted)
                return true;
            if (millisecondsSince(start) > timeoutMs)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
}

Rect Display::WorkArea() const
{
    auto const v = cardinals(x->x, x->Root(), "_NET_WORKAREA", 4);
    return v.empty() ? Rect{0, 0, width, height} : Rect{int(v[0]), int(v[1]), int(v[2]), int(v[3])};
}

int Display::HintWrites(Window w)
{
    if (std::find(x->watched.begin(), x->watched.end(), w) == x->watched.end())
    {
        XSelectInput(x->x, w, PropertyChangeMask);
        x->watched.push_back(w);
    }
    XSync(x->x, False);
    for (XEvent e; XPending(x->x) > 0;)
        if (XNextEvent(x->x, &e) == 0 && e.type == PropertyNotify && e.xproperty.atom == XA_WM_NORMAL_HINTS)
            ++x->hintWrites;
    return x->hintWrites;
}

Window Display::FindWindow(std::string const& title) const
{
    return Ok() ? FindMappedWindow(x->x, title) : 0;
}

bool Display::IsMapped(Window w) const
{
    XWindowAttributes a{};
    return w != 0 && XGetWindowAttributes(x->x, w, &a) != 0 && a.map_state == IsViewable;
}

Rect Display::ClientBounds(Window w) const
{
    XWindowAttributes a{};
    if (w == 0 || XGetWindowAttributes(x->x, w, &a) == 0)
        return {};
    int left = 0, top = 0;
    ::Window child = 0;
    XTranslateCoordinates(x->x, w, x->Root(), 0, 0, &left, &top, &child);
    return {left, top, a.width, a.height};
}

Rect Display::FrameBounds(Window w) const
{
    // As the window manager says it draws it; some have invisible borders for resizing beyond.
    Rect const c = ClientBounds(w);
    if (auto const e = cardinals(x->x, w, "_NET_FRAME_EXTENTS", 4); !e.empty() && (e[0] | e[1] | e[2] | e[3]) != 0)
        return {c.x - int(e[0]), c.y - int(e[2]), c.width + int(e[0] + e[1]), c.height + int(e[2] + e[3])};
    // Else the ancestor just below the root (the window itself when nothing framed it).
    ::Window top = w;
    for (;;)
    {
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned int n = 0;
        if (top == 0 || XQueryTree(x->x, top, &root, &parent, &children, &n) == 0)
            return {};
        if (children != nullptr)
            XFree(children);
        if (parent == root || parent == 0)
            break;
        top = parent;
    }
    XWindowAttributes a{};
    if (XGetWindowAttributes(x->x, top, &a) == 0)
        return {};
    return {a.x, a.y, a.width + 2 * a.border_width, a.height + 2 * a.border_width};
}

void Display::AskToClose(Window w)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(x->x, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(x->x, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(x->x, w, False, NoEventMask, &e);
    XFlush(x->x);
}

void Display::xdotool(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "xdotool");
    Process::Run(arguments, environment());
}

bool Display::HasFocus(Window w) const
{
    if (!Ok() || w == 0)
        return false;
    ::Window focus = 0;
    int revert = 0;
    XGetInputFocus(x->x, &focus, &revert);
    // Up from the focus window to the root: w or one of its ancestors.
    while (focus != 0 && focus != PointerRoot)
    {
        if (focus == w)
            return true;
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(x->x, focus, &root, &parent, &children, &count) == 0)
            return false;
        if (children != nullptr)
            XFree(children);
        if (parent == root)
            return false;
        focus = parent;
    }
    return false;
}

void Display::MovePointer(int toX, int toY)
{
    // Under a window manager, xdotool's --sync waits for a movement that never comes when the
    // pointer is already there.
    ::Window root = 0, child = 0;
    int atX = 0, atY = 0, winX = 0, winY = 0;
    unsigned int mask = 0;
    if (XQueryPointer(x->x, x->Root(), &root, &child, &atX, &atY, &winX, &winY, &mask) && atX == toX &&
        atY == toY)
        return;
    xdotool({"mousemove", "--sync", std::to_string(toX), std::to_string(toY)});
}

void Display::Click(int atX, int atY, int button)
{
    MovePointer(atX, atY);
    xdotool({"click", std::to_string(button)});
}

void Display::Drag(int fromX, int fromY, int toX, int toY)
{
    MovePointer(fromX, fromY);
    xdotool({"mousedown", "1"});
    // In steps, as a hand moves: a single jump is not a drag to every receiver.
    for (int step = 1; step <= 5; ++step)
        MovePointer(fromX + (toX - fromX) * step / 5, fromY + (toY - fromY) * step / 5);
    xdotool({"mouseup", "1"});
}

void Display::Type(std::string const& text)
{
    xdotool({"type", "--delay", "20", "--", text});
}

void Display::Key(std::string const& keys)
{
    xdotool({"key", "--delay", "20", keys});
}

Image Display::Grab(Rect const& area) const
{
    Image image;
    Rect const r{std::max(0, area.x), std::max(0, area.y),
                 std::min(area.x + area.width, width) - std::max(0, area.x),
                 std::min(area.y + area.height, height) - std::max(0, area.y)};
    if (!Ok() || r.width <= 0 || r.height <= 0)
        return image;
    XImage* const grabbed = XGetImage(x->x, x->Root(), r.x, r.y, static_cast<unsigned>(r.width),
                                      static_cast<unsigned>(r.height), AllPlanes, ZPixmap);
    if (grabbed == nullptr)
        return image;
    image.width = r.width;
    image.height = r.height;
    image.pixels.reserve(static_cast<std::size_t>(r.width) * static_cast<std::size_t>(r.height));
    for (int row = 0; row < r.height; ++row)
        for (int column = 0; column < r.width; ++column)
            image.pixels.push_back(static_cast<std::uint32_t>(XGetPixel(grabbed, column, row)) & 0xFFFFFFu);
    XDestroyImage(grabbed);
    return image;
}

// ---------------------------------------------------------------------------------------------

Host::Host(Display& display) : display(display)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "cclink-live-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        return;
    folder = pattern;
    if (!display.Ok())
        return;
    // Bare file names and the trash land in the scratch folder, never in the user's.
    program =
        std::make_unique<Process>(std::vector<std::string>{CCLINK_MAXHOST, "--bundle", CCLINK_BUNDLE},
                                  std::vector<std::string>{"DISPLAY=" + display.Name(), "HOME=" + folder,
                                                           "XDG_DATA_HOME=" + folder + "/data",
                                                           "XDG_CONFIG_HOME=" + folder + "/config", "TZ=UTC"},
                                  true);
}

Host::~Host()
{
    program.reset();
    if (!folder.empty())
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
}

void Host::Send(std::string const& line)
{
    if (program != nullptr)
        program->Write(line + "\n");
}

bool Host::readFor(int timeoutMs)
{
    if (program == nullptr || ended)
        return false;
    std::string chunk;
    if (!program->Read(chunk, timeoutMs))
    {
        ended = true;
        if (!pending.empty())
            lines.push_back(pending);
        pending.clear();
        return false;
    }
    pending += chunk;
    std::size_t end;
    while ((end = pending.find('\n')) != std::string::npos)
    {
        lines.push_back(pending.substr(0, end));
        pending.erase(0, end + 1);
    }
    return true;
}

bool Host::Run(int milliseconds)
{
    auto const start = Clock::now();
    return RunUntil([&] { return millisecondsSince(start) >= milliseconds; }, milliseconds + 1000);
}

bool Host::RunUntil(std::function<bool()> const& done, int timeoutMs)
{
    // The program runs its GUI while it waits for input: only its output is to be read meanwhile.
    auto const start = Clock::now();
    while (!done())
        if (millisecondsSince(start) > timeoutMs || !readFor(20))
            return false;
    return true;
}

std::string Host::WaitForLine(std::string const& text, int timeoutMs)
{
    auto const start = Clock::now();
    // The program writes also while it waits for input: what it has written counts without a wait.
    readWritten();
    for (;;)
    {
        for (std::size_t i = taken; i < lines.size(); ++i)
            if (lines[i].find(text) != std::string::npos)
            {
                taken = i + 1;
                return lines[i];
            }
        int const left = timeoutMs - millisecondsSince(start);
        if (left <= 0 || !readFor(left))
            return "";
    }
}

void Host::readWritten()
{
    for (;;)
    {
        std::size_t const before = lines.size() + pending.size();
        if (!readFor(0) || lines.size() + pending.size() == before)
            break;
    }
}

std::vector<std::string> Host::TakeLines()
{
    readWritten();
    std::vector<std::string> result(lines.begin() + static_cast<std::ptrdiff_t>(taken), lines.end());
    taken = lines.size();
    return result;
}

std::string Host::Export(int timeoutMs)
{
    std::string const path = Path("export-" + std::to_string(++exports) + ".xml");
    Send("export " + path);
    if (WaitForLine("\"" + path + "\" properly written", timeoutMs).empty())
        return "";
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Host::Quit()
{
    if (program == nullptr)
        return -1;
    program->CloseInput();
    auto const start = Clock::now();
    while (millisecondsSince(start) < 10000 && readFor(100))
    {
    }
    return program->Stop(10000);
}

Window Host::WaitForWindow(std::string const& title, int timeoutMs)
{
    Window found = 0;
    RunUntil([&] { return (found = display.FindWindow(title)) != 0; }, timeoutMs);
    if (found != 0 && firstSeen.count(found) == 0)
        firstSeen[found] = Clock::now();
    return found;
}

bool Host::WaitForFocus(Window w, int timeoutMs)
{
    return RunUntil([&] { return display.HasFocus(w); }, timeoutMs);
}

Rect Host::WaitForPlace(Window w, int timeoutMs)
{
    // At rest: framed, and unchanged while the window manager caught up with all it was sent.
    Rect last;
    bool const placed = RunUntil(
        [&]
        {
            display.SyncWindowManager();
            Rect const now = display.ClientBounds(w);
            bool const rest = now == last && (!display.HasWindowManager() || display.FrameBounds(w) != now);
            last = now;
            return rest;
        },
        timeoutMs);
    return placed ? last : Rect{};
}

std::string Host::Screenshot(Window w, std::string const& fileName)
{
    if (firstSeen.count(w) == 0)
        firstSeen[w] = Clock::now();
    int const waited = millisecondsSince(firstSeen[w]);
    if (waited < badgeMilliseconds)
        Run(badgeMilliseconds - waited);
    // A few tries for a picture that two grabs agree on; a blinking caret never settles.
    Image image = display.Grab(display.FrameBounds(w));
    for (int tries = 0; tries < 5; ++tries)
    {
        Run(200);
        Image const again = display.Grab(display.FrameBounds(w));
        bool const same = again == image;
        image = again;
        if (same)
            break;
    }
    std::string const path = std::string(CCLINK_SCREENSHOTS) + "/" + fileName;
    return savePng(image, path) ? path : "";
}

} // namespace live
