#pragma once

// The stand-in host's text protocol: reading one input line into tokens, and writing atoms the
// way they read back. Pure text work; it never calls the host.

#include "maxhost_api.h"

#include <string>
#include <string_view>
#include <vector>

namespace maxhost
{

struct Token
{
    enum class Kind
    {
        Long,
        Float,
        Symbol,
        Semicolon,
        Comma,
        Dollar,      // $1 .. $9: longValue holds the digit
        DollarSymbol // $1x and the like: text holds the whole word
    };

    Kind kind = Kind::Symbol;
    long long longValue = 0;
    double floatValue = 0.0;
    // A symbol's text (unquoted, escapes resolved), else the word as written.
    std::string text;
};

struct ParsedLine
{
    enum class Kind
    {
        Blank,     // empty, blanks only, or a comment starting with '#'
        Directive, // "@name ...": name holds the word after '@'
        Message,   // tokens[0] is the selector, or a number that starts a list
        Malformed  // error says why
    };

    Kind kind = Kind::Blank;
    std::string name;
    std::vector<Token> tokens;
    std::string error;
};

// Splits text at blanks. "quoted text" is one symbol, in which \" and \\ stand for " and \.
// False with a reason for an unterminated quote or text glued to a closing quote.
bool Tokenize(std::string_view text, std::vector<Token>& tokens, std::string& error);
// Classifies one unquoted word.
Token ClassifyWord(std::string_view word);
ParsedLine ParseLine(std::string_view line);

// The shortest text that reads back as the same 32-bit float, with ".0" added where it would
// otherwise read as an integer.
std::string FormatFloat(float value);
std::string FormatDouble(double value);
// The text in double quotes, with " and \ escaped.
std::string Quote(std::string_view text);
// A symbol's text as it reads back as that one symbol: quoted when it holds blanks or quotes,
// is empty, or would read as something else.
std::string FormatSymbol(std::string_view text);
std::string FormatAtom(atom const& a);
// The selector and the atoms separated by blanks.
std::string FormatMessage(symbol const* selector, long argc, atom const* argv);

} // namespace maxhost
