#pragma once

#include "osc/QevOscAddress.h"
#include "text/QevString.h"
#include "text/QevStringArray.h"

#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>

namespace qev
{

// The process-wide cache from address text to tokenised address, so that each distinct text is
// tokenised once. Keys are the exact texts given: /a/b and /a/b/ are two keys. Entries are never
// removed and never move, so a returned reference stays valid for the life of the process.
// Every operation is safe from any thread.
class OscAddressMap
{
public:
    OscAddressMap();
    ~OscAddressMap();
    OscAddressMap(OscAddressMap const&) = delete;
    OscAddressMap& operator=(OscAddressMap const&) = delete;

    static OscAddressMap& GetGlobalSymbols();

    // The cached address of the text, tokenised and added on a miss. An invalid address text
    // throws the format error and adds nothing.
    OscAddress const& operator[](String const& text);
    OscAddress const& operator[](char const* text);

    // Adds the text when it is not yet a key; throws like operator[].
    void Insert(String const& text);

    // Every key once, in the table's iteration order.
    StringArray GetKeys() const;
    unsigned long GetNumEntries() const;

private:
    struct Entry
    {
        Entry(std::string_view key, OscAddress&& address);
        String key;
        OscAddress address;
    };

    OscAddress const& lookUp(std::string_view text);

    mutable std::mutex lock;
    // The views point into the entries' own keys.
    std::unordered_map<std::string_view, std::unique_ptr<Entry>> table;
};

} // namespace qev
