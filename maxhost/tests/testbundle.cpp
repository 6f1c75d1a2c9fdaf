// A small bundle for testing the host: it registers the class "hosttest" (after a class
// "hosttest.other", so that the host must pick the class named like the bundle) and uses every
// operation of the host interface. Built with MAXHOST_TESTBUNDLE_EMPTY, its main registers nothing.

#include "maxhost_api.h"
#include "maxhost_gui_hook.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

#define EXPORTED __attribute__((visibility("default")))

namespace
{

struct HostTest
{
    object header;
    outlet* left;
    outlet* middle;
    qelem* element;
    atom_long level;  // attribute, clipped to 0..10, default 3
    atom_long secret; // attribute the user may not set
    long taskRuns;
};

maxclass* hostTestClass = nullptr;
int idleTurns = 0;
// "later": when it was asked, the thread that queues the task, and when the task last ran.
std::chrono::steady_clock::time_point laterAsked, taskRan;
std::thread laterThread;

void* hosttest_new(symbol*, short argc, atom* argv)
{
    if (argc > 0 && atom_getsym(argv) == gensym("fail"))
    {
        object_error(nullptr, "hosttest: refusing to be made");
        object_alloc(hostTestClass); // the host reclaims what a failed creator allocated
        return nullptr;
    }
    auto* const x = static_cast<HostTest*>(object_alloc(hostTestClass));
    if (x == nullptr)
        return nullptr;
    object_obex_store(x, gensym("dumpout"), static_cast<object*>(outlet_new(x, nullptr)));
    x->middle = outlet_new(x, nullptr);
    x->left = outlet_new(x, nullptr);
    x->element =
        qelem_new(x, reinterpret_cast<method>(+[](HostTest* self)
                                              {
                                                  ++self->taskRuns;
                                                  taskRan = std::chrono::steady_clock::now();
                                                  object_post(&self->header, "task ran on main: %d, runs %ld",
                                                              systhread_ismainthread(), self->taskRuns);
                                              }));
    return x;
}

void hosttest_free(HostTest* x)
{
    if (laterThread.joinable())
        laterThread.join();
    object_post(&x->header, "freed with level %lld", x->level);
    qelem_free(x->element);
}

void hosttest_bang(HostTest* x)
{
    outlet_anything(x->left, gensym("bang"), 0, nullptr);
}

void hosttest_anything(HostTest* x, symbol* s, long argc, atom* argv)
{
    outlet_anything(x->left, s, static_cast<short>(argc), argv);
}

void hosttest_list(HostTest* x, symbol* s, long argc, atom* argv)
{
    outlet_list(x->middle, s, static_cast<short>(argc), argv);
}

void hosttest_where(HostTest* x)
{
    object_post(&x->header, "main thread: %d", systhread_ismainthread());
}

void hosttest_qset(HostTest* x, symbol*, long argc, atom* argv)
{
    atom_long const times = argc > 0 ? atom_getlong(argv) : 1;
    for (atom_long i = 0; i < times; ++i)
        qelem_set(x->element);
}

void hosttest_deferred(HostTest* x, symbol* s, long argc, atom* argv)
{
    object_post(&x->header, "deferred %s on main: %d", s->s_name, systhread_ismainthread());
    outlet_anything(x->left, s, static_cast<short>(argc), argv);
}

void hosttest_defer(HostTest* x, symbol* s, long argc, atom* argv)
{
    // The host must copy the message: this array is gone before the call runs.
    atom copy[8];
    long const n = argc < 8 ? argc : 8;
    if (n > 0)
        std::memcpy(copy, argv, sizeof(atom) * static_cast<std::size_t>(n));
    defer_medium(x, reinterpret_cast<method>(hosttest_deferred), s, n, copy);
    std::memset(copy, 0, sizeof copy);
}

void hosttest_error(HostTest* x, symbol*, long argc, atom*)
{
    object_error(&x->header, "something went wrong with %ld atoms ", argc);
}

void hosttest_open(HostTest* x)
{
    char name[HOST_FILENAME_CHARS] = {};
    char path[HOST_PATH_CHARS] = {};
    short folder = 0;
    long type = 0;
    if (open_dialog(name, &folder, &type, nullptr, 0) != 0)
        object_post(&x->header, "open cancelled");
    else if (path_topathname(folder, name, path) != 0)
        object_post(&x->header, "open: no path for %s", name);
    else
        object_post(&x->header, "open chose %s", path);
}

void hosttest_save(HostTest* x)
{
    char name[HOST_FILENAME_CHARS] = "file.xml";
    char path[HOST_PATH_CHARS] = {};
    short folder = 0;
    long type = 0;
    long types[] = {0x54455854}; // 'TEXT'
    if (saveasdialog_extended(name, &folder, &type, types, 1) != 0)
        object_post(&x->header, "save cancelled");
    else if (path_topotentialname(folder, name, path, 0) != 0)
        object_post(&x->header, "save: no path for %s", name);
    else
        object_post(&x->header, "save chose %s (type %s)", path, type == types[0] ? "TEXT" : "?");
}

void put32(std::string& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((v >> shift) & 0xFF);
}

void putText(std::string& out, char const* text)
{
    out.append(text);
    out.append(4 - std::strlen(text) % 4, '\0');
}

std::string message(char const* address, char const* tags, std::string const& arguments)
{
    std::string m;
    putText(m, address);
    putText(m, tags);
    return m + arguments;
}

std::string bundle(std::initializer_list<std::string> elements)
{
    std::string b;
    putText(b, "#bundle");
    put32(b, 0);
    put32(b, 1);
    for (std::string const& e : elements)
    {
        put32(b, static_cast<std::uint32_t>(e.size()));
        b += e;
    }
    return b;
}

// A hand-made packet with a nested bundle, or a broken one.
void hosttest_packet(HostTest* x, symbol*, long argc, atom* argv)
{
    std::string args;
    put32(args, 1);
    float const half = 0.5f;
    std::uint32_t bits;
    std::memcpy(&bits, &half, 4);
    put32(args, bits);
    putText(args, "hi there");
    std::string packet = bundle({message("/a", ",ifs", args), bundle({message("/nested/b", ",", "")})});
    if (argc > 0 && atom_getsym(argv) == gensym("broken"))
        packet.resize(packet.size() - 6);
    atom announce[2];
    atom_setlong(&announce[0], static_cast<atom_long>(packet.size()));
    atom_setlong(&announce[1], static_cast<atom_long>(reinterpret_cast<std::uintptr_t>(packet.data())));
    outlet_anything(x->left, gensym("FullPacket"), 2, announce);
}

// An exception escaping into the host.
void hosttest_throw(HostTest*)
{
    throw std::runtime_error("boom");
}

void hosttest_idles(HostTest* x)
{
    object_post(&x->header, "idle turns: %s", idleTurns == 0 ? "none" : idleTurns == 1 ? "one" : "several");
    idleTurns = 0;
}

// "later N": another thread queues the task N ms later, whatever the main thread does then.
// "later A B": whether the task ran within A ms of that, and whether B ms have passed.
void hosttest_later(HostTest* x, symbol*, long argc, atom* argv)
{
    if (laterThread.joinable())
        laterThread.join();
    auto const ms = [&](long i) { return std::chrono::milliseconds(argc > i ? atom_getlong(argv + i) : 0); };
    if (argc < 2)
    {
        laterAsked = std::chrono::steady_clock::now();
        laterThread = std::thread([x, wait = ms(0)] { std::this_thread::sleep_for(wait), qelem_set(x->element); });
        return;
    }
    object_post(&x->header, "queued task ran within %lld ms: %d; %lld ms passed: %d", atom_getlong(argv),
                taskRan > laterAsked && taskRan - laterAsked < ms(0), atom_getlong(argv + 1),
                std::chrono::steady_clock::now() - laterAsked >= ms(1));
}

void hosttest_assist(HostTest*, void*, long io, long index, char* text)
{
    if (io == 1)
        std::strcpy(text, "inlet");
    else if (io == 2)
        std::strcpy(text, index == 0 ? "left" : index == 1 ? "middle" : "dumpout");
}

void hosttest_dblclick(HostTest* x)
{
    object_post(&x->header, "double-clicked");
}

template <typename Function> method asMethod(Function f)
{
    return reinterpret_cast<method>(f);
}

} // namespace

