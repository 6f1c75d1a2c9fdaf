#pragma once

#include "utils/QevColorRGBA.h"

namespace qev
{

// The CSS colour keywords, in their "grey" spellings only, without ghostwhite, lawngreen and
// moccasin, and with darkgrey at 85/255: 137 colours in alphabetical order. The table is constant
// data, ready before any code runs.
class Colors
{
public:
    Colors() = delete;

    struct NamedColor
    {
        char const* name;
        float red;
        float green;
        float blue;

        ColorRGBA ToColorRGBA(float alpha = 1.0f) const noexcept
        {
            return ColorRGBA(red, green, blue, alpha);
        }
    };

    static unsigned long GetNumColors() noexcept;

    // Null when index is not below GetNumColors().
    static NamedColor const* GetColor(unsigned long index) noexcept;

    // Lookup by keyword, ignoring ASCII case; null for an unknown name or a null pointer.
    static NamedColor const* FindColor(char const* name) noexcept;
};

} // namespace qev
