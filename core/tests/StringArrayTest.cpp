#include "common/QevConsoleLog.h"
#include "text/QevStringArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <pthread.h>
#include <random>
#include <string>
#include <utility>
#include <vector>

using qev::Case;
using qev::String;
using qev::StringArray;

namespace
{

using Items = std::vector<std::string>;

StringArray arrayOf(Items const& items)
{
    StringArray array;
    for (std::string const& item : items)
        array.PushBack(String(item));
    return array;
}

Items itemsOf(StringArray const& array)
{
    Items items;
    for (unsigned long i = 0; i < array.GetSize(); ++i)
        items.push_back(array[i].GetStdString());
    return items;
}

std::vector<unsigned long> sortedIndices(StringArray const& array, Case caseMode)
{
    return array.GetIndicesToSortIntoAlphabeticalOrder(caseMode).GetStdVector();
}

TEST(StringArrayTest, SplitString)
{
    struct Row
    {
        std::string text;
        std::string separator;
        bool keepEmpty;
        Items expected;
    };
    Row const rows[] = {
        {"", ",", false, {}},
        {"", ",", true, {}},
        {"abc", ",", false, {"abc"}},
        {"a,,b", ",", false, {"a", "b"}},
        {"a,,b", ",", true, {"a", "", "b"}},
        {"a,", ",", false, {"a", ""}},
        {",a", ",", false, {"a"}},
        {",a", ",", true, {"", "a"}},
        {",,", ",", false, {""}},
        {",,", ",", true, {"", "", ""}},
        {"a::b:c::", "::", false, {"a", "b:c", ""}},
        {"::::x", "::", false, {"x"}},
        {"a\nb\n", "\n", true, {"a", "b", ""}},
        {"a,b", "", false, {"a,b"}}, // an empty separator cannot split
        {"a,b", "", true, {"a,b"}},
    };
    for (Row const& row : rows)
    {
        SCOPED_TRACE(row.text + " / " + row.separator);
        EXPECT_EQ(itemsOf(StringArray::SplitString(String(row.text), String(row.separator), row.keepEmpty)),
                  row.expected);
        if (row.separator.size() == 1)
        {
            EXPECT_EQ(itemsOf(StringArray::SplitString(String(row.text), row.separator[0], row.keepEmpty)),
                      row.expected);
        }
    }
}

TEST(StringArrayTest, SplitListPreservingQuotedText)
{
    struct Row
    {
        std::string line;
        Items expected;
    };
    Row const rows[] = {
        {"/foo 1 \"two words\" 3", {"/foo", "1", "\"two words\"", "3"}},
        {"   ", {}},
        {"", {}},
        {"a \"b c\"", {"a", "\"b c\""}},
        {"a\"b c\"", {"\"b c\""}}, // what precedes the opening quote is dropped
        {"\"x", {"\"x"}},          // a lone quote is an ordinary character
        {"  a   b\t ", {"a", "b"}},
        {"\"a\"\"b\" c", {"\"a\"", "\"b\"", "c"}},
        {"x \" y z", {"x", "\"", "y", "z"}},
        {"\" spaced \"", {"\" spaced \""}},
        {"a\tb c", {"a\tb", "c"}}, // only spaces separate
    };
    for (Row const& row : rows)
        EXPECT_EQ(itemsOf(StringArray::SplitListPreservingQuotedText(String(row.line), '"')), row.expected)
            << row.line;
}

TEST(StringArrayTest, FlattenFilterAndCompare)
{
    struct Row
    {
        Items items;
        char const* flattened; // joined with "/"
        bool hasText;
        Items withoutEmpty;
        Items withoutBlank;
    };
    Row const rows[] = {
        {{}, "", false, {}, {}},
        {{"one"}, "one", true, {"one"}, {"one"}},
        {{"a", "b", "c"}, "a/b/c", true, {"a", "b", "c"}, {"a", "b", "c"}},
        {{"", "  "}, "/  ", false, {"  "}, {}},
        {{"\t\n\v\f\r "}, "\t\n\v\f\r ", false, {"\t\n\v\f\r "}, {}},
        {{"a", "", " b "}, "a// b ", true, {"a", " b "}, {"a", " b "}},
        {{"\xC3\xA9"}, "\xC3\xA9", true, {"\xC3\xA9"}, {"\xC3\xA9"}}, // bytes above 127 are not blank
    };
    for (Row const& row : rows)
    {
        StringArray array = arrayOf(row.items);
        EXPECT_EQ(array.Flattened(String("/")).GetStdString(), row.flattened);
        EXPECT_EQ(array.ContainsNonWhitespaceCharactersItem(), row.hasText);
        StringArray const copy(array);
        EXPECT_FALSE(copy != array);
        array.RemoveEmptyStrings(false);
        EXPECT_EQ(itemsOf(array), row.withoutEmpty);
        array.RemoveEmptyStrings(true);
        EXPECT_EQ(itemsOf(array), row.withoutBlank);
        EXPECT_EQ(copy != array, row.items != row.withoutBlank);
    }
    EXPECT_TRUE(arrayOf({"a", "b"}) != arrayOf({"a", "B"}));

    StringArray const files = arrayOf({"Preset One.txt", "preset two.osc", "other.txt"});
    EXPECT_EQ(files.IndexOf(String("OTHER.TXT"), Case::Insensitive), 2);
    EXPECT_EQ(files.IndexOf(String("OTHER.TXT"), Case::Sensitive), -1);
    struct RetainRow
    {
        Items words;
        Case caseMode;
        Items expected;
    };
    RetainRow const retains[] = {
        {{}, Case::Sensitive, {"Preset One.txt", "preset two.osc", "other.txt"}},
        {{"preset"}, Case::Sensitive, {"preset two.osc"}},
        {{"preset", ".txt"}, Case::Insensitive, {"Preset One.txt"}},
        {{"t", ""}, Case::Sensitive, {}}, // an empty word is never found
    };
    for (RetainRow const& row : retains)
        EXPECT_EQ(itemsOf(files.RetainItemsContainingEach(arrayOf(row.words), row.caseMode)), row.expected);
}

TEST(StringArrayTest, ResizeRemoveAndAssign)
{
    StringArray array(2);
    array[0] = String("x");
    array.Resize(3);
    EXPECT_EQ(itemsOf(array), (Items{"x", "", ""}));
    array.Resize(1);
    EXPECT_FALSE(array.Remove(1));
    EXPECT_TRUE(array.Remove(0));
    EXPECT_TRUE(array.IsEmpty());

    StringArray const original = arrayOf({"a", "b"});
    StringArray copy = arrayOf({"1", "2", "3"});
    copy = original;
    copy[0] = String("changed");
    EXPECT_EQ(itemsOf(original), (Items{"a", "b"})); // copies are deep
    EXPECT_EQ(itemsOf(copy), (Items{"changed", "b"}));
}

// The sort as first designed: plain recursion on both sides, no shortcut for ordered ranges.
void referenceSort(std::vector<std::pair<String, unsigned long>>& items, long low, long high, Case caseMode)
{
    if (high <= low)
        return;
    auto const pivot = items[low];
    long i = low;
    long j = high;
    auto held = items[high];
    while (i < j)
    {
        if (held.first.CompareLexicographically(pivot.first, caseMode) < 0)
        {
            items[i++] = held;
            held = items[i];
        }
        else
        {
            items[j--] = held;
            held = items[j];
        }
    }
    items[i] = pivot;
    referenceSort(items, low, i - 1, caseMode);
    referenceSort(items, i + 1, high, caseMode);
}

TEST(StringArrayTest, SortIndices)
{
    struct Row
    {
        Items items;
        Case caseMode;
        std::vector<unsigned long> expected;
    };
    Row const rows[] = {
        {{}, Case::Sensitive, {}},
        {{"only"}, Case::Sensitive, {0}},
        {{"b", "a", "c"}, Case::Sensitive, {1, 0, 2}},
        {{"(b)", "a"}, Case::Sensitive, {1, 0}}, // leading punctuation is ignored
        {{"a", "  Z"}, Case::Sensitive, {1, 0}}, // upper case sorts first when exact
        {{"a", "  Z"}, Case::Insensitive, {0, 1}},
        {{"b", "a", "B", "A"}, Case::Insensitive, {3, 1, 0, 2}}, // equals land after their pivot
        {{"x", "x", "x"}, Case::Sensitive, {0, 1, 2}},
    };
    for (Row const& row : rows)
        EXPECT_EQ(sortedIndices(arrayOf(row.items), row.caseMode), row.expected);

    // Many ties, several orders of the same texts: the same indices as the plain algorithm.
    std::mt19937 random(11);
    char const* const pool[] = {"a", "A", "(a", "b", "B", "ab", "aB", "", "--", "c1", "C1"};
    for (int round = 0; round < 300; ++round)
    {
        Items items;
        int const n = static_cast<int>(random() % 40);
        for (int k = 0; k < n; ++k)
            items.push_back(pool[random() % std::size(pool)]);
        if (round % 3 == 1)
            std::sort(items.begin(), items.end());
        Case const caseMode = round % 2 == 0 ? Case::Sensitive : Case::Insensitive;

        std::vector<std::pair<String, unsigned long>> reference;
        for (std::size_t k = 0; k < items.size(); ++k)
            reference.emplace_back(String(items[k]), k);
        referenceSort(reference, 0, static_cast<long>(reference.size()) - 1, caseMode);
        std::vector<unsigned long> expected;
        for (auto const& item : reference)
            expected.push_back(item.second);

        ASSERT_EQ(sortedIndices(arrayOf(items), caseMode), expected) << "round " << round;
    }
}

TEST(StringArrayTest, SortOfLongOrderedArrays)
{
    unsigned long const n = 100000;
    StringArray array;
    for (unsigned long i = 0; i < n; ++i)
        array.PushBack(String(std::to_string(1000000 + i)));
    std::vector<unsigned long> const indices = sortedIndices(array, Case::Sensitive);
    ASSERT_EQ(indices.size(), n);
    for (unsigned long i = 0; i < n; ++i)
        ASSERT_EQ(indices[i], i);
}

TEST(StringArrayTest, SortStaysShallowOnReversedInput)
{
    // Plain recursion would nest once per item here; on a small stack only a bounded depth fits.
    unsigned long const n = 3000;
    StringArray array;
    for (unsigned long i = 0; i < n; ++i)
        array.PushBack(String(std::to_string(1000000 + n - i)));

    struct Job
    {
        StringArray const* array;
        std::vector<unsigned long> indices;
    } job{&array, {}};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 128 * 1024);
    pthread_t thread;
    auto run = [](void* argument) -> void*
    {
        auto* job = static_cast<Job*>(argument);
        job->indices = sortedIndices(*job->array, Case::Sensitive);
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, &job), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);

    ASSERT_EQ(job.indices.size(), n);
    for (unsigned long i = 0; i < n; ++i)
        ASSERT_EQ(job.indices[i], n - 1 - i);
}

} // namespace
