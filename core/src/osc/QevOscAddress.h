#pragma once

#include "text/QevHashedString.h"
#include "text/QevPooledHashedStringArray.h"
#include "text/QevString.h"

namespace qev
{

// A concrete OSC address such as /source/3/gain: its parts as pooled token hashes, and the whole
// text with its 64-bit hash. The text is kept without one trailing '/', so /a/b/ equals /a/b
// (although it keeps an empty last part). A malformed text throws qev::Exception
// "OSC format error: ...". Build addresses once and look them up in qev::OscAddressMap.
class OscAddress
{
public:
    // The empty address: no parts and the empty text (not equal to "/").
    OscAddress() = default;
    OscAddress(String const& text);
    OscAddress(char const* text);

    OscAddress(OscAddress const&) = default;
    OscAddress(OscAddress&&) = default;
    OscAddress& operator=(OscAddress const&) = default;
    OscAddress& operator=(OscAddress&&) = default;

    // Compares the text hashes only.
    bool operator==(OscAddress const& other) const noexcept { return GetHash() == other.GetHash(); }
    bool operator!=(OscAddress const& other) const noexcept { return !(*this == other); }

    unsigned long GetNumParts() const noexcept;
    // The hash of part i (i below GetNumParts()).
    unsigned long GetPartHash(unsigned long i) const noexcept;
    // The pooled text of part i (i below GetNumParts()); it outlives this address.
    HashedString const& GetPart(unsigned long i) const;
    PooledHashedStringArray const& GetParts() const noexcept { return parts; }

    HashedString const& GetHashedText() const noexcept { return text; }
    String const& GetText() const noexcept;
    unsigned long GetHash() const noexcept;

private:
    friend class OscAddressPattern;

    // Throws without changing anything when the text is not a valid address.
    void tokeniseAddress(String const& text);

    PooledHashedStringArray parts;
    HashedString text;
};

// An OSC address pattern, which may hold the wildcards '*', '?', [...] and {...}.
class OscAddressPattern
{
public:
    // The empty pattern: no parts and the empty text.
    OscAddressPattern() = default;
    OscAddressPattern(String const& text);
    OscAddressPattern(char const* text);
    // Takes the address as it is: no check, no wildcard.
    OscAddressPattern(OscAddress const& address);

    OscAddressPattern(OscAddressPattern const&) = default;
    OscAddressPattern(OscAddressPattern&&) = default;
    OscAddressPattern& operator=(OscAddressPattern const&) = default;
    OscAddressPattern& operator=(OscAddressPattern&&) = default;

    // Drops the first part: /a/b/c becomes /b/c, /a becomes /; nothing happens without parts.
    void TrimFirstPattern();
    // Compares the first min(n, m) parts, so /a starts with /a/b and every pattern with "/". With
    // wildcards the address must not be longer than the pattern. The root "/" starts only with "/".
    bool StartsWith(OscAddress const& address) const;
    // Puts the address in front: "/x" before /a/b gives /x/a/b; the root "/" changes nothing.
    void Prepend(OscAddress const& address);

    // Whether one pattern part matches one address part.
    static bool matchOscPattern(String const& pattern, String const& target);

    unsigned long GetNumParts() const noexcept;
    unsigned long GetPartHash(unsigned long i) const noexcept;
    HashedString const& GetPart(unsigned long i) const;
    PooledHashedStringArray const& GetParts() const noexcept { return parts; }

    HashedString const& GetHashedText() const noexcept { return text; }
    String const& GetText() const noexcept;
    unsigned long GetHash() const noexcept;

    // True when the text holds any of "*?{}[]".
    bool HasWildcard() const noexcept { return wildcard; }

private:
    // Throws without changing anything when the text is not a valid pattern.
    void tokeniseAddress(String const& text);

    PooledHashedStringArray parts;
    HashedString text;
    bool wildcard = false;
};

} // namespace qev
