#pragma once

#include "text/QevHashedString.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

namespace qev
{

// The process-wide pool of token texts, keyed by their 64-bit hash. It only grows: an entry,
// once made, stays at the same address until the process ends, so any hash an array holds stays
// resolvable and references to entries never dangle.
//
// Lookups are lock-free: entries are published through an open-addressing table of atomic
// pointers, and a table that has to grow is replaced by a larger copy while the old one is kept
// for readers still inside it. Insertions of new texts take the pool's own mutex.
class PooledHashedString
{
public:
    // Made on first use, thread-safely; destroyed at process exit.
    static PooledHashedString& GetGlobalPool();

    PooledHashedString();
    ~PooledHashedString();
    PooledHashedString(PooledHashedString const&) = delete;
    PooledHashedString& operator=(PooledHashedString const&) = delete;

    // Enters text under hash and returns the entry's number in insertion order, or returns -1
    // when the hash is already pooled: the text first stored under a hash stays.
    long Insert(std::string_view text, unsigned long hash);

    // The entry pooled under hash; null when there is none.
    HashedString const* Find(unsigned long hash) const noexcept;

    unsigned long GetSize() const noexcept;

private:
    struct Table;

    static HashedString const* findIn(Table const& table, unsigned long hash) noexcept;
    static void place(Table& table, HashedString const* entry) noexcept;

    std::atomic<Table*> current;
    mutable std::mutex writeLock;
    // Guarded by writeLock. Retired tables stay until the pool dies: a reader may still probe one.
    std::vector<std::unique_ptr<HashedString>> entries;
    std::vector<std::unique_ptr<Table>> tables;
};

} // namespace qev
