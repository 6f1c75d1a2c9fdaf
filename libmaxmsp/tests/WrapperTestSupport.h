#pragma once

// An in-process host session for the wrapper's tests: one registered class whose objects have a
// single outlet, and a listener that records what the host would show.

#include "HostProtocol.h"
#include "HostTestSupport.h"
#include "maxhost_control.h"

#include <string>
#include <vector>

namespace wrappertest
{

struct Record
{
    object header;
    void* out;
};

struct Capture : hosttest::LineCapture
{
    Capture() { maxhost::SetListener(this); }
    ~Capture() override { maxhost::SetListener(nullptr); }

    void Outlet(object*, int, symbol* selector, long argc, atom const* argv) override
    {
        std::string line = "outlet: " + maxhost::FormatMessage(selector, argc, argv);
        if (std::string(selector->s_name) == "FullPacket" && argc == 2)
        {
            // The packet lives only during this call: keep a copy.
            auto const* const bytes =
                reinterpret_cast<char const*>(static_cast<std::uintptr_t>(argv[1].a_w.w_long));
            packets.emplace_back(bytes, bytes + argv[0].a_w.w_long);
            line = "outlet: FullPacket " + std::to_string(argv[0].a_w.w_long);
        }
        Add(line);
    }
    void Console(object* owner, bool isError, char const* text) override
    {
        Add(std::string(isError ? "error" : "post") + (owner != nullptr ? " (owned): " : ": ") + text);
    }

    std::vector<std::string> packets;
};

inline maxclass* testClass()
{
    static maxclass* const c = []
    {
        auto const creator = +[](symbol*, short, atom*) -> void*
        {
            auto* const x = static_cast<Record*>(object_alloc(testClass()));
            x->out = outlet_new(x, nullptr);
            return x;
        };
        maxclass* const made = class_new("wrappertest", reinterpret_cast<method>(creator), nullptr,
                                         sizeof(Record), nullptr, A_GIMME, 0);
        class_register(gensym("box"), made);
        return made;
    }();
    return c;
}

// One object for the duration of a test.
struct TestObject
{
    TestObject() : x(reinterpret_cast<Record*>(maxhost::NewObject(testClass()))) {}
    ~TestObject() { maxhost::FreeObject(&x->header); }
    Record* x;
};

inline atom longAtom(atom_long v)
{
    atom a{};
    atom_setlong(&a, v);
    return a;
}

inline atom floatAtom(double v)
{
    atom a{};
    atom_setfloat(&a, v);
    return a;
}

inline atom symbolAtom(char const* text)
{
    atom a{};
    atom_setsym(&a, gensym(text));
    return a;
}

inline atom typedAtom(short type)
{
    atom a{};
    a.a_type = type;
    if (type == A_DOLLAR)
        a.a_w.w_long = 1;
    if (type == A_DOLLSYM)
        a.a_w.w_sym = gensym("$1x");
    return a;
}

} // namespace wrappertest
