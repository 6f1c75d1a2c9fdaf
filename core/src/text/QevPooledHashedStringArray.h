#pragma once

#include "memory/QevVector.h"
#include "text/QevHashedString.h"
#include "text/QevString.h"

#include <string>
#include <string_view>

namespace qev
{

// A list of tokens held as 64-bit hashes; their texts live once in the process-wide pool
// (qev::PooledHashedString). Copying copies hashes only.
class PooledHashedStringArray
{
public:
    PooledHashedStringArray() = default;

    // Enters the text into the pool and appends its hash.
    void PushBack(std::string_view text);
    void PushBack(String const& text) { PushBack(text.GetView()); }
    void PushBack(char const* text) { PushBack(std::string_view(text)); }
    void PushBack(std::string const& text) { PushBack(std::string_view(text)); }

    // Puts other's hashes, in their order, in front of this array's.
    void PushFront(PooledHashedStringArray const& other);

    // False when index is not below the size; the pool never changes.
    bool Remove(unsigned long index);
    // Empties the array; the capacity stays.
    void Clear() noexcept { hashes.Clear(); }

    unsigned long GetSize() const noexcept { return hashes.GetSize(); }
    bool IsEmpty() const noexcept { return hashes.IsEmpty(); }
    unsigned long GetHash(unsigned long index) const noexcept { return hashes[index]; }
    Vector<unsigned long> const& GetHashes() const noexcept { return hashes; }

    // The pooled entry of token index (index below the size).
    HashedString const& operator[](unsigned long index) const;

    // Same tokens in the same order.
    bool operator==(PooledHashedStringArray const& other) const noexcept;
    bool operator!=(PooledHashedStringArray const& other) const noexcept { return !(*this == other); }

    // The parts of an OSC address: the first character (the leading '/') is skipped, the rest is
    // cut at '/', empty pieces between two slashes are dropped and the piece after the last slash
    // is always kept: "/a//b" gives a, b; "/a/" gives a and an empty token; "/" one empty token.
    static PooledHashedStringArray TokeniseOsc(String const& address);

    // The pieces between separators. Without keepEmpty, empty pieces are dropped except the one
    // after the last separator. An empty text gives no pieces.
    static PooledHashedStringArray SplitString(String const& text, char separator, bool keepEmpty);

private:
    Vector<unsigned long> hashes;
};

} // namespace qev