extern "C" EXPORTED void maxhost_gui_hook(int event)
{
    if (event == MAXHOST_GUI_IDLE)
        ++idleTurns;
    else if (event == MAXHOST_GUI_SHUTDOWN)
        object_post(nullptr, "gui shut down");
}

#ifdef MAXHOST_TESTBUNDLE_EMPTY
constexpr bool registersClasses = false;
#else
constexpr bool registersClasses = true;
#endif

EXPORTED int main()
{
    if (!registersClasses)
        return 0;
    common_symbols_init();
    maxclass* const other =
        class_new("hosttest.other", asMethod(hosttest_new), nullptr, sizeof(object), nullptr, A_GIMME, 0);
    class_register(gensym("box"), other);

    maxclass* const c = class_new("hosttest", asMethod(hosttest_new), asMethod(hosttest_free),
                                  sizeof(HostTest), nullptr, A_GIMME, 0);
    class_addmethod(c, asMethod(hosttest_assist), "assist", A_CANT, 0);
    class_addmethod(c, asMethod(hosttest_dblclick), "dblclick", A_CANT, 0);
    class_addmethod(c, asMethod(hosttest_bang), "bang", 0);
    class_addmethod(c, asMethod(hosttest_anything), "anything", A_GIMME, 0);
    class_addmethod(c, asMethod(hosttest_list), "list", A_GIMME, 0);
    class_addmethod(c, asMethod(hosttest_where), "where", 0);
    class_addmethod(c, asMethod(hosttest_qset), "qset", A_GIMME, 0);
    class_addmethod(c, asMethod(hosttest_defer), "defer", A_GIMME, 0);
    class_addmethod(c, asMethod(hosttest_error), "error", A_GIMME, 0);
    class_addmethod(c, asMethod(hosttest_open), "open", 0);
    class_addmethod(c, asMethod(hosttest_save), "save", 0);
    class_addmethod(c, asMethod(hosttest_packet), "packet", A_GIMME, 0);
    class_addmethod(c, asMethod(hosttest_idles), "idles", 0);
    class_addmethod(c, asMethod(hosttest_throw), "throw", 0);
    class_addmethod(c, asMethod(hosttest_later), "later", A_GIMME, 0);
    if (class_addmethod(c, asMethod(hosttest_where), "typed", A_LONG, 0) != 0)
        object_post(nullptr, "typed method refused");

    class_addattr(c,
                  attr_offset_new("level", gensym("long"), 0, nullptr, nullptr, offsetof(HostTest, level)));
    object* const level = class_attr_get(c, gensym("level"));
    attr_addfilter_clip(level, 0.0, 10.0, 1, 1);
    class_attr_addattr_parse(c, "level", "default",
                             static_cast<symbol*>(object_method(level, gensym("gettype"))), 0x4000000, "3");
    class_addattr(
        c, attr_offset_new("secret", gensym("long"), 0x200, nullptr, nullptr, offsetof(HostTest, secret)));
    if (class_addattr(c, attr_offset_new("outside", gensym("long"), 0, nullptr, nullptr, sizeof(HostTest))) !=
        0)
        object_post(nullptr, "attribute outside the record refused");

    class_parameter_init(c);
    class_register(gensym("box"), c);
    hostTestClass = c;
    object_post(nullptr, "hosttest loaded, host version %x", maxversion());
    return 0;
}
