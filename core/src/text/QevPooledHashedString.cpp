#include "text/QevPooledHashedString.h"

namespace qev
{

namespace
{
constexpr unsigned long initialCapacity = 256; // a power of two
} // namespace

// Open addressing with linear probing over a power-of-two number of slots, kept at most half
// full. The slot comes from the top bits of the hash times a large odd constant, so hashes that
// differ only in their high bits still spread.
struct PooledHashedString::Table
{
    explicit Table(unsigned long capacity)
        : mask(capacity - 1), shift(64 - static_cast<unsigned>(__builtin_ctzl(capacity))),
          slots(new std::atomic<HashedString const*>[capacity])
    {
        for (unsigned long i = 0; i < capacity; ++i)
            slots[i].store(nullptr, std::memory_order_relaxed);
    }

    unsigned long GetCapacity() const noexcept { return mask + 1; }
    unsigned long GetSlot(unsigned long hash) const noexcept
    {
        return (hash * 0x9E3779B97F4A7C15ul) >> shift;
    }

    unsigned long const mask;
    unsigned const shift;
    std::unique_ptr<std::atomic<HashedString const*>[]> const slots;
};

PooledHashedString& PooledHashedString::GetGlobalPool()
{
    static PooledHashedString pool;
    return pool;
}

PooledHashedString::PooledHashedString()
{
    tables.push_back(std::make_unique<Table>(initialCapacity));
    current.store(tables.back().get(), std::memory_order_release);
}

PooledHashedString::~PooledHashedString() = default;

HashedString const* PooledHashedString::findIn(Table const& table, unsigned long hash) noexcept
{
    for (unsigned long i = table.GetSlot(hash);; i = (i + 1) & table.mask)
    {
        HashedString const* entry = table.slots[i].load(std::memory_order_acquire);
        if (entry == nullptr || entry->GetHash() == hash)
            return entry;
    }
}

void PooledHashedString::place(Table& table, HashedString const* entry) noexcept
{
    unsigned long i = table.GetSlot(entry->GetHash());
    while (table.slots[i].load(std::memory_order_relaxed) != nullptr)
        i = (i + 1) & table.mask;
    // Release: a reader that sees the pointer sees the finished entry.
    table.slots[i].store(entry, std::memory_order_release);
}

HashedString const* PooledHashedString::Find(unsigned long hash) const noexcept
{
    return findIn(*current.load(std::memory_order_acquire), hash);
}

long PooledHashedString::Insert(std::string_view text, unsigned long hash)
{
    // Known tokens, by far the common case, never take the lock.
    if (Find(hash) != nullptr)
        return -1;

    std::lock_guard<std::mutex> guard(writeLock);
    Table* table = current.load(std::memory_order_relaxed);
    if (findIn(*table, hash) != nullptr)
        return -1;

    // Everything that can throw happens before the pool changes.
    if (entries.size() == entries.capacity())
        entries.reserve(entries.size() * 2 + 64);
    if (tables.size() == tables.capacity())
        tables.reserve(tables.size() * 2 + 8);
    auto entry = std::make_unique<HashedString>(text, hash);
    std::unique_ptr<Table> bigger;
    if ((entries.size() + 1) * 2 > table->GetCapacity())
    {
        bigger = std::make_unique<Table>(table->GetCapacity() * 2);
        for (auto const& existing : entries)
            place(*bigger, existing.get());
        table = bigger.get();
        tables.push_back(std::move(bigger));
    }
    place(*table, entry.get());
    entries.push_back(std::move(entry));
    current.store(table, std::memory_order_release);
    return static_cast<long>(entries.size() - 1);
}

unsigned long PooledHashedString::GetSize() const noexcept
{
    std::lock_guard<std::mutex> guard(writeLock);
    return entries.size();
}

} // namespace qev
