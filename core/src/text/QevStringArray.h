#pragma once

#include "memory/QevVector.h"
#include "text/QevString.h"

#include <cstdint>

namespace qev
{

// The library's list of texts. Each item is a separately allocated string owned by the array;
// no slot is ever null.
class StringArray
{
public:
    StringArray() noexcept = default;
    // n empty strings.
    explicit StringArray(unsigned long n);
    StringArray(StringArray const& other);
    StringArray(StringArray&& other) noexcept = default;
    StringArray& operator=(StringArray const& other);
    StringArray& operator=(StringArray&& other) noexcept;
    ~StringArray();

    unsigned long GetSize() const noexcept { return strings.GetSize(); }
    bool IsEmpty() const noexcept { return strings.IsEmpty(); }
    // Unchecked.
    String& operator[](unsigned long index) noexcept { return *strings[index]; }
    String const& operator[](unsigned long index) const noexcept { return *strings[index]; }

    void PushBack(String const& text);
    // Shrinking deletes the items from n on; growing appends empty strings.
    void Resize(unsigned long n);
    // False when index is not below the size.
    bool Remove(unsigned long index);
    // Removes the empty items and, with alsoBlank, those made only of whitespace.
    void RemoveEmptyStrings(bool alsoBlank);

    // Index of the first item equal to text, -1 when none.
    std::int64_t IndexOf(String const& text, Case const& caseMode) const;
    // Some item holds a byte that is not whitespace.
    bool ContainsNonWhitespaceCharactersItem() const;
    // The items joined with separator between each two.
    String Flattened(String const& separator) const;

    // Sizes differ, or some pair at the same index differs.
    bool operator!=(StringArray const& other) const;
    bool operator==(StringArray const& other) const { return !(*this != other); }

    // Splits at every separator. Without keepEmpty an empty piece is dropped unless it is the
    // last one (after the last separator). An empty text gives no item; an empty separator gives
    // the whole text as one item.
    static StringArray SplitString(String const& text, char separator, bool keepEmpty);
    static StringArray SplitString(String const& text, String const& separator, bool keepEmpty);
    // Words separated by spaces; a run between two quote characters is one word, quotes
    // included. Blank words are dropped.
    static StringArray SplitListPreservingQuotedText(String const& text, char quote);

    // Copies of the items holding every one of words; an empty word is in no item.
    StringArray RetainItemsContainingEach(StringArray const& words, Case const& caseMode) const;

    // The indices of the items in increasing order of their texts (as compared by
    // String::CompareLexicographically); the array itself is not reordered.
    Vector<unsigned long> GetIndicesToSortIntoAlphabeticalOrder(Case const& caseMode) const;

private:
    void deleteAll() noexcept;

    Vector<String*> strings;
};

} // namespace qev
