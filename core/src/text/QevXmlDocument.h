#pragma once

#include "files/QevFile.h"
#include "text/QevString.h"
#include "text/QevXmlElement.h"

#include <vector>

namespace qev
{

// A small, forgiving, non-validating reader of one XML document into an XmlElement tree.
//
// It skips the declaration, a DOCTYPE, comments and processing instructions, keeps repeated
// attributes, decodes the five predefined entities (in any case) and numeric references, reads
// any other "&name;" as the name itself, and does not match closing tags against opening tags.
// The text is always read as UTF-8, whatever the declaration names.
//
// Bad input never throws: the parse error is kept as text and the caller gets null. A document
// that ends early (inside a tag, a value, an element's content) is always an error, never a
// partial tree, and elements may nest at most maxNestingDepth levels.
class XmlDocument
{
public:
    static constexpr int maxNestingDepth = 1000;

    explicit XmlDocument(String text);
    // The file is read, whole, by getDocumentElement.
    explicit XmlDocument(File const& file);
    ~XmlDocument() = default;

    XmlDocument(XmlDocument const&) = delete;
    XmlDocument& operator=(XmlDocument const&) = delete;

    // The root element of the file, owned by the caller; null when the file is missing or empty,
    // holds no element or does not parse. A file that exists but cannot be read throws
    // qev::Exception. A file marked as UTF-16 is read as such.
    static XmlElement* Parse(File const& file);
    // The same for a text.
    static XmlElement* ParseText(String const& text);

    // The root element, owned by the caller, or null. With onlyReadOuterDocumentElement the root
    // comes with its attributes but without children.
    XmlElement* getDocumentElement(bool onlyReadOuterDocumentElement);

    // The last error recorded by getDocumentElement; empty when there was none. A non-null
    // result may come with "illegal escape sequence": malformed numeric references do not stop
    // the parse.
    String const& GetLastParseError() const noexcept { return lastError; }

    // When set (the default), character data made only of whitespace gives no text element.
    void SetEmptyTextElementsIgnored(bool shouldBeIgnored) noexcept
    {
        ignoreEmptyTextElements = shouldBeIgnored;
    }

private:
    XmlElement* parseDocumentElement(char const* begin, char const* end, bool onlyReadOuterDocumentElement);
    bool parseHeader();
    bool parseDTD();
    XmlElement* readNextElement(bool alsoParseSubElements);
    // Reads the attributes of a start tag; true when the tag opens content, false when it closed
    // itself or the element ends here.
    bool readAttributes(String const& tagName);
    void readChildElements(XmlElement& parent);
    bool readCharacterBlock(XmlElement& parent);
    void skipNextWhiteSpace();
    bool readQuotedString(String& result);
    void readEntity(String& result);
    void readNumericReference(String& result, bool hexadecimal);

    bool startsWith(char const* text, unsigned long length) const noexcept;
    char const* find(char const* from, char const* text, unsigned long length) const noexcept;
    char const* endOfIdentifier(char const* p) const noexcept;
    // Records an error that stops the parse; the partial tree is then thrown away.
    void abortWith(String const& message);

    String sourceText;
    File sourceFile;
    char const* input = nullptr;
    char const* end = nullptr;
    bool outOfData = false;
    bool errorOccurred = false;
    String lastError;
    bool ignoreEmptyTextElements = true;
    int depth = 0;
    std::vector<XmlElement::Attribute> pendingAttributes;
};

} // namespace qev
