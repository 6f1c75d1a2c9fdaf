#include "text/QevXmlDocument.h"

#include "files/QevTextFileReader.h"
#include "memory/QevScopedPointer.h"

#include <cstdint>
#include <cstring>
#include <locale.h>
#include <utility>
#include <wctype.h>

namespace qev
{

namespace
{

inline bool isWhitespace(char c) noexcept
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

inline bool isDigit(char c) noexcept
{
    return c >= '0' && c <= '9';
}

struct AsciiIdentifierTable
{
    bool allowed[128] = {};
    constexpr AsciiIdentifierTable()
    {
        for (int c = 0; c < 128; ++c)
            allowed[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                         c == '_' || c == '-' || c == ':' || c == '.';
    }
};
constexpr AsciiIdentifierTable asciiIdentifiers;

// Names beyond ASCII are classified by Unicode whatever the process locale, so that one file
// reads the same in every host.
locale_t unicodeLocale() noexcept
{
    static locale_t const locale = []
    {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (l == static_cast<locale_t>(nullptr))
            l = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", static_cast<locale_t>(nullptr));
        return l;
    }();
    return locale;
}

bool isWideIdentifierCharacter(std::uint32_t c) noexcept
{
    if (c < 160 || c == 0xFFFD)
        return false;
    locale_t const locale = unicodeLocale();
    wint_t const w = static_cast<wint_t>(c);
    return locale != static_cast<locale_t>(nullptr) ? iswalnum_l(w, locale) != 0 : iswalnum(w) != 0;
}

bool equalsIgnoringAsciiCase(char const* a, char const* lowerCase, unsigned long length) noexcept
{
    for (unsigned long i = 0; i < length; ++i)
    {
        char c = a[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerCase[i])
            return false;
    }
    return true;
}

// NUL, surrogates and values past Unicode cannot be held in a valid UTF-8 text.
std::uint32_t sanitisedCodePoint(std::uint64_t value) noexcept
{
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
        return 0xFFFD;
    return static_cast<std::uint32_t>(value);
}

String textBetween(char const* begin, char const* end)
{
    return String(CharPointer_UTF8(begin), CharPointer_UTF8(end));
}

void appendBetween(String& text, char const* begin, char const* end)
{
    text.AppendCharPointer(CharPointer_UTF8(begin), CharPointer_UTF8(end));
}

} // namespace

//==============================================================================================
XmlDocument::XmlDocument(String text) : sourceText(std::move(text)) {}

XmlDocument::XmlDocument(File const& file) : sourceFile(file) {}

XmlElement* XmlDocument::Parse(File const& file)
{
    XmlDocument document(file);
    return document.getDocumentElement(false);
}

XmlElement* XmlDocument::ParseText(String const& text)
{
    XmlDocument document(text);
    return document.getDocumentElement(false);
}

XmlElement* XmlDocument::getDocumentElement(bool onlyReadOuterDocumentElement)
{
    if (sourceText.IsEmpty() && sourceFile.ExistsAsFile())
        sourceText = TextFileReader::ReadEntireFileAsString(sourceFile);

    // The text ends at its first NUL, as any C text would.
    char const* const begin = sourceText.GetCString();
    auto const* const nul = static_cast<char const*>(std::memchr(begin, 0, sourceText.GetLength()));
    return parseDocumentElement(begin, nul != nullptr ? nul : begin + sourceText.GetLength(),
                                onlyReadOuterDocumentElement);
}

XmlElement* XmlDocument::parseDocumentElement(char const* begin, char const* textEnd,
                                              bool onlyReadOuterDocumentElement)
{
    input = begin;
    end = textEnd;
    outOfData = false;
    errorOccurred = false;
    depth = 0;

    if (begin == textEnd)
    {
        lastError = "not enough input";
        return nullptr;
    }
    if (!parseHeader())
    {
        lastError = "malformed header";
        return nullptr;
    }
    if (!parseDTD())
    {
        lastError = "malformed DTD";
        return nullptr;
    }

    lastError.Clear();
    ScopedPointer<XmlElement> root(readNextElement(!onlyReadOuterDocumentElement));
    if (errorOccurred)
        return nullptr;
    return root.Release();
}

void XmlDocument::abortWith(String const& message)
{
    lastError = message;
    errorOccurred = true;
}

//==============================================================================================
bool XmlDocument::startsWith(char const* text, unsigned long length) const noexcept
{
    if (static_cast<unsigned long>(end - input) < length)
        return false;
    for (unsigned long i = 0; i < length; ++i)
        if (input[i] != text[i])
            return false;
    return true;
}

char const* XmlDocument::find(char const* from, char const* text, unsigned long length) const noexcept
{
    while (static_cast<unsigned long>(end - from) >= length)
    {
        auto const* const first =
            static_cast<char const*>(std::memchr(from, text[0], static_cast<std::size_t>(end - from)));
        if (first == nullptr || static_cast<unsigned long>(end - first) < length)
            return nullptr;
        if (std::memcmp(first, text, length) == 0)
            return first;
        from = first + 1;
    }
    return nullptr;
}

char const* XmlDocument::endOfIdentifier(char const* p) const noexcept
{
    while (p < end)
    {
        auto const c = static_cast<unsigned char>(*p);
        if (c < 128)
        {
            if (!asciiIdentifiers.allowed[c])
                break;
            ++p;
            continue;
        }
        auto const* q = reinterpret_cast<unsigned char const*>(p);
        if (!isWideIdentifierCharacter(
                XmlCharacters::readCodePoint(q, reinterpret_cast<unsigned char const*>(end))))
            break;
        p = reinterpret_cast<char const*>(q);
    }
    return p;
}

void XmlDocument::skipNextWhiteSpace()
{
    for (;;)
    {
        while (input < end && isWhitespace(*input))
            ++input;
        if (input == end)
        {
            outOfData = true;
            return;
        }
        if (*input != '<')
            return;
        if (startsWith("<!--", 4))
        {
            char const* const close = find(input + 4, "-->", 3);
            if (close == nullptr)
            {
                outOfData = true;
                return;
            }
            input = close + 3;
        }
        else if (startsWith("<?", 2))
        {
            char const* const close = find(input + 2, "?>", 2);
            if (close == nullptr)
            {
                outOfData = true;
                return;
            }
            input = close + 2;
        }
        else
            return;
    }
}

bool XmlDocument::parseHeader()
{
    skipNextWhiteSpace();
    // A complete declaration is already behind us: the skipping passes over "<?...?>".
    if (startsWith("<?xml", 5))
    {
        char const* const close = find(input + 5, "?>", 2);
        if (close == nullptr)
            return false;
        input = close + 2;
        skipNextWhiteSpace();
    }
    return true;
}

bool XmlDocument::parseDTD()
{
    if (!startsWith("<!DOCTYPE", 9))
        return true;
    input += 9;
    int nesting = 1;
    for (; input < end; ++input)
    {
        if (*input == '<')
            ++nesting;
        else if (*input == '>' && --nesting == 0)
        {
            ++input;
            return true;
        }
    }
    outOfData = true;
    return false;
}

//==============================================================================================
XmlElement* XmlDocument::readNextElement(bool alsoParseSubElements)
{
    skipNextWhiteSpace();
    if (outOfData || *input != '<')
        return nullptr;
    ++input;

    char const* nameEnd = endOfIdentifier(input);
    if (nameEnd == input)
    {
        skipNextWhiteSpace();
        nameEnd = outOfData ? input : endOfIdentifier(input);
        if (nameEnd == input)
        {
            abortWith("tag name missing");
            return nullptr;
        }
    }
    if (depth >= maxNestingDepth)
    {
        abortWith("elements nested too deeply");
        return nullptr;
    }

    ScopedPointer<XmlElement> element(new XmlElement(textBetween(input, nameEnd)));
    input = nameEnd;
    bool const hasContent = readAttributes(element->tagName);

    // Collected apart and moved in at once, so that an element's attributes take one allocation.
    element->attributes.reserve(pendingAttributes.size());
    for (XmlElement::Attribute& attribute : pendingAttributes)
        element->attributes.push_back(std::move(attribute));
    pendingAttributes.clear();

    if (hasContent && alsoParseSubElements)
    {
        ++depth;
        readChildElements(*element);
        --depth;
    }
    return element.Release();
}

bool XmlDocument::readAttributes(String const& tagName)
{
    pendingAttributes.clear();
    for (;;)
    {
        skipNextWhiteSpace();
        // A start tag cut short by the end of the text is a truncated document, not an element.
        if (outOfData)
        {
            abortWith("unmatched tags");
            return false;
        }

        char const c = *input;
        if (c == '/' && end - input >= 2 && input[1] == '>')
        {
            input += 2;
            return false;
        }
        if (c == '>')
        {
            ++input;
            return true;
        }

        char const* const attributeEnd = endOfIdentifier(input);
        if (attributeEnd == input)
        {
            auto const* p = reinterpret_cast<unsigned char const*>(input);
            std::uint32_t const code =
                XmlCharacters::readCodePoint(p, reinterpret_cast<unsigned char const*>(end));
            abortWith("illegal character found in " + tagName + ": '" + String(code) + "'");
            return false;
        }

        String name = textBetween(input, attributeEnd);
        input = attributeEnd;
        skipNextWhiteSpace();
        if (outOfData)
        {
            abortWith("unmatched tags");
            return false;
        }
        if (*input != '=')
        {
            abortWith("expected '=' after attribute '" + name + "'");
            return false;
        }
        ++input;
        skipNextWhiteSpace();
        if (outOfData)
        {
            abortWith("unmatched tags");
            return false;
        }
        if (*input != '"' && *input != '\'')
            return false; // an unquoted value ends the element, forgivingly, without error
        pendingAttributes.push_back({std::move(name), String()});
        if (!readQuotedString(pendingAttributes.back().value))
            return false;
    }
}

void XmlDocument::readChildElements(XmlElement& parent)
{
    while (!errorOccurred)
    {
        char const* const blockStart = input;
        skipNextWhiteSpace();
        if (outOfData)
        {
            abortWith("unmatched tags");
            return;
        }

        if (startsWith("</", 2))
        {
            auto const* const close = static_cast<char const*>(
                std::memchr(input + 2, '>', static_cast<std::size_t>(end - input - 2)));
            if (close == nullptr)
            {
                outOfData = true;
                abortWith("unmatched tags");
                return;
            }
            input = close + 1;
            return;
        }

        if (startsWith("<![CDATA[", 9))
        {
            char const* const close = find(input + 9, "]]>", 3);
            if (close == nullptr)
            {
                outOfData = true;
                abortWith("unterminated CDATA section");
                return;
            }
            parent.AddChildElement(XmlElement::CreateTextElement(textBetween(input + 9, close)));
            input = close + 3;
            continue;
        }

        if (*input == '<')
        {
            XmlElement* const child = readNextElement(true);
            if (child == nullptr)
                return;
            parent.AddChildElement(child);
            continue;
        }

        // Character data keeps the whitespace skipped above.
        input = blockStart;
        if (!readCharacterBlock(parent))
            return;
    }
}

bool XmlDocument::readCharacterBlock(XmlElement& parent)
{
    String text;
    for (;;)
    {
        if (input == end)
        {
            outOfData = true;
            abortWith("unmatched tags");
            return false;
        }

        char const c = *input;
        if (c == '<')
        {
            // Comments and processing instructions vanish, joining the text around them.
            if (startsWith("<!--", 4))
            {
                char const* const close = find(input + 4, "-->", 3);
                if (close == nullptr)
                {
                    outOfData = true;
                    abortWith("unterminated comment");
                    return false;
                }
                input = close + 3;
                continue;
            }
            if (startsWith("<?", 2))
            {
                char const* const close = find(input + 2, "?>", 2);
                if (close == nullptr)
                {
                    outOfData = true;
                    abortWith("unmatched tags");
                    return false;
                }
                input = close + 2;
                continue;
            }
            break;
        }

        if (c == '&')
        {
            String entity;
            readEntity(entity);
            if (outOfData)
            {
                abortWith("unmatched tags");
                return false;
            }
            if (entity.GetLength() > 1 && entity[0] == '<')
            {
                // An entity that expands to markup adds its elements to the parent.
                char const* const savedInput = input;
                char const* const savedEnd = end;
                input = entity.GetCString();
                end = input + entity.GetLength();
                while (!errorOccurred)
                {
                    XmlElement* const child = readNextElement(true);
                    if (child == nullptr)
                        break;
                    parent.AddChildElement(child);
                }
                input = savedInput;
                end = savedEnd;
                outOfData = false;
                if (errorOccurred)
                    return false;
            }
            else
                text.Append(entity);
            continue;
        }

        char const* run = input;
        while (run < end && *run != '<' && *run != '&')
            ++run;
        appendBetween(text, input, run);
        input = run;
    }

    if (!ignoreEmptyTextElements || text.ContainsNonWhitespaceCharacters())
        parent.AddChildElement(XmlElement::CreateTextElement(text));
    return true;
}

//==============================================================================================
bool XmlDocument::readQuotedString(String& result)
{
    char const quote = *input++;
    for (;;)
    {
        if (input == end)
        {
            outOfData = true;
            abortWith("unmatched quotes");
            return false;
        }
        char const c = *input;
        if (c == quote)
        {
            ++input;
            return true;
        }
        if (c == '&')
        {
            readEntity(result);
            if (outOfData)
            {
                abortWith("unmatched quotes");
                return false;
            }
            continue;
        }
        char const* run = input;
        while (run < end && *run != quote && *run != '&')
            ++run;
        appendBetween(result, input, run);
        input = run;
    }
}

void XmlDocument::readEntity(String& result)
{
    ++input; // the "&"
    auto const available = static_cast<unsigned long>(end - input);

    struct NamedEntity
    {
        char const* name;
        unsigned long length;
        char character;
    };
    static constexpr NamedEntity namedEntities[] = {
        {"amp;", 4, '&'}, {"quot;", 5, '"'}, {"apos;", 5, '\''}, {"lt;", 3, '<'}, {"gt;", 3, '>'}};
    for (NamedEntity const& entity : namedEntities)
    {
        if (available >= entity.length && equalsIgnoringAsciiCase(input, entity.name, entity.length))
        {
            input += entity.length;
            result.Append(entity.character);
            return;
        }
    }

    if (available >= 1 && *input == '#')
    {
        if (available >= 2 && (input[1] == 'x' || input[1] == 'X'))
        {
            input += 2;
            readNumericReference(result, true);
            return;
        }
        if (available >= 2 && isDigit(input[1]))
        {
            input += 1;
            readNumericReference(result, false);
            return;
        }
        // The "#" is dropped with the reference.
        lastError = "illegal escape sequence";
        result.Append('&');
        ++input;
        return;
    }

    // Any other name reads as itself; without a ";" to end it the document has run out.
    auto const* const semicolon = static_cast<char const*>(std::memchr(input, ';', available));
    if (semicolon == nullptr)
    {
        outOfData = true;
        result.Append('&');
        return;
    }
    appendBetween(result, input, semicolon);
    input = semicolon + 1;
}

void XmlDocument::readNumericReference(String& result, bool hexadecimal)
{
    // At most 8 hexadecimal or 12 decimal digits, so the value always fits in 64 bits.
    int const maxDigits = hexadecimal ? 8 : 12;
    std::uint64_t value = 0;
    int digits = 0;
    for (;;)
    {
        if (input == end)
        {
            // Cut short by the end of the text: the caller reports the truncation.
            lastError = "illegal escape sequence";
            return;
        }
        char const c = *input;
        if (c == ';')
            break;
        int const digit = hexadecimal ? Characters::GetHexDigitValue(static_cast<unsigned char>(c))
                                      : (isDigit(c) ? c - '0' : -1);
        if (digit < 0 || ++digits > maxDigits)
        {
            // Malformed but not fatal: the offending character is dropped with the reference.
            lastError = "illegal escape sequence";
            break;
        }
        value = value * (hexadecimal ? 16u : 10u) + static_cast<std::uint64_t>(digit);
        ++input;
    }
    auto const* p = reinterpret_cast<unsigned char const*>(input);
    XmlCharacters::readCodePoint(p, reinterpret_cast<unsigned char const*>(end));
    input = reinterpret_cast<char const*>(p);
    XmlCharacters::appendCodePoint(result, sanitisedCodePoint(value));
}

} // namespace qev
