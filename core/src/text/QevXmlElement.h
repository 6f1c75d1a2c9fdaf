#pragma once

#include "text/QevString.h"

#include <cstdint>
#include <vector>

namespace qev
{

class File;
class FileWriter;
class MemoryOutputStream;
class XmlDocument;

// One node of an XML tree: a tag name, attributes in the order they were first set, and child
// elements. A text element has an empty tag name; its content is the value of its one attribute
// named omvar_xmltextContentAttributeName ("text").
//
// An element owns its attributes and children. Destroying any tree, however deep or wide, uses
// constant stack.
class XmlElement
{
public:
    explicit XmlElement(char const* tagName);
    explicit XmlElement(String const& tagName);
    ~XmlElement();

    XmlElement(XmlElement const&) = delete;
    XmlElement& operator=(XmlElement const&) = delete;

    // A new text element holding text.
    static XmlElement* CreateTextElement(String const& text);

    String const& GetTagName() const noexcept { return tagName; }
    // Byte-for-byte, case-sensitive.
    bool HasTagName(String const& name) const noexcept { return tagName == name; }
    bool IsTextElement() const noexcept { return tagName.IsEmpty(); }
    // A text element's content; empty for other elements.
    String const& GetText() const noexcept;

    //==========================================================================================
    // Attributes. Names are compared byte for byte, case-sensitive; lookups take the first match.

    // Replaces the value of an existing attribute in place, otherwise appends a new one.
    void SetAttribute(String const& name, String const& value);
    void SetAttribute(String const& name, int value);
    // General form with 6 significant digits: 0.5 stays 0.5, 1000000 becomes 1e+06.
    void SetAttribute(String const& name, double value);

    bool HasAttribute(String const& name) const noexcept { return findAttribute(name) != nullptr; }
    // The empty text when there is no such attribute.
    String const& GetStringAttribute(String const& name) const noexcept;
    // defaultValue only when the attribute is absent; a present value is converted as
    // String::GetIntValue / GetDoubleValue convert it, even when it is not a number.
    int GetIntAttribute(String const& name, int defaultValue) const noexcept;
    double GetDoubleAttribute(String const& name, double defaultValue) const noexcept;

    // Attributes by position, in list order; out-of-range positions give the empty text. The
    // parser keeps repeated names, so a name may appear more than once here.
    unsigned long GetNumAttributes() const noexcept;
    String const& GetAttributeName(unsigned long index) const noexcept;
    String const& GetAttributeValue(unsigned long index) const noexcept;

    //==========================================================================================
    // Children, text elements included.

    unsigned long GetNumChildElements() const noexcept;
    // Null when index is out of range. Walks the list: use GetFirstChildElement/GetNextElement
    // to visit every child.
    XmlElement* GetChildElement(unsigned long index) const noexcept;
    XmlElement* GetFirstChildElement() const noexcept { return firstChild; }
    // The next sibling in the parent's list.
    XmlElement* GetNextElement() const noexcept { return nextSibling; }
    // Appends child and takes ownership; null is ignored. child must not belong to another tree.
    void AddChildElement(XmlElement* child) noexcept;

    //==========================================================================================
    // Writing. Every written document has one shape: CR LF line ends, two-space indentation,
    // attributes wrapped once a line holds more than lineWrapLength bytes of them, text glued
    // to its tags, and every character outside printable ASCII (and " & < > ^ `) escaped.

    // The header (with its "created by" comment unless allOnOneLine), the DTD when not empty,
    // then this element as the root.
    void WriteToStream(MemoryOutputStream& stream, String const& dtd, bool allOnOneLine,
                       bool includeXmlHeader, String const& encoding, int lineWrapLength) const;
    // The whole document, built in memory, handed to the writer in one checked write; false when
    // not every byte reached the file.
    bool WriteToStream(FileWriter& writer, String const& dtd, bool allOnOneLine, bool includeXmlHeader,
                       String const& encoding, int lineWrapLength) const;
    // The indented document with its header, saved safely: written to a temporary sibling,
    // checked, then moved over file (an existing file is always replaced). False, with file left
    // as it was and no temporary file behind, when the save fails. Throws qev::Exception when the
    // folder or the temporary file cannot be created.
    bool WriteToFile(File const& file, String const& dtd, String const& encoding, int lineWrapLength) const;
    // The same document as a text.
    String CreateDocument(String const& dtd, bool allOnOneLine, bool includeXmlHeader, String const& encoding,
                          int lineWrapLength) const;

private:
    friend class XmlDocument;
    struct Attribute
    {
        String name;
        String value;
    };

    // A negative indentation writes the element without line breaks of its own.
    void writeElementAsText(MemoryOutputStream& stream, int indentationLevel, int lineWrapLength) const;
    // Writes the start of this element; true when its children and end tag are still to come.
    bool writeStartOfElement(MemoryOutputStream& stream, int indentationLevel, int lineWrapLength) const;
    Attribute const* findAttribute(String const& name) const noexcept;

    XmlElement* nextSibling = nullptr;
    XmlElement* firstChild = nullptr;
    XmlElement* lastChild = nullptr;
    // Contiguous: elements are read far more often than their attributes change.
    std::vector<Attribute> attributes;
    String tagName;
};

namespace XmlOutputFunctions
{
// Writes text with the characters outside the legal set as references: " & < > as the named
// entities, everything else (controls, ^, `, DEL, every code point from 128 up) as "&#N;".
// Line feeds and carriage returns stay raw unless changeNewLines is set. Each invalid UTF-8
// sequence becomes &#65533;. The text ends at its first NUL.
void escapeIllegalXmlChars(MemoryOutputStream& stream, String const& text, bool changeNewLines);
} // namespace XmlOutputFunctions

namespace XmlCharacters
{
// Reads one code point at p (p < end) and moves p past it. An invalid or truncated sequence
// gives U+FFFD and moves past its longest valid-looking prefix, at least one byte.
std::uint32_t readCodePoint(unsigned char const*& p, unsigned char const* end) noexcept;
// Appends the UTF-8 form of a valid code point (not a surrogate, at most U+10FFFF).
void appendCodePoint(String& text, std::uint32_t codePoint);
} // namespace XmlCharacters

} // namespace qev
