#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace maxhost
{

// Decodes one binary OSC packet with liblo, an implementation independent of ours, so that what
// the host prints proves the bytes are real OSC. One line per message: two blanks per bundle
// level (two for a lone message), the address, the type tags and the values. A packet liblo
// refuses gives a line saying so after whatever it had decoded.
class PacketPrinter
{
public:
    PacketPrinter();
    ~PacketPrinter();
    PacketPrinter(PacketPrinter const&) = delete;
    PacketPrinter& operator=(PacketPrinter const&) = delete;

    std::vector<std::string> Decode(void const* data, std::size_t size);

private:
    struct State;
    State* state;
};

} // namespace maxhost
