#include "text/QevPooledHashedStringArray.h"

#include "text/QevPooledHashedString.h"

#include <vector>

namespace qev
{

void PooledHashedStringArray::PushBack(std::string_view text)
{
    unsigned long const hash = HashedString::ComputeHash(text);
    PooledHashedString::GetGlobalPool().Insert(text, hash);
    hashes.PushBack(hash);
}

void PooledHashedStringArray::PushFront(PooledHashedStringArray const& other)
{
    if (other.IsEmpty())
        return;
    if (&other == this)
    {
        PooledHashedStringArray const copy(other);
        PushFront(copy);
        return;
    }
    auto& items = hashes.GetStdVector();
    try
    {
        items.insert(items.begin(), other.hashes.begin(), other.hashes.end());
    }
    catch (...)
    {
        VectorImplementation::RethrowInsertFailure();
    }
}

bool PooledHashedStringArray::Remove(unsigned long index)
{
    if (index >= hashes.GetSize())
        return false;
    hashes.Remove(index);
    return true;
}

HashedString const& PooledHashedStringArray::operator[](unsigned long index) const
{
    if (HashedString const* entry = PooledHashedString::GetGlobalPool().Find(hashes[index]))
        return *entry;
    // Every hash an array holds was pooled by PushBack; this only guards against misuse.
    static HashedString const none;
    return none;
}

bool PooledHashedStringArray::operator==(PooledHashedStringArray const& other) const noexcept
{
    return hashes.GetStdVector() == other.hashes.GetStdVector();
}

PooledHashedStringArray PooledHashedStringArray::TokeniseOsc(String const& address)
{
    PooledHashedStringArray result;
    std::string_view const text = address.GetView();
    if (text.empty())
        return result;
    std::size_t start = 1; // the leading '/', whatever it is
    for (;;)
    {
        std::size_t const slash = text.find('/', start);
        if (slash == std::string_view::npos)
        {
            result.PushBack(text.substr(start));
            return result;
        }
        if (slash > start)
            result.PushBack(text.substr(start, slash - start));
        start = slash + 1;
    }
}

PooledHashedStringArray PooledHashedStringArray::SplitString(String const& text, char separator,
                                                             bool keepEmpty)
{
    PooledHashedStringArray result;
    std::string_view const view = text.GetView();
    if (view.empty())
        return result;
    std::size_t start = 0;
    for (;;)
    {
        std::size_t const found = view.find(separator, start);
        if (found == std::string_view::npos)
        {
            result.PushBack(view.substr(start));
            return result;
        }
        if (keepEmpty || found > start)
            result.PushBack(view.substr(start, found - start));
        start = found + 1;
    }
}

} // namespace qev
