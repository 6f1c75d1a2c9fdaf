#pragma once

#include "text/QevString.h"

#include <juce_core/juce_core.h>

namespace qgui
{

// Text crosses to and from the framework as UTF-8, whole: embedded bytes and length included.
inline juce::String ToJuceString(qev::String const& text)
{
    return juce::String::fromUTF8(text.GetCString(), static_cast<int>(text.GetLength()));
}

inline qev::String FromJuceString(juce::String const& text)
{
    return qev::String(text.toStdString());
}

} // namespace qgui
