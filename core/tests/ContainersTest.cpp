#include "common/QevConsoleLog.h"
#include "common/QevException.h"
#include "common/QevExceptions.h"
#include "memory/QevAlloc.h"
#include "memory/QevHeapBlock.h"
#include "memory/QevMemoryBlock.h"
#include "memory/QevOwnedVector.h"
#include "memory/QevScopedPointer.h"
#include "memory/QevSortedVector.h"
#include "memory/QevVector.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <new>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

// Test helpers with external linkage, so that back-traces can name them.
namespace qevtest
{

enum class Failure
{
    None,
    BadAlloc,
    Standard,
    Other
};

// An element whose copying and default construction fail on demand.
struct Fragile
{
    static Failure failure;
    static void fail()
    {
        if (failure == Failure::BadAlloc)
            throw std::bad_alloc();
        if (failure == Failure::Standard)
            throw std::runtime_error("boom");
        if (failure == Failure::Other)
            throw 42;
    }

    Fragile() { fail(); }
    explicit Fragile(int v) : value(v) {}
    Fragile(Fragile const& other) : value(other.value) { fail(); }
    Fragile& operator=(Fragile const&) = default;
    int value = 0;
};
Failure Fragile::failure = Failure::None;

// The empty asm keeps the calls out of tail position, where these frames would vanish.
__attribute__((noipa)) void resizeFragile(std::vector<Fragile>& v, unsigned long size)
{
    qev::Allocations::ResizeVector(v, size);
    asm volatile("" ::: "memory");
}

__attribute__((noipa)) void reserveFragile(std::vector<Fragile>& v, unsigned long capacity)
{
    qev::Allocations::ReserveVector(v, capacity);
    asm volatile("" ::: "memory");
}

} // namespace qevtest

namespace
{

using qev::ConsoleLog;
using qevtest::Failure;
using qevtest::Fragile;

class ContainersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        savedType = ConsoleLog::type;
        ConsoleLog::type = -1; // the provoked exceptions need not be logged
    }
    void TearDown() override
    {
        ConsoleLog::type = savedType;
        Fragile::failure = Failure::None;
    }

    int savedType = 0;
};

// A vector of n fragile elements 0..n-1 with no spare capacity.
qev::Vector<Fragile> fullVector(int n)
{
    std::vector<Fragile> v;
    for (int i = 0; i < n; ++i)
        v.emplace_back(i);
    v.shrink_to_fit();
    qev::Vector<Fragile> result;
    result.GetStdVector().swap(v);
    return result;
}

TEST_F(ContainersTest, FailuresBecomeLibraryExceptions)
{
    struct Case
    {
        char const* name;
        Failure failure;
        std::function<void(qev::Vector<Fragile>&)> provoke;
        bool unknown;
        char const* message;
        char const* file; // a prefix: caller names carry their parameter lists
        unsigned long line;
    };
    auto pushBack = [](qev::Vector<Fragile>& v) { v.PushBack(Fragile(9)); };
    auto insert = [](qev::Vector<Fragile>& v) { v.Insert(1, Fragile(9)); };
    auto resize = [](qev::Vector<Fragile>& v) { qevtest::resizeFragile(v.GetStdVector(), 5); };
    auto reserve = [](qev::Vector<Fragile>& v) { qevtest::reserveFragile(v.GetStdVector(), 50); };

    Case const cases[] = {
        {"push back, memory", Failure::BadAlloc, pushBack, false, "out of memory", "QevVectorImplementation",
         1571},
        {"push back, standard", Failure::Standard, pushBack, false, "exception boom occurred",
         "QevVectorImplementation", 1575},
        {"push back, other", Failure::Other, pushBack, true, "Unknown exception", "QevVectorImplementation",
         1579},
        {"insert, memory", Failure::BadAlloc, insert, false, "std::bad_alloc", "QevVectorImplementation",
         1741},
        {"insert, standard", Failure::Standard, insert, false, "boom", "QevVectorImplementation", 1741},
        {"insert, other", Failure::Other, insert, true, "Unknown exception", "QevVectorImplementation", 1745},
        {"insert past the end", Failure::None, [](qev::Vector<Fragile>& v) { v.Insert(4, Fragile(9)); },
         false, "index out of range", "QevVectorImplementation", 0},
        {"remove past the end", Failure::None, [](qev::Vector<Fragile>& v) { v.Remove(3); }, false,
         "index out of range", "QevVectorImplementation", 0},
        {"resize, memory", Failure::BadAlloc, resize, false, "out of memory", "qevtest::resizeFragile(", 0},
        {"resize, standard", Failure::Standard, resize, false, "boom", "qevtest::resizeFragile(", 0},
        {"resize, other", Failure::Other, resize, true, "Unknown exception", "QevAlloc", 77},
        {"reserve, memory", Failure::BadAlloc, reserve, false, "out of memory", "qevtest::reserveFragile(",
         0},
        {"reserve, standard", Failure::Standard, reserve, false, "boom", "qevtest::reserveFragile(", 0},
        {"reserve, other", Failure::Other, reserve, true, "Unknown exception", "QevAlloc", 148},
    };
    for (Case const& c : cases)
    {
        SCOPED_TRACE(c.name);
        qev::Vector<Fragile> v = fullVector(3);
        Fragile::failure = c.failure;
        try
        {
            c.provoke(v);
            ADD_FAILURE() << "nothing thrown";
        }
        catch (qev::Exception const& e)
        {
            EXPECT_EQ(dynamic_cast<qev::exceptions::Unknown const*>(&e) != nullptr, c.unknown);
            EXPECT_STREQ(e.what(), c.message);
            std::string const file = e.GetLocation().GetFile().GetStdString();
            EXPECT_EQ(file.rfind(c.file, 0), 0u) << file;
            EXPECT_EQ(e.GetLocation().GetLine(), c.line);
        }
        Fragile::failure = Failure::None;
        // A failed operation leaves the vector as it was.
        ASSERT_EQ(v.GetSize(), 3u);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(v[static_cast<unsigned long>(i)].value, i);
    }
}

