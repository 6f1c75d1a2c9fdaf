#pragma once

// What the object's benchmarks share: mapping files written for them and, for those that drive the
// real bundle through the stand-in host in their own process, a listener that counts what leaves
// the outlets and notes when a file has been loaded.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#ifdef CCLINK_BUNDLE
#include "maxhost_control.h"
#endif

namespace cclinkbench
{

struct Mapping
{
    int channel;
    int controller;
    std::string pattern;
    float minimum;
    float maximum;
    float exponent;
};

// A file of count mappings, mapping(i) giving the i-th.
inline void WriteMappings(std::filesystem::path const& file, int count,
                          std::function<Mapping(int)> const& mapping)
{
    std::ofstream out(file);
    out << "<trov5.cclink>\n";
    for (int i = 0; i < count; ++i)
    {
        Mapping const m = mapping(i);
        out << "<mapping midichannel=\"" << m.channel << "\" midicontroller=\"" << m.controller
            << "\" pattern=\"" << m.pattern << "\" minrange=\"" << m.minimum << "\" maxrange=\"" << m.maximum
            << "\" exponent=\"" << m.exponent << "\"/>\n";
    }
    out << "</trov5.cclink>\n";
}

// The whole controller space as a user maps it: controllers 0 to 127 of channel 1, then of channel
// 2, and so on (beyond 2,048 mappings the channels start again), each to an address of its own.
inline Mapping ControllerSpace(int i)
{
    return {1 + (i / 128) % 16, i % 128, "/track/" + std::to_string(i + 1) + "/gain", -60.0f, 0.0f, 2.0f};
}

// The controller that an event sent to a table of count controller-space mappings changes: one
// mapping, in the middle of the first channel when there is one.
inline int ControllerHit(int count)
{
    return count > 64 ? 64 : 0;
}

#ifdef CCLINK_BUNDLE

class Sink : public maxhost::Listener
{
public:
    using Clock = std::chrono::steady_clock;

    void Outlet(object*, int, symbol*, long, atom const*) override { ++outputs; }
    void Console(object*, bool isError, char const* text) override
    {
        if (isError)
        {
            ++errors;
            std::fprintf(stderr, "error: %s\n", text);
        }
        else if (std::strstr(text, "properly loaded") != nullptr)
            loadedAt = Clock::now();
    }
    void HostNote(char const* text) override { std::fprintf(stderr, "host: %s\n", text); }

    long outputs = 0;
    long errors = 0;
    // When the last "file ... properly loaded" was posted.
    Clock::time_point loadedAt;
};

// The bundle, loaded once for the benchmark program with the sink as the host's listener, and a
// scratch folder for the files the benchmarks write.
class Session
{
public:
    bool Start(char const* program)
    {
        maxhost::SetMainThread();
        maxhost::SetListener(&sink);
        std::string error;
        if (!bundle.Load(CCLINK_BUNDLE, error) ||
            (cclinkClass = maxhost::FindClass("trov5.cclink")) == nullptr)
        {
            std::fprintf(stderr, "%s: cannot load the bundle: %s\n", program, error.c_str());
            return false;
        }
        std::string pattern = (std::filesystem::temp_directory_path() / "cclink-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            return false;
        folder = pattern;
        return true;
    }

    void Stop()
    {
        std::filesystem::remove_all(folder);
        bundle.Shutdown();
        maxhost::SetListener(nullptr);
    }

    Sink sink;
    maxhost::Bundle bundle;
    maxclass* cclinkClass = nullptr;
    std::filesystem::path folder;
};

#endif

} // namespace cclinkbench
