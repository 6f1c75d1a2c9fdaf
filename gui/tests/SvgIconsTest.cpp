#include "common/QguiFunctions.h"
#include "common/QguiSvgIcons.h"
#include "text/QevXmlDocument.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{

using qev::SvgResources;
using qev::XmlElement;

SvgResources::Type typeOf(std::uint32_t value)
{
    return static_cast<SvgResources::Type>(value);
}

// The tag names of the tree, children in brackets: "svg[g[path,path]]".
std::string shapeOf(XmlElement const& element)
{
    std::string shape = element.GetTagName().GetStdString();
    if (element.GetFirstChildElement() == nullptr)
        return shape;
    shape += '[';
    for (XmlElement const* child = element.GetFirstChildElement(); child != nullptr;
         child = child->GetNextElement())
    {
        if (child != element.GetFirstChildElement())
            shape += ',';
        shape += shapeOf(*child);
    }
    return shape + ']';
}

std::string attributeNamesOf(XmlElement const& element)
{
    std::string names;
    for (unsigned long i = 0; i < element.GetNumAttributes(); ++i)
        names += (i == 0 ? "" : ",") + element.GetAttributeName(i).GetStdString();
    return names;
}

TEST(SvgIcons, TypesOutsideTheCatalogueGiveNothing)
{
    for (std::uint32_t const value : {24u, 25u, static_cast<std::uint32_t>(-1)})
    {
        EXPECT_EQ(SvgResources::CreateSvgFor(typeOf(value)), nullptr) << value;
        EXPECT_TRUE(SvgResources::GetSvgFor(typeOf(value)).IsEmpty()) << value;
    }
    EXPECT_TRUE(SvgResources::toString(nullptr).IsEmpty());
}

TEST(SvgIcons, EveryIconHasItsSizeAndStructure)
{
    struct Expected
    {
        char const* width;
        char const* height;
        char const* shape;
        char const* pathAttributes; // of every path, "" when the icon has none
    };
    std::string const listener = "circle,circle,radialGradient[stop,stop],circle";
    std::string const listenerTop = "circle," + listener;
    Expected const table[SvgResources::numTypes] = {
        {"88.845", "68.023", "", "fill,stroke,stroke-width,d"},
        {"89.845", "70.32", "", "fill,stroke,stroke-width,d"},
        {"76.845", "68.023", "", ""},
        {"88.845", "68.023", "", ""},
        {"483.083", "483.083", "svg[g[path]]", "d,stroke,stroke-width,fill"},
        {"512", "512", "svg[path,path]", "d"},
        {"512", "512", "svg[path,path]", "d"},
        {"32", "32", "svg[path]", "d"},
        {"32", "32", "svg[path]", "d"},
        {"200", "200", "svg[g[path,path]]", "stroke,stroke-width,d"},
        {"200", "200", "svg[g[path,path]]", "stroke,stroke-width,d"},
        {"512", "512", "svg[g[path,path]]", "d,stroke,stroke-width,fill"},
        {"512", "512", "svg[g[path,path]]", "d,stroke,stroke-width,fill"},
        {"512", "512", "svg[g[path,path]]", "d,stroke,stroke-width,fill"},
        {"512", "512", "svg[g[path,path,path]]", "d,stroke,stroke-width,fill"},
        {"512", "512", "svg[path]", "d"},
        {"512", "512", "svg[path]", "d"},
        {"512", "512", "svg[path,path]", "d"},
        {"512", "512", "svg[path]", "d"},
        {"512", "512", "svg[path,path]", "d"},
        {"800", "800", "svg[path,path]", "d"},
        {"800", "800", "svg[path,path]", "d"},
        {"512", "512", "svg[path]", "d"},
        {"512", "512", "svg[path]", "d"},
    };
    std::string const listenerShapes[4] = {"svg[" + listener + "]", "svg[" + listener + ",path]",
                                           "svg[" + listenerTop + "]", "svg[" + listenerTop + ",line]"};

    for (std::uint32_t type = 0; type < SvgResources::numTypes; ++type)
    {
        SCOPED_TRACE(type);
        std::unique_ptr<XmlElement> const svg(SvgResources::CreateSvgFor(typeOf(type)));
        ASSERT_NE(svg, nullptr);
        Expected const& expected = table[type];
        EXPECT_EQ(shapeOf(*svg), type < 4 ? listenerShapes[type] : std::string(expected.shape));
        EXPECT_EQ(attributeNamesOf(*svg),
                  "version,id,xmlns,xmlns:xlink,width,height,viewBox,overflow,enable-background,xml:space");
        EXPECT_EQ(svg->GetStringAttribute("width"), expected.width);
        EXPECT_EQ(svg->GetStringAttribute("height"), expected.height);

        // Every path of the icon carries the same attributes, and its outline lies in the view box.
        std::vector<XmlElement const*> pending = {svg.get()};
        while (!pending.empty())
        {
            XmlElement const* element = pending.back();
            pending.pop_back();
            for (XmlElement const* child = element->GetFirstChildElement(); child != nullptr;
                 child = child->GetNextElement())
                pending.push_back(child);
            if (element->HasTagName("path"))
            {
                EXPECT_EQ(attributeNamesOf(*element), expected.pathAttributes);
                EXPECT_FALSE(element->GetStringAttribute("d").IsEmpty());
            }
        }

        std::unique_ptr<juce::Drawable> const drawable(
            qgui::CreateDrawableFromSVG(SvgResources::GetSvgFor(typeOf(type))));
        ASSERT_NE(drawable, nullptr);
        auto const bounds = drawable->getDrawableBounds();
        auto const width = static_cast<float>(svg->GetDoubleAttribute("width", 0.0));
        auto const height = static_cast<float>(svg->GetDoubleAttribute("height", 0.0));
        EXPECT_GT(bounds.getWidth(), width / 3.0f);
        EXPECT_GT(bounds.getHeight(), height / 3.0f);
        float const margin = width * 0.02f + 3.0f; // strokes reach a little past the outlines
        EXPECT_TRUE(juce::Rectangle<float>(-margin, -margin, width + 2 * margin, height + 2 * margin)
                        .contains(bounds))
            << bounds.toString();
    }
}

