#include "text/QevStringArray.h"

#include "memory/QevAlloc.h"

#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qev
{

namespace
{

bool isWhitespace(char c) noexcept
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool hasNonWhitespace(std::string_view text) noexcept
{
    for (char c : text)
        if (!isWhitespace(c))
            return true;
    return false;
}

std::string_view trimmed(std::string_view text) noexcept
{
    while (!text.empty() && isWhitespace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isWhitespace(text.back()))
        text.remove_suffix(1);
    return text;
}

StringArray split(String const& text, std::string_view separator, bool keepEmpty)
{
    StringArray result;
    std::string_view const whole = text.GetView();
    if (whole.empty())
        return result;
    if (separator.empty())
    {
        result.PushBack(text);
        return result;
    }
    std::size_t cursor = 0;
    for (;;)
    {
        std::size_t const found = whole.find(separator, cursor);
        if (found == std::string_view::npos)
        {
            result.PushBack(String(whole.substr(cursor)));
            return result;
        }
        if (keepEmpty || found > cursor)
            result.PushBack(String(whole.substr(cursor, found - cursor)));
        cursor = found + separator.size();
    }
}

using SortItem = std::pair<String const*, unsigned long>;

// Quick sort with the first item of each range as pivot. Ranges already in order are left as
// they are, which is exactly what partitioning them would do, so sorted input costs linear time.
// Recursing only into the smaller side bounds the stack depth whatever the input.
void quickSort(std::vector<SortItem>& items, long low, long high, Case const& caseMode)
{
    while (low < high)
    {
        bool inOrder = true;
        for (long k = low; k < high && inOrder; ++k)
            inOrder = items[static_cast<std::size_t>(k + 1)].first->CompareLexicographically(
                          *items[static_cast<std::size_t>(k)].first, caseMode) >= 0;
        if (inOrder)
            return;

        SortItem const pivot = items[static_cast<std::size_t>(low)];
        long i = low;
        long j = high;
        SortItem held = items[static_cast<std::size_t>(high)];
        while (i < j)
        {
            if (held.first->CompareLexicographically(*pivot.first, caseMode) < 0)
            {
                items[static_cast<std::size_t>(i)] = held;
                ++i;
                held = items[static_cast<std::size_t>(i)];
            }
            else
            {
                items[static_cast<std::size_t>(j)] = held;
                --j;
                held = items[static_cast<std::size_t>(j)];
            }
        }
        items[static_cast<std::size_t>(i)] = pivot;

        if (i - low < high - i)
        {
            quickSort(items, low, i - 1, caseMode);
            low = i + 1;
        }
        else
        {
            quickSort(items, i + 1, high, caseMode);
            high = i - 1;
        }
    }
}

} // namespace

StringArray::StringArray(unsigned long n)
{
    try
    {
        Resize(n);
    }
    catch (...)
    {
        deleteAll();
        throw;
    }
}

StringArray::StringArray(StringArray const& other)
{
    try
    {
        Allocations::ReserveVector(strings.GetStdVector(), other.GetSize());
        for (unsigned long i = 0; i < other.GetSize(); ++i)
            PushBack(other[i]);
    }
    catch (...)
    {
        deleteAll();
        throw;
    }
}

StringArray& StringArray::operator=(StringArray const& other)
{
    if (&other == this)
        return *this;
    Resize(other.GetSize());
    for (unsigned long i = 0; i < other.GetSize(); ++i)
        *strings[i] = other[i];
    return *this;
}

StringArray& StringArray::operator=(StringArray&& other) noexcept
{
    if (&other != this)
    {
        deleteAll();
        strings = std::move(other.strings);
    }
    return *this;
}

StringArray::~StringArray()
{
    deleteAll();
}

void StringArray::deleteAll() noexcept
{
    strings.DeleteAllElements();
    strings.Clear();
}

void StringArray::PushBack(String const& text)
{
    String* copy = new String(text);
    try
    {
        strings.PushBack(copy);
    }
    catch (...)
    {
        delete copy;
        throw;
    }
}

void StringArray::Resize(unsigned long n)
{
    unsigned long const oldSize = GetSize();
    if (n == oldSize)
        return;
    if (n < oldSize)
    {
        for (unsigned long i = n; i < oldSize; ++i)
            delete std::exchange(strings[i], nullptr);
        Allocations::ResizeVector(strings.GetStdVector(), n);
        return;
    }
    Allocations::ResizeVector(strings.GetStdVector(), n);
    unsigned long i = oldSize;
    try
    {
        for (; i < n; ++i)
            strings[i] = new String();
    }
    catch (...)
    {
        // Leave no null slot behind.
        strings.GetStdVector().resize(i);
        throw;
    }
}

bool StringArray::Remove(unsigned long index)
{
    if (index >= GetSize())
        return false;
    delete std::exchange(strings[index], nullptr);
    strings.Remove(index);
    return true;
}

void StringArray::RemoveEmptyStrings(bool alsoBlank)
{
    unsigned long kept = 0;
    for (unsigned long i = 0; i < GetSize(); ++i)
    {
        String* item = strings[i];
        bool const drop = item->IsEmpty() || (alsoBlank && !hasNonWhitespace(item->GetView()));
        if (drop)
            delete item;
        else
            strings[kept++] = item;
    }
    Allocations::ResizeVector(strings.GetStdVector(), kept);
}

std::int64_t StringArray::IndexOf(String const& text, Case const& caseMode) const
{
    for (unsigned long i = 0; i < GetSize(); ++i)
        if (strings[i]->IsEqual(text, caseMode))
            return static_cast<std::int64_t>(i);
    return -1;
}

bool StringArray::ContainsNonWhitespaceCharactersItem() const
{
    for (String const* item : strings)
        if (hasNonWhitespace(item->GetView()))
            return true;
    return false;
}

String StringArray::Flattened(String const& separator) const
{
    if (IsEmpty())
        return String();
    std::size_t length = separator.GetLength() * (GetSize() - 1);
    for (String const* item : strings)
        length += item->GetLength();
    std::string joined;
    joined.reserve(length);
    for (unsigned long i = 0; i < GetSize(); ++i)
    {
        if (i > 0)
            joined += separator.GetView();
        joined += strings[i]->GetView();
    }
    return String(std::move(joined));
}

bool StringArray::operator!=(StringArray const& other) const
{
    if (GetSize() != other.GetSize())
        return true;
    for (unsigned long i = 0; i < GetSize(); ++i)
    {
        String const& a = *strings[i];
        String const& b = other[i];
        if (a.GetLength() != b.GetLength() || std::strcmp(a.GetCString(), b.GetCString()) != 0)
            return true;
    }
    return false;
}

StringArray StringArray::SplitString(String const& text, char separator, bool keepEmpty)
{
    return split(text, std::string_view(&separator, 1), keepEmpty);
}

StringArray StringArray::SplitString(String const& text, String const& separator, bool keepEmpty)
{
    return split(text, separator.GetView(), keepEmpty);
}

StringArray StringArray::SplitListPreservingQuotedText(String const& text, char quote)
{
    StringArray result;
    std::string_view const line = text.GetView();
    constexpr std::size_t none = std::string_view::npos;

    // Each search result stays valid until the cursor passes it, so the line is scanned once.
    std::size_t cursor = 0;
    std::size_t space = line.find(' ');
    std::size_t openQuote = line.find(quote);
    std::size_t closeQuote = openQuote == none ? none : line.find(quote, openQuote + 1);
    while (cursor < line.size())
    {
        if (space != none && space < cursor)
            space = line.find(' ', cursor);
        if (openQuote != none && openQuote < cursor)
        {
            openQuote = line.find(quote, cursor);
            closeQuote = openQuote == none ? none : line.find(quote, openQuote + 1);
        }

        std::string_view word;
        if (closeQuote != none && (space == none || openQuote < space))
        {
            // Whatever stands before the opening quote is dropped.
            word = line.substr(openQuote, closeQuote - openQuote + 1);
            cursor = closeQuote + 1;
        }
        else if (space == none)
        {
            word = trimmed(line.substr(cursor));
            cursor = line.size();
        }
        else
        {
            word = trimmed(line.substr(cursor, space + 1 - cursor));
            cursor = space + 1;
        }
        if (hasNonWhitespace(word))
            result.PushBack(String(word));
    }
    return result;
}

StringArray StringArray::RetainItemsContainingEach(StringArray const& words, Case const& caseMode) const
{
    StringArray result;
    for (String const* item : strings)
    {
        bool containsEach = true;
        for (unsigned long w = 0; w < words.GetSize() && containsEach; ++w)
            containsEach = words[w].IsNotEmpty() && item->IndexOfFirstOccurence(words[w], caseMode) >= 0;
        if (containsEach)
            result.PushBack(*item);
    }
    return result;
}

Vector<unsigned long> StringArray::GetIndicesToSortIntoAlphabeticalOrder(Case const& caseMode) const
{
    unsigned long const n = GetSize();
    std::vector<SortItem> items;
    Allocations::ReserveVector(items, n);
    for (unsigned long i = 0; i < n; ++i)
        items.emplace_back(strings[i], i);
    quickSort(items, 0, static_cast<long>(n) - 1, caseMode);

    Vector<unsigned long> indices;
    Allocations::ReserveVector(indices.GetStdVector(), n);
    for (SortItem const& item : items)
        indices.PushBack(item.second);
    return indices;
}

} // namespace qev
