#include "text/QevHashedString.h"
#include "text/QevPooledHashedString.h"
#include "text/QevPooledHashedStringArray.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using qev::HashedString;
using qev::PooledHashedString;
using qev::PooledHashedStringArray;
using qev::String;

namespace
{

std::vector<std::string> texts(PooledHashedStringArray const& array)
{
    std::vector<std::string> result;
    for (unsigned long i = 0; i < array.GetSize(); ++i)
        result.push_back(array[i].GetText().GetStdString());
    return result;
}

} // namespace

TEST(HashedStringTest, HashFollowsTextUpToFirstNul)
{
    HashedString const empty;
    EXPECT_EQ(empty.GetText(), "");
    EXPECT_EQ(empty.GetHash(), HashedString::ComputeHash(""));

    HashedString const abc(String("abc"));
    EXPECT_EQ(abc.GetHash(), HashedString::ComputeHash("abc"));
    EXPECT_NE(abc.GetHash(), empty.GetHash());
    EXPECT_EQ(HashedString::ComputeHash(std::string_view("ab\0cd", 5)), HashedString::ComputeHash("ab"));

    HashedString prefixed(String("b"));
    prefixed.Prepend(String("/a/"));
    EXPECT_EQ(prefixed.GetText(), "/a/b");
    EXPECT_EQ(prefixed.GetHash(), HashedString::ComputeHash("/a/b"));
}

TEST(HashedStringTest, AssignmentKeepsTextWhenHashUnchanged)
{
    HashedString entry(String("gain"));
    String const& held = entry.GetText();
    entry = String("gain");
    EXPECT_EQ(&entry.GetText(), &held);
    EXPECT_EQ(entry.GetText(), "gain");

    // Same hash, different bytes after a NUL: the stored text stays.
    entry = String(std::string_view("gain\0x", 6));
    EXPECT_EQ(entry.GetText().GetLength(), 4u);

    entry = String("pan");
    EXPECT_EQ(entry.GetText(), "pan");
    EXPECT_EQ(entry.GetHash(), HashedString::ComputeHash("pan"));

    entry = entry.GetText(); // its own text
    EXPECT_EQ(entry.GetText(), "pan");
}

TEST(HashedStringTest, PoolKeepsFirstTextPerHash)
{
    PooledHashedString pool;
    EXPECT_EQ(pool.Insert("one", 42), 0);
    EXPECT_EQ(pool.Insert("two", 43), 1);
    EXPECT_EQ(pool.Insert("other", 42), -1);
    ASSERT_NE(pool.Find(42), nullptr);
    EXPECT_EQ(pool.Find(42)->GetText(), "one");
    EXPECT_EQ(pool.Find(42)->GetHash(), 42u); // stored as given, not recomputed
    EXPECT_EQ(pool.Find(44), nullptr);
    EXPECT_EQ(pool.GetSize(), 2u);
}

TEST(HashedStringTest, PoolEntriesStayPutWhileItGrows)
{
    PooledHashedString pool;
    HashedString const* firstEntry = nullptr;
    constexpr unsigned long count = 5000;
    for (unsigned long i = 0; i < count; ++i)
    {
        // Hashes that differ only in their high bits must still spread over the table.
        std::string const text = "t" + std::to_string(i);
        ASSERT_EQ(pool.Insert(text, i << 20), static_cast<long>(i));
        if (i == 0)
            firstEntry = pool.Find(0);
    }
    EXPECT_EQ(pool.Find(0), firstEntry);
    for (unsigned long i = 0; i < count; ++i)
    {
        HashedString const* entry = pool.Find(i << 20);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->GetText(), String("t" + std::to_string(i)));
    }
    EXPECT_EQ(pool.Find(count << 20), nullptr);
}

