#include "memory/QevScopedPointer.h"
#include "text/QevString.h"
#include "text/QevXmlDocument.h"
#include "text/QevXmlElement.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace
{

// The writer turns each invalid UTF-8 sequence into U+FFFD; the reader keeps bytes as they are.
std::string validUtf8(qev::String const& text)
{
    qev::String result;
    auto const* p = reinterpret_cast<unsigned char const*>(text.GetCString());
    auto const* const end = p + text.GetLength();
    while (p < end)
        qev::XmlCharacters::appendCodePoint(result, qev::XmlCharacters::readCodePoint(p, end));
    return result.GetStdString();
}

// Tags and attributes of every non-text element, depth first. Text may legitimately merge or
// vanish when written and read again; elements and attribute values may not.
std::string elementSignature(qev::XmlElement const& root)
{
    std::string signature;
    std::vector<qev::XmlElement const*> pending{&root};
    while (!pending.empty())
    {
        qev::XmlElement const* const e = pending.back();
        pending.pop_back();
        if (e == nullptr)
        {
            signature += ')';
            continue;
        }
        if (e->IsTextElement())
            continue;
        signature += e->GetTagName().GetStdString() + '[';
        for (unsigned long i = 0; i < e->GetNumAttributes(); ++i)
            signature +=
                e->GetAttributeName(i).GetStdString() + '=' + validUtf8(e->GetAttributeValue(i)) + '\0';
        signature += "](";
        std::vector<qev::XmlElement const*> children;
        for (qev::XmlElement const* c = e->GetFirstChildElement(); c != nullptr; c = c->GetNextElement())
            children.push_back(c);
        pending.push_back(nullptr);
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    return signature;
}

} // namespace

// Mapping files are user files: any bytes must parse or be refused without crashing, hanging or
// reading out of bounds, and whatever parses must survive being written and read back.
extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    qev::String const text(std::string_view(reinterpret_cast<char const*>(data), size));
    qev::ScopedPointer<qev::XmlElement> root(qev::XmlDocument::ParseText(text));
    if (root.Get() == nullptr)
        return 0;

    bool const oneLine = size % 2 == 0;
    qev::String const written = root->CreateDocument("", oneLine, true, "UTF-8", 60);
    qev::XmlDocument again(written);
    qev::ScopedPointer<qev::XmlElement> back(again.getDocumentElement(false));
    if (back.Get() == nullptr || again.GetLastParseError().IsNotEmpty())
        __builtin_trap();
    if (elementSignature(*back) != elementSignature(*root))
        __builtin_trap();
    return 0;
}
