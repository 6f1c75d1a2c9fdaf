#include "QguiSvgIcons.h"

#include <initializer_list>
#include <memory>
#include <utility>

namespace qev
{
namespace
{

using Attributes = std::initializer_list<std::pair<char const*, char const*>>;

// The element is owned by parent before anything else can throw.
XmlElement* appendChild(XmlElement& parent, char const* tagName, Attributes attributes = {})
{
    auto element = std::make_unique<XmlElement>(tagName);
    for (auto const& attribute : attributes)
        element->SetAttribute(String(attribute.first), String(attribute.second));
    XmlElement* const raw = element.get();
    parent.AddChildElement(element.release());
    return raw;
}

void appendPath(XmlElement& parent, char const* d)
{
    appendChild(parent, "path", {{"d", d}});
}

void appendPath(XmlElement& parent, String const& d)
{
    appendPath(parent, d.GetCString());
}

void appendBlackPath(XmlElement& parent, char const* d)
{
    appendChild(parent, "path", {{"d", d}, {"stroke", "black"}, {"stroke-width", "1"}, {"fill", "black"}});
}

void appendStrokedPath(XmlElement& parent, char const* d)
{
    appendChild(parent, "path", {{"stroke", "#000000"}, {"stroke-width", "1"}, {"d", d}});
}

void appendStrokedPath(XmlElement& parent, String const& d)
{
    appendStrokedPath(parent, d.GetCString());
}

void appendCircle(XmlElement& parent, char const* cx, char const* cy, char const* r)
{
    appendChild(parent, "circle", {{"stroke", "#000000"}, {"cx", cx}, {"cy", cy}, {"r", r}});
}

void appendShadedCircle(XmlElement& parent, char const* cx, char const* cy, char const* r)
{
    appendChild(parent, "circle",
                {{"fill", "url(#XMLID_2_)"}, {"stroke", "#000000"}, {"cx", cx}, {"cy", cy}, {"r", r}});
}

// White at the top left fading to black: the shading of the listener's head.
void appendHeadGradient(XmlElement& parent, char const* cx, char const* cy)
{
    XmlElement* const gradient = appendChild(
        parent, "radialGradient",
        {{"id", "XMLID_2_"}, {"cx", cx}, {"cy", cy}, {"r", "85.8003"}, {"gradientUnits", "userSpaceOnUse"}});
    appendChild(*gradient, "stop", {{"offset", "0"}, {"style", "stop-color:#FFFFFF"}});
    appendChild(*gradient, "stop", {{"offset", "1"}, {"style", "stop-color:#000000"}});
}

// A ring about the centre of a 512 box, radii 152.5 and 127.5, the inner contour reversed.
char const* const ringAroundTheCentre =
    "M256,103.5c84.223,0,152.5,68.277,152.5,152.5S340.223,408.5,256,408.5S103.5,340.223,103.5,256"
    "S171.777,103.5,256,103.5z M256,128.5c-70.416,0-127.5,57.084-127.5,127.5"
    "S185.584,383.5,256,383.5S383.5,326.416,383.5,256S326.416,128.5,256,128.5"
    "z";

// A symbol drawn inside ringAroundTheCentre, as the plus, minus and cross buttons are.
void appendCircledSymbol(XmlElement& svg, char const* symbol)
{
    XmlElement* const g = appendChild(svg, "g");
    appendBlackPath(*g, ringAroundTheCentre);
    appendBlackPath(*g, symbol);
}

// Within each size the locked and unlocked pad locks share body and keyhole; only the shackle
// differs, and its contour leads the body's in the same path.
void appendPadLock(XmlElement& svg, char const* shackle)
{
    appendPath(svg, String(shackle) +
                        "M128,224H384A32,32,0,0,1,416,256V448A32,32,0,0,1,384,480H128A32,32,0,0,1,96,448"
                        "V256A32,32,0,0,1,128,224z M144,264A8,8,0,0,0,136,272V432A8,8,0,0,0,144,440"
                        "H368A8,8,0,0,0,376,432V272A8,8,0,0,0,368,264z");
    appendPath(svg, "M256,296A32,32,0,0,1,272,355.713V400H240V355.713A32,32,0,0,1,256,296z");
}

void appendPadLock2(XmlElement& svg, char const* shackle)
{
    appendPath(svg, String(shackle) +
                        "M7,14H25A2,2,0,0,1,27,16V28A2,2,0,0,1,25,30H7A2,2,0,0,1,5,28V16A2,2,0,0,1,7,14z "
                        "M16,18A2,2,0,0,0,15,21.732V25H17V21.732A2,2,0,0,0,16,18z");
}

void appendPadLock3(XmlElement& svg, char const* shackle)
{
    XmlElement* const g = appendChild(svg, "g");
    appendStrokedPath(*g, String(shackle) +
                              "M56,92H144A20,20,0,0,1,164,112V168A20,20,0,0,1,144,188H56A20,20,0,0,1,36,168"
                              "V112A20,20,0,0,1,56,92z M60,106A10,10,0,0,0,50,116V164A10,10,0,0,0,60,174H140"
                              "A10,10,0,0,0,150,164V116A10,10,0,0,0,140,106z");
    appendStrokedPath(*g, "M100,122A12,12,0,0,1,100,146A12,12,0,0,1,100,122z M99,140H101A4,4,0,0,1,105,144"
                          "V158A4,4,0,0,1,101,162H99A4,4,0,0,1,95,158V144A4,4,0,0,1,99,140z");
}

// The cloud of the uploading and downloading icons; the arrow's contour follows it in one path.
void appendCloud(XmlElement& svg, char const* arrow)
{
    appendPath(svg,
               String("M136,400A80,80,0,0,1,128.001,240.401A112,112,0,0,1,348.453,212.037A96,96,0,1,1,376,400"
                      "z ") +
                   arrow);
}

// Lens ring and handle, shared by the zoom icons.
char const* const zoomMagnifier =
    "M330,80A250,250,0,0,1,330,580A250,250,0,0,1,330,80z M330,130A200,200,0,0,0,330,530"
    "A200,200,0,0,0,330,130z M530.111,462.229L749.314,681.432A48,48,0,0,1,681.432,749.314"
    "L462.229,530.111A48,48,0,0,1,530.111,462.229z";

} // namespace

XmlElement* SvgResources::CreateSvgFor(Type const& type)
{
    switch (static_cast<std::uint32_t>(type))
    {
    case ListenerFront:
        return CreateSvgForListenerFront();
    case ListenerFrontWithHeadphones:
        return CreateSvgForListenerFrontWithHeadphones();
    case ListenerTop:
        return CreateSvgForListenerTop();
    case ListenerTopWithHeadphones:
        return CreateSvgForListenerTopWithHeadphones();
    case MagnifyingGlass:
        return CreateSvgForMagnifyingGlass();
    case PadLock:
        return CreateSvgForPadLock();
    case PadUnLock:
        return CreateSvgForPadUnLock();
    case PadLock2:
        return CreateSvgForPadLock2();
    case PadUnLock2:
        return CreateSvgForPadUnLock2();
    case PadLock3:
        return CreateSvgForPadLock3();
    case PadUnLock3:
        return CreateSvgForPadUnLock3();
    case PlusButton:
        return CreateSvgForPlusButton();
    case MinusButton:
        return CreateSvgForMinusButton();
    case CrossButton:
        return CreateSvgForCrossButton();
    case CautionButton:
        return CreateSvgForCautionButton();
    case CloudUploading:
        return CreateSvgForCloudUploading();
    case CloudDownloading:
        return CreateSvgForCloudDownloading();
    case PowerButton:
        return CreateSvgForPowerButton();
    case RefreshArrow1:
        return CreateSvgForRefreshArrow1();
    case RefreshArrow2:
        return CreateSvgForRefreshArrow2();
    case ZoomOut:
        return CreateSvgForZoomOut();
    case ZoomIn:
        return CreateSvgForZoomIn();
    case Notepad:
        return CreateSvgForNotepad();
    case GearWithWrench:
        return CreateSvgForGearWithWrench();
    default:
        return nullptr;
    }
}

String SvgResources::GetSvgFor(Type const& type)
{
    return toString(CreateSvgFor(type));
}

String SvgResources::toString(XmlElement* tree)
{
    std::unique_ptr<XmlElement> const owned(tree);
    if (owned == nullptr)
        return String();
    return owned->CreateDocument(String(), false, true, String("UTF-8"), 200);
}

XmlElement* SvgResources::getDefaultSvgHeader(double width, double height)
{
    return getDefaultSvgHeader(String(width), String(height));
}

XmlElement* SvgResources::getDefaultSvgHeader(String const& width, String const& height)
{
    auto svg = std::make_unique<XmlElement>("svg");
    String const size = width + " " + height;
    svg->SetAttribute(String("version"), String("1.1"));
    svg->SetAttribute(String("id"), String("Layer_1"));
    svg->SetAttribute(String("xmlns"), String("http://www.w3.org/2000/svg"));
    svg->SetAttribute(String("xmlns:xlink"), String("http://www.w3.org/1999/xlink"));
    svg->SetAttribute(String("width"), width);
    svg->SetAttribute(String("height"), height);
    svg->SetAttribute(String("viewBox"), "0 0 " + size);
    svg->SetAttribute(String("overflow"), String("visible"));
    svg->SetAttribute(String("enable-background"), "new 0 0 " + size);
    svg->SetAttribute(String("xml:space"), String("preserve"));
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForListenerFront()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(88.845, 68.023));
    appendCircle(*svg, "14.435", "33.039", "13.935");
    appendCircle(*svg, "59.927", "33.16", "14.418");
    appendHeadGradient(*svg, "8.9937", "-4.8872");
    appendShadedCircle(*svg, "37.614", "31.813", "31.313");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForListenerFrontWithHeadphones()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(89.845, 70.32));
    appendCircle(*svg, "14.435", "39.732", "13.935");
    appendCircle(*svg, "74.927", "39.854", "14.418");
    appendHeadGradient(*svg, "15.9937", "1.8062");
    appendShadedCircle(*svg, "44.614", "38.506", "31.313");
    appendChild(
        *svg, "path",
        {{"fill", "none"},
         {"stroke", "#000000"},
         {"stroke-width", "5"},
         {"d", "M8.633,37.118C9.363,17.876,25.193,2.5,44.613,2.5c19.886,0,36.007,16.121,36.007,36.006"}});
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForListenerTop()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(76.845, 68.023));
    appendCircle(*svg, "38.435", "5.435", "4.935");
    appendCircle(*svg, "14.435", "37.435", "13.935");
    appendCircle(*svg, "61.927", "37.557", "14.418");
    appendHeadGradient(*svg, "9.9937", "-0.4907");
    appendShadedCircle(*svg, "38.614", "36.209", "31.313");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForListenerTopWithHeadphones()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(88.845, 68.023));
    appendCircle(*svg, "44.435", "5.435", "4.935");
    appendCircle(*svg, "14.435", "37.435", "13.935");
    appendCircle(*svg, "73.927", "37.557", "14.418");
    appendHeadGradient(*svg, "15.9937", "-0.4907");
    appendShadedCircle(*svg, "44.614", "36.209", "31.313");
    appendChild(*svg, "line",
                {{"fill", "none"},
                 {"stroke", "#000000"},
                 {"stroke-width", "13"},
                 {"x1", "11.28"},
                 {"y1", "36.883"},
                 {"x2", "78.283"},
                 {"y2", "36.883"}});
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForMagnifyingGlass()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(483.083, 483.083));
    auto g = std::make_unique<XmlElement>("g");
    appendBlackPath(*g,
                    "M332.74,315.35c30.883-33.433,50.15-78.2,50.15-127.5C382.89,84.433,298.74,0,195.04,0"
                    "S7.19,84.433,7.19,187.85S91.34,375.7,195.04,375.7c42.217,0,81.033-13.883,112.483-37.4"
                    "l139.683,139.683c3.4,3.4,7.65,5.1,11.9,5.1s8.783-1.7,11.9-5.1"
                    "c6.517-6.517,6.517-17.283,0-24.083L332.74,315.35z "
                    "M41.19,187.85C41.19,103.133,110.04,34,195.04,34c84.717,0,153.85,68.85,153.85,153.85"
                    "S280.04,341.7,195.04,341.7S41.19,272.567,41.19,187.85z");
    svg->AddChildElement(g.release());
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForPadLock()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(512, 512));
    appendPadLock(*svg, "M160,224V160A96,96,0,0,1,352,160V224H312V160A56,56,0,0,0,200,160V224z ");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForPadUnLock()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(512, 512));
    appendPadLock(*svg, "M160,224V112A96,96,0,0,1,352,112V144H312V112A56,56,0,0,0,200,112V224z ");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForPadLock2()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(32, 32));
    appendPadLock2(*svg, "M9,14V10A7,7,0,0,1,23,10V14H20V10A4,4,0,0,0,12,10V14z ");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForPadUnLock2()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(32, 32));
    appendPadLock2(*svg, "M9,14V7A7,7,0,0,1,23,7V9H20V7A4,4,0,0,0,12,7V14z ");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForPadLock3()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(200, 200));
    appendPadLock3(*svg, "M58,92V60A42,42,0,0,1,142,60V92H128V60A28,28,0,0,0,72,60V92z ");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForPadUnLock3()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(200, 200));
    appendPadLock3(*svg, "M58,92V44A42,42,0,0,1,142,44V60H128V44A28,28,0,0,0,72,44V92z ");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForPlusButton()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(512, 512));
    appendCircledSymbol(*svg, "M243.5,243.5V182A12.5,12.5,0,0,1,268.5,182V243.5H330A12.5,12.5,0,0,1,330,268.5"
                              "H268.5V330A12.5,12.5,0,0,1,243.5,330V268.5H182A12.5,12.5,0,0,1,182,243.5"
                              "z");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForMinusButton()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(512, 512));
    appendCircledSymbol(*svg, "M329.497,268.5H182.505c-6.903,0-12.5-5.597-12.5-12.5s5.597-12.5,12.5-12.5"
                              "h146.992c6.903,0,12.5,5.597,12.5,12.5S336.4,268.5,329.497,268.5z");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForCrossButton()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(512, 512));
    appendCircledSymbol(
        *svg, "M256,238.322L299.487,194.835A12.5,12.5,0,0,1,317.165,212.513L273.678,256"
              "L317.165,299.487A12.5,12.5,0,0,1,299.487,317.165L256,273.678L212.513,317.165"
              "A12.5,12.5,0,0,1,194.835,299.487L238.322,256L194.835,212.513A12.5,12.5,0,0,1,212.513,194.835"
              "z");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForCautionButton()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(512, 512));
    XmlElement* const g = appendChild(*svg, "g");
    appendBlackPath(
        *g, "M276.838,84.466L459.482,404.093A24,24,0,0,1,438.644,440L73.356,440A24,24,0,0,1,52.518,404.093"
            "L235.162,84.466A24,24,0,0,1,276.838,84.466z M98.512,411.253L413.488,411.253"
            "A10,10,0,0,0,422.171,396.292L264.682,120.688A10,10,0,0,0,247.318,120.688"
            "L89.829,396.292A10,10,0,0,0,98.512,411.253z");
    appendBlackPath(*g, "M274,200L274,320A18,18,0,0,1,238,320L238,200A18,18,0,0,1,274,200z");
    appendBlackPath(*g, "M256,350A22,22,0,0,1,256,394A22,22,0,0,1,256,350z");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForCloudUploading()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(512, 512));
    appendCloud(*svg, "M256,212L196,300L236,300L236,380L276,380L276,300L316,300z");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForCloudDownloading()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(512, 512));
    appendCloud(*svg, "M236,212L236,300L196,300L256,388L316,300L276,300L276,212z");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForPowerButton()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(512, 512));
    appendPath(*svg, "M276,72L276,248A20,20,0,0,1,236,248L236,72A20,20,0,0,1,276,72z");
    appendPath(*svg, "M354.655,143.106A172,172,0,1,1,157.345,143.106A20,20,0,0,1,180.288,175.872"
                     "A132,132,0,1,0,331.712,175.872A20,20,0,0,1,354.655,143.106z");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForRefreshArrow1()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(512, 512));
    appendPath(*svg, "M384.695,148.012A168,168,0,1,1,256,88A20,20,0,0,1,256,128A128,128,0,1,0,354.054,173.723"
                     "L314.219,207.148L286.771,111.234L424.53,114.587z");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForRefreshArrow2()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(512, 512));
    appendPath(*svg, "M90.614,195.804A176,176,0,0,1,369.131,121.176L394.842,90.534L406.351,201.277"
                     "L322.85,176.331L348.561,145.69A144,144,0,0,0,120.684,206.749z");
    appendPath(*svg, "M421.386,316.196A176,176,0,0,1,142.869,390.824L117.158,421.466L105.649,310.723"
                     "L189.15,335.669L163.439,366.31A144,144,0,0,0,391.316,305.251z");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForZoomOut()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(800, 800));
    appendPath(*svg, zoomMagnifier);
    appendPath(*svg, "M225,305H435A25,25,0,0,1,460,330V330A25,25,0,0,1,435,355H225A25,25,0,0,1,200,330"
                     "V330A25,25,0,0,1,225,305z");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForZoomIn()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(800, 800));
    appendPath(*svg, zoomMagnifier);
    appendPath(*svg, "M305,225A25,25,0,0,1,355,225V305H435A25,25,0,0,1,435,355H355V435A25,25,0,0,1,305,435"
                     "V355H225A25,25,0,0,1,225,305H305z");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForNotepad()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(512, 512));
    appendPath(*svg, "M120,80H392A24,24,0,0,1,416,104V456A24,24,0,0,1,392,480H120A24,24,0,0,1,96,456"
                     "V104A24,24,0,0,1,120,80z M136,128A8,8,0,0,0,128,136V440A8,8,0,0,0,136,448"
                     "H376A8,8,0,0,0,384,440V136A8,8,0,0,0,376,128z M190,48L190,112A14,14,0,0,1,162,112"
                     "L162,48A14,14,0,0,1,190,48z M270,48L270,112A14,14,0,0,1,242,112L242,48"
                     "A14,14,0,0,1,270,48z M350,48L350,112A14,14,0,0,1,322,112L322,48A14,14,0,0,1,350,48"
                     "z M160,184L352,184L352,204L160,204z M160,240L352,240L352,260L160,260z "
                     "M160,296L352,296L352,316L160,316z M160,352L352,352L352,372L160,372z M160,408"
                     "L288,408L288,428L160,428z");
    return svg.release();
}