TEST_F(ContainersTest, SortedVectorInsert)
{
    struct Case
    {
        std::vector<unsigned long> before;
        unsigned long value;
        long index;
        std::vector<unsigned long> after;
    };
    Case const cases[] = {
        {{}, 5, 0, {5}},
        {{5}, 3, 0, {3, 5}},
        {{3, 5}, 7, 2, {3, 5, 7}},
        {{3, 5}, 4, 1, {3, 4, 5}},
        {{3, 5}, 5, -1, {3, 5}},
        {{1, 3, 5, 7}, 6, 3, {1, 3, 5, 6, 7}},
        {{0, ULONG_MAX}, ULONG_MAX - 1, 1, {0, ULONG_MAX - 1, ULONG_MAX}},
    };
    for (Case const& c : cases)
    {
        qev::SortedVector<unsigned long> v;
        v.GetStdVector() = c.before;
        EXPECT_EQ(v.Insert(c.value), c.index) << c.value;
        EXPECT_EQ(v.GetStdVector(), c.after);
    }

    // Against a reference set: stays strictly increasing and reports positions correctly.
    std::mt19937_64 random(7);
    qev::SortedVector<unsigned long> v;
    std::set<unsigned long> reference;
    for (int i = 0; i < 2000; ++i)
    {
        unsigned long const value = random() % 500;
        long const index = v.Insert(value);
        bool const added = reference.insert(value).second;
        ASSERT_EQ(index >= 0, added);
        long const position = std::distance(reference.begin(), reference.find(value));
        if (added)
        {
            ASSERT_EQ(index, position);
        }
        ASSERT_EQ(v.IndexOf(value), position);
    }
    EXPECT_EQ(v.GetStdVector(), std::vector<unsigned long>(reference.begin(), reference.end()));
}

struct Counted
{
    static int alive;
    Counted() { ++alive; }
    ~Counted() { --alive; }
};
int Counted::alive = 0;

TEST_F(ContainersTest, OwnershipOfPointedToObjects)
{
    {
        qev::OwnedVector<Counted> v;
        for (int i = 0; i < 3; ++i)
            v.PushBack(new Counted);
        v.PushBack(nullptr);
        v.DeleteAndRemove(3); // the null slot: nothing to delete
        Counted* const third = v[2];
        v.DeleteAndRemove(1);
        EXPECT_EQ(Counted::alive, 2);
        EXPECT_EQ(v[1], third);
        EXPECT_THROW(v.DeleteAndRemove(2), qev::Exception);
        EXPECT_EQ(v.GetSize(), 2u);

        v.DeleteAllElements();
        EXPECT_EQ(Counted::alive, 0);
        EXPECT_EQ(v.GetStdVector(), (std::vector<Counted*>{nullptr, nullptr}));
        v.PushBack(new Counted);
        v.Clear();
        EXPECT_EQ(Counted::alive, 0);
        v.PushBack(new Counted);
        qev::OwnedVector<Counted> moved(std::move(v));
        EXPECT_TRUE(v.IsEmpty());
    }
    EXPECT_EQ(Counted::alive, 0);
    static_assert(!std::is_copy_constructible_v<qev::OwnedVector<Counted>>);

    {
        qev::ScopedPointer<Counted> p(new Counted);
        p = p.Get(); // assigning what it holds keeps the object alive
        EXPECT_EQ(Counted::alive, 1);
        p = new Counted;
        EXPECT_EQ(Counted::alive, 1);
        qev::ScopedPointer<Counted> q(std::move(p));
        EXPECT_FALSE(p);
        delete q.Release();
        EXPECT_EQ(Counted::alive, 0);
        q = new Counted;
    }
    EXPECT_EQ(Counted::alive, 0);
}

