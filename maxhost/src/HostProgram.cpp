#include "HostProgram.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <istream>
#include <ostream>
#include <poll.h>
#include <unistd.h>

namespace maxhost
{

namespace
{

// A packet announced larger than this is not read: the announcement is more likely wrong.
constexpr long long largestPacket = 64LL << 20;

// How often a GUI that does not say what it waits on gets its turn while the host waits.
constexpr int guiTurnMilliseconds = 5;

bool isNumber(Token const& t)
{
    return t.kind == Token::Kind::Long || t.kind == Token::Kind::Float;
}

bool isWord(Token const& t, char const* word)
{
    return t.kind == Token::Kind::Symbol && t.text == word;
}

} // namespace

std::vector<atom> ToAtoms(std::vector<Token> const& tokens, std::size_t first)
{
    std::vector<atom> atoms;
    for (std::size_t i = first; i < tokens.size(); ++i)
    {
        Token const& t = tokens[i];
        atom a{};
        switch (t.kind)
        {
        case Token::Kind::Long:
            atom_setlong(&a, t.longValue);
            break;
        case Token::Kind::Float:
            atom_setfloat(&a, t.floatValue);
            break;
        case Token::Kind::Symbol:
            atom_setsym(&a, gensym(t.text.c_str()));
            break;
        case Token::Kind::Semicolon:
            a.a_type = A_SEMI;
            break;
        case Token::Kind::Comma:
            a.a_type = A_COMMA;
            break;
        case Token::Kind::Dollar:
            a.a_type = A_DOLLAR;
            a.a_w.w_long = t.longValue;
            break;
        case Token::Kind::DollarSymbol:
            a.a_type = A_DOLLSYM;
            a.a_w.w_sym = gensym(t.text.c_str());
            break;
        }
        atoms.push_back(a);
    }
    return atoms;
}

HostProgram::HostProgram(std::ostream& out, Bundle const& bundle) : out(out), bundle(bundle) {}

HostProgram::~HostProgram() = default;

void HostProgram::print(std::string const& line)
{
    std::lock_guard<std::mutex> const guard(printing);
    out << line << '\n';
}

void HostProgram::Outlet(object*, int index, symbol* selector, long argc, atom const* argv)
{
    std::string const prefix = "outlet " + std::to_string(index) + ": ";
    bool const packet = std::strcmp(selector->s_name, "FullPacket") == 0 && argc == 2 &&
                        argv[0].a_type == A_LONG && argv[1].a_type == A_LONG;
    if (!packet)
    {
        print(prefix + FormatMessage(selector, argc, argv));
        return;
    }
    long long const size = argv[0].a_w.w_long;
    auto const address = static_cast<std::uintptr_t>(argv[1].a_w.w_long);
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%" PRIxPTR, address);
    std::lock_guard<std::mutex> const guard(printing);
    out << prefix << "FullPacket " << size << ' ' << hex << '\n';
    // The packet is valid only during this call: it is read now, as a receiver would.
    if (size <= 0 || size > largestPacket || address == 0)
    {
        out << "  (no packet to decode)\n";
        return;
    }
    for (std::string const& line :
         packets.Decode(reinterpret_cast<void const*>(address), static_cast<std::size_t>(size)))
        out << line << '\n';
}

void HostProgram::Console(object*, bool isError, char const* text)
{
    print(std::string(isError ? "error: " : "post: ") + text);
}

void HostProgram::HostNote(char const* text)
{
    print(std::string("host: ") + text);
}

void HostProgram::CreateObject(long argc, atom* argv)
{
    if (objectClass == nullptr)
    {
        HostNote("no class to make an object of");
        return;
    }
    if (object* const x = NewObject(objectClass, argc, argv))
        objects.push_back(x);
    else
        HostNote((std::string("could not create an object of ") + GetClassName(objectClass)).c_str());
}

void HostProgram::ProcessStream(std::istream& in)
{
    std::string line;
    while (std::getline(in, line))
        ProcessLine(line);
}

void HostProgram::ProcessInput(int fd)
{
    // Read by hand rather than through a stream, whose buffer would hide lines from poll.
    std::string text;
    std::size_t start = 0;
    for (;;)
    {
        std::size_t const end = text.find('\n', start);
        if (end != std::string::npos)
        {
            ProcessLine(text.substr(start, end - start));
            start = end + 1;
            continue;
        }
        text.erase(0, start);
        start = 0;
        serve(fd, nullptr);
        char chunk[4096];
        ssize_t const got = read(fd, chunk, sizeof chunk);
        if (got > 0)
            text.append(chunk, static_cast<std::size_t>(got));
        else if (got == 0 || (errno != EINTR && errno != EAGAIN))
            break;
    }
    if (!text.empty())
        ProcessLine(text);
}

void HostProgram::ProcessLine(std::string const& text)
{
    ParsedLine const line = ParseLine(text);
    switch (line.kind)
    {
    case ParsedLine::Kind::Blank:
        return;
    case ParsedLine::Kind::Malformed:
        HostNote(line.error.c_str());
        break;
    case ParsedLine::Kind::Directive:
        directive(line);
        break;
    case ParsedLine::Kind::Message:
        deliver(line.tokens);
        break;
    }
    turn();
}

void HostProgram::deliver(std::vector<Token> const& tokens)
{
    object* const x = current();
    if (x == nullptr)
    {
        HostNote("no object to send the message to");
        return;
    }
    if (tokens.empty())
        return;
    bool const list = isNumber(tokens[0]);
    symbol* const selector = list ? gensym("list") : gensym(tokens[0].text.c_str());
    std::vector<atom> atoms = ToAtoms(tokens, list ? 0 : 1);
    auto const send = [&] { SendMessage(x, selector, static_cast<long>(atoms.size()), atoms.data()); };
    if (onScheduler)
        scheduler.Run(send);
    else
        send();
}

void HostProgram::directive(ParsedLine const& line)
{
    std::vector<Token> const& args = line.tokens;
    std::string const& name = line.name;
    if (name == "thread")
    {
        if (args.size() == 1 && (isWord(args[0], "main") || isWord(args[0], "scheduler")))
            onScheduler = isWord(args[0], "scheduler");
        else
            HostNote("@thread needs main or scheduler");
    }
    else if (name == "dialog")
    {
        if (args.size() != 1)
            HostNote("@dialog needs one path, or cancel");
        else if (isWord(args[0], "cancel"))
            QueueDialogCancel();
        else
            QueueDialogAnswer(args[0].text);
    }
    else if (name == "run")
    {
        if (args.size() == 1 && args[0].kind == Token::Kind::Long && args[0].longValue >= 0)
            run(static_cast<long>(args[0].longValue));
        else
            HostNote("@run needs a number of milliseconds");
    }
    else if (name == "assist")
    {
        if (args.size() != 2 || !(isWord(args[0], "in") || isWord(args[0], "out")) ||
            args[1].kind != Token::Kind::Long || args[1].longValue < 0)
        {
            HostNote("@assist needs in or out, then an index");
            return;
        }
        std::string text;
        if (current() == nullptr)
            HostNote("no object to ask");
        else if (Assist(current(), isWord(args[0], "in") ? 1 : 2, static_cast<long>(args[1].longValue), text))
            print("assist: " + text);
        else
            HostNote("the object has no assist method");
    }
    else if (name == "dblclick")
    {
        if (!args.empty())
            HostNote("@dblclick takes no arguments");
        else if (current() == nullptr)
            HostNote("no object to double-click");
        else if (!DoubleClick(current()))
            HostNote("the object has no dblclick method");
    }
    else if (name == "attr")
    {
        atom_long value = 0;
        if (args.size() != 1 || args[0].kind != Token::Kind::Symbol)
            HostNote("@attr needs an attribute name");
        else if (current() == nullptr)
            HostNote("no object to ask");
        else if (GetAttribute(current(), gensym(args[0].text.c_str()), value))
            print("attr " + FormatSymbol(args[0].text) + " " + std::to_string(value));
        else
            HostNote(("no attribute " + args[0].text).c_str());
    }
    else if (name == "echo")
    {
        // A marker: whoever drives the program knows that every line before it has been done.
        std::string text;
        for (Token const& t : args)
            text += (text.empty() ? "" : " ") + t.text;
        print("echo: " + text);
    }
    else if (name == "new")
    {
        std::vector<atom> atoms = ToAtoms(args, 0);
        CreateObject(static_cast<long>(atoms.size()), atoms.data());
    }
    else if (name == "free")
    {
        if (!args.empty())
            HostNote("@free takes no arguments");
        else if (objects.empty())
            HostNote("no object to free");
        else
        {
            object* const x = objects.back();
            objects.pop_back();
            FreeObject(x);
        }
    }
    else
        HostNote(("unknown directive @" + name).c_str());
}

void HostProgram::turn()
{
    RunMainThreadTasks();
    bundle.Idle();
    RunMainThreadTasks();
    std::lock_guard<std::mutex> const guard(printing);
    out.flush();
}

void HostProgram::run(long milliseconds)
{
    auto const deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    turn();
    serve(-1, &deadline);
}

void HostProgram::serve(int input, std::chrono::steady_clock::time_point const* deadline)
{
    std::vector<int> gui;
    std::vector<pollfd> fds;
    for (;;)
    {
        int timeout = bundle.HasGuiHook() && !bundle.GetGuiDescriptors(gui) ? guiTurnMilliseconds : -1;
        if (deadline != nullptr)
        {
            auto const left =
                std::chrono::ceil<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return;
            timeout = timeout < 0 ? static_cast<int>(left.count())
                                  : std::min(timeout, static_cast<int>(left.count()));
        }
        fds.clear();
        fds.push_back({input, POLLIN, 0}); // a negative descriptor is left out
        fds.push_back({GetMainThreadWakeDescriptor(), POLLIN, 0});
        for (int fd : gui)
            fds.push_back({fd, POLLIN, 0});
        int const ready = poll(fds.data(), fds.size(), timeout);
        if (ready < 0 && errno != EINTR)
            return; // the read says why
        if (fds[0].revents != 0)
            return;
        // Only what is ready runs: the GUI wakes many times a second for its own timers, and
        // whatever one side leaves for the other makes its descriptor readable.
        if (fds[1].revents != 0)
            RunMainThreadTasks();
        if (ready == 0 ||
            std::any_of(fds.begin() + 2, fds.end(), [](pollfd const& p) { return p.revents != 0; }))
            bundle.Idle();
        std::lock_guard<std::mutex> const guard(printing);
        out.flush();
    }
}

void HostProgram::Finish()
{
    while (!objects.empty())
    {
        object* const x = objects.back();
        objects.pop_back();
        FreeObject(x);
    }
    RunMainThreadTasks();
    bundle.Shutdown();
    std::lock_guard<std::mutex> const guard(printing);
    out.flush();
}

} // namespace maxhost
