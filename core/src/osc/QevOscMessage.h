#pragma once

#include "memory/QevVector.h"
#include "osc/QevOscAddress.h"
#include "osc/QevOscArgument.h"
#include "text/QevString.h"
#include "utils/QevColorRGBA.h"

#include <string>
#include <utility>

namespace qev
{

// An OSC message: an address pattern and an ordered list of typed arguments. A plain value:
// copies are deep, and one message is used by one thread at a time.
class OscMessage
{
public:
    explicit OscMessage(OscAddressPattern const& pattern);
    explicit OscMessage(OscAddressPattern&& pattern) noexcept;
    // The address's parts and text are taken as they are; nothing is parsed again.
    explicit OscMessage(OscAddress const& address);
    // Parses the pattern; a malformed one throws "OSC format error: ...".
    explicit OscMessage(char const* patternText);
    explicit OscMessage(String const& patternText);

    OscMessage(OscMessage const& other);
    OscMessage(OscMessage&& other) noexcept;
    OscMessage& operator=(OscMessage const& other);
    OscMessage& operator=(OscMessage&& other) noexcept;
    ~OscMessage();

    OscAddressPattern const& GetAddressPattern() const noexcept { return pattern; }
    OscAddressPattern& GetAddressPattern() noexcept { return pattern; }

    unsigned long GetNumArguments() const noexcept { return arguments.GetSize(); }
    // i must be below GetNumArguments(); there is no bounds test.
    OscArgument const& GetArgument(unsigned long i) const noexcept { return arguments[i]; }
    OscArgument& GetArgument(unsigned long i) noexcept { return arguments[i]; }
    OscArgument const& operator[](unsigned long i) const noexcept { return arguments[i]; }

    // Room for n arguments in all, so that appending them allocates once.
    void ReserveArguments(unsigned long n);

    void Add(int value);               // 'i'
    void Add(float value);             // 'f'
    void Add(bool value);              // 'T' or 'F'
    void Add(String const& text);      // 's'
    void Add(char const* text);        // 's'
    void Add(ColorRGBA const& colour); // four 'f': red, green, blue, alpha
    void Add(OscArgument const& argument);
    void Add(OscArgument&& argument);

    // Whether the arguments fit the format letters, in order: b boolean or integer, d double,
    // f float, i/l integer, n any number, s string, u a non-negative whole number. With exact the
    // counts must be equal, otherwise extra arguments are allowed. Any other letter fails.
    bool CheckArgumentsFormat(char const* format, bool exact) const noexcept;

    // Whether this message's pattern matches the address. The text form looks the address up in
    // the process-wide address cache (adding it, or throwing when the text is not an address).
    bool PatternMatches(OscAddress const& address) const;
    bool PatternMatches(char const* address) const;

    // A copy whose pattern has lost its first n parts.
    OscMessage WithFirstPatternsTrimmed(unsigned int n) const;

    // One value per argument ('d', 'f', 'h' and 'i' converted); empty when any argument is not a
    // number.
    template <typename FloatType> Vector<FloatType> GetArgumentsAsFloatArray() const;

    // Up to four numbers clamped to 0..1 (NaN becomes 0) as red, green, blue, alpha; missing
    // components are 0 and alpha 1. Not a number anywhere gives opaque black.
    ColorRGBA GetArgumentsAsRGBA() const;

    // The one-line text form: the pattern, then the arguments separated by single spaces.
    String ToString() const;
    // The arguments' texts joined by spaces, without trailing white space.
    String StringRepresentationWithoutPattern() const;
    // Appends ToString() to out, without temporary strings.
    void AppendText(std::string& out) const;

    // Parses one line of the text form. Throws qev::Exception "invalid OSC message" for a blank
    // line and the pattern's format error for a malformed address pattern.
    static OscMessage CreateFromText(String const& text);

    // Same pattern text and equal arguments.
    bool operator==(OscMessage const& other) const noexcept;
    bool operator!=(OscMessage const& other) const noexcept { return !(*this == other); }

private:
    void pushArgument(OscArgument&& argument);
    void appendArgumentsText(std::string& out) const;

    OscAddressPattern pattern;
    // Held by value: one allocation per message rather than one per argument.
    Vector<OscArgument> arguments;
};

// Instantiated for float and double.
extern template Vector<float> OscMessage::GetArgumentsAsFloatArray<float>() const;
extern template Vector<double> OscMessage::GetArgumentsAsFloatArray<double>() const;

} // namespace qev
