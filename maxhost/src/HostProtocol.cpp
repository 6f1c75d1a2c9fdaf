#include "HostProtocol.h"

#include <charconv>
#include <cstdio>

namespace maxhost
{

namespace
{

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// [+-]digits
bool isIntegerWord(std::string_view w)
{
    std::size_t i = (!w.empty() && (w[0] == '+' || w[0] == '-')) ? 1 : 0;
    if (i == w.size())
        return false;
    for (; i < w.size(); ++i)
        if (!isDigit(w[i]))
            return false;
    return true;
}

// [+-] (digits [. digits*] | . digits) [e [+-] digits], with a '.' or an exponent.
bool isFloatWord(std::string_view w)
{
    std::size_t i = (!w.empty() && (w[0] == '+' || w[0] == '-')) ? 1 : 0;
    std::size_t mantissaDigits = 0;
    bool point = false;
    for (; i < w.size() && isDigit(w[i]); ++i)
        ++mantissaDigits;
    if (i < w.size() && w[i] == '.')
    {
        point = true;
        for (++i; i < w.size() && isDigit(w[i]); ++i)
            ++mantissaDigits;
    }
    if (mantissaDigits == 0)
        return false;
    bool exponent = false;
    if (i < w.size() && (w[i] == 'e' || w[i] == 'E'))
    {
        ++i;
        if (i < w.size() && (w[i] == '+' || w[i] == '-'))
            ++i;
        std::size_t digits = 0;
        for (; i < w.size() && isDigit(w[i]); ++i)
            ++digits;
        if (digits == 0)
            return false;
        exponent = true;
    }
    return i == w.size() && (point || exponent);
}

std::string_view withoutPlus(std::string_view w)
{
    return (!w.empty() && w[0] == '+') ? w.substr(1) : w;
}

Token symbolToken(std::string_view text)
{
    Token t;
    t.kind = Token::Kind::Symbol;
    t.text.assign(text);
    return t;
}

// Adds ".0" to a number text that would otherwise read back as an integer.
std::string asFloatText(char const* begin, char const* end)
{
    std::string text(begin, end);
    if (text.find_first_of(".en") == std::string::npos)
        text += ".0";
    return text;
}

} // namespace

Token ClassifyWord(std::string_view word)
{
    Token t;
    t.text.assign(word);
    if (word == ";")
    {
        t.kind = Token::Kind::Semicolon;
        return t;
    }
    if (word == ",")
    {
        t.kind = Token::Kind::Comma;
        return t;
    }
    if (word.size() >= 2 && word[0] == '$' && word[1] >= '1' && word[1] <= '9')
    {
        t.kind = word.size() == 2 ? Token::Kind::Dollar : Token::Kind::DollarSymbol;
        t.longValue = word[1] - '0';
        return t;
    }
    std::string_view const digits = withoutPlus(word);
    if (isIntegerWord(word))
    {
        long long value = 0;
        auto const [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error == std::errc() && end == digits.data() + digits.size())
        {
            t.kind = Token::Kind::Long;
            t.longValue = value;
            return t;
        }
        // Beyond 64 bits: kept as a float rather than wrapped.
    }
    if (isIntegerWord(word) || isFloatWord(word))
    {
        double value = 0.0;
        auto const [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error == std::errc() && end == digits.data() + digits.size())
        {
            t.kind = Token::Kind::Float;
            t.floatValue = value;
            return t;
        }
    }
    t.kind = Token::Kind::Symbol;
    return t;
}

bool Tokenize(std::string_view text, std::vector<Token>& tokens, std::string& error)
{
    std::size_t i = 0;
    while (i < text.size())
    {
        if (isBlank(text[i]))
        {
            ++i;
            continue;
        }
        if (text[i] == '"')
        {
            std::string content;
            ++i;
            bool closed = false;
            while (i < text.size())
            {
                char const c = text[i++];
                if (c == '"')
                {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < text.size() && (text[i] == '"' || text[i] == '\\'))
                    content += text[i++];
                else
                    content += c;
            }
            if (!closed)
            {
                error = "unterminated quote";
                return false;
            }
            if (i < text.size() && !isBlank(text[i]))
            {
                error = "text right after a closing quote";
                return false;
            }
            tokens.push_back(symbolToken(content));
            continue;
        }
        std::size_t const start = i;
        while (i < text.size() && !isBlank(text[i]))
            ++i;
        tokens.push_back(ClassifyWord(text.substr(start, i - start)));
    }
    return true;
}

ParsedLine ParseLine(std::string_view line)
{
    ParsedLine result;
    std::size_t first = 0;
    while (first < line.size() && isBlank(line[first]))
        ++first;
    if (first == line.size() || line[first] == '#')
        return result;
    std::string_view rest = line.substr(first);
    if (rest[0] == '@')
    {
        std::size_t end = 1;
        while (end < rest.size() && !isBlank(rest[end]))
            ++end;
        result.name.assign(rest.substr(1, end - 1));
        rest = rest.substr(end);
        result.kind = ParsedLine::Kind::Directive;
    }
    else
        result.kind = ParsedLine::Kind::Message;
    if (!Tokenize(rest, result.tokens, result.error))
    {
        result.kind = ParsedLine::Kind::Malformed;
        result.tokens.clear();
    }
    return result;
}

std::string FormatFloat(float value)
{
    char buffer[64];
    auto const [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc())
        return "nan";
    return asFloatText(buffer, end);
}

std::string FormatDouble(double value)
{
    char buffer[64];
    auto const [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc())
        return "nan";
    return asFloatText(buffer, end);
}

std::string Quote(std::string_view text)
{
    std::string quoted = "\"";
    for (char const c : text)
    {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string FormatSymbol(std::string_view text)
{
    bool plain = !text.empty() && text[0] != '"' && text[0] != '#' && text[0] != '@';
    for (std::size_t i = 0; plain && i < text.size(); ++i)
        if (isBlank(text[i]))
            plain = false;
    if (plain && ClassifyWord(text).kind != Token::Kind::Symbol)
        plain = false;
    return plain ? std::string(text) : Quote(text);
}

std::string FormatAtom(atom const& a)
{
    switch (a.a_type)
    {
    case A_LONG:
        return std::to_string(a.a_w.w_long);
    case A_FLOAT:
        return FormatFloat(static_cast<float>(a.a_w.w_float));
    case A_SYM:
        return FormatSymbol(a.a_w.w_sym != nullptr ? a.a_w.w_sym->s_name : "");
    case A_SEMI:
        return ";";
    case A_COMMA:
        return ",";
    case A_DOLLAR:
        return "$" + std::to_string(a.a_w.w_long);
    case A_DOLLSYM:
        return a.a_w.w_sym != nullptr ? a.a_w.w_sym->s_name : "$";
    case A_OBJ:
        return "<object>";
    case A_NOTHING:
        return "<nothing>";
    default:
        return "<type " + std::to_string(a.a_type) + ">";
    }
}

std::string FormatMessage(symbol const* selector, long argc, atom const* argv)
{
    std::string text = FormatSymbol(selector != nullptr ? selector->s_name : "");
    for (long i = 0; argv != nullptr && i < argc; ++i)
    {
        text += ' ';
        text += FormatAtom(argv[i]);
    }
    return text;
}

} // namespace maxhost
