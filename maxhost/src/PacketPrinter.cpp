#include "PacketPrinter.h"

#include "HostProtocol.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <lo/lo.h>

namespace maxhost
{

namespace
{

struct Decoding
{
    std::vector<std::string>* lines = nullptr;
    int depth = 0;
};

std::string hexOf(unsigned char const* bytes, std::size_t count)
{
    std::string text = "0x";
    char digits[3];
    for (std::size_t i = 0; i < count; ++i)
    {
        std::snprintf(digits, sizeof digits, "%02x", bytes[i]);
        text += digits;
    }
    return text;
}

// liblo aligns arguments to 4 bytes only: values are copied out, never read through the union.
std::string valueText(char tag, lo_arg* argument)
{
    void const* const data = argument;
    switch (tag)
    {
    case 'i':
    {
        std::int32_t v;
        std::memcpy(&v, data, sizeof v);
        return std::to_string(v);
    }
    case 'h':
    {
        std::int64_t v;
        std::memcpy(&v, data, sizeof v);
        return std::to_string(v);
    }
    case 'f':
    {
        float v;
        std::memcpy(&v, data, sizeof v);
        return FormatFloat(v);
    }
    case 'd':
    {
        double v;
        std::memcpy(&v, data, sizeof v);
        return FormatDouble(v);
    }
    case 's':
    case 'S':
        return Quote(static_cast<char const*>(data));
    case 'c':
    {
        std::int32_t v;
        std::memcpy(&v, data, sizeof v);
        return std::to_string(v);
    }
    case 'b':
        return hexOf(static_cast<unsigned char const*>(lo_blob_dataptr(reinterpret_cast<lo_blob>(argument))),
                     lo_blob_datasize(reinterpret_cast<lo_blob>(argument)));
    case 'm':
        return hexOf(static_cast<unsigned char const*>(data), 4);
    case 't':
        return hexOf(static_cast<unsigned char const*>(data), 8);
    default: // T, F, N, I: the tag says it all
        return {};
    }
}

int onMessage(char const* path, char const* types, lo_arg** argv, int argc, lo_message, void* user)
{
    auto* const state = static_cast<Decoding*>(user);
    std::string line(static_cast<std::size_t>(2 * (state->depth > 0 ? state->depth : 1)), ' ');
    line += path;
    if (argc > 0)
    {
        line += ' ';
        line += types;
    }
    for (int i = 0; i < argc; ++i)
    {
        std::string const value = valueText(types[i], argv[i]);
        if (!value.empty())
            line += ' ' + value;
    }
    state->lines->push_back(line);
    return 0;
}

int onBundleStart(lo_timetag, void* user)
{
    ++static_cast<Decoding*>(user)->depth;
    return 0;
}

int onBundleEnd(void* user)
{
    --static_cast<Decoding*>(user)->depth;
    return 0;
}

thread_local std::string* lastError = nullptr;

void onError(int number, char const* message, char const* where)
{
    if (lastError != nullptr)
        *lastError = "error " + std::to_string(number) + (message ? std::string(": ") + message : "") +
                     (where ? std::string(" (") + where + ")" : "");
}

} // namespace

struct PacketPrinter::State
{
    lo_server server = nullptr;
    Decoding decoding;
};

PacketPrinter::PacketPrinter() : state(new State) {}

PacketPrinter::~PacketPrinter()
{
    if (state->server != nullptr)
        lo_server_free(state->server);
    delete state;
}

std::vector<std::string> PacketPrinter::Decode(void const* data, std::size_t size)
{
    std::vector<std::string> lines;
    std::string error;
    lastError = &error;
    if (state->server == nullptr)
    {
        // liblo decodes bundles only inside a server; its socket is never read.
        state->server = lo_server_new_with_proto(nullptr, LO_UDP, onError);
        if (state->server == nullptr)
        {
            lines.push_back("  liblo: cannot make a server, packet not decoded" +
                            (error.empty() ? std::string() : " (" + error + ")"));
            lastError = nullptr;
            return lines;
        }
        lo_server_add_method(state->server, nullptr, nullptr, onMessage, &state->decoding);
        lo_server_add_bundle_handlers(state->server, onBundleStart, onBundleEnd, &state->decoding);
    }
    // liblo may work on the bytes in place: give it a copy.
    std::vector<char> copy(static_cast<char const*>(data), static_cast<char const*>(data) + size);
    state->decoding.lines = &lines;
    state->decoding.depth = 0;
    int const used = lo_server_dispatch_data(state->server, copy.data(), copy.size());
    if (used != static_cast<int>(size))
        lines.push_back("  liblo: packet refused" + (error.empty() ? std::string() : " (" + error + ")"));
    state->decoding.lines = nullptr;
    lastError = nullptr;
    return lines;
}

} // namespace maxhost
