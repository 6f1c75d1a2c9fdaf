#include "text/QevXmlElement.h"

#include "common/QevApiInfos.h"
#include "files/QevFileWriter.h"
#include "files/QevMemoryOutputStream.h"
#include "files/QevTemporaryFile.h"
#include "text/QevDate.h"

#include <utility>
#include <vector>

namespace qev
{

namespace
{

// Bit n of byte k: code point 8k + n is written as itself. Space and 0x21-0x7E except " & < > ^ `.
constexpr unsigned char legalCharacters[16] = {0x00, 0x00, 0x00, 0x00, 0xBB, 0xFF, 0xFF, 0xAF,
                                               0xFF, 0xFF, 0xFF, 0xBF, 0xFE, 0xFF, 0xFF, 0x7F};

inline bool isLegalXmlCharacter(unsigned char c) noexcept
{
    return c < 128 && (legalCharacters[c >> 3] & (1u << (c & 7))) != 0;
}

inline void writeBytes(MemoryOutputStream& stream, char const* bytes, unsigned long count)
{
    stream.Write(bytes, count);
}

template <unsigned long N> inline void writeLiteral(MemoryOutputStream& stream, char const (&text)[N])
{
    stream.Write(text, N - 1);
}

inline void writeText(MemoryOutputStream& stream, String const& text)
{
    stream.Write(text.GetCString(), text.GetLength());
}

inline void writeNewLine(MemoryOutputStream& stream)
{
    writeLiteral(stream, "\r\n");
}

inline void writeSpaces(MemoryOutputStream& stream, int count)
{
    if (count > 0)
        stream.WriteRepeatedByte(' ', static_cast<unsigned long>(count));
}

void writeCharacterReference(MemoryOutputStream& stream, std::uint32_t codePoint)
{
    char buffer[16];
    char* p = buffer + sizeof buffer;
    *--p = ';';
    do
    {
        *--p = static_cast<char>('0' + codePoint % 10);
        codePoint /= 10;
    } while (codePoint != 0);
    *--p = '#';
    *--p = '&';
    writeBytes(stream, p, static_cast<unsigned long>(buffer + sizeof buffer - p));
}

String const& emptyText() noexcept
{
    return String::Empty();
}

} // namespace

//==============================================================================================
namespace XmlCharacters
{

std::uint32_t readCodePoint(unsigned char const*& p, unsigned char const* end) noexcept
{
    unsigned int const lead = *p++;
    if (lead < 0x80)
        return lead;

    unsigned int remaining = 0;
    std::uint32_t codePoint = 0;
    // The second byte's range also rules out overlong forms, surrogates and values past U+10FFFF.
    unsigned int low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
    {
        remaining = 1;
        codePoint = lead & 0x1F;
    }
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        remaining = 2;
        codePoint = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        remaining = 3;
        codePoint = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    }
    else
        return 0xFFFD;

