#pragma once

#include "memory/QevOwnedVector.h"
#include "osc/QevOscAddress.h"
#include "text/QevString.h"
#include "text/QevStringArray.h"

namespace qev
{

// The commands an OSC-controlled object accepts: an ordered list of entries, each a pattern with
// its argument types, a description and a short label. The list never holds an empty entry nor
// two equal ones; entries keep the order in which they were added and never change afterwards.
class OscDocumentation
{
public:
    class Entry
    {
    public:
        // An argument text made only of the letters "ifnsbu" is spelled out ("ff" becomes
        // "[number][number]"); any other text is kept. An empty label is taken from a description
        // shorter than 200 bytes, and one final '.' is dropped from the label.
        Entry(OscAddressPattern const& pattern, String const& argumentTypes, String const& description,
              String const& label);

        // The root "/" documents nothing; neither does an empty description.
        bool IsEmpty() const noexcept;
        // The pattern, then " " and the argument types when there are any, then " : " and the
        // description.
        String ToString() const;
        // Same pattern text, and the same argument types, description and label byte for byte.
        bool operator==(Entry const& other) const noexcept;
        bool operator!=(Entry const& other) const noexcept { return !(*this == other); }

        OscAddressPattern const& GetPattern() const noexcept { return pattern; }
        String const& GetArgumentTypes() const noexcept { return argumentTypes; }
        String const& GetDescription() const noexcept { return description; }
        String const& GetLabel() const noexcept { return label; }

        // "[int]" for 'i' and 'u', "[number]" for 'f' and 'n', "[boolean]" for 'b', "[string]"
        // for 's', the empty text for anything else.
        static String expandType(char letter);

    private:
        // The pattern text with its argument types, as in the first column of a listing.
        String patternAndArguments() const;
        friend class OscDocumentation;

        OscAddressPattern pattern;
        String argumentTypes;
        String description;
        String label;
    };

    OscDocumentation() = default;
    OscDocumentation(OscDocumentation const& other);
    OscDocumentation(OscDocumentation&& other) noexcept = default;
    OscDocumentation& operator=(OscDocumentation const& other);
    OscDocumentation& operator=(OscDocumentation&& other) noexcept = default;
    ~OscDocumentation();

    // Each appends the entry unless it is empty or equal to one already present.
    void Add(OscAddressPattern const& pattern, String const& argumentTypes, String const& description,
             String const& label);
    // A one-letter argument text; the NUL character stands for no argument.
    void Add(OscAddressPattern const& pattern, char argumentType, String const& description,
             String const& label);
    void Add(Entry const& entry);
    // Copies of the other list's entries, in its order, by the same rule.
    void Add(OscDocumentation const& other);

    bool IsEmpty() const noexcept { return entries.IsEmpty(); }
    unsigned long GetNumEntries() const noexcept { return entries.GetSize(); }
    // i must be below GetNumEntries().
    Entry const& GetEntry(unsigned long i) const noexcept { return *entries[i]; }
    Entry const& operator[](unsigned long i) const noexcept { return *entries[i]; }

    // The pattern texts in list order.
    StringArray GetAllPatterns() const;
    // A new list in alphabetical order of the pattern texts, letter case ignored.
    OscDocumentation SortedAlphabeticallyByPattern() const;
    // One line per entry. Aligned lines pad the pattern and argument column to one width, so
    // that every " : " stands in the same column.
    StringArray ToStringArray(bool aligned) const;

    // The width of the aligned first column: the longest pattern text + 1 + argument types.
    unsigned long getMaximumPatternAndArgsLength() const noexcept;

private:
    bool contains(Entry const& entry) const noexcept;

    OwnedVector<Entry> entries;
};

} // namespace qev