TEST(SvgIcons, MagnifyingGlassTextParsesBack)
{
    qev::String const text = SvgResources::GetSvgFor(SvgResources::MagnifyingGlass);
    EXPECT_EQ(text.SubString(0, 36), "<?xml version=\"1.0\" encoding=\"UTF-8\"");
    EXPECT_EQ(text, SvgResources::GetSvgFor(typeOf(4)));

    std::unique_ptr<XmlElement> const svg(qev::XmlDocument::ParseText(text));
    ASSERT_NE(svg, nullptr);
    EXPECT_EQ(shapeOf(*svg), "svg[g[path]]");
    EXPECT_EQ(svg->GetStringAttribute("version"), "1.1");
    EXPECT_EQ(svg->GetStringAttribute("id"), "Layer_1");
    EXPECT_EQ(svg->GetStringAttribute("xmlns"), "http://www.w3.org/2000/svg");
    EXPECT_EQ(svg->GetStringAttribute("xmlns:xlink"), "http://www.w3.org/1999/xlink");
    EXPECT_EQ(svg->GetStringAttribute("viewBox"), "0 0 483.083 483.083");
    EXPECT_EQ(svg->GetStringAttribute("overflow"), "visible");
    EXPECT_EQ(svg->GetStringAttribute("enable-background"), "new 0 0 483.083 483.083");
    EXPECT_EQ(svg->GetStringAttribute("xml:space"), "preserve");

    XmlElement const* const path = svg->GetFirstChildElement()->GetFirstChildElement();
    EXPECT_EQ(attributeNamesOf(*path), "d,stroke,stroke-width,fill");
    EXPECT_EQ(path->GetStringAttribute("stroke"), "black");
    EXPECT_EQ(path->GetStringAttribute("stroke-width"), "1");
    EXPECT_EQ(path->GetStringAttribute("fill"), "black");
    EXPECT_EQ(
        path->GetStringAttribute("d"),
        "M332.74,315.35c30.883-33.433,50.15-78.2,50.15-127.5C382.89,84.433,298.74,0,195.04,0S7.19,84.433,"
        "7.19,187.85S91.34,375.7,195.04,375.7c42.217,0,81.033-13.883,112.483-37.4l139.683,139.683c3.4,3.4,"
        "7.65,5.1,11.9,5.1s8.783-1.7,11.9-5.1c6.517-6.517,6.517-17.283,0-24.083L332.74,315.35z "
        "M41.19,187.85C41.19,103.133,110.04,34,195.04,34c84.717,0,153.85,68.85,153.85,153.85S280.04,341.7,"
        "195.04,341.7S41.19,272.567,41.19,187.85z");
}

TEST(SvgIcons, HeadersFromNumbersAndTexts)
{
    std::unique_ptr<XmlElement> const lock(SvgResources::CreateSvgFor(SvgResources::PadLock));
    EXPECT_EQ(lock->GetStringAttribute("viewBox"), "0 0 512 512");
    EXPECT_EQ(lock->GetStringAttribute("enable-background"), "new 0 0 512 512");

    std::unique_ptr<XmlElement> const fromNumbers(SvgResources::getDefaultSvgHeader(0.5, 1234567.0));
    EXPECT_EQ(fromNumbers->GetStringAttribute("viewBox"), "0 0 0.5 1.23457e+06");
    EXPECT_EQ(fromNumbers->GetNumChildElements(), 0u);

    std::unique_ptr<XmlElement> const fromTexts(SvgResources::getDefaultSvgHeader("10px", "20px"));
    EXPECT_EQ(fromTexts->GetStringAttribute("width"), "10px");
    EXPECT_EQ(fromTexts->GetStringAttribute("enable-background"), "new 0 0 10px 20px");
}

TEST(SvgIcons, EachCallBuildsAnIndependentTree)
{
    std::unique_ptr<XmlElement> first(SvgResources::CreateSvgFor(SvgResources::ZoomIn));
    std::unique_ptr<XmlElement> const second(SvgResources::CreateSvgFor(SvgResources::ZoomIn));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first.get(), second.get());
    first->GetFirstChildElement()->SetAttribute("d", "M0,0z");
    first.reset();
    EXPECT_EQ(shapeOf(*second), "svg[path,path]");
    EXPECT_NE(second->GetFirstChildElement()->GetStringAttribute("d"), "M0,0z");

    // Zoom in and out share the magnifier and differ in the sign.
    std::unique_ptr<XmlElement> const zoomOut(SvgResources::CreateSvgFor(SvgResources::ZoomOut));
    EXPECT_EQ(zoomOut->GetChildElement(0)->GetStringAttribute("d"),
              second->GetChildElement(0)->GetStringAttribute("d"));
    EXPECT_NE(zoomOut->GetChildElement(1)->GetStringAttribute("d"),
              second->GetChildElement(1)->GetStringAttribute("d"));
}

} // namespace
