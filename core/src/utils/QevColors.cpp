#include "utils/QevColors.h"

namespace qev
{

namespace
{
constexpr float component(int byteValue) noexcept
{
    return static_cast<float>(byteValue) / 255.0f;
}

// Sorted by name: FindColor bisects it.
constexpr Colors::NamedColor namedColors[] = {
    {"aliceblue", component(240), component(248), component(255)},
    {"antiquewhite", component(250), component(235), component(215)},
    {"aqua", component(0), component(255), component(255)},
    {"aquamarine", component(127), component(255), component(212)},
    {"azure", component(240), component(255), component(255)},
    {"beige", component(245), component(245), component(220)},
    {"bisque", component(255), component(228), component(196)},
    {"black", component(0), component(0), component(0)},
    {"blanchedalmond", component(255), component(235), component(205)},
    {"blue", component(0), component(0), component(255)},
    {"blueviolet", component(138), component(43), component(226)},
    {"brown", component(165), component(42), component(42)},
    {"burlywood", component(222), component(184), component(135)},
    {"cadetblue", component(95), component(158), component(160)},
    {"chartreuse", component(127), component(255), component(0)},
    {"chocolate", component(210), component(105), component(30)},
    {"coral", component(255), component(127), component(80)},
    {"cornflowerblue", component(100), component(149), component(237)},
    {"cornsilk", component(255), component(248), component(220)},
    {"crimson", component(220), component(20), component(60)},
    {"cyan", component(0), component(255), component(255)},
    {"darkblue", component(0), component(0), component(139)},
    {"darkcyan", component(0), component(139), component(139)},
    {"darkgoldenrod", component(184), component(134), component(11)},
    {"darkgreen", component(0), component(100), component(0)},
    {"darkgrey", component(85), component(85), component(85)},
    {"darkkhaki", component(189), component(183), component(107)},
    {"darkmagenta", component(139), component(0), component(139)},
    {"darkolivegreen", component(85), component(107), component(47)},
    {"darkorange", component(255), component(140), component(0)},
    {"darkorchid", component(153), component(50), component(204)},
    {"darkred", component(139), component(0), component(0)},
    {"darksalmon", component(233), component(150), component(122)},
    {"darkseagreen", component(143), component(188), component(143)},
    {"darkslateblue", component(72), component(61), component(139)},
    {"darkslategrey", component(47), component(79), component(79)},
    {"darkturquoise", component(0), component(206), component(209)},
    {"darkviolet", component(148), component(0), component(211)},
    {"deeppink", component(255), component(20), component(147)},
    {"deepskyblue", component(0), component(191), component(255)},
    {"dimgrey", component(105), component(105), component(105)},
    {"dodgerblue", component(30), component(144), component(255)},
    {"firebrick", component(178), component(34), component(34)},
    {"floralwhite", component(255), component(250), component(240)},
    {"forestgreen", component(34), component(139), component(34)},
    {"fuchsia", component(255), component(0), component(255)},
    {"gainsboro", component(220), component(220), component(220)},
    {"gold", component(255), component(215), component(0)},
    {"goldenrod", component(218), component(165), component(32)},
    {"green", component(0), component(128), component(0)},
    {"greenyellow", component(173), component(255), component(47)},
    {"grey", component(128), component(128), component(128)},
    {"honeydew", component(240), component(255), component(240)},
    {"hotpink", component(255), component(105), component(180)},
    {"indianred", component(205), component(92), component(92)},
    {"indigo", component(75), component(0), component(130)},
    {"ivory", component(255), component(255), component(240)},
    {"khaki", component(240), component(230), component(140)},
    {"lavender", component(230), component(230), component(250)},
    {"lavenderblush", component(255), component(240), component(245)},
    {"lemonchiffon", component(255), component(250), component(205)},
    {"lightblue", component(173), component(216), component(230)},
    {"lightcoral", component(240), component(128), component(128)},
    {"lightcyan", component(224), component(255), component(255)},
    {"lightgoldenrodyellow", component(250), component(250), component(210)},
    {"lightgreen", component(144), component(238), component(144)},
    {"lightgrey", component(211), component(211), component(211)},
    {"lightpink", component(255), component(182), component(193)},
    {"lightsalmon", component(255), component(160), component(122)},
    {"lightseagreen", component(32), component(178), component(170)},
    {"lightskyblue", component(135), component(206), component(250)},
    {"lightslategrey", component(119), component(136), component(153)},
    {"lightsteelblue", component(176), component(196), component(222)},
    {"lightyellow", component(255), component(255), component(224)},
    {"lime", component(0), component(255), component(0)},
    {"limegreen", component(50), component(205), component(50)},
    {"linen", component(250), component(240), component(230)},
    {"magenta", component(255), component(0), component(255)},
    {"maroon", component(128), component(0), component(0)},
    {"mediumaquamarine", component(102), component(205), component(170)},
    {"mediumblue", component(0), component(0), component(205)},
    {"mediumorchid", component(186), component(85), component(211)},
    {"mediumpurple", component(147), component(112), component(219)},
    {"mediumseagreen", component(60), component(179), component(113)},
    {"mediumslateblue", component(123), component(104), component(238)},
    {"mediumspringgreen", component(0), component(250), component(154)},
    {"mediumturquoise", component(72), component(209), component(204)},
    {"mediumvioletred", component(199), component(21), component(133)},
    {"midnightblue", component(25), component(25), component(112)},
    {"mintcream", component(245), component(255), component(250)},
    {"mistyrose", component(255), component(228), component(225)},
    {"navajowhite", component(255), component(222), component(173)},
    {"navy", component(0), component(0), component(128)},
    {"oldlace", component(253), component(245), component(230)},
    {"olive", component(128), component(128), component(0)},
    {"olivedrab", component(107), component(142), component(35)},
    {"orange", component(255), component(165), component(0)},
    {"orangered", component(255), component(69), component(0)},
    {"orchid", component(218), component(112), component(214)},
    {"palegoldenrod", component(238), component(232), component(170)},
    {"palegreen", component(152), component(251), component(152)},
    {"paleturquoise", component(175), component(238), component(238)},
    {"palevioletred", component(219), component(112), component(147)},
    {"papayawhip", component(255), component(239), component(213)},
    {"peachpuff", component(255), component(218), component(185)},
    {"peru", component(205), component(133), component(63)},
    {"pink", component(255), component(192), component(203)},
    {"plum", component(221), component(160), component(221)},
    {"powderblue", component(176), component(224), component(230)},
    {"purple", component(128), component(0), component(128)},
    {"red", component(255), component(0), component(0)},
    {"rosybrown", component(188), component(143), component(143)},
    {"royalblue", component(65), component(105), component(225)},
    {"saddlebrown", component(139), component(69), component(19)},
    {"salmon", component(250), component(128), component(114)},
    {"sandybrown", component(244), component(164), component(96)},
    {"seagreen", component(46), component(139), component(87)},
    {"seashell", component(255), component(245), component(238)},
    {"sienna", component(160), component(82), component(45)},
    {"silver", component(192), component(192), component(192)},
    {"skyblue", component(135), component(206), component(235)},
    {"slateblue", component(106), component(90), component(205)},
    {"slategrey", component(112), component(128), component(144)},
    {"snow", component(255), component(250), component(250)},
    {"springgreen", component(0), component(255), component(127)},
    {"steelblue", component(70), component(130), component(180)},
    {"tan", component(210), component(180), component(140)},
    {"teal", component(0), component(128), component(128)},
    {"thistle", component(216), component(191), component(216)},
    {"tomato", component(255), component(99), component(71)},
    {"turquoise", component(64), component(224), component(208)},
    {"violet", component(238), component(130), component(238)},
    {"wheat", component(245), component(222), component(179)},
    {"white", component(255), component(255), component(255)},
    {"whitesmoke", component(245), component(245), component(245)},
    {"yellow", component(255), component(255), component(0)},
    {"yellowgreen", component(154), component(205), component(50)},
};

constexpr unsigned long numColors = sizeof(namedColors) / sizeof(namedColors[0]);
static_assert(numColors == 137, "the named colour set has 137 entries");

// ASCII-only folding: the result must not depend on the process's locale.
int compareIgnoringAsciiCase(char const* a, char const* b) noexcept
{
    auto fold = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; };
    for (;; ++a, ++b)
    {
        int const difference = fold(static_cast<unsigned char>(*a)) - fold(static_cast<unsigned char>(*b));
        if (difference != 0 || *a == '\0')
            return difference;
    }
}
} // namespace

unsigned long Colors::GetNumColors() noexcept
{
    return numColors;
}

Colors::NamedColor const* Colors::GetColor(unsigned long index) noexcept
{
    return index < numColors ? &namedColors[index] : nullptr;
}

Colors::NamedColor const* Colors::FindColor(char const* name) noexcept
{
    if (name == nullptr)
        return nullptr;
    unsigned long low = 0;
    unsigned long high = numColors;
    while (low < high)
    {
        unsigned long const middle = low + (high - low) / 2;
        int const order = compareIgnoringAsciiCase(name, namedColors[middle].name);
        if (order == 0)
            return &namedColors[middle];
        if (order < 0)
            high = middle;
        else
            low = middle + 1;
    }
    return nullptr;
}

} // namespace qev
