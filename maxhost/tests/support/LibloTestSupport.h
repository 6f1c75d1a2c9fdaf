#pragma once

// Reads packets with liblo, an implementation of the protocol independent of ours.

#include <cstddef>
#include <lo/lo.h>
#include <string>
#include <vector>

namespace hosttest
{

// One line for each message liblo finds in the packet, as describe(path, types, argv, argc) writes
// it; refusal ends the lines when liblo does not take the whole packet.
template <typename Describe>
std::vector<std::string> LibloLines(void const* data, std::size_t size, char const* refusal,
                                    Describe const& describe)
{
    struct Found
    {
        std::vector<std::string> lines;
        Describe const& describe;
    } found{{}, describe};
    lo_server const server = lo_server_new_with_proto(nullptr, LO_UDP, [](int, char const*, char const*) {});
    if (server == nullptr)
        return {"(no liblo server)"};
    lo_server_add_method(
        server, nullptr, nullptr,
        [](char const* path, char const* types, lo_arg** argv, int argc, lo_message, void* user)
        {
            auto* const into = static_cast<Found*>(user);
            into->lines.push_back(into->describe(path, types, argv, argc));
            return 0;
        },
        &found);
    // liblo wants bytes it may write to.
    std::vector<char> copy(static_cast<char const*>(data), static_cast<char const*>(data) + size);
    if (lo_server_dispatch_data(server, copy.data(), copy.size()) != static_cast<int>(copy.size()))
        found.lines.push_back(refusal);
    lo_server_free(server);
    return found.lines;
}

} // namespace hosttest
