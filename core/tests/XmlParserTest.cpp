#include "memory/QevScopedPointer.h"
#include "text/QevXmlDocument.h"
#include "text/QevXmlElement.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace
{

using qev::ScopedPointer;
using qev::String;
using qev::XmlDocument;
using qev::XmlElement;

// tag[name=value,...](child,...) with text children as 'text'. Iterative: trees may be deep.
std::string dump(XmlElement const* root)
{
    if (root == nullptr)
        return "null";
    std::string out;
    struct Open
    {
        XmlElement const* next;
        bool first;
    };
    std::vector<Open> stack;
    XmlElement const* e = root;
    for (;;)
    {
        if (e->IsTextElement())
            out += "'" + e->GetText().GetStdString() + "'";
        else
        {
            out += e->GetTagName().GetStdString();
            if (e->GetNumAttributes() > 0)
            {
                out += "[";
                for (unsigned long i = 0; i < e->GetNumAttributes(); ++i)
                    out += (i > 0 ? "," : "") + e->GetAttributeName(i).GetStdString() + "=" +
                           e->GetAttributeValue(i).GetStdString();
                out += "]";
            }
            if (e->GetFirstChildElement() != nullptr)
            {
                out += "(";
                stack.push_back({e->GetFirstChildElement(), true});
            }
        }
        for (;;)
        {
            if (stack.empty())
                return out;
            Open& top = stack.back();
            if (top.next == nullptr)
            {
                out += ")";
                stack.pop_back();
                continue;
            }
            if (!top.first)
                out += ",";
            top.first = false;
            e = top.next;
            top.next = e->GetNextElement();
            break;
        }
    }
}

struct ParseCase
{
    char const* input;
    char const* tree;
    char const* error;
};

void expectParses(std::vector<ParseCase> const& cases)
{
    for (ParseCase const& c : cases)
    {
        XmlDocument document{String(c.input)};
        ScopedPointer<XmlElement> root(document.getDocumentElement(false));
        EXPECT_EQ(dump(root.Get()), c.tree) << c.input;
        EXPECT_EQ(document.GetLastParseError(), c.error) << c.input;
    }
}

TEST(XmlParser, DocumentFraming)
{
    expectParses({
        {"", "null", "not enough input"},
        {"  \r\n", "null", ""},
        {"<?xml version=\"1.0\"?>", "null", ""},
        {"<!-- only a comment -->", "null", ""},
        {"<?xml version=\"1.0\"", "null", "malformed header"},
        {"<!DOCTYPE a [<!ELEMENT a ANY>", "null", "malformed DTD"},
        {"<?xml version=\"1.0\" encoding=\"latin1\"?>\n<!DOCTYPE a [<!ELEMENT a ANY>]>\n<!--c--><a/>", "a",
         ""},
        {"\xEF\xBB\xBF<a/>", "null", ""}, // a byte-order mark is not skipped
        {"hello", "null", ""},
        {"<a/>trailing garbage <", "a", ""},
    });
}

TEST(XmlParser, ElementsAttributesAndText)
{
    expectParses({
        {"<a>  <b/>  </a>", "a(b)", ""},
        {"<a> a </a>", "a(' a ')", ""},
        {"<a>x<b/>\r\n y </a>", "a('x',b,'\r\n y ')", ""},
        {"<a><![CDATA[ x &amp; ]]></a>", "a(' x &amp; ')", ""},
        {"<a><![CDATA[]]>  </a>", "a('')", ""},
        {"<a>1<!-- c -->2</a>", "a('12')", ""},
        {"<a>x<?p?>y</a>", "a('xy')", ""},
        {"<a>x<?p?><?q?>y<!--c--><b/></a>", "a('xy',b)", ""},
        {"<a></b>", "a", ""},
        {"< a ><b\n/></ a>", "a(b)", ""},
        {"<a x = '1' y=\"2\" x='3'/>", "a[x=1,y=2,x=3]", ""},
        {"<a x='say \"hi\"' y=\"it's\"/>", "a[x=say \"hi\",y=it's]", ""},
        {"<a x='t\ty\r\nz<>'/>", "a[x=t\ty\r\nz<>]", ""},
        {"<a x=1/>", "a", ""}, // an unquoted value ends the element quietly
        {"<a x/>", "null", "expected '=' after attribute 'x'"},
        {"<a !/>", "null", "illegal character found in a: '33'"},
        {"<a \xC2\xA9/>", "null", "illegal character found in a: '169'"},
        {"<a \xC2\x85/>", "null", "illegal character found in a: '133'"},
        {"<a \xFF/>", "null", "illegal character found in a: '65533'"},
        {"<caf\xC3\xA9 \xCE\xB1-1.b:c_='v'/>", "caf\xC3\xA9[\xCE\xB1-1.b:c_=v]", ""},
        {"<>", "null", "tag name missing"},
        {"<a><</a>", "null", "tag name missing"},
    });
}

TEST(XmlParser, ReferencesAndEntities)
{
    expectParses({
        {"<a>&amp;&lt;&gt;&quot;&apos;</a>", "a('&<>\"'')", ""},
        {"<a>&AMP;&Lt;&gT;&QUOT;&Apos;</a>", "a('&<>\"'')", ""},
        {"<a x='&#x41;&#65;&#X1F600;&#233;'/>", "a[x=AA\xF0\x9F\x98\x80\xC3\xA9]", ""},
        {"<a>&nbsp;</a>", "a('nbsp')", ""},
        {"<a x='&nbsp;'/>", "a[x=nbsp]", ""},
        {"<a>&#;</a>", "a('&;')", "illegal escape sequence"},
        {"<a>&#x4G;</a>", "a('\x04;')", "illegal escape sequence"},
        {"<a>&#6x5;</a>",
         "a('\x06"
         "5;')",
         "illegal escape sequence"},
        {"<a>&#1234567890123;</a>", "a('\xEF\xBF\xBD;')", "illegal escape sequence"},
        {"<a>&#x123456789;</a>", "a('\xEF\xBF\xBD;')", "illegal escape sequence"},
        // Values that no UTF-8 text can hold become U+FFFD.
        {"<a>&#0;&#xD800;&#xDFFF;&#x110000;&#99999999999;</a>",
         "a('\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD')", ""},
        {"<a>&#x10FFFF;&#xFFFD;</a>", "a('\xF4\x8F\xBF\xBF\xEF\xBF\xBD')", ""},
        // A lone "&" swallows everything up to the next ";" as a name.
        {"<a>x & y</a><b>;</b>", "a('x  y</a><b>')", ""},
        {"<a>x & y</a>", "null", "unmatched tags"},
        {"<a x='&bad'/>", "null", "unmatched quotes"},
        // An entity standing for markup adds its elements.
        {"<a>t&<b x='1'/>;u</a>", "a(b[x=1],'tu')", ""},
        {"<a>&<b;</a>", "null", "unmatched tags"},
        {"<a>&<b x='1>;</a>", "null", "unmatched quotes"},
        // An error after a malformed reference still fails the parse.
        {"<a>&#;<b !/></a>", "null", "illegal character found in b: '33'"},
        {"<a><b !/>&#;</a>", "null", "illegal character found in b: '33'"},
    });
}

TEST(XmlParser, TruncatedDocumentsAreErrorsNeverPartialTrees)
{
    expectParses({
        {"<a>", "null", "unmatched tags"},
        {"<a", "null", "unmatched tags"},
        {"<trov5.cclink", "null", "unmatched tags"},
        {"<a x", "null", "unmatched tags"},
        {"<a x=", "null", "unmatched tags"},
        {"<a x=\"1", "null", "unmatched quotes"},
        {"<a x=\"1&amp", "null", "unmatched quotes"},
        {"<a x=\"1&#12", "null", "unmatched quotes"},
        {"<a>&#12", "null", "unmatched tags"},
        {"<a>&#x", "null", "unmatched tags"},
        {"<a>&", "null", "unmatched tags"},
        {"<a><b/></", "null", "unmatched tags"},
        {"<a><b/></a", "null", "unmatched tags"},
        {"<a><b/", "null", "illegal character found in b: '47'"},
        {"<a>text", "null", "unmatched tags"},
        {"<a><!-- c", "null", "unmatched tags"},
        {"<a>x<!-- c", "null", "unterminated comment"},
        {"<a>x<? p", "null", "unmatched tags"},
        {"<a><![CDATA[x", "null", "unterminated CDATA section"},
    });

    // Every prefix of a mapping file gives no tree or the whole tree, never a part of it.
    std::string const file =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n\r\n"
        "<!-- created by libqev v5.0.2 - 06/12/2026 - 09h05m07s -->\r\n\r\n"
        "<trov5.cclink>\r\n"
        "  <mapping midichannel=\"1\" midicontroller=\"7\" pattern=\"/a&amp;b\" minrange=\"0\"\r\n"
        "           maxrange=\"1\" exponent=\"1e-05\" currentmidi=\"0\" currentosc=\"0\"/>\r\n"
        "  <mapping midichannel=\"16\" midicontroller=\"127\" pattern=\"/x&#233;\"/>\r\n"
        "</trov5.cclink>\r\n";
    ScopedPointer<XmlElement> whole(XmlDocument::ParseText(file));
    ASSERT_NE(whole.Get(), nullptr);
    std::string const expected = dump(whole.Get());
    EXPECT_EQ(whole->GetNumChildElements(), 2u);
    for (std::size_t n = 0; n < file.size(); ++n)
    {
        ScopedPointer<XmlElement> prefix(XmlDocument::ParseText(file.substr(0, n)));
        if (prefix.Get() != nullptr)
        {
            EXPECT_EQ(dump(prefix.Get()), expected) << "prefix of " << n << " bytes";
        }
    }
}

TEST(XmlParser, OptionsForOuterElementAndBlankText)
{
    XmlDocument outer{String("<a x='1'><b/></a>")};
    EXPECT_EQ(dump(ScopedPointer<XmlElement>(outer.getDocumentElement(true)).Get()), "a[x=1]");

    // Blank character data only arises from references: whitespace before a tag is skipped.
    for (bool const ignored : {true, false})
    {
        XmlDocument blank{String("<a> &#32; <b/>\n</a>")};
        blank.SetEmptyTextElementsIgnored(ignored);
        EXPECT_EQ(dump(ScopedPointer<XmlElement>(blank.getDocumentElement(false)).Get()),
                  ignored ? "a(b)" : "a('   ',b)");
    }

    // The text ends at an embedded NUL.
    XmlDocument withNul{String(std::string("<a/>\0<b", 7))};
    EXPECT_EQ(dump(ScopedPointer<XmlElement>(withNul.getDocumentElement(false)).Get()), "a");
}

TEST(XmlParser, NestingIsBoundedAndLongDocumentsStayLinear)
{
    auto nested = [](int levels)
    {
        std::string s;
        for (int i = 0; i < levels; ++i)
            s += "<e>";
        for (int i = 0; i < levels; ++i)
            s += "</e>";
        return s;
    };
    for (int const levels : {XmlDocument::maxNestingDepth, XmlDocument::maxNestingDepth + 1, 100000})
    {
        XmlDocument document{String(nested(levels))};
        ScopedPointer<XmlElement> root(document.getDocumentElement(false));
        bool const fits = levels <= XmlDocument::maxNestingDepth;
        EXPECT_EQ(root.Get() != nullptr, fits) << levels;
        EXPECT_EQ(document.GetLastParseError(), fits ? "" : "elements nested too deeply") << levels;
    }

    // Inputs that would make a naive reader quadratic or recursive finish quickly.
    std::vector<std::string> hostile = {"<a>" + std::string(1 << 20, '&'), "<a>" + std::string(1 << 20, '<'),
                                        "<a><!--" + std::string(1 << 20, '-'),
                                        "<a x='" + std::string(1 << 20, '&')};
    std::string siblings = "<a>";
    for (int i = 0; i < 200000; ++i)
        siblings += "<b i='1'/>t";
    hostile.push_back(siblings + "</a>");
    auto const start = std::chrono::steady_clock::now();
    for (std::string const& input : hostile)
        delete XmlDocument::ParseText(input);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

    ScopedPointer<XmlElement> wide(XmlDocument::ParseText(siblings + "</a>"));
    ASSERT_NE(wide.Get(), nullptr);
    EXPECT_EQ(wide->GetNumChildElements(), 400000u);
}

struct RoundTrip
{
    char const* name;
    char const* value;
};

TEST(XmlParser, ReadsBackWhatTheWriterWrote)
{
    std::vector<RoundTrip> const cases = {
        {"markup", "\" & < > ' ^ `"},
        {"line feed", "a\nb"},
        {"carriage return", "a\rb"},
        {"crlf", "a\r\nb"},
        {"tab", "a\tb"},
        {"accent", "caf\xC3\xA9"},
        {"emoji", "\xF0\x9F\x98\x80"},
        {"controls", "\x01\x1F\x7F"},
        {"entity-like", "&amp; &#65; &nbsp;"},
        {"surrounding blanks", "  x  "},
    };
    for (RoundTrip const& c : cases)
    {
        XmlElement root("trov5.cclink");
        auto* mapping = new XmlElement("mapping");
        mapping->SetAttribute("pattern", String(c.value));
        mapping->SetAttribute("other", String("1"));
        root.AddChildElement(mapping);
        auto* textHolder = new XmlElement("t");
        textHolder->AddChildElement(XmlElement::CreateTextElement(c.value));
        root.AddChildElement(textHolder);

        for (bool const oneLine : {false, true})
        {
            String const written = root.CreateDocument("", oneLine, true, "UTF-8", 10);
            XmlDocument document(written);
            ScopedPointer<XmlElement> back(document.getDocumentElement(false));
            ASSERT_NE(back.Get(), nullptr) << c.name;
            EXPECT_EQ(document.GetLastParseError(), "") << c.name;
            ASSERT_EQ(back->GetNumChildElements(), 2u) << c.name;
            EXPECT_EQ(back->GetChildElement(0)->GetStringAttribute("pattern"), c.value) << c.name;
            EXPECT_EQ(back->GetChildElement(0)->GetStringAttribute("other"), "1") << c.name;
            EXPECT_EQ(back->GetChildElement(1)->GetChildElement(0)->GetText(), c.value) << c.name;
        }
    }
}

} // namespace