TEST_F(ContainersTest, HeapBlockRefusesImpossibleSizes)
{
    qev::HeapBlock<unsigned char> block;
    EXPECT_FALSE(block.Malloc(ULONG_MAX / 2, 3)); // the product overflows
    EXPECT_TRUE(block.IsNull());

    ASSERT_TRUE(block.Malloc(4, 2));
    std::memcpy(block.Get(), "12345678", 8);
    unsigned char* const before = block.Get();
    EXPECT_FALSE(block.Realloc(ULONG_MAX / 2, 3));
    EXPECT_FALSE(block.Realloc(ULONG_MAX, 1));
    ASSERT_EQ(block.Get(), before); // the old block is kept, not leaked
    EXPECT_EQ(std::memcmp(block.Get(), "12345678", 8), 0);

    EXPECT_FALSE(block.Allocate(ULONG_MAX, true));
    EXPECT_TRUE(block.IsNull());
}

std::string bytes(qev::MemoryBlock const& block)
{
    return block.GetData() == nullptr ? std::string("<null>") : std::string(block.GetData(), block.GetSize());
}

qev::MemoryBlock blockOf(std::string const& text)
{
    return qev::MemoryBlock(text.data(), text.size());
}

TEST_F(ContainersTest, MemoryBlock)
{
    using std::string;
    struct Case
    {
        char const* name;
        string start;
        std::function<void(qev::MemoryBlock&)> change;
        string expected;
    };
    Case const cases[] = {
        {"grow cleared", "abc", [](qev::MemoryBlock& b) { b.SetSize(6, true); }, string("abc\0\0\0", 6)},
        {"shrink", "abcdef", [](qev::MemoryBlock& b) { b.SetSize(2, true); }, "ab"},
        {"to zero frees", "abc", [](qev::MemoryBlock& b) { b.SetSize(0, false); }, "<null>"},
        {"empty grows", "", [](qev::MemoryBlock& b) { b.SetSize(2, true); }, string("\0\0", 2)},
        {"assign longer", "ab", [](qev::MemoryBlock& b) { b = blockOf("wxyz"); }, "wxyz"},
        {"assign shorter", "abcdef", [](qev::MemoryBlock& b) { b = blockOf("xy"); }, "xy"},
        {"assign empty", "abc", [](qev::MemoryBlock& b) { b = qev::MemoryBlock(); }, "<null>"},
        {"assign to empty", "", [](qev::MemoryBlock& b) { b = blockOf("q"); }, "q"},
        {"assign itself", "abc", [](qev::MemoryBlock& b) { b = static_cast<qev::MemoryBlock const&>(b); },
         "abc"},
        {"copy of empty", "", [](qev::MemoryBlock& b) { b = qev::MemoryBlock(qev::MemoryBlock(b)); },
         "<null>"},
    };
    for (Case const& c : cases)
    {
        qev::MemoryBlock block = blockOf(c.start);
        c.change(block);
        EXPECT_EQ(bytes(block), c.expected) << c.name;
        EXPECT_EQ(block.GetSize(), c.expected == "<null>" ? 0 : c.expected.size()) << c.name;
    }

    // Out of memory: the owner reports it and keeps its bytes and size.
    for (qev::MemoryBlock start : {blockOf("abc"), qev::MemoryBlock()})
    {
        std::string const before = bytes(start);
        try
        {
            start.SetSize(ULONG_MAX, false);
            ADD_FAILURE() << "nothing thrown";
        }
        catch (qev::Exception const& e)
        {
            EXPECT_STREQ(e.what(), "out of memory");
            EXPECT_EQ(e.GetLocation().GetFile().GetStdString(), "QevMemoryBlock");
        }
        EXPECT_EQ(bytes(start), before);
    }
}

} // namespace
