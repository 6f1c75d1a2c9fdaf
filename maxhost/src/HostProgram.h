#pragma once

#include "HostProtocol.h"
#include "PacketPrinter.h"
#include "maxhost_control.h"

#include <chrono>
#include <iosfwd>
#include <mutex>
#include <string>
#include <vector>

namespace maxhost
{

// The `maxhost` program's session: reads protocol lines, delivers them to the current object on
// the chosen thread, runs the main thread's pending work and the GUI's turn after each line and,
// while it waits for input, whenever either has something to do, and prints every event as one
// output line.
class HostProgram final : public Listener
{
public:
    HostProgram(std::ostream& out, Bundle const& bundle);
    ~HostProgram() override;

    // The class whose objects the session makes; set once the bundle has registered it.
    void SetClass(maxclass* c) { objectClass = c; }

    // Makes an object of the class; it becomes the target of the following messages.
    void CreateObject(long argc, atom* argv);
    void ProcessLine(std::string const& line);
    void ProcessStream(std::istream& in);
    // Lines read from a descriptor (a terminal, a pipe), with the main thread kept running while
    // none has come.
    void ProcessInput(int fd);
    // Frees every object (newest first), then lets the bundle shut its GUI down.
    void Finish();

    void Outlet(object* owner, int index, symbol* selector, long argc, atom const* argv) override;
    void Console(object* owner, bool isError, char const* text) override;
    void HostNote(char const* text) override;

private:
    void directive(ParsedLine const& line);
    void deliver(std::vector<Token> const& tokens);
    void turn();
    void run(long milliseconds);
    // Gives the main thread a turn whenever it has work, until input is readable on the
    // descriptor (when there is one) or the deadline has passed (when there is one).
    void serve(int input, std::chrono::steady_clock::time_point const* deadline);
    void print(std::string const& line);
    object* current() const { return objects.empty() ? nullptr : objects.back(); }

    std::ostream& out;
    Bundle const& bundle;
    maxclass* objectClass = nullptr;
    std::vector<object*> objects;
    bool onScheduler = false;
    SchedulerThread scheduler;
    PacketPrinter packets;
    std::mutex printing;
};

// Atoms for the tokens; symbols are interned.
std::vector<atom> ToAtoms(std::vector<Token> const& tokens, std::size_t first);

} // namespace maxhost