TEST(HashedStringTest, ArrayOperations)
{
    PooledHashedStringArray array;
    array.PushBack("volume");
    array.PushBack(String("volume"));
    ASSERT_EQ(array.GetSize(), 2u);
    EXPECT_EQ(&array[0], &array[1]); // one pool entry
    EXPECT_EQ(array.GetHash(0), HashedString::ComputeHash("volume"));

    EXPECT_FALSE(array.Remove(2));
    EXPECT_EQ(array.GetSize(), 2u);
    EXPECT_TRUE(array.Remove(0));
    EXPECT_EQ(texts(array), std::vector<std::string>{"volume"});

    PooledHashedStringArray front;
    front.PushBack("a");
    front.PushBack("b");
    PooledHashedStringArray c;
    c.PushBack("c");
    c.PushFront(front);
    EXPECT_EQ(texts(c), (std::vector<std::string>{"a", "b", "c"}));
    c.PushFront(c);
    EXPECT_EQ(texts(c), (std::vector<std::string>{"a", "b", "c", "a", "b", "c"}));
    EXPECT_NE(c, front);

    c.Clear();
    EXPECT_TRUE(c.IsEmpty());
    EXPECT_EQ(PooledHashedString::GetGlobalPool().Find(HashedString::ComputeHash("a"))->GetText(), "a");
}

TEST(HashedStringTest, TokeniseOsc)
{
    struct Case
    {
        char const* address;
        std::vector<std::string> tokens;
    };
    Case const cases[] = {
        {"", {}},
        {"/", {""}},
        {"//", {""}},
        {"/a/b", {"a", "b"}},
        {"/a/b/", {"a", "b", ""}},
        {"/a//b", {"a", "b"}},
        {"a/b", {"b"}},
        {"/source/1/xyz", {"source", "1", "xyz"}},
        {"/a/b//", {"a", "b", ""}},
    };
    for (auto const& c : cases)
        EXPECT_EQ(texts(PooledHashedStringArray::TokeniseOsc(String(c.address))), c.tokens) << c.address;
}

TEST(HashedStringTest, SplitString)
{
    struct Case
    {
        char const* text;
        bool keepEmpty;
        std::vector<std::string> pieces;
    };
    Case const cases[] = {
        {"", false, {}},
        {"abc", false, {"abc"}},
        {",,", false, {""}},
        {",,", true, {"", "", ""}},
        {"a,,b", false, {"a", "b"}},
        {"a,,b", true, {"a", "", "b"}},
        {"a,", false, {"a", ""}},
        {",a", false, {"a"}},
    };
    for (auto const& c : cases)
        EXPECT_EQ(texts(PooledHashedStringArray::SplitString(String(c.text), ',', c.keepEmpty)), c.pieces)
            << c.text << " " << c.keepEmpty;
}

// Two threads enter overlapping sets of new tokens at once while a third resolves what they have
// published; every token must come out with its own text.
TEST(HashedStringTest, PoolUnderConcurrentInsertion)
{
    constexpr int perThread = 20000;
    std::atomic<bool> go{false};
    std::atomic<int> wrong{0};
    auto writer = [&](int id)
    {
        while (!go.load())
            std::this_thread::yield();
        for (int i = 0; i < perThread; ++i)
        {
            // Half of the tokens are shared by both writers.
            std::string const text =
                (i % 2 == 0 ? "shared" : "own" + std::to_string(id) + "_") + std::to_string(i);
            PooledHashedStringArray array;
            array.PushBack(text);
            if (array[0].GetText() != String(text))
                ++wrong;
        }
    };
    std::thread a(writer, 1);
    std::thread b(writer, 2);
    std::thread reader(
        [&]
        {
            while (!go.load())
                std::this_thread::yield();
            auto& pool = PooledHashedString::GetGlobalPool();
            for (int round = 0; round < 20; ++round)
                for (int i = 0; i < perThread; i += 2)
                {
                    std::string const text = "shared" + std::to_string(i);
                    if (HashedString const* entry = pool.Find(HashedString::ComputeHash(text)))
                        if (entry->GetText() != String(text))
                            ++wrong;
                }
        });
    go = true;
    a.join();
    b.join();
    reader.join();
    EXPECT_EQ(wrong.load(), 0);
    auto& pool = PooledHashedString::GetGlobalPool();
    for (int i = 0; i < perThread; ++i)
        for (char const* prefix : {"shared", "own1_", "own2_"})
        {
            if ((i % 2 == 0) != (std::string(prefix) == "shared"))
                continue;
            std::string const text = prefix + std::to_string(i);
            HashedString const* entry = pool.Find(HashedString::ComputeHash(text));
            ASSERT_NE(entry, nullptr) << text;
            EXPECT_EQ(entry->GetText(), String(text));
        }
}