    for (; remaining > 0; --remaining)
    {
        if (p == end || *p < low || *p > high)
            return 0xFFFD;
        codePoint = (codePoint << 6) | (*p++ & 0x3Fu);
        low = 0x80;
        high = 0xBF;
    }
    return codePoint;
}

void appendCodePoint(String& text, std::uint32_t c)
{
    if (c < 0x80)
    {
        text.Append(static_cast<char>(c));
        return;
    }
    char bytes[4];
    unsigned long count = 0;
    if (c < 0x800)
    {
        bytes[0] = static_cast<char>(0xC0 | (c >> 6));
        count = 1;
    }
    else if (c < 0x10000)
    {
        bytes[0] = static_cast<char>(0xE0 | (c >> 12));
        bytes[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        count = 2;
    }
    else
    {
        bytes[0] = static_cast<char>(0xF0 | (c >> 18));
        bytes[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        bytes[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        count = 3;
    }
    bytes[count++] = static_cast<char>(0x80 | (c & 0x3F));
    text.AppendCharPointer(CharPointer_UTF8(bytes), CharPointer_UTF8(bytes + count));
}

} // namespace XmlCharacters

//==============================================================================================
namespace XmlOutputFunctions
{

void escapeIllegalXmlChars(MemoryOutputStream& stream, String const& text, bool changeNewLines)
{
    auto const* p = reinterpret_cast<unsigned char const*>(text.GetCString());
    auto const* const end = p + text.GetLength();
    while (p < end)
    {
        auto const* const run = p;
        while (p < end && isLegalXmlCharacter(*p))
            ++p;
        if (p != run)
            writeBytes(stream, reinterpret_cast<char const*>(run), static_cast<unsigned long>(p - run));
        if (p == end || *p == 0)
            return;

        switch (*p)
        {
        case '"':
            writeLiteral(stream, "&quot;");
            ++p;
            continue;
        case '&':
            writeLiteral(stream, "&amp;");
            ++p;
            continue;
        case '<':
            writeLiteral(stream, "&lt;");
            ++p;
            continue;
        case '>':
            writeLiteral(stream, "&gt;");
            ++p;
            continue;
        case '\n':
        case '\r':
            if (!changeNewLines)
            {
                stream.WriteByte(static_cast<char>(*p++));
                continue;
            }
            break;
        default:
            break;
        }
        writeCharacterReference(stream, XmlCharacters::readCodePoint(p, end));
    }
}

} // namespace XmlOutputFunctions

//==============================================================================================
XmlElement::XmlElement(char const* name) : tagName(name) {}

XmlElement::XmlElement(String const& name) : tagName(name) {}

XmlElement::~XmlElement()
{
    // Each child with children of its own hands them to the front of the work list before it
    // goes, so the whole subtree is deleted in one loop whatever its depth.
    XmlElement* pending = firstChild;
    firstChild = lastChild = nullptr;
    while (pending != nullptr)
    {
        XmlElement* const element = pending;
        if (element->firstChild != nullptr)
        {
            element->lastChild->nextSibling = element->nextSibling;
            pending = element->firstChild;
            element->firstChild = element->lastChild = nullptr;
        }
        else
            pending = element->nextSibling;
        element->nextSibling = nullptr;
        delete element;
    }
}

XmlElement* XmlElement::CreateTextElement(String const& text)
{
    auto* element = new XmlElement(String());
    element->SetAttribute(omvar_xmltextContentAttributeName, text);
    return element;
}

String const& XmlElement::GetText() const noexcept
{
    return IsTextElement() ? GetStringAttribute(omvar_xmltextContentAttributeName) : emptyText();
}

//==============================================================================================
XmlElement::Attribute const* XmlElement::findAttribute(String const& name) const noexcept
{
    for (Attribute const& a : attributes)
        if (a.name == name)
            return &a;
    return nullptr;
}

void XmlElement::SetAttribute(String const& name, String const& value)
{
    for (Attribute& a : attributes)
    {
        if (a.name == name)
        {
            a.value = value;
            return;
        }
    }
    attributes.push_back({name, value});
}

void XmlElement::SetAttribute(String const& name, int value)
{
    SetAttribute(name, String(value));
}

void XmlElement::SetAttribute(String const& name, double value)
{
    SetAttribute(name, String(value));
}

String const& XmlElement::GetStringAttribute(String const& name) const noexcept
{
    Attribute const* const a = findAttribute(name);
    return a != nullptr ? a->value : emptyText();
}

int XmlElement::GetIntAttribute(String const& name, int defaultValue) const noexcept
{
    Attribute const* const a = findAttribute(name);
    return a != nullptr ? a->value.GetIntValue() : defaultValue;
}

double XmlElement::GetDoubleAttribute(String const& name, double defaultValue) const noexcept
{
    Attribute const* const a = findAttribute(name);
    return a != nullptr ? a->value.GetDoubleValue() : defaultValue;
}

unsigned long XmlElement::GetNumAttributes() const noexcept
{
    return attributes.size();
}

String const& XmlElement::GetAttributeName(unsigned long index) const noexcept
{
    return index < attributes.size() ? attributes[index].name : emptyText();
}

String const& XmlElement::GetAttributeValue(unsigned long index) const noexcept
{
    return index < attributes.size() ? attributes[index].value : emptyText();
}

//==============================================================================================
unsigned long XmlElement::GetNumChildElements() const noexcept
{
    unsigned long count = 0;
    for (XmlElement const* e = firstChild; e != nullptr; e = e->nextSibling)
        ++count;
    return count;
}

XmlElement* XmlElement::GetChildElement(unsigned long index) const noexcept
{
    XmlElement* e = firstChild;
    for (; e != nullptr && index > 0; --index)
        e = e->nextSibling;
    return e;
}

void XmlElement::AddChildElement(XmlElement* child) noexcept
{
    if (child == nullptr)
        return;
    if (lastChild != nullptr)
        lastChild->nextSibling = child;
    else
        firstChild = child;
    lastChild = child;
}

//==============================================================================================
bool XmlElement::writeStartOfElement(MemoryOutputStream& stream, int indentationLevel,
                                     int lineWrapLength) const
{
    writeSpaces(stream, indentationLevel);
    if (IsTextElement())
    {
        XmlOutputFunctions::escapeIllegalXmlChars(stream, GetText(), false);
        return false;
    }

    stream.WriteByte('<');
    writeText(stream, tagName);

    // A wrapped attribute lines up under the first one, which always stays on the tag's line.
    long long lineLength = 0;
    for (Attribute const& a : attributes)
    {
        if (indentationLevel >= 0 && lineLength > lineWrapLength)
        {
            writeNewLine(stream);
            writeSpaces(stream, indentationLevel + static_cast<int>(tagName.GetLength()) + 1);
            lineLength = 0;
        }
        long long const start = stream.GetPosition();
        stream.WriteByte(' ');
        writeText(stream, a.name);
        writeLiteral(stream, "=\"");
        XmlOutputFunctions::escapeIllegalXmlChars(stream, a.value, true);
        stream.WriteByte('"');
        lineLength += stream.GetPosition() - start;
    }

    if (firstChild != nullptr)
    {
        stream.WriteByte('>');
        return true;
    }
    if (!attributes.empty())
        writeLiteral(stream, "/>");
    else
    {
        stream.WriteByte('>');
        writeNewLine(stream);
        writeSpaces(stream, indentationLevel);
        writeLiteral(stream, "</");
        writeText(stream, tagName);
        stream.WriteByte('>');
    }
    return false;
}

void XmlElement::writeElementAsText(MemoryOutputStream& stream, int indentationLevel,
                                    int lineWrapLength) const
{
    if (!writeStartOfElement(stream, indentationLevel, lineWrapLength))
        return;

    // An explicit stack of open elements: a programmatically built tree may be arbitrarily deep.
    struct OpenElement
    {
        XmlElement const* element;
        XmlElement const* nextChild;
        int indentation;
        bool lastWasText;
    };
    std::vector<OpenElement> open;
    open.push_back({this, firstChild, indentationLevel, false});

    while (!open.empty())
    {
        OpenElement& top = open.back();
        XmlElement const* const child = top.nextChild;
        if (child == nullptr)
        {
            if (top.indentation >= 0 && !top.lastWasText)
            {
                writeNewLine(stream);
                writeSpaces(stream, top.indentation);
            }
            writeLiteral(stream, "</");
            writeText(stream, top.element->tagName);
            stream.WriteByte('>');
            open.pop_back();
            continue;
        }
        top.nextChild = child->nextSibling;

        if (child->IsTextElement())
        {
            XmlOutputFunctions::escapeIllegalXmlChars(stream, child->GetText(), false);
            top.lastWasText = true;
            continue;
        }

        // Text stays glued to what follows it: an element after text starts right there.
        if (top.indentation >= 0 && !top.lastWasText)
            writeNewLine(stream);
        int const childIndentation = top.lastWasText ? 0 : (top.indentation >= 0 ? top.indentation + 2 : -1);
        top.lastWasText = false;
        if (child->writeStartOfElement(stream, childIndentation, lineWrapLength))
            open.push_back({child, child->firstChild, childIndentation, false});
    }
}

void XmlElement::WriteToStream(MemoryOutputStream& stream, String const& dtd, bool allOnOneLine,
                               bool includeXmlHeader, String const& encoding, int lineWrapLength) const
{
    if (includeXmlHeader)
    {
        writeLiteral(stream, "<?xml version=\"1.0\" encoding=\"");
        writeText(stream, encoding);
        writeLiteral(stream, "\" standalone=\"yes\"?>");
        if (allOnOneLine)
            stream.WriteByte(' ');
        else
        {
            writeNewLine(stream);
            writeNewLine(stream);
            writeLiteral(stream, "<!-- created by ");
            writeText(stream, ApiInfos::GetVersionAsString(false));
            writeLiteral(stream, " - ");
            writeText(stream, Date::GetCurrentDate(true, true, true, false, false));
            writeLiteral(stream, " -->");
            writeNewLine(stream);
            writeNewLine(stream);
        }
    }

    if (dtd.IsNotEmpty())
    {
        writeText(stream, dtd);
        if (allOnOneLine)
        {
            stream.WriteByte(' ');
            writeElementAsText(stream, -1, lineWrapLength);
        }
        else
        {
            writeNewLine(stream);
            writeElementAsText(stream, 0, lineWrapLength);
            writeNewLine(stream);
        }
    }
    else if (allOnOneLine)
        writeElementAsText(stream, -1, lineWrapLength);
    else
    {
        writeElementAsText(stream, 0, lineWrapLength);
        writeNewLine(stream);
    }
}

bool XmlElement::WriteToStream(FileWriter& writer, String const& dtd, bool allOnOneLine,
                               bool includeXmlHeader, String const& encoding, int lineWrapLength) const
{
    MemoryOutputStream stream(2048);
    WriteToStream(stream, dtd, allOnOneLine, includeXmlHeader, encoding, lineWrapLength);
    return writer.Write(stream);
}

bool XmlElement::WriteToFile(File const& file, String const& dtd, String const& encoding,
                             int lineWrapLength) const
{
    // The document is complete before anything touches the disk.
    MemoryOutputStream stream(2048);
    WriteToStream(stream, dtd, false, true, encoding, lineWrapLength);
    TemporaryFile const temporary(file, 0);
    return temporary.WriteAndReplaceTarget(stream);
}

String XmlElement::CreateDocument(String const& dtd, bool allOnOneLine, bool includeXmlHeader,
                                  String const& encoding, int lineWrapLength) const
{
    MemoryOutputStream stream(2048);
    WriteToStream(stream, dtd, allOnOneLine, includeXmlHeader, encoding, lineWrapLength);
    return stream.ConvertToUTF8();
}

} // namespace qev
