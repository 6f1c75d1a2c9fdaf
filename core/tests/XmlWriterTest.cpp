#include "files/QevFile.h"
#include "files/QevMemoryOutputStream.h"
#include "memory/QevScopedPointer.h"
#include "support/TestFiles.h"
#include "text/QevXmlDocument.h"
#include "text/QevXmlElement.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

namespace
{

using qev::ScopedPointer;
using qev::String;
using qev::XmlElement;

XmlElement* element(char const* tag, std::vector<std::pair<char const*, char const*>> const& attributes = {},
                    std::vector<XmlElement*> const& children = {})
{
    auto* e = new XmlElement(tag);
    for (auto const& a : attributes)
        e->SetAttribute(a.first, String(a.second));
    for (XmlElement* child : children)
        e->AddChildElement(child);
    return e;
}

XmlElement* text(char const* content)
{
    return XmlElement::CreateTextElement(content);
}

std::string document(XmlElement const& root, bool allOnOneLine, String const& dtd = String(),
                     int lineWrap = 60)
{
    return root.CreateDocument(dtd, allOnOneLine, false, "UTF-8", lineWrap).GetStdString();
}

struct Layout
{
    char const* name;
    std::function<XmlElement*()> build;
    bool allOnOneLine;
    char const* dtd;
    char const* expected;
};

TEST(XmlWriter, LaysOutElementsTextAndDtd)
{
    std::vector<Layout> const cases = {
        {"empty element", [] { return element("t"); }, false, "", "<t>\r\n</t>\r\n"},
        {"one attribute",
         [] {
             return element("t", {{"n", "v"}});
         },
         false, "", "<t n=\"v\"/>\r\n"},
        {"empty elements indent by two", [] { return element("a", {}, {element("b", {}, {element("c")})}); },
         false, "", "<a>\r\n  <b>\r\n    <c>\r\n    </c>\r\n  </b>\r\n</a>\r\n"},
        {"text only stays on one line", [] { return element("a", {}, {text("hi there")}); }, false, "",
         "<a>hi there</a>\r\n"},
        {"text glued between elements",
         [] {
             return element("a", {}, {element("b", {{"x", "1"}}), text("t"), element("c", {{"x", "2"}})});
         },
         false, "", "<a>\r\n  <b x=\"1\"/>t<c x=\"2\"/>\r\n</a>\r\n"},
        {"element then text ends glued",
         [] {
             return element("a", {}, {element("b", {{"x", "1"}}), text("t")});
         },
         false, "", "<a>\r\n  <b x=\"1\"/>t</a>\r\n"},
        {"one line keeps the break of an empty element",
         [] {
             return element("a", {}, {element("b", {{"x", "1"}}), element("c")});
         },
         true, "", "<a><b x=\"1\"/><c>\r\n</c></a>"},
        {"one line lays out an element after text at indentation 0",
         [] {
             return element("a", {}, {text("t"), element("b", {}, {element("c", {{"x", "1"}})})});
         },
         true, "", "<a>t<b>\r\n  <c x=\"1\"/>\r\n</b></a>"},
        {"dtd then the root",
         [] {
             return element("a", {{"x", "1"}});
         },
         false, "<!DOCTYPE a>", "<!DOCTYPE a>\r\n<a x=\"1\"/>\r\n"},
        {"dtd on one line",
         [] {
             return element("a", {{"x", "1"}});
         },
         true, "<!DOCTYPE a>", "<!DOCTYPE a> <a x=\"1\"/>"},
        {"text element as root", [] { return text("a<b"); }, false, "", "a&lt;b\r\n"},
    };
    for (Layout const& c : cases)
    {
        ScopedPointer<XmlElement> root(c.build());
        EXPECT_EQ(document(*root, c.allOnOneLine, c.dtd), c.expected) << c.name;
    }
}

TEST(XmlWriter, HeaderCarriesVersionAndDateUnlessOnOneLine)
{
    ScopedPointer<XmlElement> root(element("trov5.cclink"));
    std::string const indented = root->CreateDocument("", false, true, "UTF-8", 60).GetStdString();
    std::regex const shape(
        "<\\?xml version=\"1\\.0\" encoding=\"UTF-8\" standalone=\"yes\"\\?>\r\n\r\n"
        "<!-- created by libqev v5\\.0\\.2 - \\d\\d/\\d\\d/\\d{4} - \\d\\dh\\d\\dm\\d\\ds -->"
        "\r\n\r\n<trov5\\.cclink>\r\n</trov5\\.cclink>\r\n");
    EXPECT_TRUE(std::regex_match(indented, shape)) << indented;

    EXPECT_EQ(root->CreateDocument("", true, true, "ISO-8859-1", 60).GetStdString(),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?> "
              "<trov5.cclink>\r\n</trov5.cclink>");
}

TEST(XmlWriter, WrapsAttributesPastTheLineLengthUnderTheFirstOne)
{
    ScopedPointer<XmlElement> root(element("trov5.cclink"));
    root->AddChildElement(
        element("mapping", {{"midichannel", "1"},
                            {"midicontroller", "7"},
                            {"pattern", "/track/1/gain"},
                            {"minrange", "0"}, // 59 bytes before it: still on the line
                            {"maxrange", "1"}, // 72 bytes before it: wrapped, aligned with the first
                            {"exponent", "1"},
                            {"currentmidi", "0"},
                            {"currentosc", "0"}}));
    EXPECT_EQ(document(*root, false),
              "<trov5.cclink>\r\n"
              "  <mapping midichannel=\"1\" midicontroller=\"7\" pattern=\"/track/1/gain\" minrange=\"0\"\r\n"
              "           maxrange=\"1\" exponent=\"1\" currentmidi=\"0\" currentosc=\"0\"/>\r\n"
              "</trov5.cclink>\r\n");
    // Only more than the length wraps: 59 bytes on a line of 59 do not.
    EXPECT_EQ(document(*root, false, "", 59), document(*root, false));
    // On one line nothing wraps.
    EXPECT_EQ(document(*root, true, "", 0).find("\r\n"), std::string::npos);
}

struct Escape
{
    char const* value;
    char const* inAttribute;
    char const* inText;
};

TEST(XmlWriter, EscapesEverythingOutsidePrintableAscii)
{
    std::vector<Escape> const cases = {
        {"a<b", "a&lt;b", "a&lt;b"},
        {"\"&>'", "&quot;&amp;&gt;'", "&quot;&amp;&gt;'"},
        {"x\ny\rz", "x&#10;y&#13;z", "x\ny\rz"},
        {"\t^`\x7f\x01", "&#9;&#94;&#96;&#127;&#1;", "&#9;&#94;&#96;&#127;&#1;"},
        {"caf\xC3\xA9 \xF0\x9F\x98\x80", "caf&#233; &#128512;", "caf&#233; &#128512;"},
        {"\xE2\x82\xAC", "&#8364;", "&#8364;"},
        // Invalid UTF-8: one replacement per bad sequence, never a read past the end.
        {"a\xFF", "a&#65533;", "a&#65533;"},
        {"\xE2\x82", "&#65533;", "&#65533;"},
        {"ab\xF0\x9F", "ab&#65533;", "ab&#65533;"},
        {"\xC0\x80", "&#65533;&#65533;", "&#65533;&#65533;"},
        {"\xED\xA0\x80", "&#65533;&#65533;&#65533;", "&#65533;&#65533;&#65533;"},
        {"\xF4\x90\x80\x80", "&#65533;&#65533;&#65533;&#65533;", "&#65533;&#65533;&#65533;&#65533;"},
        {"\x80z", "&#65533;z", "&#65533;z"},
    };
    for (Escape const& c : cases)
    {
        ScopedPointer<XmlElement> withAttribute(element("a", {{"v", c.value}}));
        EXPECT_EQ(document(*withAttribute, true), std::string("<a v=\"") + c.inAttribute + "\"/>") << c.value;
        ScopedPointer<XmlElement> withText(element("a", {}, {text(c.value)}));
        EXPECT_EQ(document(*withText, true), std::string("<a>") + c.inText + "</a>") << c.value;
    }

    // The text ends at its first NUL.
    ScopedPointer<XmlElement> withNul(new XmlElement("a"));
    withNul->SetAttribute("v", String(std::string("x\0y", 3)));
    EXPECT_EQ(document(*withNul, true), "<a v=\"x\"/>");
}

TEST(XmlElement, AttributesKeepTheirPlaceAndConvertLikeStrings)
{
    XmlElement e("m");
    e.SetAttribute("a", String("1"));
    e.SetAttribute("b", 42);
    e.SetAttribute("c", 0.00001);
    e.SetAttribute("d", 1000000.0);
    e.SetAttribute("a", 0.5); // replaced in place
    ASSERT_EQ(e.GetNumAttributes(), 4u);
    std::vector<std::string> names, values;
    for (unsigned long i = 0; i < 4; ++i)
    {
        names.push_back(e.GetAttributeName(i).GetStdString());
        values.push_back(e.GetAttributeValue(i).GetStdString());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(values, (std::vector<std::string>{"0.5", "42", "1e-05", "1e+06"}));
    EXPECT_TRUE(e.GetAttributeName(4).IsEmpty());

    EXPECT_EQ(e.GetIntAttribute("b", 7), 42);
    EXPECT_EQ(e.GetIntAttribute("B", 7), 7); // names are case-sensitive
    EXPECT_DOUBLE_EQ(e.GetDoubleAttribute("a", 9.0), 0.5);
    EXPECT_DOUBLE_EQ(e.GetDoubleAttribute("zz", 9.0), 9.0);
    e.SetAttribute("word", String("abc"));
    EXPECT_EQ(e.GetIntAttribute("word", 7), 0); // present but not a number: no default
    EXPECT_EQ(e.GetStringAttribute("missing"), "");
    EXPECT_TRUE(e.HasTagName("m"));
    EXPECT_FALSE(e.HasTagName("M"));
}

TEST(XmlElement, ChildrenByPosition)
{
    XmlElement e("root");
    e.AddChildElement(nullptr);
    EXPECT_EQ(e.GetNumChildElements(), 0u);
    EXPECT_EQ(e.GetChildElement(0), nullptr);
    XmlElement* const first = new XmlElement("a");
    XmlElement* const second = XmlElement::CreateTextElement("t");
    e.AddChildElement(first);
    e.AddChildElement(second);
    EXPECT_EQ(e.GetNumChildElements(), 2u);
    EXPECT_EQ(e.GetChildElement(1), second);
    EXPECT_EQ(e.GetChildElement(2), nullptr);
    EXPECT_EQ(e.GetFirstChildElement()->GetNextElement(), second);
    EXPECT_TRUE(second->IsTextElement());
    EXPECT_EQ(second->GetText(), "t");
    EXPECT_EQ(second->GetStringAttribute("text"), "t");
    EXPECT_EQ(first->GetText(), "");
}

TEST(XmlElement, DeepAndWideTreesWriteAndDestroyWithoutRecursion)
{
    constexpr int depth = 200000;
    auto* root = new XmlElement("d");
    XmlElement* inner = root;
    for (int i = 1; i < depth; ++i)
    {
        auto* child = new XmlElement("d");
        child->SetAttribute("i", i);
        inner->AddChildElement(child);
        inner->AddChildElement(XmlElement::CreateTextElement("x"));
        inner = child;
    }
    String const written = root->CreateDocument("", true, false, "UTF-8", 60);
    EXPECT_EQ(written.IndexOfFirstOccurence("<d i=\"199999\"/>", qev::Case::Sensitive) > 0, true);
    delete root;

    XmlElement wide("w");
    for (int i = 0; i < depth; ++i)
        wide.AddChildElement(new XmlElement("c"));
    EXPECT_EQ(wide.GetNumChildElements(), static_cast<unsigned long>(depth));
}

class XmlFiles : public qevtest::FolderTest
{
protected:
    XmlFiles() : FolderTest("xml") {}
};

TEST_F(XmlFiles, SavesSafelyAndReadsBack)
{
    ScopedPointer<XmlElement> root(element("trov5.cclink"));
    for (int i = 0; i < 1000; ++i)
        root->AddChildElement(
            element("mapping", {{"pattern", "/caf\xC3\xA9&<\"'^`"}, {"exponent", "1e-05"}}));

    put("map.xml", "old");
    ASSERT_TRUE(root->WriteToFile(fileOf("map.xml"), "", "UTF-8", 60));
    EXPECT_EQ(get("map.xml").substr(0, 19), "<?xml version=\"1.0\"");
    EXPECT_EQ(listing(), std::vector<std::string>{"map.xml"});
    ScopedPointer<XmlElement> back(qev::XmlDocument::Parse(fileOf("map.xml")));
    ASSERT_NE(back.Get(), nullptr);
    EXPECT_EQ(back->GetNumChildElements(), 1000u);
    EXPECT_EQ(back->GetChildElement(999)->GetStringAttribute("pattern"), "/caf\xC3\xA9&<\"'^`");

    // A save cut short (here by the file-size limit) fails, and the old file stays whole.
    std::string const before = get("map.xml");
    EXPECT_TRUE(
        qevtest::saveFailsOnAFullDisk(4096,
                                      [&]
                                      {
                                          ScopedPointer<XmlElement> other(element("other", {{"x", "1"}}));
                                          for (int i = 0; i < 1000; ++i)
                                              other->AddChildElement(element("m", {{"x", "2"}}));
                                          return other->WriteToFile(fileOf("map.xml"), "", "UTF-8", 60);
                                      }))
        << "the save must report failure";
    EXPECT_EQ(get("map.xml"), before);
    EXPECT_EQ(listing(), std::vector<std::string>{"map.xml"});
}

TEST_F(XmlFiles, ParsesFilesInUtf8OrMarkedUtf16)
{
    EXPECT_EQ(qev::XmlDocument::Parse(fileOf("missing.xml")), nullptr);
    put("empty.xml", "");
    EXPECT_EQ(qev::XmlDocument::Parse(fileOf("empty.xml")), nullptr);

    put("utf16.xml", std::string("\xFF\xFE<\0a\0 \0x\0=\0'\0\xE9\0'\0/\0>\0", 22));
    ScopedPointer<XmlElement> root(qev::XmlDocument::Parse(fileOf("utf16.xml")));
    ASSERT_NE(root.Get(), nullptr);
    EXPECT_EQ(root->GetStringAttribute("x"), "\xC3\xA9");
}

} // namespace
