#include "HostProtocol.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Protocol lines come from users' scripts: any bytes must parse or be refused, and every symbol
// token must print back as text that reads as that same one symbol.
extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    std::string_view const line(reinterpret_cast<char const*>(data), size);
    maxhost::ParsedLine const parsed = maxhost::ParseLine(line);
    for (maxhost::Token const& token : parsed.tokens)
    {
        if (token.kind != maxhost::Token::Kind::Symbol)
            continue;
        std::vector<maxhost::Token> again;
        std::string error;
        if (!maxhost::Tokenize(maxhost::FormatSymbol(token.text), again, error) || again.size() != 1 ||
            again[0].kind != maxhost::Token::Kind::Symbol || again[0].text != token.text)
            __builtin_trap();
    }
    return 0;
}