XmlElement* SvgResources::CreateSvgForGearWithWrench()
{
    std::unique_ptr<XmlElement> svg(getDefaultSvgHeader(512, 512));
    appendPath(*svg,
               "M161.034,67.802L166.97,33.97A160,160,0,0,1,217.03,33.97L222.966,67.802"
               "A128,128,0,0,1,257.925,82.283L286.046,62.557A160,160,0,0,1,321.443,97.954"
               "L301.717,126.075A128,128,0,0,1,316.198,161.034L350.03,166.97A160,160,0,0,1,350.03,217.03"
               "L316.198,222.966A128,128,0,0,1,301.717,257.925L321.443,286.046A160,160,0,0,1,286.046,321.443"
               "L257.925,301.717A128,128,0,0,1,222.966,316.198L217.03,350.03A160,160,0,0,1,166.97,350.03"
               "L161.034,316.198A128,128,0,0,1,126.075,301.717L97.954,321.443A160,160,0,0,1,62.557,286.046"
               "L82.283,257.925A128,128,0,0,1,67.802,222.966L33.97,217.03A160,160,0,0,1,33.97,166.97"
               "L67.802,161.034A128,128,0,0,1,82.283,126.075L62.557,97.954A160,160,0,0,1,97.954,62.557"
               "L126.075,82.283A128,128,0,0,1,161.034,67.802z M192,136A56,56,0,0,0,192,248"
               "A56,56,0,0,0,192,136z M273.029,453.029L383.029,343.029A24,24,0,0,1,416.971,376.971"
               "L306.971,486.971A24,24,0,0,1,273.029,453.029z M503.028,308.887A64,64,0,1,1,451.113,256.972"
               "L444.862,292.425A28,28,0,1,0,467.575,315.138z");
    return svg.release();
}
} // namespace qev
