#pragma once

namespace qev
{

// The OSC address texts of the family of objects, entered in the pool of hashed strings at
// start-up so that no message has to pool them later.
class OscVocabulary
{
public:
    OscVocabulary() = delete;

    static constexpr unsigned long numTexts = 348;

    // numTexts NUL-terminated texts, in the order start-up enters them.
    static char const* const* GetTexts() noexcept;
};

} // namespace qev
