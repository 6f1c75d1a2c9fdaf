#include "osc/QevOscDocumentation.h"

#include "memory/QevScopedPointer.h"
#include "text/QevHashedString.h"

#include <algorithm>

namespace qev
{

namespace
{
// Descriptions this long are sentences, not titles: they give no label of their own.
constexpr unsigned long longestDescriptionUsableAsLabel = 199;

String expandedTypes(String const& types)
{
    if (!types.ContainsOnly(String("ifnsbu")))
        return types;
    String expanded;
    for (unsigned long i = 0; i < types.GetLength(); ++i)
        expanded << OscDocumentation::Entry::expandType(types[i]);
    return expanded;
}
} // namespace

//==============================================================================================
// Entry

OscDocumentation::Entry::Entry(OscAddressPattern const& pattern_, String const& argumentTypes_,
                               String const& description_, String const& label_)
    : pattern(pattern_), argumentTypes(expandedTypes(argumentTypes_)), description(description_),
      label(label_)
{
    if (label.IsEmpty() && description.GetLength() <= longestDescriptionUsableAsLabel)
        label = description;
    if (label.EndsWith('.'))
        label.RemoveLastCharacter();
}

String OscDocumentation::Entry::expandType(char letter)
{
    switch (letter)
    {
    case 'i':
    case 'u':
        return String("[int]");
    case 'f':
    case 'n':
        return String("[number]");
    case 'b':
        return String("[boolean]");
    case 's':
        return String("[string]");
    default:
        return String();
    }
}

bool OscDocumentation::Entry::IsEmpty() const noexcept
{
    static unsigned long const rootHash = HashedString::ComputeHash("/");
    return pattern.GetHash() == rootHash || description.IsEmpty();
}

String OscDocumentation::Entry::patternAndArguments() const
{
    String column(pattern.GetText());
    if (argumentTypes.IsNotEmpty())
        column << ' ' << argumentTypes;
    return column;
}

String OscDocumentation::Entry::ToString() const
{
    return patternAndArguments() + " : " + description;
}

bool OscDocumentation::Entry::operator==(Entry const& other) const noexcept
{
    return pattern.GetHash() == other.pattern.GetHash() && argumentTypes == other.argumentTypes &&
           description == other.description && label == other.label;
}

//==============================================================================================
// OscDocumentation

OscDocumentation::OscDocumentation(OscDocumentation const& other)
{
    // The source already holds no empty or repeated entry: plain copies suffice.
    for (auto const* entry : other.entries)
    {
        ScopedPointer<Entry> copy(new Entry(*entry));
        entries.PushBack(copy.Get());
        copy.Release();
    }
}

OscDocumentation& OscDocumentation::operator=(OscDocumentation const& other)
{
    if (this != &other)
    {
        OscDocumentation copy(other);
        *this = std::move(copy);
    }
    return *this;
}

OscDocumentation::~OscDocumentation() = default;

bool OscDocumentation::contains(Entry const& entry) const noexcept
{
    for (auto const* existing : entries)
        if (*existing == entry)
            return true;
    return false;
}

void OscDocumentation::Add(Entry const& entry)
{
    if (entry.IsEmpty() || contains(entry))
        return;
    ScopedPointer<Entry> copy(new Entry(entry));
    entries.PushBack(copy.Get());
    copy.Release();
}

void OscDocumentation::Add(OscAddressPattern const& pattern, String const& argumentTypes,
                           String const& description, String const& label)
{
    Add(Entry(pattern, argumentTypes, description, label));
}

void OscDocumentation::Add(OscAddressPattern const& pattern, char argumentType, String const& description,
                           String const& label)
{
    String types;
    if (argumentType != '\0')
        types.Append(argumentType);
    Add(Entry(pattern, types, description, label));
}

void OscDocumentation::Add(OscDocumentation const& other)
{
    if (&other == this)
        return; // every entry is already present
    for (auto const* entry : other.entries)
        Add(*entry);
}

StringArray OscDocumentation::GetAllPatterns() const
{
    StringArray patterns;
    for (auto const* entry : entries)
        patterns.PushBack(entry->pattern.GetText());
    return patterns;
}

OscDocumentation OscDocumentation::SortedAlphabeticallyByPattern() const
{
    auto const order = GetAllPatterns().GetIndicesToSortIntoAlphabeticalOrder(Case::Insensitive);
    OscDocumentation sorted;
    for (auto const index : order)
        sorted.Add(*entries[index]);
    return sorted;
}

unsigned long OscDocumentation::getMaximumPatternAndArgsLength() const noexcept
{
    unsigned long width = 0;
    for (auto const* entry : entries)
        width = std::max(width, entry->pattern.GetText().GetLength() + 1 + entry->argumentTypes.GetLength());
    return width;
}

StringArray OscDocumentation::ToStringArray(bool aligned) const
{
    StringArray lines;
    if (!aligned)
    {
        for (auto const* entry : entries)
            lines.PushBack(entry->ToString());
        return lines;
    }
    auto const width = getMaximumPatternAndArgsLength();
    String const blank(" ");
    for (auto const* entry : entries)
        lines.PushBack(entry->patternAndArguments().PaddedWith(width, blank) + " : " + entry->description);
    return lines;
}

} // namespace qev
