#include "osc/QevOscAddressMap.h"

#include <utility>

namespace qev
{

OscAddressMap::Entry::Entry(std::string_view keyText, OscAddress&& tokenised)
    : key(keyText), address(std::move(tokenised))
{
}

OscAddressMap::OscAddressMap()
{
    table.max_load_factor(1.0f);
}

OscAddressMap::~OscAddressMap() = default;

OscAddressMap& OscAddressMap::GetGlobalSymbols()
{
    static OscAddressMap globalSymbols;
    return globalSymbols;
}

OscAddress const& OscAddressMap::lookUp(std::string_view text)
{
    std::lock_guard<std::mutex> const guard(lock);
    auto const found = table.find(text);
    if (found != table.end())
        return found->second->address;

    // Tokenise first: a format error leaves the table untouched.
    auto entry = std::make_unique<Entry>(text, OscAddress(String(text)));
    std::string_view const key = entry->key.GetView();
    auto& stored = *entry;
    table.emplace(key, std::move(entry));
    return stored.address;
}

OscAddress const& OscAddressMap::operator[](String const& text)
{
    return lookUp(text.GetView());
}

OscAddress const& OscAddressMap::operator[](char const* text)
{
    return lookUp(text != nullptr ? std::string_view(text) : std::string_view());
}

void OscAddressMap::Insert(String const& text)
{
    lookUp(text.GetView());
}

StringArray OscAddressMap::GetKeys() const
{
    std::lock_guard<std::mutex> const guard(lock);
    StringArray keys;
    for (auto const& item : table)
        keys.PushBack(item.second->key);
    return keys;
}

unsigned long OscAddressMap::GetNumEntries() const
{
    std::lock_guard<std::mutex> const guard(lock);
    return table.size();
}

} // namespace qev
