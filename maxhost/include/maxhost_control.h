#pragma once

// The driving side of the stand-in host: what the `maxhost` program and in-process tests use to
// load a bundle, make objects, send them messages and run the main thread's pending work. The
// bundle itself never includes this header.

#include "maxhost_api.h"

#include <functional>
#include <string>
#include <vector>

namespace maxhost
{

// Receives everything the host would show. Called synchronously on the thread that produced the
// event, so from several threads at once when the bundle outputs from several; the host keeps one
// listener for the process.
class Listener
{
public:
    virtual ~Listener() = default;
    // index counts the owner's outlets from the left, from 0.
    virtual void Outlet(object* owner, int index, symbol* selector, long argc, atom const* argv);
    virtual void Console(object* owner, bool isError, char const* text);
    // The host's own diagnostics (a refused message, a dialog answer that does not fit, ...).
    virtual void HostNote(char const* text);
};

// Null stops all reporting. Set it while no other thread is producing output.
void SetListener(Listener* listener);

// The thread that answers 1 to systhread_ismainthread: by default the thread that loaded the
// host library.
void SetMainThread();
bool IsMainThread();

// Registered classes (class_register in the "box" name space), in registration order.
std::vector<maxclass*> GetRegisteredClasses();
maxclass* FindClass(char const* name);
char const* GetClassName(maxclass* c);

// Calls the class's creator; null when it refuses.
object* NewObject(maxclass* c, long argc = 0, atom* argv = nullptr);
// Calls the class's destructor, then releases the record, its outlets, its leftover queue
// elements and its pending deferred calls.
void FreeObject(object* x);

// Delivers a message on the calling thread as the host does for typed text: a method of that
// name, else an attribute of that name (set through its filters), else "anything". A_CANT
// methods cannot be reached this way. False (with a host note) when nothing took it.
bool SendMessage(object* x, symbol* selector, long argc, atom* argv);
// Calls the A_CANT "assist" method; false when the class has none.
bool Assist(object* x, long io, long index, std::string& text);
// Calls the A_CANT "dblclick" method; false when the class has none.
bool DoubleClick(object* x);
// The value of a long attribute; false when there is no such attribute.
bool GetAttribute(object* x, symbol* name, atom_long& value);
int GetOutletCount(object* x);
// The outlet's index from the left; -1 for anything else.
int GetOutletIndex(object* x, void* outlet);
// What object_obex_store put under key; null when nothing.
object* GetObexValue(object* x, symbol* key);

// Runs the queue elements that are set and the deferred calls, in the order they were queued,
// including those that they queue in turn (a bounded number of rounds). Main thread only.
// Returns how many ran.
int RunMainThreadTasks();
int GetPendingMainThreadTaskCount();
// Readable from the moment a task is queued for the main thread until RunMainThreadTasks runs:
// a loop that waits on it runs the tasks as they come, from any thread.
int GetMainThreadWakeDescriptor();

// Answers for the coming file dialogs, first in, first out; a dialog with no answer queued is
// cancelled. A relative path is taken from the current working folder.
void QueueDialogAnswer(std::string const& path);
void QueueDialogCancel();
void ClearDialogAnswers();

// A loaded bundle: its exported "main" has run; the optional GUI hook is kept for the host loop.
class Bundle
{
public:
    Bundle() = default;
    ~Bundle() = default;
    Bundle(Bundle const&) = delete;
    Bundle& operator=(Bundle const&) = delete;

    // dlopen, then "main". False with a reason when the file cannot be loaded or has no "main".
    bool Load(std::string const& path, std::string& error);
    // Gives the GUI its turn; nothing when the bundle has no hook.
    void Idle() const;
    void Shutdown() const;
    bool HasGuiHook() const noexcept { return guiHook != nullptr; }
    // The descriptors that the GUI waits on (see maxhost_gui_hook.h); false when the bundle does
    // not say, and then the GUI needs a turn every few milliseconds.
    bool GetGuiDescriptors(std::vector<int>& fds) const;
    int GetMainResult() const noexcept { return mainResult; }

private:
    void* handle = nullptr;
    void (*guiHook)(int) = nullptr;
    int (*guiDescriptors)(int*, int) = nullptr;
    int mainResult = 0;
};

// Plays the host's scheduler thread: Run hands work to it and waits until it is done, so the
// caller's view of output order stays deterministic.
class SchedulerThread
{
public:
    SchedulerThread();
    ~SchedulerThread();
    SchedulerThread(SchedulerThread const&) = delete;
    SchedulerThread& operator=(SchedulerThread const&) = delete;

    void Run(std::function<void()> const& work);

private:
    struct State;
    State* state;
};

} // namespace maxhost
